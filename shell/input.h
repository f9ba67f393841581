// The per-frame input view and the two pointer operations on sprites.
#pragma once
#include <cstdint>

// The input view, computed once per frame by input_update; the game reads it
// (and may overwrite pointer_x, pointer_y and clear pointer_pressed).
extern uint8_t pointer_down;
extern uint8_t pointer_pressed;
extern uint8_t pointer_released;
extern int16_t pointer_x;
extern int16_t pointer_y;
extern uint8_t return_pressed;

// The grab of sprite_drag.
extern uint8_t drag_active;
extern int16_t drag_sprite;
extern int16_t drag_dx, drag_dy;
extern int16_t drag_x, drag_y;
extern int16_t drag_idle_frames;

void input_reset();
void input_update();
// 1 when the pointer lies in the sprite's box.
uint8_t sprite_hit(int id);
// 1 when sprite id is (now) grabbed and was moved with the pointer this frame.
uint8_t sprite_drag(int id);
