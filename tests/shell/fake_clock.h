// A fake clock for running frame_step without real waiting, for any test
// program. Time is kept in microseconds: each read moves it on by one (the
// pump reads the clock through the last millisecond of every frame), each
// delay by exactly the milliseconds asked for.
#pragma once
#include <cstdint>
#include <vector>

#include "shell/platform.h"

struct FakeClock {
    static inline uint64_t now_us = 0;
    static inline std::vector<uint32_t> delays;   // every sleep asked for, oldest first

    static uint64_t ticks() { return now_us++ / 1000; }
    static void delay(uint32_t ms)
    {
        delays.push_back(ms);
        now_us += uint64_t(ms) * 1000;
    }
    static void install(uint64_t start_ms)
    {
        now_us = start_ms * 1000;
        delays.clear();
        platform_ticks = ticks;
        platform_delay = delay;
    }
    // The game's own work between two frames.
    static void advance_ms(uint32_t ms) { now_us += uint64_t(ms) * 1000; }
};
