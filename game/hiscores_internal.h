// The best-times list's rows and sprites, for its tests.
#pragma once

constexpr int LIST_ROWS_PER_PAGE = 18;
constexpr int LIST_SPRITES_PER_ROW = 7;
// Hundreds digit of a level number of the list (only level 100 needs it).
constexpr int LIST_HUNDREDS_BASE = LIST_ROWS_PER_PAGE * LIST_SPRITES_PER_ROW;

// The number of levels the list shows: those before the first level without a time.
int best_times_count();
// Puts row j of the list (level j + 1) on its sprites.
void best_times_row_show(int j);
