// Text slots: each holds 256 rows of text laid out once, when the text is set
// (wrapping, line feeds, alignment), so that a frame only blits stored glyphs.
#include "scene/text.h"

#include <cstdlib>
#include <cstring>

#include "gfx/blit.h"
#include "gfx/font.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"

// Each slot's row table, allocated by text_slot_open and kept for the run.
TextRow* text_row_tables[SLOT_COUNT];
// Glyphs of the last layout, then one entry holding the end position; written by text_row_set.
PlacedGlyph layout_buffer[LAYOUT_BUFFER_SIZE];
// Glyphs in layout_buffer; written by text_row_set and reset by text_slot_open.
int32_t layout_count = 0;

// Style defaults the game passes to text_row_set; written by the game.
int8_t text_line_gap = 0;
int8_t text_letter_gap = 1;
uint8_t text_align = TEXT_ALIGN_LEFT;
uint8_t text_opacity = OPACITY_FULL;
// Clip rectangle for new rows; reset by text_slot_open, otherwise written by the game.
uint8_t text_clip_index = 0;
// The slot last opened by text_slot_open.
uint8_t current_text_slot = 0;

constexpr int32_t LAYOUT_MAX_GLYPHS = LAYOUT_BUFFER_SIZE - 1;   // the last entry takes the end position
constexpr int32_t EXAMINE_EXTRA = 100;                          // characters looked at beyond max_glyphs
constexpr int32_t EXAMINE_EXTRA_WRAPPING = 200;                 // ... when left-aligned or justified
constexpr int32_t GLYPH_SPARE = 16;                             // a row's array grows with this many spare
constexpr uint8_t CODE_LINE_FEED = 10;
constexpr uint8_t CODE_SPACE = 32;

struct Layout {
    const BitmapFont* font;
    int32_t x0, y0, x1, y1;
    int8_t letter_gap;
    int8_t line_gap;
    uint8_t align;
    int32_t x, y;
    int32_t count;             // glyphs placed
    int32_t line_start;        // first glyph of the current line
};

// Widths double as advances and are read as signed bytes.
static int32_t glyph_width(const BitmapFont* font, uint8_t code)
{
    return int8_t(font->glyph_widths[code]);
}

static int32_t glyph_advance(const Layout& l, uint8_t code)
{
    return uint8_t(l.letter_gap + glyph_width(l.font, code));
}

static void glyph_place(Layout& l, uint8_t code)
{
    layout_buffer[l.count++] = PlacedGlyph{code, int16_t(l.x), int16_t(l.y)};
}

static void line_shift(const Layout& l, int32_t shift)
{
    for (int32_t k = l.line_start; k < l.count; ++k)
        layout_buffer[k].x = int16_t(layout_buffer[k].x + shift);
}

// Aligns glyphs line_start..count-1, whose line ends at line_end. Justified
// lines spread the spare pixels one per gap and the rest after the spaces; a
// space with no counted space left (the line's trailing one) takes nothing, so
// what cannot be shared out stays at the end of the line.
static void line_align(const Layout& l, int32_t line_end, bool justify)
{
    const int16_t spare = int16_t(l.x1 - line_end + 1);
    switch (l.align) {
    case TEXT_ALIGN_RIGHT:
        line_shift(l, spare + 1);
        break;
    case TEXT_ALIGN_CENTRE:
        line_shift(l, (spare + 1) >> 1);
        break;
    case TEXT_ALIGN_JUSTIFY: {
        if (!justify)
            break;
        const uint8_t gaps = uint8_t(l.count - l.line_start - 1);
        int16_t left = spare;
        uint8_t step = 0;
        if (gaps < left) {
            step = 1;
            left = int16_t(left - gaps);
        }
        int32_t spaces = 0;
        for (int32_t k = l.line_start; k < l.count - 1; ++k)
            if (layout_buffer[k].code == CODE_SPACE)
                ++spaces;
        uint8_t shift = 0;
        for (int32_t k = l.line_start; k < l.count; ++k) {
            shift = uint8_t(shift + step);
            layout_buffer[k].x = int16_t(layout_buffer[k].x + shift);
            if (layout_buffer[k].code == CODE_SPACE && left != 0 && spaces > 0) {
                const int32_t t = (left + (spaces >> 1)) / spaces;
                --spaces;
                shift = uint8_t(shift + t);
                left = int16_t(left - t);
            }
        }
        break;
    }
    default:
        break;
    }
}

