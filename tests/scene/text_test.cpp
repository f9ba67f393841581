// Text rows: the layout (wrapping, taking back a partial word, line feeds,
// alignment, justification, the examination and glyph limits), the row table's
// upkeep, and drawing the stored glyphs through the glyph blitters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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

constexpr uint8_t FONT = 5;
constexpr uint8_t MASK_FONT = 6;
constexpr uint8_t FLAT_FONT = 7;   // glyph height 0
constexpr uint8_t SLOT = 5;
constexpr int HEIGHT = 8;
constexpr uint16_t BACKGROUND = 0x39E7;

// A hand-made font: '1' 5 wide, '2' 6 wide, letters and '!' 4 wide, the space
// as wide as '!', control codes empty. Pixel (r, c) of a glyph has its own
// colour; its second plane is 0 on row 0, half on column 0, full elsewhere
// (alpha), or 0 on row 0 and 0xFFFF elsewhere (mask).
struct HandFont {
    BitmapFont font = {};
    std::vector<uint16_t> data;
    int32_t offsets[256] = {};
    uint8_t widths[256] = {};

    static uint16_t pixel(int code, int r, int c) { return uint16_t(code * 0x0841 + r * 0x20 + c); }
    static uint16_t alpha(int r, int c) { return r == 0 ? 0 : (c == 0 ? 16 : 32); }
    static uint16_t mask(int r) { return r == 0 ? 0 : 0xFFFF; }

    HandFont(bool with_alpha, int height)
    {
        for (int code = 'a'; code <= 'z'; ++code)
            widths[code] = 4;
        widths['!'] = 4;
        widths[' '] = 4;
        widths['1'] = 5;
        widths['2'] = 6;
        for (int code = 0; code < 256; ++code) {
            offsets[code] = int32_t(data.size());
            const int w = widths[code];
            for (int r = 0; r < height; ++r)
                for (int c = 0; c < w; ++c)
                    data.push_back(pixel(code, r, c));
            for (int r = 0; r < height; ++r)
                for (int c = 0; c < w; ++c)
                    data.push_back(with_alpha ? alpha(r, c) : mask(r));
        }
        data.push_back(0);
        font.glyph_data = data.data();
        font.glyph_offsets = offsets;
        font.glyph_widths = widths;
        font.glyph_height = uint8_t(height);
    }
};

HandFont& alpha_font()
{
    static HandFont f(true, HEIGHT);
    return f;
}

HandFont& mask_font()
{
    static HandFont f(false, HEIGHT);
    return f;
}

HandFont& flat_font()
{
    static HandFont f(true, 0);
    return f;
}

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
        font_table[FONT] = &alpha_font().font;
        font_has_alpha[FONT] = 1;
        font_table[MASK_FONT] = &mask_font().font;
        font_has_alpha[MASK_FONT] = 0;
        font_table[FLAT_FONT] = &flat_font().font;
        font_has_alpha[FLAT_FONT] = 1;
        text_slot_open(SLOT);
        clip_rects[0] = ClipRect{0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};
        std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, BACKGROUND);
    }

    void TearDown() override
    {
        slot_free(SLOT);
        font_table[FONT] = font_table[MASK_FONT] = font_table[FLAT_FONT] = nullptr;
    }

    // Sets entry 1 and returns what it holds.
    std::vector<Placed> set(const char* text, int16_t x0, int16_t y0, int16_t x1, int16_t y1, uint8_t align,
                            int32_t max_glyphs = 100, uint8_t line_gap = 0, uint8_t font = FONT)
    {
        kept = text_row_set(SLOT, 1, x0, y0, x1, y1, text, 0, font, 32, 1, line_gap, align, 0, max_glyphs);
        return placed();
    }

    std::vector<Placed> placed() const
    {
        const TextRow& row = text_row_tables[SLOT][1];
        std::vector<Placed> out;
        for (int i = 0; i < row.glyph_count; ++i)
            out.push_back({char(row.glyphs[i].code), row.glyphs[i].x, row.glyphs[i].y});
        return out;
    }

    int32_t kept = 0;
};

}  // namespace

