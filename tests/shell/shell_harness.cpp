// The shell's test harness: see shell_harness.h.
#include "shell/shell_harness.h"

#include <cstring>

#include "shell/engine.h"
#include "testkit/clock.h"
#include "shell/frame.h"
#include "testkit/events.h"

static StartRecord record;
static SDL_Window* window = nullptr;

const StartRecord& shell_start_once()
{
    if (window || record.result)
        return record;
    FakeClock::install(1000, true);
    record.result = engine_start();
    // The process opens one window; SDL numbers them from 1.
    for (Uint32 id = 1; id < 64 && !window; ++id)
        window = SDL_GetWindowFromID(id);
    if (record.result || !window)
        return record;
    SDL_GetWindowSize(window, &record.created_w, &record.created_h);
    std::strncpy(record.caption, SDL_GetWindowTitle(window), sizeof record.caption - 1);
    const uint64_t before = FakeClock::now_us;
    frame_step();
    record.first_hold_us = FakeClock::now_us - before;
    SDL_GetWindowSize(window, &record.first_w, &record.first_h);
    return record;
}

SDL_Window* shell_window()
{
    return window;
}

Uint32 window_pixel(int x, int y)
{
    SDL_Surface* s = SDL_GetWindowSurface(window);
    if (!s || x < 0 || y < 0 || x >= s->w || y >= s->h)
        return 0xFFFFFFFFu;
    Uint32 value = 0;
    std::memcpy(&value, static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
                s->format->BytesPerPixel);
    Uint8 r, g, b;
    SDL_GetRGB(value, s->format, &r, &g, &b);
    return Uint32(r) << 16 | Uint32(g) << 8 | b;
}