// Lays text out into layout_buffer (glyphs, then the end position) and sets
// layout_count. At most LAYOUT_MAX_GLYPHS glyphs are placed; the text is taken
// as ending there. A word that overflows a line is taken back to the last space
// of that line; when the line has no space the word is broken at the box edge.
static void layout_run(Layout& l, const uint8_t* text, int32_t max_glyphs)
{
    const bool wrapping = l.align == TEXT_ALIGN_LEFT || l.align == TEXT_ALIGN_JUSTIFY;
    const int64_t limit = int64_t(max_glyphs) + (wrapping ? EXAMINE_EXTRA_WRAPPING : EXAMINE_EXTRA);
    const int32_t height = l.font->glyph_height;
    const int32_t space_width = glyph_width(l.font, CODE_SPACE);

    l.x = l.x0;
    l.y = l.y0;
    l.count = 0;
    l.line_start = 0;
    int64_t i = 0;
    int32_t line_end = 0;
    bool box_full = false;

    for (;;) {
        if (i >= limit || text[i] == 0 || l.count >= LAYOUT_MAX_GLYPHS)
            break;
        uint8_t c = text[i];
        const int32_t advance = glyph_advance(l, c);
        bool justify = true;

        if (c == CODE_LINE_FEED) {
            glyph_place(l, c);
            line_end = l.x - (i > 0 && text[i - 1] == CODE_SPACE ? space_width : 0);
            justify = false;
        } else if (c == CODE_SPACE || l.x + advance <= l.x1) {
            // A space is always placed, even past the edge: it ends the line's last word.
            glyph_place(l, c);
            l.x += advance;
            ++i;
            continue;
        } else if (i > 0 && text[i - 1] == CODE_SPACE) {
            // The word is complete; the space before it is the line's last glyph.
            line_end = l.x - 1 - space_width;
        } else {
            int32_t k = l.count - 1;
            while (k >= l.line_start && layout_buffer[k].code != CODE_SPACE)
                --k;
            if (k >= l.line_start) {
                // Take the partial word back, so that it starts the next line whole.
                while (l.count > k + 1) {
                    --l.count;
                    --i;
                    l.x -= glyph_advance(l, layout_buffer[l.count].code);
                }
                c = text[i];
                line_end = l.x - 1 - space_width;
            } else {
                line_end = l.x;
            }
        }

        if (l.y + 2 * height > l.y1) {
            box_full = true;
            break;
        }
        line_align(l, line_end, justify);
        l.y += height + l.line_gap;
        l.x = l.x0;
        l.line_start = l.count;
        // The line feed or character that ended the line moves down only if it is visible.
        if (c > CODE_SPACE) {
            if (l.count >= LAYOUT_MAX_GLYPHS)
                break;
            glyph_place(l, c);
            l.x += glyph_advance(l, c);
        }
        ++i;
    }

    if (!box_full)
        line_end = l.x - (i > 0 && text[i - 1] == CODE_SPACE ? space_width : 0);
    line_align(l, line_end, l.y + 2 * height > l.y1);
    layout_buffer[l.count] = PlacedGlyph{0, int16_t(l.x), int16_t(l.y)};
    layout_count = l.count;
}

void text_slot_open(uint8_t slot)
{
    text_slot_draw_hook = text_slot_draw;
    text_slot_clear_hook = text_slot_clear;
    if (!text_row_tables[slot])
        text_row_tables[slot] = static_cast<TextRow*>(std::calloc(TEXT_ROWS_PER_SLOT, sizeof(TextRow)));
    slot_free(slot);

    SurfaceSlot& s = surface_slots[slot];
    s.layer = int16_t(slot);
    s.x = 0;
    s.y = 0;
    s.solid = 0;
    s.opacity = OPACITY_FULL;
    s.in_use = 1;
    s.kind = SLOT_TEXT_ROW;

    layout_count = 0;
    text_clip_index = 0;
    current_text_slot = slot;
}

