// The outro and the sudden-death score, for their tests.
#pragma once
#include <cstdint>

constexpr int32_t SD_BONUS_STEP_MS = 667;  // one step of the sudden-death bonus
constexpr int SD_BONUS_STEPS = 30;         // 30 steps: 20,010 ms per solved level

// The creatures turn and walk off while the LEVEL caption (at opacity fade)
// goes; in sudden death the bonus and the score count up.
void level_outro(uint8_t level, int8_t fade, int8_t result);
// The score after solving `level` with time_bank ms left: old + level x bank / 100 + 100 level^2.
int32_t score_after_level(int32_t old_score, uint8_t level, int32_t bank);
