// Cutting bitmap fonts from glyph sheets: the glyph height scan, widths, the
// blank control codes and space, and each glyph's pixel and mask/alpha planes.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/font.h"
#include "gfx/pixel.h"
#include "png_maker.h"

namespace {

constexpr int CELL = 8;

// A 256 x 64 sheet of 8 x 8 cells, transparent (or magenta without alpha)
// except where inked: '!' 5 wide on rows 1..3, '0' inked at row 6 (so the
// font is 7 high), 'A' in its last column on row 0 only, control code 5, and
// the last cell.
std::vector<uint8_t> sample_sheet(bool alpha, int width = 32 * CELL, int height = 8 * CELL)
{
    const int ch = alpha ? 4 : 3;
    std::vector<uint8_t> px(size_t(width) * height * ch, 0);
    if (!alpha)
        for (size_t i = 0; i < px.size(); i += 3)
            px[i] = px[i + 2] = 255;
    auto ink = [&](int code, int col, int row, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
        const int x = (code % 32) * CELL + col, y = (code / 32) * CELL + row;
        if (x >= width || y >= height)
            return;
        uint8_t* p = &px[(size_t(y) * width + x) * ch];
        p[0] = r, p[1] = g, p[2] = b;
        if (alpha)
            p[3] = a;
    };
    for (int c = 0; c < 5; ++c)
        for (int r = 1; r <= 3; ++r)
            ink('!', c, r, 0xF8, 0, uint8_t(c * 8));
    ink('0', 2, 6, 0, 0xFC, 0);
    ink('A', 7, 0, 8, 4, 8, 100);
    ink(5, 3, 3, 255, 255, 255);
    ink(255, 1, 2, 0, 0, 0xF8);
    PngPicture pic;
    pic.width = width;
    pic.height = height;
    pic.colour_type = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    pic.rows = px;
    return png_make(pic);
}

BitmapFont* build(uint8_t font, const std::vector<uint8_t>& file)
{
    return build_font(font, file.data(), int32_t(file.size()));
}

}  // namespace

TEST(BuildFont, AlphaSheetGivesHeightWidthsOffsetsAndPlanes)
{
    BitmapFont* font = build(5, sample_sheet(true));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font_table[5], font);
    EXPECT_EQ(font_has_alpha[5], 1);
    EXPECT_EQ(font->glyph_height, 7);
    for (int code = 0; code < 32; ++code)
        EXPECT_EQ(font->glyph_widths[code], 0) << code;
    const int widths[][2] = {{'!', 5}, {' ', 5}, {'0', 3}, {'A', 8}, {'B', 0}, {255, 2}};
    for (const auto& [code, w] : widths)
        EXPECT_EQ(font->glyph_widths[code], w) << code;
    // Each glyph takes 2 x 7 x width values, in code order.
    const int offsets[][2] = {{' ', 0}, {'!', 70}, {'0', 140}, {'A', 182}, {'B', 294}, {255, 294}};
    for (const auto& [code, at] : offsets)
        EXPECT_EQ(font->glyph_offsets[code], at) << code;

    const uint16_t* bang = font->glyph_data + 70;   // 5 x 7 pixels, then 5 x 7 alpha
    for (int i = 0; i < 35; ++i) {
        const bool inked = i >= 5 && i < 20;
        EXPECT_EQ(bang[i], inked ? rgb565(0xF8, 0, uint8_t(i % 5 * 8)) : 0) << i;
        EXPECT_EQ(bang[35 + i], inked ? 32 : 0) << i;
    }
    const uint16_t* a = font->glyph_data + 182;
    EXPECT_EQ(a[7], 0x0821);
    EXPECT_EQ(a[56 + 7], (100 + 4) >> 3);
    EXPECT_EQ(font->glyph_data[140 + 6 * 3 + 2], 0x07E0);   // '0', row 6 is kept
    // The space advances like '!' but is cut from its own blank cell.
    for (int i = 0; i < 70; ++i)
        EXPECT_EQ(font->glyph_data[i], 0) << i;
}

// Without alpha the key colour is empty: the mask is 0 or 0xFFFF and the
// pixel plane keeps the key where the glyph is empty.
TEST(BuildFont, SheetWithoutAlphaGivesMasks)
{
    BitmapFont* font = build(6, sample_sheet(false));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font_has_alpha[6], 0);
    EXPECT_EQ(font->glyph_height, 7);
    EXPECT_EQ(font->glyph_widths[' '], 5);
    const uint16_t* bang = font->glyph_data + font->glyph_offsets['!'];
    EXPECT_EQ(bang[0], COLOUR_KEY);
    EXPECT_EQ(bang[35], 0);
    EXPECT_EQ(bang[9], rgb565(0xF8, 0, 32));
    EXPECT_EQ(bang[35 + 9], 0xFFFF);
}

TEST(BuildFont, BrokenSheetsChangeNothingAndOddSheetsStayInBounds)
{
    const std::vector<uint8_t> file = sample_sheet(true);
    BitmapFont* first = build(9, file);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(build(9, std::vector<uint8_t>(file.begin(), file.begin() + ptrdiff_t(file.size() / 2))), nullptr);
    EXPECT_EQ(font_table[9], first);
    EXPECT_EQ(build(FONT_COUNT, file), nullptr);

    // Rebuilding replaces (and releases) the font.
    BitmapFont* second = build(9, sample_sheet(false));
    EXPECT_EQ(font_table[9], second);
    EXPECT_EQ(font_has_alpha[9], 0);

    // 64 x 3: cells of 2 pixels, one whole row of them; '!' lies in the missing
    // second row. 16 wide: no cells at all.
    BitmapFont* small = build(10, png_make_rgba(64, 3, std::vector<uint8_t>(64 * 3 * 4, 255)));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->glyph_height, 2);
    EXPECT_EQ(small->glyph_widths[31], 0);
    EXPECT_EQ(small->glyph_widths[' '], 0);
    BitmapFont* none = build(10, png_make_rgba(16, 3, std::vector<uint8_t>(16 * 3 * 4, 255)));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->glyph_height, 0);

    // Row 0 of a cell counts for widths but is never scanned for the height:
    // ink only the top row of the second row of cells.
    std::vector<uint8_t> top(256 * 16 * 4, 0);
    for (int x = 0; x < 256; ++x)
        top[(size_t(8) * 256 + size_t(x)) * 4 + 3] = 255;
    BitmapFont* flat = build(11, png_make_rgba(256, 16, top));
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(flat->glyph_height, 0);
    EXPECT_EQ(flat->glyph_widths['!'], 8);
}
