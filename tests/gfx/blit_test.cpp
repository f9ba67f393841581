// Clipping and the blitters: the clip windows, the span-list entry into a
// window (straddling runs, triplets entered in a blend or a copy run), alpha
// weights and glyph planes; then every picture blitter swept against a plain
// per-pixel model over random pictures, positions, clip rects and windows.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "gfx/blit.h"
#include "gfx/pixel.h"

namespace {

constexpr uint16_t PAPER = 0x4A69;
constexpr ClipRect FULL_SCREEN = {0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};

uint16_t at(int x, int y) { return back_buffer[y * SCREEN_WIDTH + x]; }
void fill_screen(uint16_t c) { std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, c); }

class BlitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto& r : clip_rects)
            r = FULL_SCREEN;
        current_clip_index = 0;
        current_sprite = -1;
        fill_screen(PAPER);
    }
    void TearDown() override { current_sprite = -1; }
};

TEST_F(BlitTest, ClipWindows)
{
    struct Case { int x, y; int16_t cs, ce, rs, re; };
    const Case cases[] = {{-5, 0, 5, 20, 0, 20}, {230, 0, 0, 10, 0, 20}, {0, -7, 0, 20, 7, 20}, {0, 310, 0, 20, 0, 10}};
    for (const Case& c : cases) {
        clip_blit(c.x, c.y, 20, 20);
        EXPECT_EQ((std::vector<int>{col_start, col_end, row_start, row_end}), (std::vector<int>{c.cs, c.ce, c.rs, c.re}));
    }
    for (int x : {240, 250, -20, INT_MIN + 3, INT_MAX - 3}) {
        clip_blit(x, 0, 20, 20);
        EXPECT_LE(col_end, col_start) << x;
    }
    current_sprite = 0;
    sprite_window = ClipRect{2, 0, 5, 9};
    clip_blit(100, 50, 10, 10);
    EXPECT_EQ((std::vector<int>{col_start, col_end, row_start, row_end}), (std::vector<int>{2, 6, 0, 10}));
    clip_blit(-3, 50, 10, 10);   // the screen edge cuts deeper than the window
    EXPECT_EQ(col_start, 3);
}

// Clip rects are the game's to set; one reaching past the screen still keeps
// every write inside the back buffer (the sanitizer watches the global).
TEST_F(BlitTest, ClipRectsBeyondTheScreenAreHeldToIt)
{
    clip_rects[0] = ClipRect{-1000, -1000, 1000, 1000};
    std::vector<uint16_t> picture(300 * 400);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = uint16_t(i * 7);
    blit_rgb565(picture.data(), 300, 400, -10, -10, 32);
    EXPECT_EQ((std::vector<int>{col_start, col_end, row_start, row_end}), (std::vector<int>{10, 250, 10, 330}));
    EXPECT_EQ(at(0, 0), picture[10 * 300 + 10]);
    EXPECT_EQ(at(239, 319), picture[329 * 300 + 249]);
}

