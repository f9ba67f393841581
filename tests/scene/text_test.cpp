// Text rows: the layout (wrapping, taking back a partial word, line feeds,
// alignment, justification, the examination and glyph limits), the row table's
// upkeep, and drawing the stored glyphs through the glyph blitters.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "gfx/blit.h"
#include "gfx/font.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/compose.h"
#include "scene/sprite.h"
#include "scene/text.h"

namespace {

constexpr uint8_t FONT = 5, MASK_FONT = 6, FLAT_FONT = 7;
constexpr uint8_t SLOT = 5;
constexpr int HEIGHT = 8;
constexpr uint16_t BG = 0x39E7;

// A hand-made font: '1' 5 wide, '2' 6, letters and '!' 4, the space as wide
// as '!', control codes empty. Glyph pixel (r, c) has its own colour; the
// second plane is 0 on row 0, then half alpha on column 0 and full elsewhere
// (alpha font) or 0xFFFF (mask font).
struct HandFont {
    BitmapFont font = {};
    std::vector<uint16_t> data;
    int32_t offsets[256] = {};
    uint8_t widths[256] = {};

    static uint16_t pixel(int code, int r, int c) { return uint16_t(code * 0x0841 + r * 0x20 + c); }
    static uint16_t alpha(int r, int c) { return r == 0 ? 0 : (c == 0 ? 16 : 32); }

    HandFont(bool with_alpha, int height)
    {
        std::fill(widths + 'a', widths + 'z' + 1, 4);
        widths['!'] = widths[' '] = 4;
        widths['1'] = 5;
        widths['2'] = 6;
        for (int code = 0; code < 256; ++code) {
            offsets[code] = int32_t(data.size());
            for (int plane = 0; plane < 2; ++plane)
                for (int r = 0; r < height; ++r)
                    for (int c = 0; c < widths[code]; ++c)
                        data.push_back(plane == 0 ? pixel(code, r, c) : with_alpha ? alpha(r, c) : r ? 0xFFFF : 0);
        }
        data.push_back(0);
        font = BitmapFont{data.data(), offsets, widths, uint8_t(height)};
    }
};

struct Placed {
    char code;
    int x, y;
    bool operator==(const Placed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Placed& p)
{
    return os << "'" << (p.code == '\n' ? '|' : p.code) << "'@" << p.x << "," << p.y;
}

class TextRows : public ::testing::Test {
protected:
    void SetUp() override
    {
        static HandFont alpha(true, HEIGHT), mask(false, HEIGHT), flat(true, 0);
        font_table[FONT] = &alpha.font;
        font_table[MASK_FONT] = &mask.font;
        font_table[FLAT_FONT] = &flat.font;
        font_has_alpha[FONT] = font_has_alpha[FLAT_FONT] = 1;
        font_has_alpha[MASK_FONT] = 0;
        text_slot_open(SLOT);
        clip_rects[0] = ClipRect{0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};
        std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, BG);
    }

    void TearDown() override
    {
        slot_free(SLOT);
        font_table[FONT] = font_table[MASK_FONT] = font_table[FLAT_FONT] = nullptr;
    }

    static std::vector<Placed> row_glyphs(uint8_t entry)
    {
        const TextRow& row = text_row_tables[SLOT][entry];
        std::vector<Placed> out;
        for (int i = 0; i < row.glyph_count; ++i)
            out.push_back({char(row.glyphs[i].code), row.glyphs[i].x, row.glyphs[i].y});
        return out;
    }

    // Where the glyph pixel (r, c) of code lands after drawing at (x, y) over want.
    static void draw_expected(std::vector<uint16_t>& want, int code, int x, int y, int opacity, bool alpha)
    {
        const int w = code == '1' ? 5 : (code == '2' ? 6 : 4);
        for (int r = 1; r < HEIGHT; ++r)
            for (int c = 0; c < w; ++c) {
                uint16_t& p = want[size_t(y + r) * SCREEN_WIDTH + size_t(x + c)];
                const int weight = alpha ? (opacity * HandFont::alpha(r, c)) >> 5 : opacity;
                p = weight == 32 ? HandFont::pixel(code, r, c) : blend565(p, HandFont::pixel(code, r, c), weight);
            }
    }

    static void expect_frame(const std::vector<uint16_t>& want)
    {
        for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
            ASSERT_EQ(back_buffer[i], want[size_t(i)]) << "x " << i % SCREEN_WIDTH << " y " << i / SCREEN_WIDTH;
    }
};

struct LayoutCase {
    const char* what;
    const char* text;
    int x1, y1;                // box from (0, 0)
    uint8_t align;
    int32_t max_glyphs;
    std::vector<Placed> want;
};

}  // namespace

