// Bitmap fonts cut from a glyph sheet: 32 square cells a row, one per character
// code, each glyph stored as its pixels followed by a mask or alpha plane so the
// text draw can blit it without looking at the sheet again.
#include "gfx/font.h"

#include <cstdlib>

#include "gfx/image.h"
#include "gfx/pixel.h"

// Fonts by number; written by build_font, read by the text layout and draw.
BitmapFont* font_table[FONT_COUNT];
// Whether each font's second plane is alpha (1) or a mask (0); written by build_font.
uint8_t font_has_alpha[FONT_COUNT];

constexpr int FONT_GLYPHS = 256;
constexpr int SHEET_CELLS_PER_ROW = 32;
constexpr int SHEET_MAX_CELL_ROWS = FONT_GLYPHS / SHEET_CELLS_PER_ROW;
constexpr int FIRST_PRINTABLE = 32;    // codes below have no glyph
constexpr int CODE_SPACE = 32;
constexpr int CODE_EXCLAMATION = 33;
constexpr uint16_t MASK_OPAQUE = 0xFFFF;

static void font_release(BitmapFont* font)
{
    if (!font)
        return;
    std::free(font->glyph_data);
    std::free(font->glyph_offsets);
    std::free(font->glyph_widths);
    std::free(font);
}

// The sheet as decoded: pixels, and the alpha plane behind them when it has one.
struct Sheet {
    const uint16_t* pixels;
    const uint8_t* alpha;      // null: a sheet without alpha, where the key colour is empty
    int32_t width;
    int32_t height;
};

static bool sheet_empty(const Sheet& s, int32_t x, int32_t y)
{
    const size_t i = size_t(y) * size_t(s.width) + size_t(x);
    return s.alpha ? s.alpha[i] == 0 : s.pixels[i] == COLOUR_KEY;
}

// Only whole cells inside the sheet count, and no more than 256 of them, so a
// sheet of any size is read inside its bounds.
static BitmapFont* font_cut(const Sheet& s)
{
    const int32_t cell = s.width / SHEET_CELLS_PER_ROW;
    int32_t cell_rows = cell > 0 ? s.height / cell : 0;
    if (cell_rows > SHEET_MAX_CELL_ROWS)
        cell_rows = SHEET_MAX_CELL_ROWS;
    const int32_t last = cell - 1;

    BitmapFont* font = static_cast<BitmapFont*>(std::calloc(1, sizeof(BitmapFont)));
    font->glyph_offsets = static_cast<int32_t*>(std::calloc(FONT_GLYPHS, sizeof(int32_t)));
    font->glyph_widths = static_cast<uint8_t*>(std::calloc(FONT_GLYPHS, 1));

    // The lowest inked row over all cells sets the height; row 0 of a cell is
    // never examined, so a font inked only there has height 0.
    int32_t height = 0;
    for (int32_t i = last; i >= 1 && height == 0; --i)
        for (int32_t cr = 0; cr < cell_rows && height == 0; ++cr)
            for (int32_t x = 0; x < s.width; ++x)
                if (!sheet_empty(s, x, cr * cell + i)) {
                    height = i + 1;
                    break;
                }
    font->glyph_height = uint8_t(height);

    for (int32_t cr = 0; cr < cell_rows; ++cr)
        for (int32_t cc = 0; cc < SHEET_CELLS_PER_ROW; ++cc) {
            int32_t width = 0;
            for (int32_t j = last; j >= 0 && width == 0; --j)
                for (int32_t r = 0; r <= last; ++r)
                    if (!sheet_empty(s, cc * cell + j, cr * cell + r)) {
                        width = j + 1;
                        break;
                    }
            font->glyph_widths[cr * SHEET_CELLS_PER_ROW + cc] = uint8_t(width);
        }
    for (int code = 0; code < FIRST_PRINTABLE; ++code)
        font->glyph_widths[code] = 0;
    // The space is blank, but advances like an exclamation mark.
    font->glyph_widths[CODE_SPACE] = font->glyph_widths[CODE_EXCLAMATION];

    size_t total = 0;
    for (int code = 0; code < FONT_GLYPHS; ++code)
        total += size_t(2) * size_t(height) * font->glyph_widths[code];
    font->glyph_data = static_cast<uint16_t*>(std::malloc(total ? total * sizeof(uint16_t) : 1));

    // Widths never exceed the cell, so every copy stays inside its cell;
    // the space copies from its own (blank) cell.
    size_t at = 0;
    for (int code = 0; code < FONT_GLYPHS; ++code) {
        font->glyph_offsets[code] = int32_t(at);
        const int32_t w = font->glyph_widths[code];
        if (w == 0)
            continue;
        const int32_t left = (code % SHEET_CELLS_PER_ROW) * cell;
        const int32_t top = (code / SHEET_CELLS_PER_ROW) * cell;
        uint16_t* pixels = font->glyph_data + at;
        uint16_t* plane = pixels + size_t(w) * size_t(height);
        for (int32_t r = 0; r < height; ++r)
            for (int32_t c = 0; c < w; ++c) {
                const size_t from = size_t(top + r) * size_t(s.width) + size_t(left + c);
                const size_t to = size_t(r) * size_t(w) + size_t(c);
                pixels[to] = s.pixels[from];
                if (s.alpha)
                    plane[to] = s.alpha[from];
                else
                    plane[to] = sheet_empty(s, left + c, top + r) ? 0 : MASK_OPAQUE;
            }
        at += size_t(2) * size_t(w) * size_t(height);
    }
    return font;
}

// Decodes the sheet (size bytes of PNG), builds the font and replaces
// font_table[font], releasing a font built there before. A sheet that does not
// decode, or a font number beyond the table, leaves the table as it was.
BitmapFont* build_font(uint8_t font, const uint8_t* data, int32_t size)
{
    if (font >= FONT_COUNT)
        return nullptr;
    uint16_t* pixels = png_decode_rgb565(nullptr, data, size);
    if (!pixels)
        return nullptr;
    const size_t count = size_t(png_width) * size_t(png_height);
    const Sheet sheet = {pixels, png_has_alpha ? reinterpret_cast<const uint8_t*>(pixels + count) : nullptr,
                         png_width, png_height};
    BitmapFont* built = font_cut(sheet);
    std::free(pixels);

    font_release(font_table[font]);
    font_table[font] = built;
    font_has_alpha[font] = png_has_alpha ? 1 : 0;
    return built;
}
