// Around each level: the clock and LEVEL caption, the fade-in, booking the
// result, and the outro in which the creatures walk off (with the sudden-death
// bonus and score).
#pragma once
#include <cstdint>

void level_hud_show(uint8_t level);
void level_intro(uint8_t level);
// Books the result of play_level (best time, NEW RECORD, unlocking, saved mark),
// then runs the outro.
void level_end(uint8_t level, uint8_t file, int8_t result);
// The score line: empty for -1, else the value.
void score_show(int32_t value);
