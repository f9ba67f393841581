// The current game's mode and the tracks it books to.
#include "game/mode.h"

// All written by the game flow (main menu, shape selection, level sequence).
uint8_t game_mode = MODE_CLASSIC;
int8_t game_shape = 0;
uint8_t progress_slot = 0;
uint8_t level_file_index = 0;
int32_t score = 0;
int32_t time_bank = SD_START_BANK_MS;
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
