// Surface slots: what adopting and freeing leave in the record, and which
// blitter and hooks slot_draw picks for each kind, format and opacity.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/blit.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"

namespace {

constexpr uint16_t PAPER = 0x1111;
std::vector<int> calls;   // hook calls in order: slot for after-draw, 100 + slot for text draw, 200 + slot for text clear

uint16_t* malloc_pixels(int count, uint16_t value)
{
    uint16_t* p = static_cast<uint16_t*>(std::malloc(size_t(count) * 2));
    for (int i = 0; i < count; ++i)
        p[i] = value;
    return p;
}

uint16_t at(int x, int y) { return back_buffer[y * SCREEN_WIDTH + x]; }

class SlotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(surface_slots, 0, sizeof(surface_slots));
        for (auto& p : back_buffer)
            p = PAPER;
        clip_rects[0] = ClipRect{0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};
        calls.clear();
        after_draw_hook = [](uint8_t s) { calls.push_back(s); };
        text_slot_draw_hook = [](uint8_t s) { calls.push_back(100 + s); };
        text_slot_clear_hook = [](uint8_t s) { calls.push_back(200 + s); };
    }
    void TearDown() override
    {
        for (int i = 0; i < SLOT_COUNT; ++i)
            if (surface_slots[i].kind == SLOT_BUFFER)
                slot_free(uint8_t(i));
        std::memset(surface_slots, 0, sizeof(surface_slots));
        after_draw_hook = text_slot_draw_hook = text_slot_clear_hook = nullptr;
    }
};

TEST_F(SlotTest, AdoptResetsTheRecordAndReleasesTheOldBuffer)
{
    slot_create_rgb565(9, 4, 4, 0);
    SurfaceSlot& s = surface_slots[9];
    s.x = 50;
    s.opacity = 3;
    s.clip_index = 7;
    s.layer = 700;
    uint16_t* pixels = malloc_pixels(6 * 4 * 3 / 2, 0);   // 6 x 4 with an alpha plane
    slot_adopt_buffer(9, pixels, 6, 4, 1, 1);             // the leak checker sees the first block go
    EXPECT_EQ(s.pixels, pixels);
    EXPECT_EQ((std::vector<int>{s.in_use, s.kind, s.format, s.width, s.height, s.layer, s.x, s.y, s.opacity, s.solid, s.clip_index}),
              (std::vector<int>{1, SLOT_BUFFER, FORMAT_RGB565_ALPHA, 6, 4, 9, 0, 0, 32, 1, 0}));
}

TEST_F(SlotTest, FreeReleasesByKindAndOnlyWhenInUse)
{
    slot_create_rgb565(3, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 1);
    surface_slots[3].pixels[BACK_BUFFER_PIXELS - 1] = 1;   // the whole buffer is there
    slot_free(3);
    EXPECT_EQ(surface_slots[3].in_use, 0);
    EXPECT_EQ(surface_slots[3].pixels, nullptr);

    uint16_t not_owned[1];   // freeing it would be caught by the sanitizer
    const uint8_t kinds[] = {SLOT_TEXT_ROW, SLOT_SHAPE_LIST, SLOT_BUFFER};
    for (uint8_t slot = 4; slot < 7; ++slot) {
        surface_slots[slot].kind = kinds[slot - 4];
        surface_slots[slot].pixels = not_owned;
        surface_slots[slot].in_use = slot != 6;   // a free buffer slot releases nothing
        slot_free(slot);
        EXPECT_EQ(surface_slots[slot].in_use, 0);
        EXPECT_EQ(surface_slots[slot].pixels, not_owned);
    }
    EXPECT_EQ(calls, std::vector<int>{204});
}

TEST_F(SlotTest, DrawPicksTheBlitterByFormatAndSolid)
{
    slot_adopt_buffer(1, malloc_pixels(2, COLOUR_KEY), 2, 1, 1, 0);
    surface_slots[1].pixels[1] = 0x0F0F;
    slot_draw(1);
    EXPECT_EQ(at(0, 0), COLOUR_KEY);   // solid: copied as it is
    surface_slots[1].solid = 0;
    surface_slots[1].y = 1;
    slot_draw(1);
    EXPECT_EQ(at(0, 1), PAPER);        // keyed: the key stays transparent
    EXPECT_EQ(at(1, 1), 0x0F0F);

    // 3 x 1 pixels, then the alpha plane: clear, half, full.
    uint16_t* block = static_cast<uint16_t*>(std::malloc(3 * 3));
    block[0] = block[1] = block[2] = 0xFFFF;
    std::memcpy(block + 3, "\x00\x10\x20", 3);
    slot_adopt_buffer(2, block, 3, 1, 1, 1);
    surface_slots[2].y = 5;
    std::fill(back_buffer + 5 * SCREEN_WIDTH, back_buffer + 5 * SCREEN_WIDTH + 3, 0x0000);
    slot_draw(2);
    EXPECT_EQ(at(0, 5), 0x0000);
    EXPECT_EQ(at(1, 5), 0x7BEF);
    EXPECT_EQ(at(2, 5), 0xFFFF);

    surface_slots[2].format = FORMAT_INDEXED8;   // no blitter for this on a slot
    surface_slots[2].y = 6;
    slot_draw(2);
    EXPECT_EQ(at(0, 6), PAPER);
    EXPECT_EQ(calls, (std::vector<int>{1, 1, 2, 2}));
}

TEST_F(SlotTest, OpacityBlendsAndZeroSkipsWithoutTheHook)
{
    slot_adopt_buffer(7, malloc_pixels(1, 0xFFFF), 1, 1, 1, 0);
    back_buffer[0] = 0x0000;
    for (int opacity : {0, -4}) {
        surface_slots[7].opacity = int16_t(opacity);
        slot_draw(7);
    }
    surface_slots[7].opacity = 16;
    surface_slots[7].in_use = 0;
    slot_draw(7);
    EXPECT_EQ(at(0, 0), 0x0000);
    EXPECT_TRUE(calls.empty());
    surface_slots[7].in_use = 1;
    slot_draw(7);
    EXPECT_EQ(at(0, 0), 0x7BEF);
    EXPECT_EQ(calls, std::vector<int>{7});
}

TEST_F(SlotTest, TextAndShapeSlotsGoToTheirHooks)
{
    for (uint8_t slot : {5, 10}) {
        surface_slots[slot].in_use = 1;
        surface_slots[slot].kind = slot == 5 ? SLOT_TEXT_ROW : SLOT_SHAPE_LIST;
        surface_slots[slot].opacity = 32;
        slot_draw(slot);
    }
    EXPECT_EQ(calls, (std::vector<int>{105, 5, 10}));
}

// A sprite drawn just before must not leave its window on the slot, and the
// slot's own clip rectangle is the one used.
TEST_F(SlotTest, DrawUsesTheSlotsClipAndNoSpriteWindow)
{
    current_sprite = 12;
    sprite_window = ClipRect{0, 0, 0, 0};
    clip_rects[2] = ClipRect{50, 50, 51, 51};
    slot_adopt_buffer(3, malloc_pixels(4 * 4, 0x0F0F), 4, 4, 1, 0);
    surface_slots[3].clip_index = 2;
    surface_slots[3].x = 49;
    surface_slots[3].y = 49;
    slot_draw(3);
    EXPECT_EQ(current_sprite, -1);
    EXPECT_EQ(at(49, 49), PAPER);
    EXPECT_EQ(at(50, 50), 0x0F0F);
    EXPECT_EQ(at(51, 51), 0x0F0F);
    EXPECT_EQ(at(52, 51), PAPER);
}

}  // namespace
