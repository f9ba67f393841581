// The play loop's inner steps and numbers, for its tests and benchmarks; the
// game itself reaches them only through play_level.
#pragma once
#include <cstdint>

constexpr int32_t PICK_RANGE_SQ = 102400;           // squared distance beyond which nothing is picked
constexpr int16_t PLAY_MARGIN = 8;                  // a dragged vertex stays this far inside the screen
constexpr int16_t EDGE_STRIP_X = 216;               // right of this the buttons sit above and below
constexpr int16_t EDGE_STRIP_TOP = 24;              // the close button ends here
constexpr int16_t EDGE_STRIP_BOTTOM_GAP = 36;       // the pause button starts this far above the bottom
constexpr int16_t PULSE_FIRST = 16;
constexpr int16_t PULSE_END = 48;

// Drives the pulsing of the dragged group (16..47) and the opacity it gives; written by the play loop.
extern uint8_t pulse_counter;
extern uint8_t pulse_opacity;

// The vertex the pointer would pick: the nearest one within PICK_RANGE_SQ, the
// lowest index on a tie; -1 when none.
int16_t vertex_pick(int16_t x, int16_t y);
// The pointer y a drag may use at pointer x: in the right-hand strip it is kept
// off the close button and the pause button.
int16_t edge_guard_y(int16_t x, int16_t y);
// Renders what will not move while vertex `picked` is dragged into the cache slot,
// which then stands in for the background.
void drag_cache_render(int16_t picked);
// Moves vertex i to the drag position (drag_x, drag_y) as the player's drag does.
void move_vertex(int i);
// Every vertex back at rest with its glow; the background instead of the cache.
void release_reset();