TEST_F(TextRows, EmptyTextKeepsTheBoxAndStyleAndDrawsNothing)
{
    EXPECT_EQ(text_row_set(SLOT, 3, 10, 20, 100, 200, "", 0x1234, FONT, 32, 1, 2, 2, 0, 100), 0);
    const TextRow& row = text_row_tables[SLOT][3];
    EXPECT_EQ(row.glyph_count, 0);
    EXPECT_EQ(row.x0, 10);
    EXPECT_EQ(row.y0, 20);
    EXPECT_EQ(row.x1, 100);
    EXPECT_EQ(row.y1, 200);
    EXPECT_EQ(row.font, FONT);
    EXPECT_EQ(row.colour, 0x1234);
    EXPECT_EQ(row.line_gap, 2);
    EXPECT_EQ(row.align, 2);
    EXPECT_EQ(layout_count, 0);
    EXPECT_EQ(layout_buffer[0].x, 10);
    EXPECT_EQ(layout_buffer[0].y, 20);

    slot_draw(SLOT);
    EXPECT_TRUE(std::all_of(back_buffer, back_buffer + BACK_BUFFER_PIXELS, [](uint16_t p) { return p == BACKGROUND; }));
}

// "12" ends at e = 6 + 7 = 13; centring moves it by (241 - e) >> 1, right
// alignment by 241 - e. The end position stays where the layout left it.
TEST_F(TextRows, SingleLineAlignments)
{
    EXPECT_EQ(set("12", 0, 303, 239, 320, TEXT_ALIGN_CENTRE), (std::vector<Placed>{{'1', 114, 303}, {'2', 120, 303}}));
    EXPECT_EQ(kept, 2);
    EXPECT_EQ(layout_buffer[2].x, 13);
    EXPECT_EQ(layout_buffer[2].y, 303);
    EXPECT_EQ(set("12", 0, 303, 239, 320, TEXT_ALIGN_RIGHT), (std::vector<Placed>{{'1', 228, 303}, {'2', 234, 303}}));
    EXPECT_EQ(set("12", 0, 303, 239, 320, TEXT_ALIGN_LEFT), (std::vector<Placed>{{'1', 0, 303}, {'2', 6, 303}}));
    // A lone line that does not fill its box is not justified.
    EXPECT_EQ(set("1 2", 0, 0, 239, 100, TEXT_ALIGN_JUSTIFY), (std::vector<Placed>{{'1', 0, 0}, {' ', 6, 0}, {'2', 11, 0}}));
}

TEST_F(TextRows, WrapKeepsTheSpaceOnTheFirstLine)
{
    EXPECT_EQ(set("ab cd", 0, 0, 14, 100, TEXT_ALIGN_LEFT),
              (std::vector<Placed>{{'a', 0, 0}, {'b', 5, 0}, {' ', 10, 0}, {'c', 0, 8}, {'d', 5, 8}}));
    EXPECT_EQ(set("ab cd", 0, 0, 14, 100, TEXT_ALIGN_LEFT, 100, 3),
              (std::vector<Placed>{{'a', 0, 0}, {'b', 5, 0}, {' ', 10, 0}, {'c', 0, 11}, {'d', 5, 11}}));
}

// "c" fits, "d" does not: "c" is taken back and starts the next line. Line 1
// ends at 15 - 1 - 4 = 10 (free 11, shift 6); line 2 at 15 (free 6, shift 3).
TEST_F(TextRows, PartialWordIsTakenBackAndLinesAreCentred)
{
    EXPECT_EQ(set("ab cde", 0, 0, 20, 100, TEXT_ALIGN_CENTRE),
              (std::vector<Placed>{{'a', 6, 0}, {'b', 11, 0}, {' ', 16, 0}, {'c', 3, 8}, {'d', 8, 8}, {'e', 13, 8}}));
}

// Line 1 "a b " ends at 15 with 2 pixels spare and 3 gaps: no per-gap step;
// both pixels go after the one inner space. The last line is not justified.
TEST_F(TextRows, JustifiedLineSpreadsTheSpareAfterItsSpaces)
{
    EXPECT_EQ(set("a b cd", 0, 0, 16, 100, TEXT_ALIGN_JUSTIFY),
              (std::vector<Placed>{{'a', 0, 0}, {' ', 5, 0}, {'b', 12, 0}, {' ', 17, 0}, {'c', 0, 8}, {'d', 5, 8}}));
    // With more room than gaps every glyph steps one further, and the rest is
    // shared between the spaces: line "a b c " ends at 25 in a box to 40,
    // free 16, 5 gaps, step 1, 11 left for 2 spaces: 6 then 5.
    EXPECT_EQ(set("a b c dddddddd", 0, 0, 40, 100, TEXT_ALIGN_JUSTIFY).size(), 14u);
    const std::vector<Placed> got = placed();
    EXPECT_EQ(std::vector<Placed>(got.begin(), got.begin() + 6),
              (std::vector<Placed>{{'a', 1, 0}, {' ', 7, 0}, {'b', 19, 0}, {' ', 25, 0}, {'c', 36, 0}, {' ', 42, 0}}));
}

