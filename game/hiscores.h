// The two record screens: the sudden-death top ten and the paged best times.
#pragma once
#include <cstdint>

// Shows the top ten (entering `score` unless it is -1): 0, or -1 when the tap
// that ended it was on the close button.
int16_t top_scores_screen();
// Shows the best times page by page until the player has paged through them.
void best_times_screen();
