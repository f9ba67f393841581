// The sprite table: every movable picture, placed by its centre, drawn from one
// frame cell of an Image.
#pragma once
#include <cstdint>

#include "assets/catalogue.h"

struct Image;

constexpr int SPRITE_TABLE_SIZE = 4096;

struct Sprite {
    uint8_t active;            // non-zero: shown
    const void* pixels;        // the Image's pixels, all frames stacked
    int16_t x;                 // centre
    int16_t y;
    int16_t cell_w;            // size of one frame cell
    int16_t cell_h;
    int16_t w;                 // drawn size: centre offset, blit size, hit box
    int16_t h;
    uint8_t format;            // PixelFormat; others draw nothing
    uint8_t solid;             // plain blitters when non-zero, span-list blitters otherwise
    const uint16_t* palette;
    int16_t layer;             // 0..1023, larger is further back
    int16_t frame;
    int16_t opacity;           // 0..32
    const uint16_t* row_offsets;
    const uint8_t* spans;
    const uint8_t* alpha;
    uint8_t clip_index;
    int16_t window[4];         // source window x0, y0, x1, y1, inclusive, in the frame cell
};

// Records by SpriteId, null until first created; records are reused in place.
extern Sprite* sprite_table[SPRITE_TABLE_SIZE];
// Smallest and largest id ever created (4096 and -1 before any); they only widen.
extern int32_t lowest_sprite_id;
extern int32_t highest_sprite_id;

// Releases every record and nulls the table; the id range is left as it is.
void sprite_table_clear();
// Creates (or re-creates in place) sprite id showing frame 0 of image at (cx, cy).
Sprite* sprite_create(int id, const Image* image, int16_t frame_w, int16_t frame_h, int16_t cx, int16_t cy);
// The same with the frame cell of a catalogued picture.
Sprite* sprite_create(int id, const Image* image, const Picture& picture, int16_t cx, int16_t cy);
// Direct field writes on sprites that may never have been created: a missing
// id is left alone.
void sprite_opacity_set(int id, int16_t opacity);
void sprite_active_set(int id, uint8_t active);
void sprite_frame_set(int id, int16_t frame);
void sprite_set_window(int id, int16_t x0, int16_t y0, int16_t x1, int16_t y1);
// Draws the sprite's current frame into the back buffer. Compositor only.
void sprite_draw(int id);
