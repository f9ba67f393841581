// The sine table and the integer direction search.
#pragma once
#include <cstdint>

constexpr int ANGLE_STEPS = 512;   // angles are 512ths of a turn, counter-clockwise on screen

// Entry k is round(256 * sin(2 pi k / 512)); cosine of a is entry (a + 128) & 511.
extern const int16_t sine_table[ANGLE_STEPS];

inline int32_t sin512(int32_t a) { return sine_table[a & 511]; }
inline int32_t cos512(int32_t a) { return sine_table[(a + 128) & 511]; }

// Direction from (x0, y0) towards (x1, y1), 0..511 (0 = +x, 128 = up the screen).
uint16_t direction_angle(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// One search step: the best of a - step, a, a + step (each & 511).
uint16_t angle_refine(uint16_t a, int32_t step, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
