// What the current game is: its mode, shape, progress track and level file,
// the sudden-death score and time bank, and the level sizes of each mode.
#pragma once
#include <cstdint>

#include "storage/level_size.h"

enum GameMode : uint8_t {
    MODE_CLASSIC = 0,
    MODE_TIME_ATTACK = 1,
    MODE_SUDDEN_DEATH = 2,
    MODE_FUNKY_SHAPES = 3,
    MODE_BABY_BRAINS = 4,
};

constexpr int32_t SD_START_BANK_MS = 20000;

extern uint8_t game_mode;          // GameMode, set by the main menu
extern int8_t game_shape;          // LayoutShape of the game; -1 when the shape screen was closed
extern uint8_t progress_slot;      // index into the profile's levels_open
extern uint8_t level_file_index;   // number of the level file of this track
extern int32_t score;              // sudden-death score; -1 while no score is to be entered
extern int32_t time_bank;          // sudden-death time left, ms
extern uint32_t saved_elapsed;     // clock of a resumed level, 0 for a generated one

// Vertices of level t (from 1) in the mode, by the one rule the level files share.
inline int level_vertex_count(uint8_t mode, int t)
{
    return level_size(mode == MODE_SUDDEN_DEATH, t);
}
// The same, never more than the vertex table holds.
inline int level_vertices_capped(uint8_t mode, int t)
{
    return level_size_capped(mode == MODE_SUDDEN_DEATH, t);
}

// Sets progress_slot and level_file_index from game_mode and game_shape.
void mode_tracks_set();
