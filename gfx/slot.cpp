// The 16 surface slots: creating, filling, releasing and drawing them. A slot
// draws through the blitters; text and line slots are handed to the scene's
// hooks, because the graphics core must not know how text or lines are kept.
#include "gfx/slot.h"

#include <cstdlib>

#include "gfx/blit.h"
#include "gfx/pixel.h"

// The slot table; written by the slot operations below and by the text and shape-list creators.
SurfaceSlot surface_slots[SLOT_COUNT];
// Installed by the shape-list code; called after every drawn slot.
void (*after_draw_hook)(uint8_t slot) = nullptr;
// Installed by the text code: draws a text slot's rows.
void (*text_slot_draw_hook)(uint8_t slot) = nullptr;
// Installed by the text code: releases a text slot's rows.
void (*text_slot_clear_hook)(uint8_t slot) = nullptr;

void slot_free(uint8_t slot)
{
    SurfaceSlot& s = surface_slots[slot];
    if (s.in_use) {
        if (s.kind == SLOT_BUFFER) {
            std::free(s.pixels);
            s.pixels = nullptr;
        } else if (s.kind == SLOT_TEXT_ROW && text_slot_clear_hook) {
            text_slot_clear_hook(slot);
        }
    }
    s.in_use = 0;
}

// The slot takes ownership of pixels; whatever it held before is released first.
void slot_adopt_buffer(uint8_t slot, uint16_t* pixels, int16_t width, int16_t height, uint8_t solid, uint8_t has_alpha)
{
    slot_free(slot);
    SurfaceSlot& s = surface_slots[slot];
    s.in_use = 1;
    s.kind = SLOT_BUFFER;
    s.format = uint8_t(FORMAT_RGB565 + has_alpha);
    s.pixels = pixels;
    s.width = width;
    s.height = height;
    s.layer = int16_t(slot);
    s.x = 0;
    s.y = 0;
    s.opacity = OPACITY_FULL;
    s.solid = solid;
    s.clip_index = 0;
}

// The pixels are left as malloc gives them: every caller paints the whole buffer first.
void slot_create_rgb565(uint8_t slot, int16_t width, int16_t height, uint8_t solid)
{
    size_t count = width > 0 && height > 0 ? size_t(width) * size_t(height) : 0;
    uint16_t* buffer = static_cast<uint16_t*>(std::malloc(count ? count * sizeof(uint16_t) : 1));
    slot_adopt_buffer(slot, buffer, width, height, solid, 0);
}

// Sets current_clip_index from the slot and clears current_sprite, so no
// sprite window leaks into the slot's clipping.
void slot_draw(uint8_t slot)
{
    const SurfaceSlot& s = surface_slots[slot];
    if (s.in_use != 1 || s.opacity <= 0)
        return;
    current_clip_index = s.clip_index;
    current_sprite = -1;

    if (s.kind == SLOT_BUFFER) {
        if (s.format == FORMAT_RGB565) {
            if (s.solid)
                blit_rgb565(s.pixels, s.width, s.height, s.x, s.y, s.opacity);
            else
                blit_rgb565_keyed(s.pixels, s.width, s.height, s.x, s.y, s.opacity);
        } else if (s.format == FORMAT_RGB565_ALPHA) {
            // A slot with no area draws nothing; keep the plane pointer inside the block anyway.
            size_t count = s.width > 0 && s.height > 0 ? size_t(s.width) * size_t(s.height) : 0;
            alpha_source = reinterpret_cast<const uint8_t*>(s.pixels + count);
            blit_rgb565_alpha(s.pixels, s.width, s.height, s.x, s.y, s.opacity);
        }
    } else if (s.kind == SLOT_TEXT_ROW) {
        if (text_slot_draw_hook)
            text_slot_draw_hook(slot);
    }

    if (after_draw_hook)
        after_draw_hook(slot);
}