TEST_F(BlitTest, OpacityZeroOrLessDrawsNothing)
{
    const uint16_t picture[1] = {0xFFFF};
    const uint8_t index[1] = {1}, alpha[1] = {32};
    const uint16_t palette[2] = {0, 0xFFFF};
    const uint8_t spans[] = {0, 1, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint16_t rows[1] = {0};
    alpha_source = alpha;
    for (int opacity : {0, -1, -32}) {
        blit_rgb565(picture, 1, 1, 0, 0, opacity);
        blit_rgb565_keyed(picture, 1, 1, 0, 0, opacity);
        blit_rgb565_alpha(picture, 1, 1, 0, 0, opacity);
        blit_indexed(index, palette, 1, 1, 0, 0, opacity);
        blit_rgb565_spans(picture, spans, rows, 1, 1, 0, 0, opacity);
        blit_indexed_spans(index, palette, spans, rows, 1, 1, 0, 0, opacity);
    }
    EXPECT_EQ(at(0, 0), PAPER);
}

// Full width at x = 0 is one block move; a clip that cuts the right edge must
// still be honoured.
TEST_F(BlitTest, FullWidthPictureIsCopiedAsClipped)
{
    std::vector<uint16_t> picture(SCREEN_WIDTH * 12);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = uint16_t(i * 31 + 5);
    for (int16_t right : {SCREEN_WIDTH - 1, 200}) {
        fill_screen(PAPER);
        clip_rects[0] = ClipRect{0, 103, right, 105};
        blit_rgb565(picture.data(), SCREEN_WIDTH, 12, 0, 100, 32);
        for (int i = 0; i < BACK_BUFFER_PIXELS; ++i) {
            int row = i / SCREEN_WIDTH, col = i % SCREEN_WIDTH;
            bool in = row >= 103 && row <= 105 && col <= right;
            ASSERT_EQ(back_buffer[i], in ? picture[i - 100 * SCREEN_WIDTH] : PAPER) << i;
        }
    }
}

TEST_F(BlitTest, AlphaWeightsMultiplyWithOpacity)
{
    const uint16_t picture[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    const uint8_t alpha[4] = {0, 1, 16, 32};
    alpha_source = alpha;
    fill_screen(0x0000);
    blit_rgb565_alpha(picture, 4, 1, 0, 0, 32);
    blit_rgb565_alpha(picture, 4, 1, 0, 1, 16);
    const uint16_t want[2][4] = {{0x0000, 0x0020, 0x7BEF, 0xFFFF}, {0x0000, 0x0000, 0x39E7, 0x7BEF}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(at(c, r), want[r][c]) << c << ", " << r;
}

// Skip 0, run 10 entered at column 4; skip 3, run 4, skip 3 entered at column
// 5, inside the run, which leaves only columns 5 and 6.
TEST_F(BlitTest, SpanRowsEnteredPartWay)
{
    uint8_t indices[10];
    uint16_t palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = uint16_t(0x2000 + i);
    for (int i = 0; i < 10; ++i)
        indices[i] = uint8_t(i + 1);
    const uint8_t spans[] = {0, 10, 3, 4, 3, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint16_t rows[2] = {0, 2};
    clip_rects[0].x0 = 4;
    blit_indexed_spans(indices, palette, spans, rows, 10, 1, 0, 0, 32);
    clip_rects[0].x0 = 5;
    blit_indexed_spans(indices, palette, spans, rows + 1, 10, 1, 0, 1, 32);
    for (int c = 0; c < 12; ++c) {
        EXPECT_EQ(at(c, 0), c >= 4 && c < 10 ? palette[c + 1] : PAPER) << c;
        EXPECT_EQ(at(c, 1), c == 5 || c == 6 ? palette[c + 1] : PAPER) << c;
    }
}

// Triplet row 2, 3, 5 (two clear pixels, three partial, five full), entered
// before, in the blend run and in the copy run, and cut on the right.
TEST_F(BlitTest, TripletRowEnteredAtEveryKindOfCount)
{
    const uint16_t picture[10] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    const uint8_t alpha[10] = {0, 0, 8, 16, 24, 32, 32, 32, 32, 32};
    const uint8_t spans[] = {2, 3, 5, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint16_t rows[1] = {0};
    const uint16_t drawn[10] = {0, 0, 0x39E7, 0x7BEF, 0xBDF7, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    struct Case { int16_t x0, x1; };
    const Case cases[] = {{0, 239}, {1, 3}, {3, 239}, {7, 239}, {6, 7}};
    alpha_source = alpha;
    for (const Case& c : cases) {
        fill_screen(0x0000);
        clip_rects[0].x0 = c.x0;
        clip_rects[0].x1 = c.x1;
        blit_rgb565_alpha_spans(picture, spans, rows, 10, 1, 0, 0, 32);
        for (int col = 0; col < 12; ++col)
            EXPECT_EQ(at(col, 0), col >= c.x0 && col <= c.x1 && col < 10 ? drawn[col] : 0) << c.x0 << " col " << col;
    }
}

TEST_F(BlitTest, GlyphPlanes)
{
    // 3 x 1 masked glyph: full mask, no mask, low byte only.
    const uint16_t masked[6] = {0xFFFF, 0xFFFF, 0xABCD, 0xFFFF, 0x0000, 0x00FF};
    // 4 x 1 alpha glyph: alpha 0, 1, 16, 32.
    const uint16_t alpha[8] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0, 1, 16, 32};
    fill_screen(0x1234);
    blit_glyph_masked(masked, 0, 3, 1, 0, 0, 32);
    blit_glyph_masked(masked, 0, 3, 1, 0, 1, 16);         // any non-zero mask blends the whole pixel
    blit_glyph_masked(masked, 0, 3, 1, 0, 2, 256 + 32);   // the opacity is a byte: this is 32
    blit_glyph_masked(masked, 0, 3, 1, 0, 3, 256);        // and this 0
    EXPECT_EQ((std::vector<int>{at(0, 0), at(1, 0), at(2, 0), at(3, 0)}), (std::vector<int>{0xFFFF, 0x1234, 0x12CD, 0x1234}));
    EXPECT_EQ((std::vector<int>{at(0, 1), at(1, 1), at(2, 1)}),
              (std::vector<int>{blend565(0x1234, 0xFFFF, 16), 0x1234, blend565(0x1234, 0xABCD, 16)}));
    EXPECT_EQ(at(2, 2), 0x12CD);
    EXPECT_EQ(at(0, 3), 0x1234);

    fill_screen(0x0000);
    blit_glyph_alpha(alpha, 0, 4, 1, 0, 0, 32);
    blit_glyph_alpha(alpha, 0, 4, 1, 0, 1, 16);
    blit_glyph_alpha(alpha, 0, 4, 1, -2, 2, 256 + 32);
    EXPECT_EQ((std::vector<int>{at(0, 0), at(1, 0), at(2, 0), at(3, 0)}), (std::vector<int>{0, 0x0020, 0x7BEF, 0xFFFF}));
    EXPECT_EQ((std::vector<int>{at(0, 1), at(1, 1), at(2, 1), at(3, 1)}), (std::vector<int>{0, 0, 0x39E7, 0x7BEF}));
    EXPECT_EQ((std::vector<int>{at(0, 2), at(1, 2), at(2, 2)}), (std::vector<int>{0x7BEF, 0xFFFF, 0}));
}

// ---- sweeps against the per-pixel model -----------------------------------

// Span lists laid out as the image loader does: pairs skip, run, ... ending
// with whichever count reaches the width, or triplets skip (alpha 0), blend
// (1..31), copy (32) always written whole; four 0xFF after the last row.
void build_spans(const std::vector<uint8_t>& alpha, int w, int h, bool triplets, std::vector<uint8_t>& spans,
                 std::vector<uint16_t>& rows)
{
    auto count = [&](int r, int& c, int lo, int hi) {
        int n = 0;
        for (; c < w && alpha[r * w + c] >= lo && alpha[r * w + c] <= hi; ++c)
            ++n;
        spans.push_back(uint8_t(n));
    };
    for (int r = 0; r < h; ++r) {
        rows.push_back(uint16_t(spans.size()));
        for (int c = 0; c < w;) {
            count(r, c, 0, 0);
            if (!triplets && c < w)
                count(r, c, 1, 32);
            if (triplets) {
                count(r, c, 1, 31);
                count(r, c, 32, 32);
            }
        }
    }
    spans.insert(spans.end(), 4, 0xFF);
}

struct Placement { int x, y, opacity; ClipRect clip; bool windowed; ClipRect window; };

// Positions straddling every edge, clip rects of every shape (some empty),
// sometimes a sprite window, opacities full and translucent.
std::vector<Placement> placements(int w, int h, std::mt19937& rng)
{
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int opacities[] = {32, 32, 32, 16, 1, 31, 7};
    std::vector<Placement> out;
    for (int i = 0; i < 300; ++i) {
        Placement p{pick(-w - 2, SCREEN_WIDTH + 1), pick(-h - 2, BACK_BUFFER_HEIGHT + 1), opacities[i % 7], FULL_SCREEN,
                    i % 4 == 1, {}};
        if (i % 3) {
            int x0 = std::max(0, p.x + pick(-2, w + 1)), y0 = std::max(0, p.y + pick(-2, h + 1));
            p.clip = ClipRect{int16_t(x0), int16_t(y0), int16_t(std::min(SCREEN_WIDTH - 1, x0 + pick(-1, w))),
                              int16_t(std::min(BACK_BUFFER_HEIGHT - 1, y0 + pick(-1, h)))};
        }
        int wx0 = pick(0, w - 1), wy0 = pick(0, h - 1);
        p.window = ClipRect{int16_t(wx0), int16_t(wy0), int16_t(pick(wx0 - 1, w - 1)), int16_t(pick(wy0, h - 1))};
        out.push_back(p);
    }
    return out;
}

// What a blit must leave: weight(c, r) 0 leaves a pixel, 32 copies source(c, r),
// anything between blends; only inside the clip rect, the screen and the window.
template <typename Weight, typename Source>
std::vector<uint16_t> model(int w, int h, const Placement& p, Weight weight, Source source)
{
    std::vector<uint16_t> out(back_buffer, back_buffer + BACK_BUFFER_PIXELS);
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            int sx = p.x + c, sy = p.y + r, wt = weight(c, r);
            if (sx < std::max<int>(p.clip.x0, 0) || sx > std::min<int>(p.clip.x1, SCREEN_WIDTH - 1) ||
                sy < std::max<int>(p.clip.y0, 0) || sy > std::min<int>(p.clip.y1, BACK_BUFFER_HEIGHT - 1) || wt == 0)
                continue;
            if (p.windowed && (c < p.window.x0 || c > p.window.x1 || r < p.window.y0 || r > p.window.y1))
                continue;
            uint16_t& d = out[sy * SCREEN_WIDTH + sx];
            d = wt == 32 ? source(c, r) : blend565(d, source(c, r), wt);
        }
    }
    return out;
}

::testing::AssertionResult screen_is(const std::vector<uint16_t>& want, const char* what, const Placement& p)
{
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        if (back_buffer[i] != want[i])
            return ::testing::AssertionFailure() << what << " at " << p.x << ", " << p.y << " opacity " << p.opacity
                                                 << ": pixel (" << i % SCREEN_WIDTH << ", " << i / SCREEN_WIDTH << ") is "
                                                 << back_buffer[i] << ", want " << want[i];
    return ::testing::AssertionSuccess();
}

TEST_F(BlitTest, EveryBlitterMatchesThePerPixelModel)
{
    const int w = 37, h = 9;
    std::mt19937 rng(1234);
    // Alpha in runs: the kind (clear, partial, full) changes now and then, and
    // some rows are wholly clear or wholly full.
    std::vector<uint8_t> alpha(w * h), indices(w * h);
    std::vector<uint16_t> colours(w * h), palette(256);
    for (int r = 0; r < h; ++r) {
        int kind = r % 4 == 3 ? r % 3 : rng() % 3;
        for (int c = 0; c < w; ++c) {
            if (r % 4 != 3 && rng() % 4 == 0)
                kind = rng() % 3;
            alpha[r * w + c] = uint8_t(kind == 0 ? 0 : kind == 2 ? 32 : 1 + rng() % 31);
        }
    }
    for (int i = 0; i < w * h; ++i) {
        colours[i] = rng() % 4 ? uint16_t(rng()) : COLOUR_KEY;
        indices[i] = uint8_t(rng());
    }
    for (auto& c : palette)
        c = uint16_t(rng());
    std::vector<uint8_t> pairs, triplets;
    std::vector<uint16_t> pair_rows, triplet_rows;
    build_spans(alpha, w, h, false, pairs, pair_rows);
    build_spans(alpha, w, h, true, triplets, triplet_rows);
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        back_buffer[i] = uint16_t(i * 40503u);
    alpha_source = alpha.data();

    for (const Placement& p : placements(w, h, rng)) {
        clip_rects[5] = p.clip;
        current_clip_index = 5;
        current_sprite = p.windowed ? 7 : -1;
        sprite_window = p.window;
        auto all = [&](int, int) { return p.opacity; };
        auto opaque = [&](int c, int r) { return alpha[r * w + c] ? p.opacity : 0; };
        auto keyed = [&](int c, int r) { return colours[r * w + c] == COLOUR_KEY ? 0 : p.opacity; };
        auto alpha_weight = [&](int c, int r) { return (p.opacity * alpha[r * w + c]) >> 5; };
        auto colour = [&](int c, int r) { return colours[r * w + c]; };
        auto indexed = [&](int c, int r) { return palette[indices[r * w + c]]; };

        auto want = model(w, h, p, all, colour);
        blit_rgb565(colours.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want, "rgb565", p));
        want = model(w, h, p, keyed, colour);
        blit_rgb565_keyed(colours.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want, "keyed", p));
        want = model(w, h, p, all, indexed);
        blit_indexed(indices.data(), palette.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want, "indexed", p));
        want = model(w, h, p, opaque, colour);
        blit_rgb565_spans(colours.data(), pairs.data(), pair_rows.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want, "rgb565 spans", p));
        want = model(w, h, p, opaque, indexed);
        blit_indexed_spans(indices.data(), palette.data(), pairs.data(), pair_rows.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want, "indexed spans", p));
        want = model(w, h, p, alpha_weight, colour);
        blit_rgb565_alpha(colours.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want, "alpha", p));
        want = model(w, h, p, alpha_weight, colour);
        blit_rgb565_alpha_spans(colours.data(), triplets.data(), triplet_rows.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want, "alpha spans", p));
    }
}

}  // namespace
