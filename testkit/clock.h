// The one fake clock of the tests, the tools and the benchmarks: frame_step
// runs on it without real waiting. Time is kept in microseconds and moves only
// when the pump sleeps (by exactly as long as it asks) or when a test says the
// game worked; every reading is counted.
#pragma once
#include <cstdint>
#include <vector>

#include "shell/platform.h"

struct FakeClock {
    static inline uint64_t now_us = 0;
    // Every sleep asked for, in microseconds, oldest first, when the installer
    // asked to keep them: a long game would otherwise grow the heap the soak
    // test watches.
    static inline std::vector<uint32_t> delays;
    static inline bool delays_kept = false;
    static inline int reads = 0;

    static uint64_t ticks()
    {
        ++reads;
        return now_us;
    }
    static void delay(uint32_t us)
    {
        if (delays_kept)
            delays.push_back(us);
        now_us += us;
    }
    // A second in, as a freshly started process would read it.
    static void install(uint64_t start_ms = 1000, bool keep_delays = false)
    {
        now_us = start_ms * 1000;
        delays.clear();
        delays_kept = keep_delays;
        reads = 0;
        platform_ticks_us = ticks;
        platform_delay_us = delay;
    }
    // The game's own work between two frames.
    static void advance_ms(uint32_t ms) { now_us += uint64_t(ms) * 1000; }
    static void advance_us(uint32_t us) { now_us += us; }
};