// Advances are width + 1. Where a case needs it, its arithmetic is spelled out.
TEST_F(TextRows, LayoutCases)
{
    const LayoutCase cases[] = {
        {"centred: e = 13, shift (241 - e) >> 1", "12", 239, 320, TEXT_ALIGN_CENTRE, 100, {{'1', 114, 0}, {'2', 120, 0}}},
        {"right: shift 241 - e", "12", 239, 320, TEXT_ALIGN_RIGHT, 100, {{'1', 228, 0}, {'2', 234, 0}}},
        {"justified lone line that does not fill its box", "1 2", 239, 100, TEXT_ALIGN_JUSTIFY, 100,
         {{'1', 0, 0}, {' ', 6, 0}, {'2', 11, 0}}},
        {"wrap keeps the space on line 1", "ab cd", 14, 100, TEXT_ALIGN_LEFT, 100,
         {{'a', 0, 0}, {'b', 5, 0}, {' ', 10, 0}, {'c', 0, 8}, {'d', 5, 8}}},
        {"'c' fits, 'd' does not: 'c' is taken back; lines end at 10 and 15, centred by 6 and 3", "ab cde", 20, 100,
         TEXT_ALIGN_CENTRE, 100, {{'a', 6, 0}, {'b', 11, 0}, {' ', 16, 0}, {'c', 3, 8}, {'d', 8, 8}, {'e', 13, 8}}},
        {"justified: line ends at 15, 2 spare, 3 gaps: both pixels after the inner space", "a b cd", 16, 100,
         TEXT_ALIGN_JUSTIFY, 100, {{'a', 0, 0}, {' ', 5, 0}, {'b', 12, 0}, {' ', 17, 0}, {'c', 0, 8}, {'d', 5, 8}}},
        {"justified: 16 spare, 5 gaps step by one, 11 left for 2 spaces: 6 then 5", "a b c dddddddd", 40, 100,
         TEXT_ALIGN_JUSTIFY, 6, {{'a', 1, 0}, {' ', 7, 0}, {'b', 19, 0}, {' ', 25, 0}, {'c', 36, 0}, {' ', 42, 0}}},
        {"a line feed is placed and ends its line unjustified", "ab\ncd", 239, 100, TEXT_ALIGN_JUSTIFY, 100,
         {{'a', 0, 0}, {'b', 5, 0}, {'\n', 10, 0}, {'c', 0, 8}, {'d', 5, 8}}},
        {"full box: 'cd' dropped, the last line justified (5 spare, 2 gaps), its trailing space gets nothing",
         "ab cd", 14, 15, TEXT_ALIGN_JUSTIFY, 100, {{'a', 1, 0}, {'b', 7, 0}, {' ', 13, 0}}},
        {"full box after a line feed: justified too", "a b\ncd", 20, 15, TEXT_ALIGN_JUSTIFY, 100,
         {{'a', 1, 0}, {' ', 7, 0}, {'b', 16, 0}, {'\n', 22, 0}}},
        {"max_glyphs keeps the head of \"12121\" (e = 32) laid out as if whole", "12121", 239, 100, TEXT_ALIGN_CENTRE, 3,
         {{'1', 104, 0}, {'2', 110, 0}, {'1', 117, 0}}},
        {"no space anywhere before: broken at the box edge", "abcdefg", 15, 100, TEXT_ALIGN_LEFT, 100,
         {{'a', 0, 0}, {'b', 5, 0}, {'c', 10, 0}, {'d', 0, 8}, {'e', 5, 8}, {'f', 10, 8}, {'g', 0, 16}}},
        {"a word longer than a line after a space: taken back once, then broken", "a bcdefg", 15, 100,
         TEXT_ALIGN_LEFT, 100,
         {{'a', 0, 0}, {' ', 5, 0}, {'b', 0, 8}, {'c', 5, 8}, {'d', 10, 8}, {'e', 0, 16}, {'f', 5, 16}, {'g', 10, 16}}},
        {"empty text", "", 239, 100, TEXT_ALIGN_CENTRE, 100, {}},
        {"negative max_glyphs keeps nothing", "ab", 239, 100, TEXT_ALIGN_LEFT, -3, {}},
    };
    for (const LayoutCase& c : cases) {
        const int32_t n = text_row_set(SLOT, 1, 0, 0, int16_t(c.x1), int16_t(c.y1), c.text, 0, FONT, 32, 1, 0, c.align,
                                       0, c.max_glyphs);
        EXPECT_EQ(n, int32_t(c.want.size())) << c.what;
        EXPECT_EQ(row_glyphs(1), c.want) << c.what;
    }
}

