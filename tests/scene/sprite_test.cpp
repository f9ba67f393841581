// The sprite table: what creating and re-creating leave in a record, the id
// range, and how a sprite is placed, windowed and cut from its frame.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/blit.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/sprite.h"

namespace {

constexpr uint16_t PAPER = 0x0000;

uint16_t at(int x, int y) { return back_buffer[y * SCREEN_WIDTH + x]; }

class SpriteTest : public ::testing::Test {
protected:
    std::vector<uint16_t> white = std::vector<uint16_t>(15 * 10, 0xFFFF);
    Image solid_white{white.data(), nullptr, nullptr, nullptr, nullptr, FORMAT_RGB565, 1, 15, 10};

    void SetUp() override
    {
        std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, PAPER);
        clip_rects[0] = ClipRect{0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};
    }
    void TearDown() override { sprite_table_clear(); }
};

TEST_F(SpriteTest, RecreatingReusesTheRecordAndResetsIt)
{
    uint8_t alpha[4] = {};
    Image other{white.data(), alpha, nullptr, nullptr, nullptr, FORMAT_RGB565_ALPHA, 1, 2, 2};
    Sprite* s = sprite_create(2100, &solid_white, 15, 10, 40, 50);
    s->active = 0;
    s->layer = 300;
    s->opacity = 5;
    s->frame = 2;
    s->clip_index = 4;
    sprite_set_window(2100, 3, 3, 4, 4);
    EXPECT_EQ(sprite_create(2100, &other, 2, 2, -7, 9), s);
    EXPECT_EQ(sprite_table[2100], s);
    EXPECT_EQ((std::vector<int>{s->active, s->x, s->y, s->cell_w, s->cell_h, s->w, s->h, s->format, s->solid, s->layer,
                                s->frame, s->opacity, s->clip_index}),
              (std::vector<int>{1, -7, 9, 2, 2, 2, 2, FORMAT_RGB565_ALPHA, 1, 0, 0, 32, 0}));
    EXPECT_EQ((std::vector<int>{s->window[0], s->window[1], s->window[2], s->window[3]}), (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(s->pixels, white.data());
    EXPECT_EQ(s->alpha, alpha);
}

TEST_F(SpriteTest, IdRangeOnlyWidens)
{
    lowest_sprite_id = SPRITE_TABLE_SIZE;
    highest_sprite_id = -1;
    sprite_create(2048, &solid_white, 15, 10, 0, 0);
    sprite_create(5, &solid_white, 15, 10, 0, 0);
    sprite_create(100, &solid_white, 15, 10, 0, 0);
    EXPECT_EQ(lowest_sprite_id, 5);
    EXPECT_EQ(highest_sprite_id, 2048);
    sprite_table_clear();
    EXPECT_EQ(sprite_table[5], nullptr);
    EXPECT_EQ(sprite_table[2048], nullptr);
    EXPECT_EQ(lowest_sprite_id, 5);
    EXPECT_EQ(highest_sprite_id, 2048);
}

// Left and top are the centre minus half the size, shifted arithmetically.
TEST_F(SpriteTest, PlacedByItsCentre)
{
    sprite_create(1, &solid_white, 15, 10, 100, 50);   // columns 93..107, rows 45..54
    sprite_create(2, &solid_white, 14, 3, 100, 100);   // columns 93..106, rows 99..101
    sprite_create(3, &solid_white, 5, 1, -1, 200);     // left -3: columns 0..1
    for (int id = 1; id <= 3; ++id)
        sprite_draw(id);
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
        EXPECT_EQ(at(x, 45), x >= 93 && x <= 107 ? 0xFFFF : PAPER) << x;
        EXPECT_EQ(at(x, 100), x >= 93 && x <= 106 ? 0xFFFF : PAPER) << x;
        EXPECT_EQ(at(x, 200), x <= 1 ? 0xFFFF : PAPER) << x;
    }
    EXPECT_EQ((std::vector<int>{at(100, 44), at(100, 54), at(100, 55), at(100, 98), at(100, 102)}),
              (std::vector<int>{PAPER, 0xFFFF, PAPER, PAPER, PAPER}));
}

TEST_F(SpriteTest, WindowOpacityAndUnknownFormat)
{
    Sprite* s = sprite_create(7, &solid_white, 10, 10, 105, 55);   // left 100, top 50
    sprite_set_window(7, 2, 0, 5, 9);
    s->opacity = 16;
    sprite_draw(7);
    for (int x = 95; x < 115; ++x)
        EXPECT_EQ(at(x, 52), x >= 102 && x <= 105 ? 0x7BEF : PAPER) << x;
    s->format = 0;
    s->x = 20;
    sprite_draw(7);
    EXPECT_EQ(at(17, 52), PAPER);
}

// Frame f starts cell_w * cell_h * f pixels (and alpha bytes) in, and its span
// rows h * f row offsets in. Every frame here differs, so a wrong start shows.
TEST_F(SpriteTest, DrawsTheCurrentFrameOfAStrip)
{
    // Three 2 x 2 indexed frames; row 0 of each has its own transparency.
    uint8_t indices[12] = {0, 1, 1, 1, 2, 0, 2, 2, 3, 3, 3, 3};
    uint8_t spans[] = {1, 1, 0, 2, 0, 1, 1, 0, 2, 0, 2, 0, 2, 0xFF, 0xFF, 0xFF, 0xFF};
    uint16_t rows[6] = {0, 2, 4, 7, 9, 11};
    uint16_t palette[256] = {0xF81F, 0x1111, 0x2222, 0x3333};
    Image strip{indices, nullptr, rows, spans, palette, FORMAT_INDEXED8, 0, 2, 6};
    for (int f = 0; f < 3; ++f) {
        Sprite* s = sprite_create(10 + f, &strip, 2, 2, 11 + 10 * f, 11);
        s->frame = int16_t(f);
        sprite_draw(10 + f);
    }
    const uint16_t want[3][4] = {{PAPER, 0x1111, 0x1111, 0x1111}, {0x2222, PAPER, 0x2222, 0x2222}, {0x3333, 0x3333, 0x3333, 0x3333}};
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(at(10 + 10 * f + i % 2, 10 + i / 2), want[f][i]) << "frame " << f << " pixel " << i;

    // Three 1 x 1 frames with alpha 32, 16, 0.
    uint16_t pixels[3] = {0xFFFF, 0xFFFF, 0xFFFF};
    uint8_t alpha[3] = {32, 16, 0};
    Image faded{pixels, alpha, nullptr, nullptr, nullptr, FORMAT_RGB565_ALPHA, 1, 1, 3};
    for (int f = 0; f < 3; ++f) {
        Sprite* s = sprite_create(20 + f, &faded, 1, 1, 10 + f, 30);
        s->frame = int16_t(f);
        sprite_draw(20 + f);
    }
    EXPECT_EQ((std::vector<int>{at(10, 30), at(11, 30), at(12, 30)}), (std::vector<int>{0xFFFF, 0x7BEF, PAPER}));
}

}  // namespace
