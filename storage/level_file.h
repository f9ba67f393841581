// Level files: per play track, a saved mark and a fixed-size saved-game slot for every level.
#pragma once
#include <cstdint>

#include "storage/level_size.h"

constexpr int SAVED_FLAG_COUNT = 200;
constexpr int SAVED_MAX_VERTICES = LEVEL_MAX_VERTICES;
constexpr int SAVED_MAX_DEGREE = 4;
// The flags and the slots of all 200 levels: the longest file the layout gives
// meaning to. A write reads no further and writes the file back cut to it, so
// a huge file costs a save no more than a full one.
constexpr int32_t LEVEL_FILE_MAX_SIZE = 1408414;

struct SavedVertex {
    int16_t x;
    int16_t y;
    uint8_t facing;
    uint8_t degree;
    int16_t neighbours[SAVED_MAX_DEGREE];
};

struct SavedGame {
    uint16_t vertex_count;
    uint32_t clock_ms;
    SavedVertex vertices[SAVED_MAX_VERTICES];
};

// Copy of the flags of the last file read (1 = level k + 1 has a saved game).
extern uint8_t saved_flags[SAVED_FLAG_COUNT];

// Vertices of the level stored in slot k (from 0): 6, then 5k + 5.
int32_t saved_slot_vertices(int32_t slot);
// Bytes of slot k: 6 + 14 * saved_slot_vertices(k).
int32_t saved_slot_size(int32_t slot);
// "ZembrolShape<file>.lvl" in the current directory.
void level_file_name(uint8_t file, char* out, int size);

// Reads the 200 flags of the file; all zero and 0 when it cannot be read.
uint8_t saved_flags_read(uint8_t file);
// Writes game as level L (from 1) and sets its flag; 0 when refused or failed.
// The file is replaced whole in one step (see save_file_replace): a failure
// leaves it as it was.
uint8_t saved_game_write(uint8_t level, uint8_t file, const SavedGame& game);
// Reads and checks slot k (from 0) into game; 0, with game untouched, when the
// slot is missing or not a sound puzzle.
uint8_t saved_game_read(uint8_t slot, uint8_t file, SavedGame* game);
// Clears the flag of level L (from 1); the slot is left as it was. Returns 1
// when the file's flag is clear afterwards; 0, with the file as it was, when
// there is no file, it is too short to hold the flags, or the write fails.
uint8_t saved_flag_clear(uint8_t level, uint8_t file);
