// The two record screens: the sudden-death top ten and the paged best times.
#pragma once
#include <cstdint>

constexpr int LIST_ROWS_PER_PAGE = 18;
constexpr int LIST_SPRITES_PER_ROW = 7;
// Hundreds digit of a level number of the list (only level 100 needs it).
constexpr int LIST_HUNDREDS_BASE = LIST_ROWS_PER_PAGE * LIST_SPRITES_PER_ROW;

// Shows the top ten (entering `score` unless it is -1): 0, or -1 when the tap
// that ended it was on the close button.
int16_t top_scores_screen();
// Shows the best times page by page until the player has paged through them.
void best_times_screen();
// The number of levels the list shows: those before the first level without a time.
int best_times_count();
// Puts row j of the list (level j + 1) on its sprites.
void best_times_row_show(int j);
