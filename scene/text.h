// Text slots: tables of laid-out text rows drawn with bitmap fonts.
#pragma once
#include <cstdint>

struct PlacedGlyph {
    uint8_t code;
    int16_t x;                 // top-left of the glyph on screen
    int16_t y;
};

struct TextRow {
    int32_t glyph_count;       // 0 or less: empty, not drawn
    uint8_t font;
    uint16_t colour;
    uint8_t clip_index;
    uint8_t opacity;
    int16_t x0, y0, x1, y1;    // layout box, inclusive
    uint16_t capacity;         // entries allocated in glyphs
    int8_t letter_gap;
    int8_t line_gap;
    uint8_t align;             // TEXT_ALIGN_*
    PlacedGlyph* glyphs;
};

constexpr int TEXT_ROWS_PER_SLOT = 256;
constexpr int LAYOUT_BUFFER_SIZE = 2050;
enum TextAlign : uint8_t { TEXT_ALIGN_LEFT = 0, TEXT_ALIGN_RIGHT = 1, TEXT_ALIGN_CENTRE = 2, TEXT_ALIGN_JUSTIFY = 3 };

// Per slot, its table of 256 rows (allocated by text_slot_open, kept for the run).
extern TextRow* text_row_tables[16];
// The shared layout result: glyphs of the last layout and their count.
extern PlacedGlyph layout_buffer[LAYOUT_BUFFER_SIZE];
extern int32_t layout_count;

// Text style defaults the game passes to text_row_set.
extern int8_t text_line_gap;
extern int8_t text_letter_gap;
extern uint8_t text_align;
extern uint8_t text_opacity;
extern uint8_t text_clip_index;
extern uint8_t current_text_slot;

void text_slot_open(uint8_t slot);
// Lays text out in the box and stores the first max_glyphs glyphs in the row;
// returns the number kept, or 0 with nothing changed when the font is not built.
int32_t text_row_set(uint8_t slot, uint8_t entry, int16_t x0, int16_t y0, int16_t x1, int16_t y1,
                     const char* text, uint16_t colour, uint8_t font, uint8_t opacity,
                     uint8_t letter_gap, uint8_t line_gap, uint8_t align, uint8_t clip_index,
                     int32_t max_glyphs);
void text_slot_clear(uint8_t slot);
void text_slot_draw(uint8_t slot);
