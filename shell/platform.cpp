// The shell's window system layer on SDL2: the only file of the game that
// includes SDL. It turns SDL's events into our small PlatformEvent record and
// shows our RGB565 video surface in the window.
#include "shell/platform.h"

#include <SDL.h>
#include <cerrno>
#include <cstring>
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
// The window surface the last picture went into, and whether anything may
// have spoilt that picture since (a window event, a resize); written by the
// window functions and the event poll.
static const SDL_Surface* shown_surface = nullptr;
static const void* shown_pixels = nullptr;
static bool shown_spoilt = true;

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
    shown_spoilt = true;
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
    shown_spoilt = true;
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
    shown_spoilt = true;
}

// How our RGB565 pixels become the window's. Most displays take 32-bit pixels:
// for those the colour SDL itself would make of a pixel is the sum of one
// table entry for its low byte and one for its high byte (SDL's own converter
// works that way), so both tables are taken from SDL once per format and
// checked against SDL's answer for every one of the 65536 colours. Any other
// window goes through SDL's converter row by row.
struct WindowPixels {
    uint32_t format = SDL_PIXELFORMAT_UNKNOWN;   // the window format the tables below were made for
    bool by_tables = false;
    uint32_t low[256];
    uint32_t high[256];
};
static WindowPixels window_pixels;

// Test builds only: makes every picture go through SDL's converter.
bool platform_convert_by_sdl = false;

constexpr int COLOURS_565 = 65536;

// Asks SDL for every RGB565 colour in the given format; true when the two
// byte tables reproduce all of them.
static bool byte_tables_make(uint32_t format, WindowPixels& out)
{
    uint16_t* colours = static_cast<uint16_t*>(SDL_malloc(COLOURS_565 * sizeof(uint16_t)));
    uint32_t* made = static_cast<uint32_t*>(SDL_malloc(COLOURS_565 * sizeof(uint32_t)));
    bool additive = colours && made;
    if (additive) {
        for (int c = 0; c < COLOURS_565; ++c)
            colours[c] = uint16_t(c);
        additive = SDL_ConvertPixels(256, 256, SDL_PIXELFORMAT_RGB565, colours, 512, format, made, 1024) == 0;
    }
    if (additive) {
        for (int b = 0; b < 256; ++b) {
            out.low[b] = made[b] - made[0];
            out.high[b] = made[b << 8];
        }
        for (int c = 0; c < COLOURS_565 && additive; ++c)
            additive = made[c] == out.high[c >> 8] + out.low[c & 0xFF];
    }
    SDL_free(colours);
    SDL_free(made);
    return additive;
}

static void window_pixels_prepare(const SDL_PixelFormat* format)
{
    if (format->format == window_pixels.format)
        return;
    window_pixels.format = format->format;
    window_pixels.by_tables = format->BytesPerPixel == 4 && byte_tables_make(format->format, window_pixels);
}

static inline uint32_t window_colour(uint16_t pixel)
{
    return window_pixels.high[pixel >> 8] + window_pixels.low[pixel & 0xFF];
}

// A stretch of a picture row into one window row at 1x, or into two at 2x.
static void row_show(const uint16_t* src, int32_t width, int32_t scale, uint8_t* top, uint8_t* bottom)
{
    if (window_pixels.by_tables && !platform_convert_by_sdl) {
        if (scale == 1) {
            for (int32_t c = 0; c < width; ++c) {
                const uint32_t colour = window_colour(src[c]);
                std::memcpy(top + 4 * c, &colour, 4);
            }
            return;
        }
        for (int32_t c = 0; c < width; ++c) {
            const uint64_t pair = uint64_t(window_colour(src[c])) * 0x100000001u;
            std::memcpy(top + 8 * c, &pair, 8);
            std::memcpy(bottom + 8 * c, &pair, 8);
        }
        return;
    }
    // SDL converts the row in place; at 2x each pixel is then spread over two,
    // from the right so that nothing is overwritten before it is read.
    const int bytes = SDL_BYTESPERPIXEL(window_pixels.format);
    SDL_ConvertPixels(width, 1, SDL_PIXELFORMAT_RGB565, src, width * 2, window_pixels.format, top, width * bytes);
    if (scale == 1)
        return;
    for (int32_t c = width - 1; c >= 0; --c) {
        std::memmove(top + (2 * c + 1) * bytes, top + c * bytes, size_t(bytes));
        std::memmove(top + 2 * c * bytes, top + c * bytes, size_t(bytes));
    }
    std::memcpy(bottom, top, size_t(2 * width * bytes));
}

void platform_window_show(const uint16_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t scale,
                          const PlatformRect* parts, int32_t part_count)
{
    if (!window)
        return;
    // Every size change invalidates the window surface, so it is fetched anew
    // each time (SDL hands back the same one while the size stands).
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!target)
        return;
    window_pixels_prepare(target->format);
    // A window the system has not yet given its new size shows what fits.
    const int32_t columns = width < target->w / scale ? width : target->w / scale;
    const int32_t rows = height < target->h / scale ? height : target->h / scale;
    const PlatformRect whole = {0, 0, columns, rows};
    if (part_count <= 0 || part_count > PLATFORM_SHOW_PARTS_MAX) {
        parts = &whole;
        part_count = 1;
    }
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0)
        return;
    const int bytes = target->format->BytesPerPixel;
    uint8_t* out = static_cast<uint8_t*>(target->pixels);
    SDL_Rect sent[PLATFORM_SHOW_PARTS_MAX];
    int sent_count = 0;
    for (int32_t k = 0; k < part_count; ++k) {
        const PlatformRect part = platform_rect_clip(parts[k], columns, rows);
        if (part.width == 0)
            continue;
        for (int32_t r = part.y; r < part.y + part.height; ++r) {
            const uint16_t* src = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(r) * pitch);
            uint8_t* top = out + ptrdiff_t(r) * scale * target->pitch + ptrdiff_t(part.x) * scale * bytes;
            row_show(src + part.x, part.width, scale, top, top + target->pitch);
        }
        sent[sent_count++] = SDL_Rect{part.x * scale, part.y * scale, part.width * scale, part.height * scale};
    }
    if (SDL_MUSTLOCK(target))
        SDL_UnlockSurface(target);
    if (sent_count > 0)
        SDL_UpdateWindowSurfaceRects(window, sent, sent_count);
    shown_surface = target;
    shown_pixels = target->pixels;
    shown_spoilt = false;
}

bool platform_window_current()
{
    if (!window || shown_spoilt)
        return false;
    // SDL makes the surface anew after any change of size it has noticed.
    const SDL_Surface* target = SDL_GetWindowSurface(window);
    return target == shown_surface && target->pixels == shown_pixels;
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

// Set once the window system's queue has been read into SDL's for this drain;
// cleared when the drain finds nothing left. Written by platform_event_poll.
static bool events_pumped = false;

// The window system is asked for its events once per drain, not once per
// event taken: asking is most of what an idle frame costs, above all on X.
bool platform_event_poll(PlatformEvent* event)
{
    if (!events_pumped) {
        SDL_PumpEvents();
        events_pumped = true;
    }
    SDL_Event sdl;
    while (SDL_PeepEvents(&sdl, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        // Whatever happened to the window, it may no longer show our picture.
        if (sdl.type == SDL_WINDOWEVENT)
            shown_spoilt = true;
        if (event_translate(sdl, event))
            return true;
    }
    events_pumped = false;
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
