// Clipping and the blitters: the clip windows, the span-list entry into a
// window (straddling runs, triplets entered in a blend or a copy run), the
// opacity and alpha weights, the glyph planes. Besides hand-made cases, every
// blitter is swept against a plain per-pixel model over random pictures,
// positions, clip rectangles and sprite windows.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "gfx/blit.h"
#include "gfx/pixel.h"

namespace {

constexpr uint16_t PAPER = 0x4A69;
constexpr ClipRect FULL_SCREEN = {0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};

uint16_t at(int x, int y) { return back_buffer[y * SCREEN_WIDTH + x]; }

void fill_screen(uint16_t c)
{
    for (auto& p : back_buffer)
        p = c;
}

// Span lists as the image loader lays them out: per row skip, run, skip, ...
// ending with whichever count reaches the width; four 0xFF after the last row.
void build_pair_spans(const std::vector<bool>& opaque, int w, int h, std::vector<uint8_t>& spans,
                      std::vector<uint16_t>& rows)
{
    spans.clear();
    rows.clear();
    for (int r = 0; r < h; ++r) {
        rows.push_back(uint16_t(spans.size()));
        int c = 0;
        while (c < w) {
            int n = 0;
            while (c < w && !opaque[r * w + c]) { ++c; ++n; }
            spans.push_back(uint8_t(n));
            if (c == w)
                break;
            n = 0;
            while (c < w && opaque[r * w + c]) { ++c; ++n; }
            spans.push_back(uint8_t(n));
        }
    }
    spans.insert(spans.end(), 4, 0xFF);
}

// Triplets skip (alpha 0), blend (1..31), copy (32), all three always written.
void build_triplet_spans(const std::vector<uint8_t>& alpha, int w, int h, std::vector<uint8_t>& spans,
                         std::vector<uint16_t>& rows)
{
    spans.clear();
    rows.clear();
    for (int r = 0; r < h; ++r) {
        rows.push_back(uint16_t(spans.size()));
        int c = 0;
        while (c < w) {
            int n = 0;
            while (c < w && alpha[r * w + c] == 0) { ++c; ++n; }
            spans.push_back(uint8_t(n));
            n = 0;
            while (c < w && alpha[r * w + c] > 0 && alpha[r * w + c] < 32) { ++c; ++n; }
            spans.push_back(uint8_t(n));
            n = 0;
            while (c < w && alpha[r * w + c] == 32) { ++c; ++n; }
            spans.push_back(uint8_t(n));
        }
    }
    spans.insert(spans.end(), 4, 0xFF);
}

// The per-pixel model every blitter must agree with: weight(c, r) is 0 for a
// pixel left alone, 32 for a copy, anything between for a blend.
template <typename Weight, typename Source>
std::vector<uint16_t> model(const std::vector<uint16_t>& before, int w, int h, int x, int y, Weight weight, Source source)
{
    std::vector<uint16_t> out = before;
    ClipRect r = clip_rects[current_clip_index];
    int x0 = std::max<int>(r.x0, 0), y0 = std::max<int>(r.y0, 0);
    int x1 = std::min<int>(r.x1, SCREEN_WIDTH - 1), y1 = std::min<int>(r.y1, BACK_BUFFER_HEIGHT - 1);
    for (int row = 0; row < h; ++row) {
        for (int c = 0; c < w; ++c) {
            int sx = x + c, sy = y + row;
            if (sx < x0 || sx > x1 || sy < y0 || sy > y1)
                continue;
            if (current_sprite != -1 &&
                (c < sprite_window.x0 || c > sprite_window.x1 || row < sprite_window.y0 || row > sprite_window.y1))
                continue;
            int wt = weight(c, row);
            uint16_t& d = out[sy * SCREEN_WIDTH + sx];
            if (wt == 32)
                d = source(c, row);
            else if (wt != 0)
                d = blend565(d, source(c, row), wt);
        }
    }
    return out;
}

std::vector<uint16_t> screen_copy()
{
    return std::vector<uint16_t>(back_buffer, back_buffer + BACK_BUFFER_PIXELS);
}

::testing::AssertionResult screen_is(const std::vector<uint16_t>& want)
{
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        if (back_buffer[i] != want[i])
            return ::testing::AssertionFailure() << "pixel (" << i % SCREEN_WIDTH << ", " << i / SCREEN_WIDTH
                                                 << ") is " << back_buffer[i] << ", want " << want[i];
    return ::testing::AssertionSuccess();
}

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

// ---- clip_blit ----------------------------------------------------------

TEST_F(BlitTest, ClipWindowAtTheScreenEdges)
{
    clip_blit(-5, 0, 20, 20);
    EXPECT_EQ(col_start, 5);
    EXPECT_EQ(col_end, 20);
    EXPECT_EQ(row_start, 0);
    EXPECT_EQ(row_end, 20);

    clip_blit(230, 0, 20, 20);
    EXPECT_EQ(col_start, 0);
    EXPECT_EQ(col_end, 10);

    clip_blit(0, -7, 20, 20);
    EXPECT_EQ(row_start, 7);
    EXPECT_EQ(row_end, 20);

    clip_blit(0, 310, 20, 20);
    EXPECT_EQ(row_start, 0);
    EXPECT_EQ(row_end, 10);
}

TEST_F(BlitTest, ClipWindowInsideASmallerRect)
{
    clip_rects[3] = ClipRect{10, 20, 29, 39};
    current_clip_index = 3;
    clip_blit(5, 30, 20, 20);
    EXPECT_EQ(col_start, 5);
    EXPECT_EQ(col_end, 20);
    EXPECT_EQ(row_start, 0);
    EXPECT_EQ(row_end, 10);
}

TEST_F(BlitTest, PicturesOutsideTheClipGetAnEmptyWindow)
{
    for (int x : {240, 250, -20, -100, INT_MIN + 3, INT_MAX - 3}) {
        clip_blit(x, 0, 20, 20);
        EXPECT_LE(col_end, col_start) << x;
    }
    for (int y : {320, -20, INT_MIN + 3, INT_MAX - 3}) {
        clip_blit(0, y, 20, 20);
        EXPECT_LE(row_end, row_start) << y;
    }
    clip_rects[1] = ClipRect{50, 0, 40, 319};   // an empty rect hides everything
    current_clip_index = 1;
    clip_blit(0, 0, 240, 320);
    EXPECT_LE(col_end, col_start);
}

TEST_F(BlitTest, SpriteWindowNarrowsTheClip)
{
    current_sprite = 0;
    sprite_window = ClipRect{2, 0, 5, 9};
    clip_blit(100, 50, 10, 10);
    EXPECT_EQ(col_start, 2);
    EXPECT_EQ(col_end, 6);
    EXPECT_EQ(row_start, 0);
    EXPECT_EQ(row_end, 10);

    clip_blit(-3, 50, 10, 10);   // the screen edge cuts deeper than the window
    EXPECT_EQ(col_start, 3);
    EXPECT_EQ(col_end, 6);

    current_sprite = -1;         // no sprite: the window is ignored
    clip_blit(100, 50, 10, 10);
    EXPECT_EQ(col_start, 0);
    EXPECT_EQ(col_end, 10);
}

// Clip rects are the game's to set; one reaching past the screen still keeps
// every write inside the back buffer (the sanitizer watches the global).
TEST_F(BlitTest, ClipRectsBeyondTheScreenAreHeldToIt)
{
    clip_rects[0] = ClipRect{-1000, -1000, 1000, 1000};
    clip_blit(-10, -10, 300, 400);
    EXPECT_EQ(col_start, 10);
    EXPECT_EQ(col_end, 250);
    EXPECT_EQ(row_start, 10);
    EXPECT_EQ(row_end, 330);

    std::vector<uint16_t> picture(300 * 400);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = uint16_t(i * 7);
    blit_rgb565(picture.data(), 300, 400, -10, -10, 32);
    EXPECT_EQ(at(0, 0), picture[10 * 300 + 10]);
    EXPECT_EQ(at(239, 319), picture[329 * 300 + 249]);
    blit_rgb565_keyed(picture.data(), 300, 400, -10, -10, 16);
    blit_rgb565(picture.data(), 300, 400, -10, -10, 16);
}

// ---- plain blitters ------------------------------------------------------

TEST_F(BlitTest, Rgb565CopiesAndBlends)
{
    const uint16_t picture[6] = {0xFFFF, 0x0000, COLOUR_KEY, 0x1234, 0xFFFF, 0xFFFF};
    back_buffer[5 * SCREEN_WIDTH + 10] = 0x0000;
    blit_rgb565(picture, 3, 2, 10, 5, 32);
    EXPECT_EQ(at(10, 5), 0xFFFF);
    EXPECT_EQ(at(11, 5), 0x0000);
    EXPECT_EQ(at(12, 5), COLOUR_KEY);   // no transparency on the plain path
    EXPECT_EQ(at(10, 6), 0x1234);
    EXPECT_EQ(at(13, 5), PAPER);
    EXPECT_EQ(at(10, 7), PAPER);

    fill_screen(0x0000);
    blit_rgb565(picture, 3, 2, 10, 5, 16);
    EXPECT_EQ(at(10, 5), 0x7BEF);
    EXPECT_EQ(at(12, 5), blend565(0, COLOUR_KEY, 16));
}

TEST_F(BlitTest, OpacityZeroOrLessDrawsNothing)
{
    const uint16_t picture[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    const uint8_t indices[4] = {1, 1, 1, 1};
    uint16_t palette[256] = {};
    palette[1] = 0xFFFF;
    const uint8_t alpha[4] = {32, 32, 32, 32};
    alpha_source = alpha;
    for (int opacity : {0, -1, -32}) {
        blit_rgb565(picture, 2, 2, 0, 0, opacity);
        blit_rgb565_keyed(picture, 2, 2, 0, 0, opacity);
        blit_rgb565_alpha(picture, 2, 2, 0, 0, opacity);
        blit_indexed(indices, palette, 2, 2, 0, 0, opacity);
    }
    EXPECT_EQ(at(0, 0), PAPER);
    EXPECT_EQ(at(1, 1), PAPER);
}

TEST_F(BlitTest, FullWidthPictureIsCopiedWhole)
{
    std::vector<uint16_t> picture(SCREEN_WIDTH * 12);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = uint16_t(i * 31 + 5);
    blit_rgb565(picture.data(), SCREEN_WIDTH, 12, 0, 100, 32);
    std::vector<uint16_t> want(BACK_BUFFER_PIXELS, PAPER);
    std::copy(picture.begin(), picture.end(), want.begin() + 100 * SCREEN_WIDTH);
    EXPECT_TRUE(screen_is(want));

    // Clipped rows: only rows 3..5 of the picture land, at screen rows 103..105.
    fill_screen(PAPER);
    clip_rects[0] = ClipRect{0, 103, SCREEN_WIDTH - 1, 105};
    blit_rgb565(picture.data(), SCREEN_WIDTH, 12, 0, 100, 32);
    want.assign(BACK_BUFFER_PIXELS, PAPER);
    std::copy(picture.begin() + 3 * SCREEN_WIDTH, picture.begin() + 6 * SCREEN_WIDTH, want.begin() + 103 * SCREEN_WIDTH);
    EXPECT_TRUE(screen_is(want));
}

TEST_F(BlitTest, KeyedSkipsOnlyTheKey)
{
    const uint16_t picture[4] = {COLOUR_KEY, 0xFFFF, 0xF81E, COLOUR_KEY};
    fill_screen(0x0000);
    blit_rgb565_keyed(picture, 4, 1, 0, 0, 32);
    EXPECT_EQ(at(0, 0), 0x0000);
    EXPECT_EQ(at(1, 0), 0xFFFF);
    EXPECT_EQ(at(2, 0), 0xF81E);
    EXPECT_EQ(at(3, 0), 0x0000);
    blit_rgb565_keyed(picture, 4, 1, 0, 1, 16);
    EXPECT_EQ(at(0, 1), 0x0000);
    EXPECT_EQ(at(1, 1), 0x7BEF);
    EXPECT_EQ(at(3, 1), 0x0000);
}

TEST_F(BlitTest, IndexedLooksUpThePalette)
{
    uint16_t palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = uint16_t(0x0101 * i);
    const uint8_t picture[11] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 255};   // index 0 is not special here
    blit_indexed(picture, palette, 11, 1, 3, 2, 32);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(at(3 + i, 2), palette[picture[i]]) << i;
    EXPECT_EQ(at(14, 2), PAPER);
    fill_screen(0x0000);
    blit_indexed(picture, palette, 11, 1, 3, 2, 8);
    EXPECT_EQ(at(13, 2), blend565(0x0000, 0xFFFF, 8));
}

TEST_F(BlitTest, AlphaWeightsMultiplyWithOpacity)
{
    const uint16_t picture[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    const uint8_t alpha[4] = {0, 1, 16, 32};
    alpha_source = alpha;
    fill_screen(0x0000);
    blit_rgb565_alpha(picture, 4, 1, 0, 0, 32);
    EXPECT_EQ(at(0, 0), 0x0000);
    EXPECT_EQ(at(1, 0), 0x0020);   // weight 1
    EXPECT_EQ(at(2, 0), 0x7BEF);
    EXPECT_EQ(at(3, 0), 0xFFFF);

    blit_rgb565_alpha(picture, 4, 1, 0, 1, 16);
    EXPECT_EQ(at(1, 1), 0x0000);   // (16 * 1) >> 5 = 0: untouched
    EXPECT_EQ(at(2, 1), blend565(0, 0xFFFF, 8));
    EXPECT_EQ(at(3, 1), 0x7BEF);   // alpha 32 blends with the opacity, 16
}

// ---- span lists ----------------------------------------------------------

TEST_F(BlitTest, SpanRowEnteredInsideItsOnlyRun)
{
    uint16_t picture[10];
    for (int i = 0; i < 10; ++i)
        picture[i] = uint16_t(0x100 + i);
    const uint8_t spans[] = {0, 10, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint16_t rows[] = {0};
    clip_rects[0] = ClipRect{4, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};
    blit_rgb565_spans(picture, spans, rows, 10, 1, 0, 0, 32);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(at(c, 0), PAPER) << c;
    for (int c = 4; c < 10; ++c)
        EXPECT_EQ(at(c, 0), picture[c]) << c;
    EXPECT_EQ(at(10, 0), PAPER);
}

TEST_F(BlitTest, SpanRowEnteredInAStraddlingRun)
{
    uint8_t picture[10];
    uint16_t palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = uint16_t(0x2000 + i);
    for (int i = 0; i < 10; ++i)
        picture[i] = uint8_t(i + 1);
    const uint8_t spans[] = {3, 4, 3, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint16_t rows[] = {0};
    clip_rects[0] = ClipRect{5, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};
    blit_indexed_spans(picture, palette, spans, rows, 10, 1, 0, 0, 32);
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(at(c, 0), c == 5 || c == 6 ? palette[c + 1] : PAPER) << c;
}

// Row 2, 3, 5: two clear pixels, three partial ones, five full ones.
class TripletTest : public BlitTest {
protected:
    uint16_t picture[10];
    uint8_t alpha[10] = {0, 0, 8, 16, 24, 32, 32, 32, 32, 32};
    const uint8_t spans[7] = {2, 3, 5, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint16_t rows[1] = {0};

    void SetUp() override
    {
        BlitTest::SetUp();
        for (int i = 0; i < 10; ++i)
            picture[i] = 0xFFFF;
        fill_screen(0x0000);
        alpha_source = alpha;
    }
    void expect_row(int first_drawn, int end_drawn)
    {
        for (int c = 0; c < 12; ++c) {
            uint16_t want = 0x0000;
            if (c >= first_drawn && c < end_drawn && c >= 2)
                want = alpha[c] == 32 ? 0xFFFF : blend565(0, 0xFFFF, alpha[c]);
            EXPECT_EQ(at(c, 0), want) << c;
        }
    }
};

TEST_F(TripletTest, WholeRowAtFullOpacity)
{
    blit_rgb565_alpha_spans(picture, spans, rows, 10, 1, 0, 0, 32);
    expect_row(0, 10);
    EXPECT_EQ(at(2, 0), 0x39E7);   // alpha 8 of white over black
}

TEST_F(TripletTest, EnteredInTheMiddleOfTheBlendRun)
{
    clip_rects[0].x0 = 3;
    blit_rgb565_alpha_spans(picture, spans, rows, 10, 1, 0, 0, 32);
    expect_row(3, 10);
}

TEST_F(TripletTest, EnteredInTheMiddleOfTheCopyRun)
{
    clip_rects[0].x0 = 7;
    blit_rgb565_alpha_spans(picture, spans, rows, 10, 1, 0, 0, 32);
    expect_row(7, 10);
}

TEST_F(TripletTest, CopyRunCutByTheRightEdge)
{
    clip_rects[0].x0 = 6;
    clip_rects[0].x1 = 7;
    blit_rgb565_alpha_spans(picture, spans, rows, 10, 1, 0, 0, 32);
    expect_row(6, 8);
}

TEST_F(TripletTest, EnteredAfterTheSkip)
{
    clip_rects[0].x0 = 1;
    clip_rects[0].x1 = 3;
    blit_rgb565_alpha_spans(picture, spans, rows, 10, 1, 0, 0, 32);
    expect_row(1, 4);
}

TEST_F(TripletTest, OpacityMultipliesTheBlendRunAndWeighsTheCopyRun)
{
    blit_rgb565_alpha_spans(picture, spans, rows, 10, 1, 0, 0, 16);
    EXPECT_EQ(at(1, 0), 0x0000);
    EXPECT_EQ(at(2, 0), blend565(0, 0xFFFF, 4));
    EXPECT_EQ(at(3, 0), blend565(0, 0xFFFF, 8));
    EXPECT_EQ(at(4, 0), blend565(0, 0xFFFF, 12));
    for (int c = 5; c < 10; ++c)
        EXPECT_EQ(at(c, 0), 0x7BEF) << c;
}

// ---- sweeps against the per-pixel model -----------------------------------

struct Placement {
    int x, y;
    ClipRect clip;
    bool windowed;
    ClipRect window;
    int opacity;
};

// Positions straddling every edge, clip rects of every shape (some empty),
// sometimes a sprite window, opacities full, translucent and at the ends.
std::vector<Placement> placements(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int opacities[] = {32, 32, 32, 16, 1, 31, 7};
    std::vector<Placement> out;
    for (int i = 0; i < 300; ++i) {
        Placement p;
        p.x = pick(-w - 2, SCREEN_WIDTH + 1);
        p.y = pick(-h - 2, BACK_BUFFER_HEIGHT + 1);
        if (i % 3 == 0) {
            p.clip = FULL_SCREEN;
        } else {
            int x0 = std::max(0, p.x + pick(-2, w + 1)), y0 = std::max(0, p.y + pick(-2, h + 1));
            p.clip = ClipRect{int16_t(x0), int16_t(y0), int16_t(std::min(SCREEN_WIDTH - 1, x0 + pick(-1, w))),
                              int16_t(std::min(BACK_BUFFER_HEIGHT - 1, y0 + pick(-1, h)))};
        }
        p.windowed = i % 4 == 1;
        int wx0 = pick(0, w - 1), wy0 = pick(0, h - 1);
        p.window = ClipRect{int16_t(wx0), int16_t(wy0), int16_t(pick(wx0 - 1, w - 1)), int16_t(pick(wy0, h - 1))};
        p.opacity = opacities[i % 7];
        out.push_back(p);
    }
    return out;
}

void place(const Placement& p)
{
    clip_rects[5] = p.clip;
    current_clip_index = 5;
    current_sprite = p.windowed ? 7 : -1;
    sprite_window = p.window;
}

// Random runs: transparency flips with a small chance, so rows have long and
// short runs, empty rows and full rows.
std::vector<bool> random_mask(int w, int h, std::mt19937& rng)
{
    std::vector<bool> mask(size_t(w) * h);
    std::uniform_int_distribution<int> d(0, 99);
    for (int r = 0; r < h; ++r) {
        bool on = d(rng) < 50;
        int style = d(rng);
        for (int c = 0; c < w; ++c) {
            if (d(rng) < 25)
                on = !on;
            mask[r * w + c] = style < 10 ? false : style < 20 ? true : on;
        }
    }
    return mask;
}

TEST_F(BlitTest, PairSpanBlittersMatchThePerPixelModel)
{
    const int w = 37, h = 9;
    std::mt19937 rng(1234);
    std::vector<bool> mask = random_mask(w, h, rng);
    std::vector<uint8_t> spans;
    std::vector<uint16_t> rows;
    build_pair_spans(mask, w, h, spans, rows);
    std::vector<uint16_t> colours(w * h);
    std::vector<uint8_t> indices(w * h);
    uint16_t palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = uint16_t(rng());
    for (int i = 0; i < w * h; ++i) {
        colours[i] = uint16_t(rng());
        indices[i] = uint8_t(1 + rng() % 255);
    }
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        back_buffer[i] = uint16_t(i * 40503u);

    for (const Placement& p : placements(w, h, 99)) {
        place(p);
        auto weight = [&](int c, int r) { return mask[r * w + c] ? p.opacity : 0; };
        std::vector<uint16_t> want = model(screen_copy(), w, h, p.x, p.y, weight,
                                           [&](int c, int r) { return colours[r * w + c]; });
        blit_rgb565_spans(colours.data(), spans.data(), rows.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want)) << "rgb565 at " << p.x << ", " << p.y << " opacity " << p.opacity;

        want = model(screen_copy(), w, h, p.x, p.y, weight,
                     [&](int c, int r) { return palette[indices[r * w + c]]; });
        blit_indexed_spans(indices.data(), palette, spans.data(), rows.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want)) << "indexed at " << p.x << ", " << p.y << " opacity " << p.opacity;
    }
}

TEST_F(BlitTest, AlphaBlittersMatchThePerPixelModel)
{
    const int w = 41, h = 7;
    std::mt19937 rng(777);
    std::vector<uint8_t> alpha(w * h);
    std::uniform_int_distribution<int> d(0, 99);
    for (int r = 0; r < h; ++r) {
        int kind = 0;
        for (int c = 0; c < w; ++c) {
            if (d(rng) < 30)
                kind = d(rng) % 3;
            alpha[r * w + c] = uint8_t(kind == 0 ? 0 : kind == 2 ? 32 : 1 + d(rng) % 31);
        }
    }
    std::vector<uint8_t> spans;
    std::vector<uint16_t> rows;
    build_triplet_spans(alpha, w, h, spans, rows);
    std::vector<uint16_t> colours(w * h);
    for (auto& c : colours)
        c = uint16_t(rng());
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        back_buffer[i] = uint16_t(i * 2654435761u);
    alpha_source = alpha.data();

    for (const Placement& p : placements(w, h, 5)) {
        place(p);
        auto weight = [&](int c, int r) {
            int a = alpha[r * w + c];
            return p.opacity == 32 ? a : (p.opacity * a) >> 5;
        };
        auto source = [&](int c, int r) { return colours[r * w + c]; };
        std::vector<uint16_t> want = model(screen_copy(), w, h, p.x, p.y, weight, source);
        blit_rgb565_alpha_spans(colours.data(), spans.data(), rows.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want)) << "spans at " << p.x << ", " << p.y << " opacity " << p.opacity;

        want = model(screen_copy(), w, h, p.x, p.y, weight, source);
        blit_rgb565_alpha(colours.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want)) << "plain at " << p.x << ", " << p.y << " opacity " << p.opacity;
    }
}

TEST_F(BlitTest, PlainBlittersMatchThePerPixelModel)
{
    const int w = 19, h = 13;
    std::mt19937 rng(42);
    std::vector<uint16_t> colours(w * h);
    std::vector<uint8_t> indices(w * h);
    uint16_t palette[256];
    for (auto& c : palette)
        c = uint16_t(rng());
    for (int i = 0; i < w * h; ++i) {
        colours[i] = rng() % 4 == 0 ? COLOUR_KEY : uint16_t(rng());
        indices[i] = uint8_t(rng());
    }
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        back_buffer[i] = uint16_t(i * 977u);

    for (const Placement& p : placements(w, h, 31)) {
        place(p);
        auto all = [&](int, int) { return p.opacity; };
        auto keyed = [&](int c, int r) { return colours[r * w + c] == COLOUR_KEY ? 0 : p.opacity; };
        auto source = [&](int c, int r) { return colours[r * w + c]; };
        std::vector<uint16_t> want = model(screen_copy(), w, h, p.x, p.y, all, source);
        blit_rgb565(colours.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want)) << "rgb565 at " << p.x << ", " << p.y;

        want = model(screen_copy(), w, h, p.x, p.y, keyed, source);
        blit_rgb565_keyed(colours.data(), w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want)) << "keyed at " << p.x << ", " << p.y;

