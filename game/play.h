// The play loop: one level from the moment the puzzle is on screen until it is
// solved, the time runs out or the player leaves it, and the pieces of it that
// the level intro, outro, pause screen and the instructions demonstration
// share. Its inner steps, for tests and benchmarks, are in play_internal.h.
#pragma once
#include <cstdint>

// Runs the level: 1 when solved, -1 when the time ran out or it was left with
// the close button (saved first in the modes that keep saved games).
int8_t play_level(uint8_t level, int8_t shape);

// Moves vertex i to (x, y) as the player's drag does: clamped to the play
// area, the group pulsing, the vertex's edges following it.
void move_vertex_to(int i, int16_t x, int16_t y);
// The opacity of every creature, glow and edge line of the puzzle.
void set_puzzle_opacity(int16_t opacity);
