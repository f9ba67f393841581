// The sprite table: one reusable record per id, each showing one frame cell of
// a borrowed Image, placed by its centre and drawn by the compositor.
#include "scene/sprite.h"

#include <cstddef>
#include <cstdlib>

#include "gfx/blit.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"

// Records by id, null until first created; written by sprite_create and sprite_table_clear.
Sprite* sprite_table[SPRITE_TABLE_SIZE];
// Smallest id ever created (bounds the compositor's scan); lowered by sprite_create only.
int32_t lowest_sprite_id = SPRITE_TABLE_SIZE;
// Largest id ever created (bounds the compositor's scan); raised by sprite_create only.
int32_t highest_sprite_id = -1;

// The id range is deliberately kept: it only bounds the compositor's scan, and
// an empty entry inside it costs one null test.
void sprite_table_clear()
{
    for (int id = 0; id < SPRITE_TABLE_SIZE; ++id) {
        std::free(sprite_table[id]);
        sprite_table[id] = nullptr;
    }
}

// Re-creating an id reuses its record in place, so screens that rebuild their
// sprites every time they are entered allocate nothing after the first visit.
// Every field the game may have written since is reset.
Sprite* sprite_create(int id, const Image* image, int16_t frame_w, int16_t frame_h, int16_t cx, int16_t cy)
{
    Sprite* s = sprite_table[id];
    if (!s) {
        s = static_cast<Sprite*>(std::calloc(1, sizeof(Sprite)));
        sprite_table[id] = s;
    }
    const int16_t short_id = int16_t(id);
    if (short_id < lowest_sprite_id)
        lowest_sprite_id = short_id;
    if (short_id > highest_sprite_id)
        highest_sprite_id = short_id;

    s->active = 1;
    s->x = cx;
    s->y = cy;
    s->cell_w = frame_w;
    s->w = frame_w;
    s->cell_h = frame_h;
    s->h = frame_h;
    s->format = uint8_t(image->format);
    s->solid = uint8_t(image->solid);
    s->palette = image->palette;
    s->pixels = image->pixels;
    s->row_offsets = image->row_offsets;
    s->spans = image->spans;
    s->alpha = image->alpha;
    s->layer = 0;
    s->frame = 0;
    s->opacity = OPACITY_FULL;
    s->clip_index = 0;
    sprite_set_window(id, 0, 0, int16_t(frame_w - 1), int16_t(frame_h - 1));
    return s;
}

Sprite* sprite_create(int id, const Image* image, const Picture& picture, int16_t cx, int16_t cy)
{
    return sprite_create(id, image, picture.cell_w, picture.cell_h, cx, cy);
}

void sprite_opacity_set(int id, int16_t opacity)
{
    if (Sprite* s = sprite_table[id])
        s->opacity = opacity;
}

void sprite_active_set(int id, uint8_t active)
{
    if (Sprite* s = sprite_table[id])
        s->active = active;
}

void sprite_frame_set(int id, int16_t frame)
{
    if (Sprite* s = sprite_table[id])
        s->frame = frame;
}

void sprite_set_window(int id, int16_t x0, int16_t y0, int16_t x1, int16_t y1)
{
    Sprite* s = sprite_table[id];
    s->window[0] = x0;
    s->window[1] = y0;
    s->window[2] = x1;
    s->window[3] = y1;
}

// Sets current_sprite, sprite_window, current_clip_index and (format 3)
// alpha_source for the blit, then draws the current frame with the plain
// blitter of its format when the Image is solid, else the span-list one.
void sprite_draw(int id)
{
    const Sprite* s = sprite_table[id];
    current_sprite = int16_t(id);
    sprite_window = ClipRect{s->window[0], s->window[1], s->window[2], s->window[3]};
    const int32_t left = s->x - (s->w >> 1);
    const int32_t top = s->y - (s->h >> 1);
    current_clip_index = s->clip_index;

    const ptrdiff_t frame_start = ptrdiff_t(s->cell_w) * s->cell_h * s->frame;
    const uint16_t* frame_rows = s->row_offsets ? s->row_offsets + ptrdiff_t(s->h) * s->frame : nullptr;

    switch (s->format) {
    case FORMAT_INDEXED8: {
        const uint8_t* pixels = static_cast<const uint8_t*>(s->pixels) + frame_start;
        if (s->solid)
            blit_indexed(pixels, s->palette, s->w, s->h, left, top, s->opacity);
        else
            blit_indexed_spans(pixels, s->palette, s->spans, frame_rows, s->w, s->h, left, top, s->opacity);
        break;
    }
    case FORMAT_RGB565: {
        const uint16_t* pixels = static_cast<const uint16_t*>(s->pixels) + frame_start;
        if (s->solid)
            blit_rgb565(pixels, s->w, s->h, left, top, s->opacity);
        else
            blit_rgb565_spans(pixels, s->spans, frame_rows, s->w, s->h, left, top, s->opacity);
        break;
    }
    case FORMAT_RGB565_ALPHA: {
        const uint16_t* pixels = static_cast<const uint16_t*>(s->pixels) + frame_start;
        alpha_source = s->alpha ? s->alpha + frame_start : nullptr;
        if (s->solid)
            blit_rgb565_alpha(pixels, s->w, s->h, left, top, s->opacity);
        else
            blit_rgb565_alpha_spans(pixels, s->spans, frame_rows, s->w, s->h, left, top, s->opacity);
        break;
    }
    default:
        break;
    }
}