TEST_F(TextRows, LineFeedEndsALineUnjustifiedAndIsPlaced)
{
    EXPECT_EQ(set("ab\ncd", 0, 0, 239, 100, TEXT_ALIGN_JUSTIFY),
              (std::vector<Placed>{{'a', 0, 0}, {'b', 5, 0}, {'\n', 10, 0}, {'c', 0, 8}, {'d', 5, 8}}));
    // Centred: the line feed line ends at 10 (free 230, shift 115).
    EXPECT_EQ(set("ab\n", 0, 0, 239, 100, TEXT_ALIGN_CENTRE),
              (std::vector<Placed>{{'a', 115, 0}, {'b', 120, 0}, {'\n', 125, 0}}));
}

// Box 16 high: after line 1 there is no room for another 8-pixel line. "cd"
// is dropped and the last line is justified although it ended by wrapping: it
// ends at 10 with 5 spare, 2 gaps, so everything steps by one; its trailing
// space gets nothing more.
TEST_F(TextRows, FullBoxDropsTheRestAndJustifiesTheLastLine)
{
    EXPECT_EQ(set("ab cd", 0, 0, 14, 15, TEXT_ALIGN_JUSTIFY),
              (std::vector<Placed>{{'a', 1, 0}, {'b', 7, 0}, {' ', 13, 0}}));
    EXPECT_EQ(kept, 3);
    EXPECT_EQ(layout_buffer[3].x, 15);
    EXPECT_EQ(layout_buffer[3].y, 0);
    // A line feed in a full box is justified too.
    // "a b" ends at 15: free 6, 3 gaps, step 1, 3 left for the one space.
    EXPECT_EQ(set("a b\ncd", 0, 0, 20, 15, TEXT_ALIGN_JUSTIFY),
              (std::vector<Placed>{{'a', 1, 0}, {' ', 7, 0}, {'b', 16, 0}, {'\n', 22, 0}}));
}

// "12121" is 32 wide, so centring shifts by 104 whether or not all of it is kept.
TEST_F(TextRows, MaxGlyphsKeepsTheHeadLaidOutAsIfWhole)
{
    EXPECT_EQ(set("12121", 0, 0, 239, 100, TEXT_ALIGN_CENTRE, 3),
              (std::vector<Placed>{{'1', 104, 0}, {'2', 110, 0}, {'1', 117, 0}}));
    EXPECT_EQ(kept, 3);
    EXPECT_EQ(layout_count, 5);
    EXPECT_EQ(set("12121", 0, 0, 239, 100, TEXT_ALIGN_CENTRE, 0).size(), 0u);
    EXPECT_EQ(set("12121", 0, 0, 239, 100, TEXT_ALIGN_CENTRE, -7).size(), 0u);
}

// Centred text examines max_glyphs + 100 characters, left-aligned + 200.
TEST_F(TextRows, ExaminationLimitDependsOnAlignment)
{
    const std::string ones(150, '1');
    // 102 characters of 6: e = 612 in a box to 1000, shift (389 + 1) >> 1.
    EXPECT_EQ(set(ones.c_str(), 0, 0, 1000, 100, TEXT_ALIGN_CENTRE, 2),
              (std::vector<Placed>{{'1', 195, 0}, {'1', 201, 0}}));
    EXPECT_EQ(layout_count, 102);
    set(ones.c_str(), 0, 0, 1000, 100, TEXT_ALIGN_LEFT, 2);
    EXPECT_EQ(layout_count, 150);
}

TEST_F(TextRows, WordWithoutAnEarlierSpaceBreaksAtTheEdge)
{
    EXPECT_EQ(set("abcdefg", 0, 0, 15, 100, TEXT_ALIGN_LEFT),
              (std::vector<Placed>{{'a', 0, 0}, {'b', 5, 0}, {'c', 10, 0}, {'d', 0, 8}, {'e', 5, 8}, {'f', 10, 8},
                                   {'g', 0, 16}}));
    // A word longer than a line after a space: the space's line keeps it, the
    // word is broken where its own line runs out.
    EXPECT_EQ(set("a bcdefg", 0, 0, 15, 100, TEXT_ALIGN_LEFT),
              (std::vector<Placed>{{'a', 0, 0}, {' ', 5, 0}, {'b', 0, 8}, {'c', 5, 8}, {'d', 10, 8}, {'e', 0, 16},
                                   {'f', 5, 16}, {'g', 10, 16}}));
}

