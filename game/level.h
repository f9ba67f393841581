// Around each level: the clock and LEVEL caption, the fade-in, booking the
// result, and the outro in which the creatures walk off (with the sudden-death
// bonus and score).
#pragma once
#include <cstdint>

constexpr int32_t SD_BONUS_STEP_MS = 667;  // one step of the sudden-death bonus
constexpr int SD_BONUS_STEPS = 30;         // 30 steps: 20,010 ms per solved level

void level_hud_show(uint8_t level);
void level_intro(uint8_t level);
// Books the result of play_level (best time, NEW RECORD, unlocking, saved mark),
// then runs the outro.
void level_end(uint8_t level, uint8_t file, int8_t result);
void level_outro(uint8_t level, int8_t fade, int8_t result);
// The score line: empty for -1, else the value.
void score_show(int32_t value);
// The score after solving `level` with time_bank ms left: old + level x bank / 100 + 100 level^2.
int32_t score_after_level(int32_t old_score, uint8_t level, int32_t bank);
