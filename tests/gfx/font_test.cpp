// Cutting bitmap fonts from glyph sheets: the glyph height scan, widths, the
// blank control codes and space, and the pixel and mask/alpha planes of each glyph.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "png_maker.h"

namespace {

constexpr int CELL = 8;
constexpr int SHEET_W = 32 * CELL;
constexpr int SHEET_H = 8 * CELL;

// A sheet of 8 x 8 cells, transparent (or magenta, without alpha) except where inked.
struct Sheet {
    bool alpha;
    std::vector<uint8_t> bytes;

    explicit Sheet(bool with_alpha) : alpha(with_alpha)
    {
        const int channels = alpha ? 4 : 3;
        bytes.assign(size_t(SHEET_W) * SHEET_H * channels, 0);
        if (!alpha)
            for (size_t i = 0; i < bytes.size(); i += 3) {
                bytes[i] = 255;
                bytes[i + 2] = 255;
            }
    }

    // Ink pixel (col, row) of the cell holding code.
    void ink(int code, int col, int row, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
    {
        const int x = (code % 32) * CELL + col;
        const int y = (code / 32) * CELL + row;
        const int channels = alpha ? 4 : 3;
        uint8_t* p = bytes.data() + (size_t(y) * SHEET_W + x) * channels;
        p[0] = r;
        p[1] = g;
        p[2] = b;
        if (alpha)
            p[3] = a;
    }

    std::vector<uint8_t> png() const
    {
        PngPicture pic;
        pic.width = SHEET_W;
        pic.height = SHEET_H;
        pic.colour_type = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
        pic.rows = bytes;
        return png_make(pic);
    }
};

const uint16_t* glyph(const BitmapFont* font, int code)
{
    return font->glyph_data + font->glyph_offsets[code];
}

// The sample sheet: '!' 5 wide, '0' inked down to row 6 (so the font is 7
// high), 'A' inked in its last column on row 0 only, a control code and the
// very last cell.
Sheet sample_sheet(bool alpha)
{
    Sheet s(alpha);
    for (int c = 0; c < 5; ++c)
        for (int r = 1; r <= 3; ++r)
            s.ink('!', c, r, 0xF8, 0x00, uint8_t(c * 8));
    s.ink('0', 2, 6, 0x00, 0xFC, 0x00);
    s.ink('A', 7, 0, 0x08, 0x04, 0x08, 100);
    s.ink(5, 3, 3, 0xFF, 0xFF, 0xFF);
    s.ink(255, 1, 2, 0x00, 0x00, 0xF8);
    return s;
}

}  // namespace

TEST(BuildFont, HeightWidthsAndOffsetsFromAnAlphaSheet)
{
    const std::vector<uint8_t> file = sample_sheet(true).png();
    BitmapFont* font = build_font(5, file.data(), int32_t(file.size()));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font_table[5], font);
    EXPECT_EQ(font_has_alpha[5], 1);
    EXPECT_EQ(font->glyph_height, 7);

    for (int code = 0; code < 32; ++code)
        EXPECT_EQ(font->glyph_widths[code], 0) << code;
    EXPECT_EQ(font->glyph_widths['!'], 5);
    EXPECT_EQ(font->glyph_widths[' '], 5);
    EXPECT_EQ(font->glyph_widths['0'], 3);
    EXPECT_EQ(font->glyph_widths['A'], 8);
    EXPECT_EQ(font->glyph_widths[255], 2);
    EXPECT_EQ(font->glyph_widths['B'], 0);

    // Each glyph takes 2 x 7 x width values, in code order.
    EXPECT_EQ(font->glyph_offsets[0], 0);
    EXPECT_EQ(font->glyph_offsets[' '], 0);
    EXPECT_EQ(font->glyph_offsets['!'], 70);
    EXPECT_EQ(font->glyph_offsets['"'], 140);
    EXPECT_EQ(font->glyph_offsets['0'], 140);
    EXPECT_EQ(font->glyph_offsets['A'], 182);
    EXPECT_EQ(font->glyph_offsets['B'], 294);
    EXPECT_EQ(font->glyph_offsets[255], 294);
}