TEST_F(TextRows, LayoutStopsAtTheBufferSize)
{
    const std::string many(5000, 'a');
    EXPECT_EQ(set(many.c_str(), 0, 0, 239, 32000, TEXT_ALIGN_LEFT, 0x1000000).size(), size_t(LAYOUT_BUFFER_SIZE - 1));
    EXPECT_EQ(layout_count, LAYOUT_BUFFER_SIZE - 1);
    EXPECT_EQ(text_row_tables[SLOT][1].capacity, LAYOUT_BUFFER_SIZE - 1 + 16);
    // 47 glyphs a line: glyph 2048 is number 27 of line 43; the end follows it.
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
        const int16_t x1 = int16_t(x0 + pick(-20, 400)), y1 = int16_t(y0 + pick(-20, 2000));
        const uint8_t font = uint8_t(pick(0, 2) == 0 ? FLAT_FONT : FONT);
        const int32_t max_glyphs = pick(-5, 3000);
        const int32_t n = text_row_set(SLOT, uint8_t(pick(0, 255)), x0, y0, x1, y1, text.c_str(), 0, font, 32,
                                       uint8_t(pick(0, 255)), uint8_t(pick(0, 255)), uint8_t(pick(0, 4)), 0, max_glyphs);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, LAYOUT_BUFFER_SIZE - 1);
        ASSERT_LE(layout_count, LAYOUT_BUFFER_SIZE - 1);
        ASSERT_LE(n, std::max(max_glyphs, 0));
    }
    slot_draw(SLOT);
}

TEST_F(TextRows, UnbuiltFontLeavesTheEntryAlone)
{
    set("ab", 0, 0, 239, 100, TEXT_ALIGN_LEFT);
    EXPECT_EQ(text_row_set(SLOT, 1, 5, 5, 50, 50, "abcd", 0, 11, 32, 1, 0, 0, 0, 100), 0);
    EXPECT_EQ(text_row_set(SLOT, 1, 5, 5, 50, 50, "abcd", 0, FONT_COUNT, 32, 1, 0, 0, 0, 100), 0);
    const TextRow& row = text_row_tables[SLOT][1];
    EXPECT_EQ(row.glyph_count, 2);
    EXPECT_EQ(row.font, FONT);
    EXPECT_EQ(row.x0, 0);
}

TEST_F(TextRows, GlyphArrayGrowsOnlyWhenItMust)
{
    set("ab", 0, 0, 239, 100, TEXT_ALIGN_LEFT);
    const TextRow& row = text_row_tables[SLOT][1];
    EXPECT_EQ(row.capacity, 18);
    const PlacedGlyph* first = row.glyphs;
    set("abcdefghijklmnopqr", 0, 0, 239, 100, TEXT_ALIGN_LEFT);
    EXPECT_EQ(row.glyphs, first);
    EXPECT_EQ(row.capacity, 18);
    set("abcdefghijklmnopqrs", 0, 0, 239, 100, TEXT_ALIGN_LEFT);
    EXPECT_EQ(row.capacity, 35);
    EXPECT_EQ(row.glyph_count, 19);
}

TEST_F(TextRows, OpeningAgainEmptiesTheTableAndSetsTheSlotUp)
{
    set("ab", 0, 0, 239, 100, TEXT_ALIGN_LEFT);
    surface_slots[SLOT].layer = 700;
    surface_slots[SLOT].opacity = 3;
    text_clip_index = 4;
    text_slot_open(SLOT);
    const TextRow& row = text_row_tables[SLOT][1];
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
    EXPECT_EQ(layout_count, 0);

    set("ab", 0, 0, 239, 100, TEXT_ALIGN_LEFT);
    slot_free(SLOT);
    EXPECT_EQ(row.glyph_count, 0);
    EXPECT_EQ(row.glyphs, nullptr);
}

namespace {

// The back buffer as it should be after drawing glyph code at (x, y) over the
// background at the given opacity, with weight = (opacity x plane) >> 5.
void expect_glyph(std::vector<uint16_t>& want, int code, int x, int y, int opacity, bool alpha)
{
    const int w = code == '1' ? 5 : (code == '2' ? 6 : 4);
    for (int r = 0; r < HEIGHT; ++r)
        for (int c = 0; c < w; ++c) {
            uint16_t& p = want[size_t(y + r) * SCREEN_WIDTH + size_t(x + c)];
            const uint16_t src = HandFont::pixel(code, r, c);
            if (alpha) {
                const int weight = (opacity * HandFont::alpha(r, c)) >> 5;
                p = weight == 32 ? src : blend565(p, src, weight);
            } else if (HandFont::mask(r)) {
                p = opacity == 32 ? src : blend565(p, src, opacity);
            }
        }
}

}  // namespace

