// Shape display lists: the list upkeep, clipping to the screen rectangle with
// the 1/1024 slope, the plain and smoothed line drawers pixel for pixel, and
// lists drawn by the after-draw hook and in a composed frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <random>
#include <utility>

#include "gfx/blit.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/compose.h"
#include "scene/shape.h"
#include "scene/sprite.h"

namespace {

constexpr uint8_t LIST = 10;
constexpr uint16_t BG = 0x4208;
constexpr uint16_t INK = 0xFFE0;

using Pixels = std::map<std::pair<int, int>, uint16_t>;

uint16_t mix(int weight)
{
    return blend565(BG, INK, weight);
}

void clear_screen()
{
    std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, BG);
}

// Every pixel that differs from the background, by (x, y).
Pixels changed()
{
    Pixels out;
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        if (back_buffer[i] != BG)
            out[{i % SCREEN_WIDTH, i / SCREEN_WIDTH}] = back_buffer[i];
    return out;
}

class Lines : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
        clear_screen();
        smooth_lines = 1;
    }

    void TearDown() override
    {
        shape_list_clear(LIST);
        slot_free(LIST);
        smooth_lines = 1;
    }
};

}  // namespace

TEST_F(Lines, ListUpkeep)
{
    slot_free(LIST);
    after_draw_hook = nullptr;
    shape_list_open(LIST);
    const SurfaceSlot& s = surface_slots[LIST];
    EXPECT_EQ(s.in_use, 1);
    EXPECT_EQ(s.kind, SLOT_SHAPE_LIST);
    EXPECT_EQ(s.layer, LIST);
    EXPECT_EQ(s.opacity, 32);
    EXPECT_EQ(s.shape_list, nullptr);
    EXPECT_EQ(after_draw_hook, &shape_list_draw);

    ShapeNode* a = shape_add_line(LIST, 1, 2, 3, 4, 0x1111, 32);
    ShapeNode* b = shape_add_line(LIST, 5, 6, 7, 8, 0x2222, 16);
    ShapeNode* c = shape_node_append(LIST);
    EXPECT_EQ(s.shape_list, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->next, c);
    EXPECT_EQ(c->next, nullptr);
    EXPECT_EQ((std::array<int32_t, 4>{b->x0, b->y0, b->x1, b->y1}), (std::array<int32_t, 4>{5, 6, 7, 8}));
    EXPECT_EQ(b->colour, 0x2222);
    EXPECT_EQ(b->opacity, 16);

    // Opening an existing list empties it and keeps its layer and opacity.
    surface_slots[LIST].layer = 700;
    surface_slots[LIST].opacity = 20;
    shape_list_open(LIST);
    EXPECT_EQ(s.shape_list, nullptr);
    EXPECT_EQ(s.layer, 700);
    EXPECT_EQ(s.opacity, 20);

    shape_add_line(LIST, 0, 0, 1, 1, INK, 32);
    shape_list_clear(LIST);
    EXPECT_EQ(s.shape_list, nullptr);
    ShapeNode* d = shape_add_line(LIST, 0, 0, 1, 1, INK, 32);
    EXPECT_EQ(s.shape_list, d);
    EXPECT_EQ(d->next, nullptr);
}

// Expected ends follow m = ((y0 - y1) << 10) / (x0 - x1), b = (y0 << 10) - x0 m.
TEST_F(Lines, ClipLineCutsWithTheSlopeInTenBits)
{
    struct Case {
        int x0, y0, x1, y1;
        bool kept;
        int cx0 = 0, cy0 = 0, cx1 = 0, cy1 = 0;
    };
    const Case cases[] = {
        {-20, 5, -3, 50, false},                    // both ends left
        {300, 5, 260, 50, false},                   // both ends right
        {10, -40, 60, -1, false},                   // above
        {10, 320, 60, 400, false},                  // below
        {240, 0, 240, 10, false},                   // vertical, beyond the right column
        {20, 30, 100, 90, true, 20, 30, 100, 90},   // inside: unchanged
        {5, -10, 5, 400, true, 5, 0, 5, 319},       // vertical, cut at both ends
        // m = 33792 / 100 = 337, b = -57160: y(239) = 23383 >> 10
        {200, 10, 300, 43, true, 200, 10, 239, 22},
        // m = 92160 / 150 = 614, b = 30680: y(0) = 30680 >> 10
        {-100, -30, 50, 60, true, 0, 29, 50, 60},
        // m = 2048, b = 286720: x(319) = 39936 / 2048
        {10, 300, 30, 340, true, 10, 300, 19, 319},
        // m = 61440 / 150 = 409, b = -30: y(0) = -1, so x0 = x(0) = 30 / 409
        {-50, -20, 100, 40, true, 0, 0, 100, 40},
        // m = -512, b = 51200: x1 = 0 at y(0) = 50; x0 = 239 at y(239) = -70,
        // then y0 = 0 at x(0) = -51200 / -512
        {300, -100, -20, 60, true, 100, 0, 0, 50},
        {300, -100, 200, -50, false},               // same slope, still above at column 239
        // The truncated slope puts the row's x at 259 and at -1: held to the rect.
        {-317, 310, 230, 319, true, 0, 314, 239, 319},
        {380, 207, 0, 319, true, 239, 248, 0, 319},
    };
    for (const Case& c : cases) {
        int32_t x0 = c.x0, y0 = c.y0, x1 = c.x1, y1 = c.y1;
        ASSERT_EQ(clip_line(x0, y0, x1, y1), c.kept) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
        if (c.kept) {
            EXPECT_EQ((std::array<int32_t, 4>{x0, y0, x1, y1}), (std::array<int32_t, 4>{c.cx0, c.cy0, c.cx1, c.cy1}))
                << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
        }
    }
    set_screen_rect(80, 0, 160, 24);
    int32_t x0 = 0, y0 = 10, x1 = 239, y1 = 10;
    ASSERT_TRUE(clip_line(x0, y0, x1, y1));
    EXPECT_EQ(x0, 80);
    EXPECT_EQ(x1, 160);
}

