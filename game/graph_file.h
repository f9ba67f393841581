// Saving the puzzle into a level file and rebuilding it from one.
#pragma once
#include <cstdint>

// Saves the current puzzle and level clock as level `level` (from 1) of level file `file`.
// Returns 1 on success, 0 when nothing was written.
uint8_t graph_save(uint8_t level, uint8_t file);
// Rebuilds the puzzle from slot k (level k + 1) of level file `file` and sets
// saved_elapsed. Returns 0, with the current puzzle untouched, when the slot is
// missing or not a sound puzzle, or a creature in it stands off the screen.
uint8_t graph_load(uint8_t slot, uint8_t file);
