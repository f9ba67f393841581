// A fake clock for driving frame_step without real waiting. Time is kept in
// microseconds: every read of the clock moves it on by one microsecond (the
// frame pump reads it in a loop through the last millisecond of each frame),
// every delay by exactly the milliseconds asked for. Header only, so that any
// test program of the game can run thousands of frames in an instant.
#pragma once
#include <cstdint>
#include <vector>

#include "shell/platform.h"

struct FakeClock {
    static inline uint64_t now_us = 0;
    // Every delay the pump asked for, oldest first; tests clear it as they like.
    static inline std::vector<uint32_t> delays;

    static uint64_t ticks()
    {
        return now_us++ / 1000;
    }

    static void delay(uint32_t ms)
    {
        delays.push_back(ms);
        now_us += uint64_t(ms) * 1000;
    }

    // Puts the fake in place of the real clock and sleep, starting at start_ms.
    static void install(uint64_t start_ms)
    {
        now_us = start_ms * 1000;
        delays.clear();
        platform_ticks = ticks;
        platform_delay = delay;
    }

    // Time passing outside the pump, as the game's own work between frames.
    static void advance_ms(uint32_t ms)
    {
        now_us += uint64_t(ms) * 1000;
    }

    static uint64_t now_ms()
    {
        return now_us / 1000;
    }
};
