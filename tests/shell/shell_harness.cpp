// The shell's test harness: starts the engine once with the fake clock and
// drives the frame pump with events pushed into SDL's queue, which the dummy
// video driver hands back through the pump's ordinary polling.
#include "shell/shell_harness.h"

#include <cstring>
#include <ctime>

#include "geometry/random.h"
#include "shell/engine.h"
#include "shell/fake_clock.h"
#include "shell/frame.h"

static StartRecord record;
static bool started = false;
static SDL_Window* window = nullptr;

// The window is the only one the process opens; SDL numbers windows from 1.
static SDL_Window* window_find()
{
    for (Uint32 id = 1; id < 64; ++id) {
        if (SDL_Window* w = SDL_GetWindowFromID(id))
            return w;
    }
    return nullptr;
}

const StartRecord& shell_start_once()
{
    if (started)
        return record;
    started = true;
    FakeClock::install(1000);
    record.seconds_before = uint32_t(std::time(nullptr));
    record.engine_result = engine_start();
    record.seconds_after = uint32_t(std::time(nullptr));
    record.first_random = random_next();
    window = window_find();
    if (!window)
        return record;
    SDL_GetWindowSize(window, &record.created_w, &record.created_h);
    std::strncpy(record.caption, SDL_GetWindowTitle(window), sizeof record.caption - 1);
    record.doubled_before_first_frame = view_doubled;
    compose_enabled = 0;
    FakeClock::delays.clear();
    frame_step();
    record.first_frame_delay = FakeClock::delays.size() == 1 ? FakeClock::delays[0] : 0;
    SDL_GetWindowSize(window, &record.first_frame_w, &record.first_frame_h);
    record.doubled_after_first_frame = view_doubled;
    record.compose_after_first_frame = compose_enabled;
    return record;
}

SDL_Window* shell_window()
{
    return window;
}

void push_key(SDL_Keycode sym, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

void push_motion(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

void push_button(uint8_t button, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

void push_window_event(uint8_t event, int data1, int data2)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    e.window.data1 = data1;
    e.window.data2 = data2;
    SDL_PushEvent(&e);
}

void push_quit()
{
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

uint32_t window_pixel(int x, int y)
{
    SDL_Surface* s = SDL_GetWindowSurface(window);
    if (!s || x < 0 || y < 0 || x >= s->w || y >= s->h)
        return 0xFFFFFFFFu;
    const uint8_t* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
    Uint32 value = 0;
    std::memcpy(&value, row + x * s->format->BytesPerPixel, s->format->BytesPerPixel);
    Uint8 r, g, b;
    SDL_GetRGB(value, s->format, &r, &g, &b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}