// Reads font_table; writes the row, layout_buffer and layout_count. A slot
// that was never opened is treated like an unbuilt font.
int32_t text_row_set(uint8_t slot, uint8_t entry, int16_t x0, int16_t y0, int16_t x1, int16_t y1,
                     const char* text, uint16_t colour, uint8_t font, uint8_t opacity,
                     uint8_t letter_gap, uint8_t line_gap, uint8_t align, uint8_t clip_index,
                     int32_t max_glyphs)
{
    if (font >= FONT_COUNT || !font_table[font] || slot >= SLOT_COUNT || !text_row_tables[slot])
        return 0;
    TextRow& row = text_row_tables[slot][entry];
    row.font = font;
    row.colour = colour;
    row.letter_gap = int8_t(letter_gap);
    row.line_gap = int8_t(line_gap);
    row.align = align;
    row.opacity = opacity;
    row.clip_index = clip_index;

    Layout l = {};
    l.font = font_table[font];
    l.x0 = x0;
    l.y0 = y0;
    l.x1 = x1;
    l.y1 = y1;
    l.letter_gap = row.letter_gap;
    l.line_gap = row.line_gap;
    l.align = align;
    static const uint8_t NO_TEXT[1] = {0};
    layout_run(l, text ? reinterpret_cast<const uint8_t*>(text) : NO_TEXT, max_glyphs);

    int32_t n = layout_count < max_glyphs ? layout_count : max_glyphs;
    if (n < 0)
        n = 0;
    if (!row.glyphs || row.capacity < n) {
        std::free(row.glyphs);
        row.capacity = uint16_t(n + GLYPH_SPARE);
        row.glyphs = static_cast<PlacedGlyph*>(std::malloc((size_t(row.capacity) + 1) * sizeof(PlacedGlyph)));
    }
    row.x0 = x0;
    row.y0 = y0;
    row.x1 = x1;
    row.y1 = y1;
    std::memcpy(row.glyphs, layout_buffer, size_t(n) * sizeof(PlacedGlyph));
    row.glyph_count = n;
    return n;
}

void text_slot_clear(uint8_t slot)
{
    TextRow* table = text_row_tables[slot];
    if (!table)
        return;
    for (int e = 0; e < TEXT_ROWS_PER_SLOT; ++e) {
        table[e].glyph_count = 0;
        std::free(table[e].glyphs);
        table[e].glyphs = nullptr;
        table[e].capacity = 0;
    }
}

// Rows in order, later ones on top; each glyph through the blitter matching its
// font's second plane. The slot's own position and clip index play no part.
void text_slot_draw(uint8_t slot)
{
    const TextRow* table = text_row_tables[slot];
    if (!table)
        return;
    for (int e = 0; e < TEXT_ROWS_PER_SLOT; ++e) {
        const TextRow& row = table[e];
        current_sprite = -1;
        current_clip_index = row.clip_index;
        if (row.glyph_count <= 0 || row.opacity == 0)
            continue;
        const BitmapFont* font = row.font < FONT_COUNT ? font_table[row.font] : nullptr;
        if (!font)
            continue;
        const bool alpha = font_has_alpha[row.font] != 0;
        const int32_t height = font->glyph_height;
        for (int32_t g = 0; g < row.glyph_count; ++g) {
            const PlacedGlyph& p = row.glyphs[g];
            const int32_t width = glyph_width(font, p.code);
            if (width <= 0 || height <= 0)
                continue;
            const uint16_t* pixels = font->glyph_data + font->glyph_offsets[p.code];
            if (alpha)
                blit_glyph_alpha(pixels, 1, width, height, p.x, p.y, row.opacity);
            else
                blit_glyph_masked(pixels, 1, width, height, p.x, p.y, row.opacity);
        }
    }
}
