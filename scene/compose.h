// The frame compositor: rebuilds the back buffer from slots and sprites, back to
// front by layer.
#pragma once
#include <cstdint>
#include "gfx/blit.h"

constexpr int LAYER_COUNT = 1024;

// The part of the back buffer a compose may touch; clip rectangles and lines are cut to it.
extern ClipRect screen_rect;

// Paints layers last_layer down to first_layer (0 <= first <= last <= 1023).
void compose_frame(uint16_t first_layer, uint16_t last_layer);
void set_screen_rect(int16_t x0, int16_t y0, int16_t x1, int16_t y1);
void set_clip_rect(uint8_t index, int16_t x0, int16_t y0, int16_t x1, int16_t y1);
