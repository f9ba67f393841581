// Clipping and the blitters that put every picture into the back buffer.
#pragma once
#include <cstdint>

struct ClipRect {
    int16_t x0, y0, x1, y1;    // inclusive screen coordinates
};

constexpr int CLIP_RECT_COUNT = 16;

// Clip rectangles as the game asked for them (set_clip_rect) and as cut to the
// frame's screen rectangle by the compositor; the blitters read clip_rects only.
extern ClipRect requested_clip_rects[CLIP_RECT_COUNT];
extern ClipRect clip_rects[CLIP_RECT_COUNT];

// Which clip rectangle the next blit uses; set by slot_draw, sprite_draw and the text draw.
extern uint8_t current_clip_index;
// The sprite being drawn, or -1; while it is not -1, clip_blit also applies sprite_window.
extern int16_t current_sprite;
// Source window of current_sprite (inclusive, in the frame's own pixels); set by sprite_draw.
extern ClipRect sprite_window;
// Alpha plane (0..32 per pixel) read by the format-3 blitters; set by slot_draw and sprite_draw.
extern const uint8_t* alpha_source;

// The visible part of the picture after clip_blit: columns [col_start, col_end),
// rows [row_start, row_end) of the picture.
extern int16_t col_start, col_end, row_start, row_end;

void clip_blit(int32_t x, int32_t y, int32_t w, int32_t h);

// Span lists (skip/run bytes, or skip/blend/copy triplets for format 3) and
// one u16 offset per row; see gfx/image.h for how they are built.
void blit_indexed(const uint8_t* pixels, const uint16_t* palette, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
void blit_indexed_spans(const uint8_t* pixels, const uint16_t* palette, const uint8_t* spans, const uint16_t* row_offsets,
                        int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
void blit_rgb565(const uint16_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
void blit_rgb565_keyed(const uint16_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
void blit_rgb565_spans(const uint16_t* pixels, const uint8_t* spans, const uint16_t* row_offsets,
                       int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
void blit_rgb565_alpha(const uint16_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
void blit_rgb565_alpha_spans(const uint16_t* pixels, const uint8_t* spans, const uint16_t* row_offsets,
                             int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
// Glyphs: w x h pixels followed by a second plane of w x h 16-bit masks (or alpha 0..32).
void blit_glyph_masked(const uint16_t* pixels, int32_t ignored, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
void blit_glyph_alpha(const uint16_t* pixels, int32_t ignored, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity);
