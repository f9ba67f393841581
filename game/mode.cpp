// The current game's mode and the tracks it books to.
#include "game/mode.h"

// Written by the main menu (screens.cpp).
uint8_t game_mode = MODE_CLASSIC;
// Written by the game's choices in flow.cpp, from the shape screen's answer.
int8_t game_shape = 0;
// Both written by mode_tracks_set only.
uint8_t progress_slot = 0;
uint8_t level_file_index = 0;
// Set for each game by flow.cpp; raised by the outro (level.cpp) after a solved level.
int32_t score = 0;
// Filled for each game by flow.cpp; spent by the play loop (play.cpp), topped up
// by the outro's bonus (level.cpp).
int32_t time_bank = SD_START_BANK_MS;
// Zeroed for a fresh level by flow.cpp; set by graph_load (graph_file.cpp) for a resumed one.
uint32_t saved_elapsed = 0;

void mode_tracks_set()
{
    if (game_mode == MODE_FUNKY_SHAPES) {
        progress_slot = uint8_t(game_shape + 1);
        level_file_index = uint8_t(game_shape);
    } else if (game_mode == MODE_BABY_BRAINS) {
        progress_slot = 7;
        level_file_index = 6;
    } else {
        progress_slot = game_mode;
        level_file_index = 0;
    }
}
