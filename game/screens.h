// The screens between games: title, main menu, instructions with their
// demonstration, shape selection, level chooser and the resume question.
#pragma once
#include <cstdint>

constexpr int16_t RESUME_OFFSET = 200;       // a level index plus this means: resume the saved game

// Each returns true when the close button ended it (the program then ends).
bool title_screen();
// Sets game_mode; first is true when the title logo is still to be faded out.
bool main_menu(bool first);
// 1..5: the LayoutShape chosen; -1 after close.
int8_t shape_select_screen();
// The chosen level index (level - 1), or -2 after close.
int16_t level_chooser(uint8_t file);
// index, index + RESUME_OFFSET to resume the saved game, or -1 after close.
int16_t resume_question(uint8_t index, uint8_t file);