TEST_F(TextRows, DrawsAlphaGlyphsAtFullAndHalfOpacity)
{
    text_row_set(SLOT, 0, 0, 10, 239, 100, "12", 0, FONT, 32, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 1, 50, 40, 239, 100, "a", 0, FONT, 16, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 2, 100, 40, 239, 100, "b", 0, FONT, 0, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    slot_draw(SLOT);

    std::vector<uint16_t> want(BACK_BUFFER_PIXELS, BACKGROUND);
    expect_glyph(want, '1', 0, 10, 32, true);
    expect_glyph(want, '2', 6, 10, 32, true);
    expect_glyph(want, 'a', 50, 40, 16, true);
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        ASSERT_EQ(back_buffer[i], want[size_t(i)]) << "x " << i % SCREEN_WIDTH << " y " << i / SCREEN_WIDTH;
}

TEST_F(TextRows, DrawsMaskedGlyphsAndHonoursTheRowClip)
{
    clip_rects[1] = ClipRect{0, 0, 102, 319};
    text_row_set(SLOT, 0, 20, 30, 239, 100, "ab", 0, MASK_FONT, 32, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 1, 20, 60, 239, 100, "ab", 0, MASK_FONT, 16, 1, 0, TEXT_ALIGN_LEFT, 0, 100);
    text_row_set(SLOT, 2, 100, 90, 239, 100, "a", 0, MASK_FONT, 32, 1, 0, TEXT_ALIGN_LEFT, 1, 100);
    slot_draw(SLOT);

    std::vector<uint16_t> want(BACK_BUFFER_PIXELS, BACKGROUND);
    expect_glyph(want, 'a', 20, 30, 32, false);
    expect_glyph(want, 'b', 25, 30, 32, false);
    expect_glyph(want, 'a', 20, 60, 16, false);
    expect_glyph(want, 'b', 25, 60, 16, false);
    expect_glyph(want, 'a', 100, 90, 32, false);
    for (int r = 0; r < HEIGHT; ++r)   // columns 103.. lie outside clip rect 1
        want[size_t(90 + r) * SCREEN_WIDTH + 103] = BACKGROUND;
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        ASSERT_EQ(back_buffer[i], want[size_t(i)]) << "x " << i % SCREEN_WIDTH << " y " << i / SCREEN_WIDTH;
}

// A whole frame: an opaque background slot behind the text slot, composed
// back to front; the score line sits centred along the bottom.
TEST_F(TextRows, ComposedFrameShowsTheScoreLineOverTheBackground)
{
    slot_create_rgb565(15, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 1);
    std::fill(surface_slots[15].pixels, surface_slots[15].pixels + BACK_BUFFER_PIXELS, uint16_t(0x1082));
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    set_clip_rect(0, 0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    ASSERT_EQ(text_row_set(SLOT, 0, 0, 303, 239, 320, "21", 0x0000, FONT, 32, 1, 0, TEXT_ALIGN_CENTRE, 0, 100), 2);
    std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, uint16_t(0xFFFF));
    sprite_table_clear();
    compose_frame(0, LAYER_COUNT - 1);
    slot_free(15);

    std::vector<uint16_t> want(BACK_BUFFER_PIXELS, 0x1082);
    // "21" ends at 7 + 6 = 13: shifted by 114.
    for (int r = 0; r < HEIGHT; ++r)
        for (int c = 0; c < 6; ++c) {
            const int weight = HandFont::alpha(r, c);
            uint16_t& p = want[size_t(303 + r) * SCREEN_WIDTH + size_t(114 + c)];
            p = weight == 32 ? HandFont::pixel('2', r, c) : blend565(p, HandFont::pixel('2', r, c), weight);
            if (c < 5) {
                uint16_t& q = want[size_t(303 + r) * SCREEN_WIDTH + size_t(121 + c)];
                q = weight == 32 ? HandFont::pixel('1', r, c) : blend565(q, HandFont::pixel('1', r, c), weight);
            }
        }
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        ASSERT_EQ(back_buffer[i], want[size_t(i)]) << "x " << i % SCREEN_WIDTH << " y " << i / SCREEN_WIDTH;
}