TEST_F(TextRows, EndPositionExaminationLimitAndGlyphLimit)
{
    // The end position is where the layout left off, before alignment.
    text_row_set(SLOT, 1, 0, 303, 239, 320, "12", 0, FONT, 32, 1, 0, TEXT_ALIGN_CENTRE, 0, 100);
    EXPECT_EQ(layout_count, 2);
    EXPECT_EQ(layout_buffer[2].x, 13);
    EXPECT_EQ(layout_buffer[2].y, 303);

    // Centred text examines max_glyphs + 100 characters: 102 ones end at 612,
    // shifting by (389 + 1) >> 1. Left-aligned text examines 200 more.
    const std::string ones(150, '1');
    text_row_set(SLOT, 1, 0, 0, 1000, 100, ones.c_str(), 0, FONT, 32, 1, 0, TEXT_ALIGN_CENTRE, 0, 2);
    EXPECT_EQ(layout_count, 102);
    EXPECT_EQ(row_glyphs(1), (std::vector<Placed>{{'1', 195, 0}, {'1', 201, 0}}));
    text_row_set(SLOT, 1, 0, 0, 1000, 100, ones.c_str(), 0, FONT, 32, 1, 0, TEXT_ALIGN_LEFT, 0, 2);
    EXPECT_EQ(layout_count, 150);

    // 47 glyphs a line; the layout stops at 2049, the 28th glyph of line 43.
    const std::string many(5000, 'a');
    EXPECT_EQ(text_row_set(SLOT, 1, 0, 0, 239, 32000, many.c_str(), 0, FONT, 32, 1, 0, TEXT_ALIGN_LEFT, 0, 0x1000000),
              LAYOUT_BUFFER_SIZE - 1);
    EXPECT_EQ(layout_buffer[LAYOUT_BUFFER_SIZE - 1].x, 28 * 5);
    EXPECT_EQ(layout_buffer[LAYOUT_BUFFER_SIZE - 1].y, 43 * HEIGHT);
}

// Any text in any box: no crash, no write past the buffer, no endless loop.
TEST_F(TextRows, ArbitraryTextsAndBoxesStayInBounds)
{
    std::mt19937 rng(1234);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const char alphabet[] = {'a', 'b', ' ', ' ', '\n', '1', '2', '!', '\t', '\x01', '\xC8', '\xFF'};
    for (int round = 0; round < 1500; ++round) {
        std::string text(size_t(pick(0, round % 50 == 0 ? 4000 : 60)), 'a');
        for (char& ch : text)
            ch = alphabet[pick(0, int(sizeof alphabet) - 1)];
        const int16_t x0 = int16_t(pick(-300, 300)), y0 = int16_t(pick(-300, 300));
        const int32_t max_glyphs = pick(-5, 3000);
        const int32_t n = text_row_set(SLOT, uint8_t(pick(0, 255)), x0, y0, int16_t(x0 + pick(-20, 400)),
                                       int16_t(y0 + pick(-20, 2000)), text.c_str(), 0, pick(0, 2) ? FONT : FLAT_FONT,
                                       32, uint8_t(pick(0, 255)), uint8_t(pick(0, 255)), uint8_t(pick(0, 4)), 0,
                                       max_glyphs);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, std::min(LAYOUT_BUFFER_SIZE - 1, std::max(max_glyphs, 0)));
        ASSERT_LE(layout_count, LAYOUT_BUFFER_SIZE - 1);
    }
    slot_draw(SLOT);
}