// Whatever the ends and the screen rect, nothing outside the rect changes and
// nothing outside the buffer is written.
TEST_F(Lines, NoDrawerWritesOutsideTheScreenRect)
{
    std::mt19937 rng(77);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 400; ++round) {
        const int16_t rx0 = int16_t(pick(-50, 250)), ry0 = int16_t(pick(-50, 330));
        const int16_t rx1 = int16_t(pick(rx0, 300)), ry1 = int16_t(pick(ry0, 400));
        set_screen_rect(rx0, ry0, rx1, ry1);
        clear_screen();
        for (int n = 0; n < 20; ++n) {
            const int span = n % 4 == 0 ? 3000000 : (n % 4 == 1 ? 2000 : 400);
            const int32_t x0 = pick(-span, span), y0 = pick(-span, span), x1 = pick(-span, span), y1 = pick(-span, span);
            switch (n % 4) {
            case 0: draw_line(x0, y0, x1, y1, INK); break;
            case 1: draw_line_blend(x0, y0, x1, y1, INK, 16); break;
            case 2: draw_smooth_line(x0, y0, x1, y1, INK); break;
            default: draw_smooth_line_blend(x0, y0, x1, y1, INK, 20); break;
            }
        }
        for (const auto& [at, value] : changed()) {
            ASSERT_TRUE(at.first >= rx0 && at.first <= rx1 && at.second >= ry0 && at.second <= ry1)
                << at.first << "," << at.second;
        }
    }
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    draw_line(-317, 310, 230, 319, INK);
    draw_smooth_line(-195, 313, 219, 319, INK);
    draw_smooth_line(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INK);
}