        want = model(screen_copy(), w, h, p.x, p.y, all, [&](int c, int r) { return palette[indices[r * w + c]]; });
        blit_indexed(indices.data(), palette, w, h, p.x, p.y, p.opacity);
        ASSERT_TRUE(screen_is(want)) << "indexed at " << p.x << ", " << p.y;
    }
}

// ---- glyphs --------------------------------------------------------------

TEST_F(BlitTest, MaskedGlyphMergesBitsAtFullOpacity)
{
    // 3 x 1 glyph, then its masks.
    const uint16_t glyph[6] = {0xFFFF, 0xFFFF, 0xABCD, 0xFFFF, 0x0000, 0x00FF};
    fill_screen(0x1234);
    blit_glyph_masked(glyph, 0, 3, 1, 0, 0, 32);
    EXPECT_EQ(at(0, 0), 0xFFFF);
    EXPECT_EQ(at(1, 0), 0x1234);
    EXPECT_EQ(at(2, 0), 0x12CD);
    EXPECT_EQ(at(3, 0), 0x1234);

    blit_glyph_masked(glyph, 0, 3, 1, 0, 1, 16);   // translucent: any non-zero mask blends the whole pixel
    EXPECT_EQ(at(0, 1), blend565(0x1234, 0xFFFF, 16));
    EXPECT_EQ(at(1, 1), 0x1234);
    EXPECT_EQ(at(2, 1), blend565(0x1234, 0xABCD, 16));
}

