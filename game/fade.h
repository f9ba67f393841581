// The fade loop every screen runs: one opacity a frame.
#pragma once
#include <cstdint>

#include "shell/frame.h"

// For o = from, from + by, ... as long as o has not passed `to` (by may be
// negative): step(o) sets what fades, then the frame is shown.
template <typename Step>
void fade_run(int16_t from, int16_t to, int16_t by, Step step)
{
    for (int16_t o = from; by > 0 ? o <= to : o >= to; o = int16_t(o + by)) {
        step(o);
        frame_step();
    }
}

// The same for a fade the player may cut short: step(o) returns false to stop
// before that frame is shown. Returns whether the fade ran to its end.
template <typename Step>
bool fade_run_unless(int16_t from, int16_t to, int16_t by, Step step)
{
    for (int16_t o = from; by > 0 ? o <= to : o >= to; o = int16_t(o + by)) {
        if (!step(o))
            return false;
        frame_step();
    }
    return true;
}
