// The pause screen: the pause button shown through a game, and the screen that
// fades the puzzle out behind the PAUSE caption until the player taps.
#pragma once
#include <cstdint>

constexpr int32_t PAUSE_HIT_RANGE_SQ = 195;  // a press this close to the pause button's centre pauses

// Loads the pause pictures and shows the button (the caption, transparent, waits).
void pause_sprites_show();
// Hides both sprites and frees their pictures, at the end of a game.
void pause_sprites_free();
// The pause screen, when the pause button or Return was pressed and nothing is held.
void pause_check(int16_t picked);