TEST_F(BlitTest, GlyphOpacityIsAnUnsignedByte)
{
    const uint16_t glyph[2] = {0xFFFF, 0xFFFF};
    fill_screen(0x0000);
    blit_glyph_masked(glyph, 0, 1, 1, 0, 0, 256 + 32);   // reads as 32: a copy
    EXPECT_EQ(at(0, 0), 0xFFFF);
    blit_glyph_masked(glyph, 0, 1, 1, 1, 0, 256);        // reads as 0: nothing
    EXPECT_EQ(at(1, 0), 0x0000);
    const uint16_t alpha_glyph[2] = {0xFFFF, 32};
    blit_glyph_alpha(alpha_glyph, 0, 1, 1, 2, 0, 256 + 16);
    EXPECT_EQ(at(2, 0), 0x7BEF);
}

TEST_F(BlitTest, AlphaGlyphWeighsByOpacityTimesAlpha)
{
    // 4 x 2 glyph: pixels, then alpha.
    const uint16_t glyph[16] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xF800, 0xF800, 0xF800, 0xF800,
                                0, 1, 16, 32, 32, 32, 32, 32};
    fill_screen(0x0000);
    blit_glyph_alpha(glyph, 0, 4, 2, 10, 10, 32);
    EXPECT_EQ(at(10, 10), 0x0000);
    EXPECT_EQ(at(11, 10), 0x0020);
    EXPECT_EQ(at(12, 10), 0x7BEF);
    EXPECT_EQ(at(13, 10), 0xFFFF);
    EXPECT_EQ(at(10, 11), 0xF800);
    EXPECT_EQ(at(14, 10), 0x0000);
    blit_glyph_alpha(glyph, 0, 4, 2, 20, 10, 16);
    EXPECT_EQ(at(21, 10), 0x0000);
    EXPECT_EQ(at(22, 10), blend565(0, 0xFFFF, 8));
    EXPECT_EQ(at(23, 10), 0x7BEF);
}

TEST_F(BlitTest, GlyphsAreClippedLikePictures)
{
    const uint16_t glyph[8] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};   // 2 x 2, full masks
    fill_screen(0x0000);
    blit_glyph_masked(glyph, 0, 2, 2, -1, -1, 32);
    blit_glyph_masked(glyph, 0, 2, 2, 239, 319, 32);
    EXPECT_EQ(at(0, 0), 0xFFFF);
    EXPECT_EQ(at(1, 0), 0x0000);
    EXPECT_EQ(at(239, 319), 0xFFFF);
    EXPECT_EQ(at(238, 319), 0x0000);
}

}  // namespace
