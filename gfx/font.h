// Bitmap fonts cut from a glyph sheet picture.
#pragma once
#include <cstdint>

struct BitmapFont {
    uint16_t* glyph_data;      // per glyph: width x height pixels, then a mask (0/0xFFFF) or alpha (0..32) plane
    int32_t* glyph_offsets;    // 256 starts in glyph_data, in 16-bit units
    uint8_t* glyph_widths;     // 256 widths (also the advance); 0 = no glyph
    uint8_t glyph_height;      // height of every glyph, also the line height
};

constexpr int FONT_COUNT = 16;

// Built fonts by number (the game builds font 5); written by build_font.
extern BitmapFont* font_table[FONT_COUNT];
// 1 when font n's second plane holds alpha, 0 when it holds masks.
extern uint8_t font_has_alpha[FONT_COUNT];

// Decodes the PNG glyph sheet (size bytes, 32 cells a row) into font_table[font],
// replacing (and releasing) a font built there before. Returns the font, or
// null with the table unchanged when the sheet does not decode or font >= 16.
BitmapFont* build_font(uint8_t font, const uint8_t* data, int32_t size);