TEST(BuildFont, GlyphPlanesHoldPixelsThenAlpha)
{
    const std::vector<uint8_t> file = sample_sheet(true).png();
    BitmapFont* font = build_font(3, file.data(), int32_t(file.size()));
    ASSERT_NE(font, nullptr);

    const uint16_t* bang = glyph(font, '!');   // 5 x 7, then 5 x 7 alpha
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 5; ++c) {
            const bool inked = r >= 1 && r <= 3;
            EXPECT_EQ(bang[r * 5 + c], inked ? rgb565(0xF8, 0, uint8_t(c * 8)) : 0) << r << "," << c;
            EXPECT_EQ(bang[35 + r * 5 + c], inked ? 32 : 0) << r << "," << c;
        }

    const uint16_t* a = glyph(font, 'A');      // 8 x 7
    EXPECT_EQ(a[7], 0x0821);
    EXPECT_EQ(a[56 + 7], (100 + 4) >> 3);
    EXPECT_EQ(a[56 + 6], 0);

    const uint16_t* zero = glyph(font, '0');   // 3 x 7; row 6 is the last row kept
    EXPECT_EQ(zero[6 * 3 + 2], 0x07E0);
    EXPECT_EQ(zero[21 + 6 * 3 + 2], 32);

    // The space advances like '!' but its pixels come from its own blank cell.
    const uint16_t* space = glyph(font, ' ');
    for (int i = 0; i < 70; ++i)
        EXPECT_EQ(space[i], 0) << i;

    const uint16_t* last = glyph(font, 255);
    EXPECT_EQ(last[2 * 2 + 1], 0x001F);
    EXPECT_EQ(last[14 + 2 * 2 + 1], 32);
}

// Without alpha the key colour is empty; the mask is 0 or 0xFFFF and the
// pixel plane keeps the key where the glyph is empty.
TEST(BuildFont, SheetWithoutAlphaGivesMasks)
{
    const std::vector<uint8_t> file = sample_sheet(false).png();
    BitmapFont* font = build_font(6, file.data(), int32_t(file.size()));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font_has_alpha[6], 0);
    EXPECT_EQ(font->glyph_height, 7);
    EXPECT_EQ(font->glyph_widths['!'], 5);
    EXPECT_EQ(font->glyph_widths[' '], 5);
    EXPECT_EQ(font->glyph_widths['A'], 8);

    const uint16_t* bang = glyph(font, '!');
    EXPECT_EQ(bang[0], COLOUR_KEY);
    EXPECT_EQ(bang[35], 0);
    EXPECT_EQ(bang[5 + 4], rgb565(0xF8, 0, 32));
    EXPECT_EQ(bang[35 + 5 + 4], 0xFFFF);
}

// Row 0 of a cell is never examined for the height, though it counts for widths.
TEST(BuildFont, InkOnlyOnTheTopRowGivesHeightZero)
{
    Sheet s(true);
    s.ink('!', 3, 0, 255, 255, 255);
    const std::vector<uint8_t> file = s.png();
    BitmapFont* font = build_font(7, file.data(), int32_t(file.size()));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->glyph_height, 0);
    EXPECT_EQ(font->glyph_widths['!'], 4);
    EXPECT_EQ(font->glyph_widths[' '], 4);
    EXPECT_EQ(font->glyph_offsets[255], 0);
}

TEST(BuildFont, RebuildReplacesAndBrokenSheetsChangeNothing)
{
    const std::vector<uint8_t> file = sample_sheet(true).png();
    BitmapFont* first = build_font(9, file.data(), int32_t(file.size()));
    ASSERT_NE(first, nullptr);

    std::vector<uint8_t> broken(file.begin(), file.begin() + ptrdiff_t(file.size() / 2));
    EXPECT_EQ(build_font(9, broken.data(), int32_t(broken.size())), nullptr);
    EXPECT_EQ(font_table[9], first);
    EXPECT_EQ(font_has_alpha[9], 1);

    const std::vector<uint8_t> masked = sample_sheet(false).png();
    BitmapFont* second = build_font(9, masked.data(), int32_t(masked.size()));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(font_table[9], second);
    EXPECT_EQ(font_has_alpha[9], 0);

    EXPECT_EQ(build_font(FONT_COUNT, file.data(), int32_t(file.size())), nullptr);
}

// Sheets of odd sizes are cut only into whole cells inside them.
TEST(BuildFont, SmallAndRaggedSheetsStayInBounds)
{
    const std::vector<uint8_t> tiny = png_make_rgba(16, 3, std::vector<uint8_t>(16 * 3 * 4, 255));
    BitmapFont* font = build_font(10, tiny.data(), int32_t(tiny.size()));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->glyph_height, 0);
    for (int code = 0; code < 256; ++code)
        ASSERT_EQ(font->glyph_widths[code], 0) << code;

    // 64 wide (2-pixel cells) and 3 high: one whole row of cells.
    const std::vector<uint8_t> ragged = png_make_rgba(64, 3, std::vector<uint8_t>(64 * 3 * 4, 255));
    font = build_font(10, ragged.data(), int32_t(ragged.size()));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->glyph_height, 2);
    EXPECT_EQ(font->glyph_widths[31], 0);
    EXPECT_EQ(font->glyph_widths[32], 0);   // like '!', which lies in the missing second row
    EXPECT_EQ(font->glyph_widths[33], 0);
}
