// The shell's window system layer on SDL2: the only file of the game that
// includes SDL. It turns SDL's events into our small PlatformEvent record and
// shows our RGB565 video surface in the window.
#include "shell/platform.h"

#include <SDL.h>
#include <cerrno>
#include <ctime>
#include <unistd.h>

// The steady clock in microseconds since boot.
static uint64_t steady_us()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u;
}

// Where the game's clock starts: set when the platform starts (as SDL's own
// millisecond count does), or at the first reading if that comes first.
static uint64_t clock_origin_us = 0;

static uint64_t game_clock_us()
{
    if (clock_origin_us == 0)
        clock_origin_us = steady_us();
    return steady_us() - clock_origin_us;
}

// SDL_Delay only knows whole milliseconds; the pump wants to wake on the very
// microsecond a frame falls due, so it sleeps on the system's own timer. A
// signal cuts a sleep short; the rest is slept then and there.
static void game_delay_us(uint32_t us)
{
    timespec want = {time_t(us / 1000000u), long(us % 1000000u) * 1000L};
    timespec left;
    while (nanosleep(&want, &left) != 0 && errno == EINTR)
        want = left;
}

// The frame pump's clock and sleep; replaced by tests with a fake clock.
uint64_t (*platform_ticks_us)() = game_clock_us;
void (*platform_delay_us)(uint32_t us) = game_delay_us;

// The game's one window, or null before platform_window_open; written here only.
static SDL_Window* window = nullptr;

bool platform_video_init()
{
    // The game ends itself through exit() from the frame pump; SDL must not
    // turn a terminal's Ctrl-C into a quit event the game would have to ask for.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Fetching the window surface with acceleration allowed may re-create the
    // window behind our back and lose its place; our frames are plain
    // software pictures anyway.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (clock_origin_us == 0)
        clock_origin_us = steady_us();
    return SDL_Init(SDL_INIT_VIDEO) >= 0;
}

const char* platform_error()
{
    return SDL_GetError();
}

void platform_quit()
{
    window = nullptr;
    SDL_Quit();
}

bool platform_window_open(int32_t width, int32_t height)
{
    // The game has one window. Started again in the same process (as the
    // game's tests do), the old one goes first, with its picture: it would
    // otherwise stay open, unseen, until the process ends.
    if (window) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                              SDL_WINDOW_RESIZABLE);
    return window != nullptr;
}

void platform_window_caption_set(const char* caption)
{
    if (window)
        SDL_SetWindowTitle(window, caption);
}

void platform_window_resize(int32_t width, int32_t height)
{
    // SDL keeps the client area's top-left corner where it is, and reports
    // only a size change for it, never a resize request of the user.
    if (window)
        SDL_SetWindowSize(window, width, height);
}

void platform_window_show(const uint16_t* pixels, int32_t width, int32_t height, int32_t pitch)
{
    if (!window)
        return;
    // Every size change invalidates the window surface, so it is fetched anew
    // each time rather than kept.
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!target)
        return;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint16_t*>(pixels), width, height, 16,
                                                             pitch, SDL_PIXELFORMAT_RGB565);
    if (!source)
        return;
    SDL_Rect area = {0, 0, width, height};
    SDL_Rect place = area;
    SDL_BlitSurface(source, &area, target, &place);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(window);
}

// Our key code for an SDL key, so that the pump needs no SDL names. Only the
// main Return key pauses; the keypad's Enter is a key of its own and is ignored
// like any other.
static int32_t key_code(SDL_Keycode sym)
{
    switch (sym) {
    case SDLK_ESCAPE:
        return KEY_ESCAPE;
    case SDLK_RETURN:
        return KEY_RETURN;
    default:
        return int32_t(sym);
    }
}

// Fills event from one SDL event; false for the kinds the game does not use.
static bool event_translate(const SDL_Event& sdl, PlatformEvent* event)
{
    *event = PlatformEvent{};
    switch (sdl.type) {
    case SDL_KEYDOWN:
        // A held key gives one press: the game has no use for key repeat.
        if (sdl.key.repeat)
            return false;
        event->kind = EVENT_KEY_DOWN;
        event->key = key_code(sdl.key.keysym.sym);
        return true;
    case SDL_KEYUP:
        event->kind = EVENT_KEY_UP;
        event->key = key_code(sdl.key.keysym.sym);
        return true;
    case SDL_MOUSEMOTION:
        event->kind = EVENT_POINTER_MOTION;
        event->x = sdl.motion.x;
        event->y = sdl.motion.y;
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        event->kind = sdl.type == SDL_MOUSEBUTTONDOWN ? EVENT_BUTTON_DOWN : EVENT_BUTTON_UP;
        event->button = sdl.button.button;
        event->x = sdl.button.x;
        event->y = sdl.button.y;
        return true;
    case SDL_QUIT:
        event->kind = EVENT_QUIT;
        return true;
    case SDL_WINDOWEVENT:
        switch (sdl.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            event->kind = EVENT_WINDOW_CLOSE;
            return true;
        case SDL_WINDOWEVENT_RESIZED:
            event->kind = EVENT_WINDOW_RESIZED;
            event->x = sdl.window.data1;
            event->y = sdl.window.data2;
            return true;
        case SDL_WINDOWEVENT_EXPOSED:
            event->kind = EVENT_WINDOW_EXPOSED;
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

bool platform_event_poll(PlatformEvent* event)
{
    SDL_Event sdl;
    while (SDL_PollEvent(&sdl)) {
        if (event_translate(sdl, event))
            return true;
    }
    return false;
}

void platform_program_path(char* out, int32_t size)
{
    if (size <= 0)
        return;
    ssize_t length = readlink("/proc/self/exe", out, size_t(size - 1));
    out[length > 0 ? length : 0] = '\0';
}

// Sanitizer builds only (nothing else calls it): the desktop's D-Bus library,
// which SDL starts on a real display, keeps a buffer until the process ends.
// It is not ours to report, and would turn every clean exit into a failure.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
