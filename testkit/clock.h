// The one fake clock of the tests, the tools and the benchmarks: frame_step
// runs on it without real waiting. Time is kept in microseconds: each read
// moves it on by one (the pump reads the clock through the last millisecond
// of every frame), each sleep by exactly the milliseconds asked for.
#pragma once
#include <cstdint>
#include <vector>

#include "shell/platform.h"

struct FakeClock {
    static inline uint64_t now_us = 0;
    // Every sleep asked for, oldest first, when the installer asked to keep
    // them: a long game would otherwise grow the heap the soak test watches.
    static inline std::vector<uint32_t> delays;
    static inline bool delays_kept = false;

    static uint64_t ticks() { return now_us++ / 1000; }
    static void delay(uint32_t ms)
    {
        if (delays_kept)
            delays.push_back(ms);
        now_us += uint64_t(ms) * 1000;
    }
    // A second in, as a freshly started process would read it.
    static void install(uint64_t start_ms = 1000, bool keep_delays = false)
    {
        now_us = start_ms * 1000;
        delays.clear();
        delays_kept = keep_delays;
        platform_ticks = ticks;
        platform_delay = delay;
    }
    // The game's own work between two frames.
    static void advance_ms(uint32_t ms) { now_us += uint64_t(ms) * 1000; }
};