TEST_F(Lines, DrawersPixelForPixel)
{
    struct Case {
        const char* what;
        std::function<void()> draw;
        Pixels want;
    };
    const uint16_t h = mix(16);
    const Case cases[] = {
        {"one point, plain", [] { draw_line(10, 10, 10, 10, INK); }, {{{10, 10}, INK}}},
        {"one point, smoothed", [] { draw_smooth_line(10, 10, 10, 10, INK); }, {{{10, 10}, INK}}},
        {"Bresenham, shallow", [] { draw_line(0, 0, 5, 2, INK); },
         {{{0, 0}, INK}, {{1, 0}, INK}, {{2, 1}, INK}, {{3, 1}, INK}, {{4, 2}, INK}, {{5, 2}, INK}}},
        {"Bresenham, steep and leftwards, blended", [] { draw_line_blend(0, 5, 2, 0, INK, 16); },
         {{{2, 0}, h}, {{2, 1}, h}, {{1, 2}, h}, {{1, 3}, h}, {{0, 4}, h}, {{0, 5}, h}}},
        {"smoothed horizontal: full strength, no pairs", [] { draw_smooth_line(5, 10, 9, 10, INK); },
         {{{5, 10}, INK}, {{6, 10}, INK}, {{7, 10}, INK}, {{8, 10}, INK}, {{9, 10}, INK}}},
        {"smoothed diagonal", [] { draw_smooth_line(10, 20, 8, 22, INK); },
         {{{10, 20}, INK}, {{9, 21}, INK}, {{8, 22}, INK}}},
        // Step 65536 / 4 = 16384: the accumulator's top five bits read 8, 16, 24.
        {"smoothed steep", [] { draw_smooth_line(1, 4, 0, 0, INK); },
         {{{0, 0}, INK}, {{0, 1}, mix(24)}, {{1, 1}, mix(9)}, {{0, 2}, mix(16)}, {{1, 2}, mix(17)},
          {{0, 3}, mix(8)}, {{1, 3}, mix(25)}, {{1, 4}, INK}}},
        {"smoothed shallow", [] { draw_smooth_line(0, 0, 4, 1, INK); },
         {{{0, 0}, INK}, {{1, 0}, mix(24)}, {{1, 1}, mix(9)}, {{2, 0}, mix(16)}, {{2, 1}, mix(17)},
          {{3, 0}, mix(8)}, {{3, 1}, mix(25)}, {{4, 1}, INK}}},
        // Step 39321: the accumulator wraps on rows 2 and 4, where x moves left.
        {"smoothed steep leftwards", [] { draw_smooth_line(20, 0, 17, 5, INK); },
         {{{20, 0}, INK}, {{20, 1}, mix(13)}, {{19, 1}, mix(20)}, {{19, 2}, mix(26)}, {{18, 2}, mix(7)},
          {{19, 3}, mix(7)}, {{18, 3}, mix(26)}, {{18, 4}, mix(20)}, {{17, 4}, mix(13)}, {{17, 5}, INK}}},
        // Opacity 16: the ends blend by 16 and a pair weight k by (16 k) >> 5.
        {"smoothed steep, blended", [] { draw_smooth_line_blend(0, 0, 1, 4, INK, 16); },
         {{{0, 0}, h}, {{0, 1}, mix(12)}, {{1, 1}, mix(4)}, {{0, 2}, mix(8)}, {{1, 2}, mix(8)},
          {{0, 3}, mix(4)}, {{1, 3}, mix(12)}, {{1, 4}, h}}},
    };
    for (const Case& c : cases) {
        clear_screen();
        c.draw();
        EXPECT_EQ(changed(), c.want) << c.what;
    }
}

// e = node opacity x slot opacity >> 5 picks the blended drawers; e = 0, other
// kinds and other slots draw nothing.
TEST_F(Lines, ListDrawScalesByNodeAndSlotOpacity)
{
    shape_list_open(LIST);
    ShapeNode* node = shape_add_line(LIST, 3, 7, 5, 7, INK, 16);
    const Pixels half = {{{3, 7}, mix(16)}, {{4, 7}, mix(16)}, {{5, 7}, mix(16)}};
    shape_list_draw(LIST);
    EXPECT_EQ(changed(), half);
    clear_screen();
    smooth_lines = 0;
    shape_list_draw(LIST);
    EXPECT_EQ(changed(), half);

    clear_screen();
    shape_line_set(node, 3, 7, 3, 8, INK, 32);
    surface_slots[LIST].opacity = 8;
    shape_list_draw(LIST);
    EXPECT_EQ(changed(), (Pixels{{{3, 7}, mix(8)}, {{3, 8}, mix(8)}}));

    clear_screen();
    shape_line_set(node, 3, 7, 3, 8, INK, 3);   // e = 24 >> 5 = 0
    shape_list_draw(LIST);
    surface_slots[LIST].opacity = 32;
    shape_line_set(node, 3, 7, 3, 8, INK, 32);
    node->kind = 1;
    shape_list_draw(LIST);
    shape_node_append(LIST);   // never set: opacity 0
    shape_list_draw(LIST);
    shape_list_draw(3);
    shape_list_draw(200);
    EXPECT_TRUE(changed().empty());
}

// A frame: opaque background slot on layer 15, the list on layer 10. The
// first line is given bottom end first, so it is walked leftwards from (104,
// 199); the second is drawn at half strength.
TEST_F(Lines, ComposedFrameShowsTheListOverTheBackground)
{
    sprite_table_clear();
    set_clip_rect(0, 0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    slot_create_rgb565(15, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 1);
    std::fill(surface_slots[15].pixels, surface_slots[15].pixels + BACK_BUFFER_PIXELS, BG);
    shape_list_open(LIST);
    shape_add_line(LIST, 100, 200, 104, 199, INK, 32);
    shape_add_line(LIST, 50, 60, 50, 62, INK, 16);
    std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, uint16_t(0x0000));
    compose_frame(0, LAYER_COUNT - 1);
    slot_free(15);

    EXPECT_EQ(changed(), (Pixels{
                             {{104, 199}, INK}, {{103, 199}, mix(24)}, {{103, 200}, mix(9)},
                             {{102, 199}, mix(16)}, {{102, 200}, mix(17)},
                             {{101, 199}, mix(8)}, {{101, 200}, mix(25)}, {{100, 200}, INK},
                             {{50, 60}, mix(16)}, {{50, 61}, mix(16)}, {{50, 62}, mix(16)},
                         }));
}