TEST_F(TextRows, RowUpkeep)
{
    // The entry keeps its box and style even when the text is empty.
    EXPECT_EQ(text_row_set(SLOT, 3, 10, 20, 100, 200, "", 0x1234, FONT, 32, 1, 2, 2, 0, 100), 0);
    const TextRow& empty = text_row_tables[SLOT][3];
    EXPECT_EQ(empty.glyph_count, 0);
    EXPECT_EQ(empty.x1, 100);
    EXPECT_EQ(empty.y0, 20);
    EXPECT_EQ(empty.colour, 0x1234);
    EXPECT_EQ(empty.line_gap, 2);

    // The array grows, with 16 spare, only when the text outgrows it.
    const TextRow& row = text_row_tables[SLOT][1];
    text_row_set(SLOT, 1, 0, 0, 239, 100, "ab", 0, FONT, 32, 1, 0, 0, 0, 100);
    EXPECT_EQ(row.capacity, 18);
    const PlacedGlyph* first = row.glyphs;
    text_row_set(SLOT, 1, 0, 0, 239, 100, "abcdefghijklmnopqr", 0, FONT, 32, 1, 0, 0, 0, 100);
    EXPECT_EQ(row.glyphs, first);
    text_row_set(SLOT, 1, 0, 0, 239, 100, "abcdefghijklmnopqrs", 0, FONT, 32, 1, 0, 0, 0, 100);
    EXPECT_EQ(row.capacity, 35);

    // A font that is not built changes nothing.
    EXPECT_EQ(text_row_set(SLOT, 1, 5, 5, 50, 50, "ab", 0, 11, 32, 1, 0, 0, 0, 100), 0);
    EXPECT_EQ(text_row_set(SLOT, 1, 5, 5, 50, 50, "ab", 0, FONT_COUNT, 32, 1, 0, 0, 0, 100), 0);
    EXPECT_EQ(row.glyph_count, 19);
    EXPECT_EQ(row.x0, 0);

    // Opening again empties the table and sets the slot up afresh.
    surface_slots[SLOT].layer = 700;
    text_clip_index = 4;
    text_slot_open(SLOT);
    EXPECT_EQ(row.glyph_count, 0);
    EXPECT_EQ(row.glyphs, nullptr);
    EXPECT_EQ(row.capacity, 0);
    const SurfaceSlot& s = surface_slots[SLOT];
    EXPECT_EQ(s.in_use, 1);
    EXPECT_EQ(s.kind, SLOT_TEXT_ROW);
    EXPECT_EQ(s.layer, SLOT);
    EXPECT_EQ(s.opacity, 32);
    EXPECT_EQ(text_clip_index, 0);
    EXPECT_EQ(current_text_slot, SLOT);

    // slot_free reaches the rows through the hook.
    text_row_set(SLOT, 1, 0, 0, 239, 100, "ab", 0, FONT, 32, 1, 0, 0, 0, 100);
    slot_free(SLOT);
    EXPECT_EQ(row.glyphs, nullptr);
}

// Opacity 32 and 16 through the alpha blitter, 0 skipped; masks at 32 and 16;
// the row's clip rectangle cuts the last glyph.
TEST_F(TextRows, DrawsEveryRowThroughItsBlitter)
{
    clip_rects[1] = ClipRect{0, 0, 102, 319};
    text_row_set(SLOT, 0, 0, 10, 239, 100, "12", 0, FONT, 32, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 1, 50, 40, 239, 100, "a", 0, FONT, 16, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 2, 100, 40, 239, 100, "b", 0, FONT, 0, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 3, 20, 60, 239, 100, "ab", 0, MASK_FONT, 32, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 4, 20, 80, 239, 100, "a", 0, MASK_FONT, 16, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 5, 100, 90, 239, 100, "a", 0, MASK_FONT, 32, 1, 0, TEXT_ALIGN_LEFT, 1, 100);
    slot_draw(SLOT);

    std::vector<uint16_t> want(BACK_BUFFER_PIXELS, BG);
    draw_expected(want, '1', 0, 10, 32, true);
    draw_expected(want, '2', 6, 10, 32, true);
    draw_expected(want, 'a', 50, 40, 16, true);
    draw_expected(want, 'a', 20, 60, 32, false);
    draw_expected(want, 'b', 25, 60, 32, false);
    draw_expected(want, 'a', 20, 80, 16, false);
    draw_expected(want, 'a', 100, 90, 32, false);
    for (int r = 0; r < HEIGHT; ++r)
        want[size_t(90 + r) * SCREEN_WIDTH + 103] = BG;
    expect_frame(want);
}

// A whole frame: an opaque background slot behind the text slot, composed
// back to front; the score line sits centred along the bottom ("21": e = 13).
TEST_F(TextRows, ComposedFrameShowsTheScoreLine)
{
    sprite_table_clear();
    slot_create_rgb565(15, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 1);
    std::fill(surface_slots[15].pixels, surface_slots[15].pixels + BACK_BUFFER_PIXELS, BG);
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    set_clip_rect(0, 0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    ASSERT_EQ(text_row_set(SLOT, 0, 0, 303, 239, 320, "21", 0x0000, FONT, 32, 1, 0, TEXT_ALIGN_CENTRE, 0, 100), 2);
    std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, uint16_t(0xFFFF));
    compose_frame(0, LAYER_COUNT - 1);
    slot_free(15);

    std::vector<uint16_t> want(BACK_BUFFER_PIXELS, BG);
    draw_expected(want, '2', 114, 303, 32, true);
    draw_expected(want, '1', 121, 303, 32, true);
    expect_frame(want);
}
