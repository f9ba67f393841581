// The level clock: the game time of the level being played, its cap, the
// clock sprites that show it, and whether a timed mode's time has run out.
#pragma once
#include <cstdint>

constexpr int LEVEL_CLOCK = 0;                      // soft timer of the level clock, ms
constexpr uint32_t TIME_ATTACK_MS_PER_VERTEX = 5000;

// Holds the clock at CLOCK_CAP_MS (99:59), the most it can show or book.
void level_clock_cap();
// Shows the level clock (or what is left of the time) as MM:SS on the clock sprites.
void clock_show();
// Whether the time of a timed mode has run out (never in the untimed modes).
bool level_time_is_up();
