// A fake clock for running frame_step without real waiting, for any test
// program. Time is kept in microseconds and moves only when the pump sleeps
// (by exactly as long as it asks) or when a test says the game worked; every
// reading and every sleep is counted.
#pragma once
#include <cstdint>
#include <vector>

#include "shell/platform.h"

struct FakeClock {
    static inline uint64_t now_us = 0;
    static inline std::vector<uint32_t> delays;   // every sleep asked for, in microseconds, oldest first
    static inline int reads = 0;

    static uint64_t ticks()
    {
        ++reads;
        return now_us;
    }
    static void delay(uint32_t us)
    {
        delays.push_back(us);
        now_us += us;
    }
    static void install(uint64_t start_ms)
    {
        now_us = start_ms * 1000;
        delays.clear();
        reads = 0;
        platform_ticks_us = ticks;
        platform_delay_us = delay;
    }
    // The game's own work between two frames.
    static void advance_ms(uint32_t ms) { now_us += uint64_t(ms) * 1000; }
    static void advance_us(uint32_t us) { now_us += us; }
};
