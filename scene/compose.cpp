// The frame compositor: each call rebuilds the requested layers of the back
// buffer from the slots and the sprites, back to front. Nothing is cleared and
// nothing is tracked as dirty; the game keeps an opaque picture at the back.
#include "scene/compose.h"

#include "gfx/blit.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/sprite.h"

// The part of the back buffer a compose may touch; written by set_screen_rect.
ClipRect screen_rect = {0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};

constexpr uint8_t NO_SLOT = 0xFF;
constexpr int16_t NO_SPRITE = -1;

// Per-layer draw lists, rebuilt by every compose and meaningless outside one.
static uint8_t layer_first_slot[LAYER_COUNT];
static uint8_t next_slot[SLOT_COUNT];
static int16_t layer_first_sprite[LAYER_COUNT];
static int16_t next_sprite[SPRITE_TABLE_SIZE];

static inline int16_t max16(int16_t a, int16_t b) { return a > b ? a : b; }
static inline int16_t min16(int16_t a, int16_t b) { return a < b ? a : b; }

// Things on a layer outside 0..1023 are left out: their list head would lie
// outside the table.
static inline bool layer_valid(int16_t layer)
{
    return layer >= 0 && layer < LAYER_COUNT;
}

// Reads the slots, the sprite table and requested_clip_rects; writes clip_rects
// and, through the blitters and after_draw_hook, the back buffer.
void compose_frame(uint16_t first_layer, uint16_t last_layer)
{
    if (last_layer >= LAYER_COUNT)
        last_layer = LAYER_COUNT - 1;

    for (int i = 0; i < CLIP_RECT_COUNT; ++i) {
        const ClipRect& want = requested_clip_rects[i];
        clip_rects[i] = ClipRect{max16(want.x0, screen_rect.x0), max16(want.y0, screen_rect.y0),
                                 min16(want.x1, screen_rect.x1), min16(want.y1, screen_rect.y1)};
    }
    if (first_layer > last_layer)
        return;

    // Layers in front of first_layer are not walked this time, so their heads may stay stale.
    for (int k = first_layer; k < LAYER_COUNT; ++k) {
        layer_first_slot[k] = NO_SLOT;
        layer_first_sprite[k] = NO_SPRITE;
    }

    // Pushing in ascending order leaves every list highest first, so the
    // lowest id is painted last and ends on top.
    const int first_id = lowest_sprite_id > 0 ? lowest_sprite_id : 0;
    const int last_id = highest_sprite_id < SPRITE_TABLE_SIZE - 1 ? highest_sprite_id : SPRITE_TABLE_SIZE - 1;
    for (int id = first_id; id <= last_id; ++id) {
        const Sprite* s = sprite_table[id];
        if (!s || !s->active || s->opacity <= 0 || !layer_valid(s->layer))
            continue;
        next_sprite[id] = layer_first_sprite[s->layer];
        layer_first_sprite[s->layer] = int16_t(id);
    }
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        const SurfaceSlot& s = surface_slots[slot];
        if (!s.in_use || s.opacity <= 0 || !layer_valid(s.layer))
            continue;
        next_slot[slot] = layer_first_slot[s.layer];
        layer_first_slot[s.layer] = uint8_t(slot);
    }

    for (int k = last_layer; k >= first_layer; --k) {
        for (uint8_t slot = layer_first_slot[k]; slot != NO_SLOT; slot = next_slot[slot])
            slot_draw(slot);
        for (int16_t id = layer_first_sprite[k]; id != NO_SPRITE; id = next_sprite[id])
            sprite_draw(id);
    }
}

// Held to the back buffer, so that lines cut to it can never leave the buffer.
void set_screen_rect(int16_t x0, int16_t y0, int16_t x1, int16_t y1)
{
    screen_rect = ClipRect{max16(x0, 0), max16(y0, 0), min16(x1, SCREEN_WIDTH - 1), min16(y1, BACK_BUFFER_HEIGHT - 1)};
}

void set_clip_rect(uint8_t index, int16_t x0, int16_t y0, int16_t x1, int16_t y1)
{
    if (index >= CLIP_RECT_COUNT)
        return;
    requested_clip_rects[index] = ClipRect{x0, y0, x1, y1};
}
