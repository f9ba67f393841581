// Pointer input: turns the frame pump's raw facts into the per-frame view the
// game reads, and lets the player test and grab sprites with the pointer.
#include "shell/input.h"

#include <cstdint>

#include "gfx/pixel.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/frame.h"

// The input view, written by input_update (and input_reset), read by the game,
// which may also overwrite the position and clear pointer_pressed.
uint8_t pointer_down;
uint8_t pointer_pressed;
uint8_t pointer_released;
int16_t pointer_x;
int16_t pointer_y;
uint8_t return_pressed;

// The one grab; written by sprite_drag and ended by input_update's watchdog.
uint8_t drag_active;
int16_t drag_sprite;
int16_t drag_dx, drag_dy;
int16_t drag_x, drag_y;
int16_t drag_idle_frames;

// Pointer position at the previous sprite_drag that served the grab; sprite_drag only.
static int16_t last_drag_x, last_drag_y;

// Frames a grab survives without sprite_drag; it ends on the next one.
constexpr int16_t DRAG_IDLE_LIMIT = 2;

void input_reset()
{
    pointer_x = int16_t(SCREEN_WIDTH / 2);
    pointer_y = int16_t(screen_height / 2);
    pointer_down = 0;
    pointer_pressed = 0;
    pointer_released = 0;
    return_pressed = 0;
    drag_active = 0;
    drag_sprite = 0;
    drag_dx = drag_dy = 0;
    drag_x = drag_y = 0;
    drag_idle_frames = 0;
    last_drag_x = last_drag_y = 0;
}

void input_update()
{
    uint8_t held = button_held ? 1 : 0;
    uint8_t previous = pointer_down;
    pointer_released = previous && !held;
    pointer_pressed = held && !previous;
    pointer_down = held;

    // While the button is up the position stays where it was last held, so a
    // hovering mouse cannot move what the game placed under the pointer.
    if (held) {
        pointer_x = raw_pointer_x;
        pointer_y = raw_pointer_y;
    }

    // A grab ends with the button, or when the game stopped serving it.
    int16_t idle = int16_t(drag_idle_frames + 1);
    if (idle <= DRAG_IDLE_LIMIT && held) {
        drag_idle_frames = idle;
    } else {
        drag_active = 0;
        drag_idle_frames = 0;
    }

    return_pressed = return_raw;
    return_raw = 0;
}

// The sprite record behind id, or null when there is none (or id is not one).
static Sprite* sprite_find(int id)
{
    if (id < 0 || id >= SPRITE_TABLE_SIZE)
        return nullptr;
    return sprite_table[id];
}

// A position computed in 32 bits, held within the 16 bits a position has.
static int16_t position_saturate(int32_t v)
{
    if (v < INT16_MIN)
        return INT16_MIN;
    if (v > INT16_MAX)
        return INT16_MAX;
    return int16_t(v);
}

uint8_t sprite_hit(int id)
{
    const Sprite* sprite = sprite_find(id);
    if (!sprite || !sprite->active)
        return 0;
    const int32_t left = int32_t(sprite->x) - (sprite->w >> 1);
    const int32_t top = int32_t(sprite->y) - (sprite->h >> 1);
    const int32_t right = left + sprite->w - 1;
    const int32_t bottom = top + sprite->h - 1;
    return left <= pointer_x && pointer_x <= right && top <= pointer_y && pointer_y <= bottom;
}

uint8_t sprite_drag(int id)
{
    Sprite* sprite = sprite_find(id);
    if (!sprite || !sprite->active || !pointer_down)
        return 0;

    bool grabbed_now = false;
    if (!drag_active) {
        // One column and one row more than sprite_hit's box: a small
        // creature is a little easier to pick up than to tap. In 32 bits, so
        // a sprite near the ends of the 16-bit range gets no wrapped box.
        const int32_t left = int32_t(sprite->x) - (sprite->w >> 1);
        const int32_t top = int32_t(sprite->y) - (sprite->h >> 1);
        const int32_t right = left + sprite->w;
        const int32_t bottom = top + sprite->h;
        if (pointer_x < left || pointer_x > right || pointer_y < top || pointer_y > bottom)
            return 0;
        drag_active = 1;
        drag_sprite = int16_t(id);
        grabbed_now = true;
    }
    if (drag_sprite != id)
        return 0;

    if (grabbed_now) {
        drag_dx = 0;
        drag_dy = 0;
    } else {
        // Moved by the pointer's movement, not to the pointer, so the sprite
        // keeps the offset at which it was picked up. Summed in 32 bits and
        // held at the ends of the range: a sprite never jumps to the far side.
        const int32_t dx = int32_t(pointer_x) - last_drag_x;
        const int32_t dy = int32_t(pointer_y) - last_drag_y;
        drag_dx = position_saturate(dx);
        drag_dy = position_saturate(dy);
        sprite->x = position_saturate(sprite->x + dx);
        sprite->y = position_saturate(sprite->y + dy);
    }
    last_drag_x = pointer_x;
    last_drag_y = pointer_y;
    drag_x = sprite->x;
    drag_y = sprite->y;
    drag_idle_frames = 0;
    return 1;
}
