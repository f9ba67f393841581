// Shared set-up of the shell's tests: one engine start per test process, on
// the fake clock and the dummy video driver, and events pushed into SDL's
// queue, which the pump reads back through its ordinary polling.
#pragma once
#include <SDL.h>

#include "testkit/events.h"

struct StartRecord {
    int result;                    // engine_start's
    int created_w, created_h;      // client size before the first frame
    int first_w, first_h;          // and after it
    uint64_t first_hold_us;        // how long the first frame kept the fake clock waiting
    char caption[256];
};

// Starts the engine and runs the first frame once per process.
const StartRecord& shell_start_once();
SDL_Window* shell_window();
// Reads one window pixel as 0xRRGGBB.
Uint32 window_pixel(int x, int y);
