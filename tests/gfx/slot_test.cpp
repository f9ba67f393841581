// Surface slots: what creating, adopting and freeing leave in the record, and
// which blitter and hooks slot_draw picks for each kind and format.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/blit.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"

namespace {

constexpr uint16_t PAPER = 0x1111;   // what the back buffer holds before a draw

std::vector<int> hook_calls;
std::vector<int> text_draw_calls;
std::vector<int> text_clear_calls;

void record_after(uint8_t slot) { hook_calls.push_back(slot); }
void record_text_draw(uint8_t slot) { text_draw_calls.push_back(slot); }
void record_text_clear(uint8_t slot) { text_clear_calls.push_back(slot); }

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
        for (int i = 0; i < SLOT_COUNT; ++i)
            slot_free(uint8_t(i));
        std::memset(surface_slots, 0, sizeof(surface_slots));
        for (auto& p : back_buffer)
            p = PAPER;
        for (auto& r : clip_rects)
            r = ClipRect{0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};
        hook_calls.clear();
        text_draw_calls.clear();
        text_clear_calls.clear();
        after_draw_hook = record_after;
        text_slot_draw_hook = record_text_draw;
        text_slot_clear_hook = record_text_clear;
    }
    void TearDown() override
    {
        for (int i = 0; i < SLOT_COUNT; ++i)
            if (surface_slots[i].kind == SLOT_BUFFER)
                slot_free(uint8_t(i));
        std::memset(surface_slots, 0, sizeof(surface_slots));
        after_draw_hook = nullptr;
        text_slot_draw_hook = nullptr;
        text_slot_clear_hook = nullptr;
    }
};

TEST_F(SlotTest, AdoptSetsEveryField)
{
    uint16_t* pixels = malloc_pixels(6 * 4 * 3 / 2, 0);   // 6 x 4 with an alpha plane
    surface_slots[9].x = 50;
    surface_slots[9].opacity = 3;
    surface_slots[9].clip_index = 7;
    slot_adopt_buffer(9, pixels, 6, 4, 1, 1);
    const SurfaceSlot& s = surface_slots[9];
    EXPECT_EQ(s.in_use, 1);
    EXPECT_EQ(s.kind, SLOT_BUFFER);
    EXPECT_EQ(s.format, FORMAT_RGB565_ALPHA);
    EXPECT_EQ(s.pixels, pixels);
    EXPECT_EQ(s.width, 6);
    EXPECT_EQ(s.height, 4);
    EXPECT_EQ(s.layer, 9);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.y, 0);
    EXPECT_EQ(s.opacity, 32);
    EXPECT_EQ(s.solid, 1);
    EXPECT_EQ(s.clip_index, 0);

    slot_adopt_buffer(9, malloc_pixels(4, 0), 2, 2, 0, 0);   // the first block is released (leak check)
    EXPECT_EQ(surface_slots[9].format, FORMAT_RGB565);
    EXPECT_EQ(surface_slots[9].solid, 0);
}

TEST_F(SlotTest, CreateAllocatesAWholeBuffer)
{
    slot_create_rgb565(14, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 1);
    const SurfaceSlot& s = surface_slots[14];
    ASSERT_NE(s.pixels, nullptr);
    EXPECT_EQ(s.format, FORMAT_RGB565);
    EXPECT_EQ(s.layer, 14);
    EXPECT_EQ(s.solid, 1);
    // Writing every pixel must stay inside the block (checked by the sanitizer).
    for (int i = 0; i < SCREEN_WIDTH * BACK_BUFFER_HEIGHT; ++i)
        s.pixels[i] = uint16_t(i);
    EXPECT_EQ(s.pixels[SCREEN_WIDTH * BACK_BUFFER_HEIGHT - 1], uint16_t(SCREEN_WIDTH * BACK_BUFFER_HEIGHT - 1));
}

TEST_F(SlotTest, FreeReleasesByKind)
{
    slot_create_rgb565(3, 4, 4, 1);
    slot_free(3);
    EXPECT_EQ(surface_slots[3].in_use, 0);
    EXPECT_EQ(surface_slots[3].pixels, nullptr);

    uint16_t not_owned[4] = {};
    surface_slots[4] = SurfaceSlot{};
    surface_slots[4].in_use = 1;
    surface_slots[4].kind = SLOT_TEXT_ROW;
    surface_slots[4].pixels = not_owned;
    slot_free(4);
    EXPECT_EQ(text_clear_calls, std::vector<int>{4});
    EXPECT_EQ(surface_slots[4].in_use, 0);
    EXPECT_EQ(surface_slots[4].pixels, not_owned);

    surface_slots[10].in_use = 1;
    surface_slots[10].kind = SLOT_SHAPE_LIST;
    surface_slots[10].pixels = not_owned;
    slot_free(10);
    EXPECT_EQ(surface_slots[10].in_use, 0);
    EXPECT_EQ(surface_slots[10].pixels, not_owned);
    EXPECT_EQ(text_clear_calls.size(), 1u);
}

TEST_F(SlotTest, FreeOnAFreeSlotOnlyClearsInUse)
{
    uint16_t not_owned[4] = {};
    surface_slots[2].kind = SLOT_BUFFER;
    surface_slots[2].pixels = not_owned;      // freeing this would be caught by the sanitizer
    surface_slots[2].width = 2;
    slot_free(2);
    EXPECT_EQ(surface_slots[2].in_use, 0);
    EXPECT_EQ(surface_slots[2].pixels, not_owned);
    EXPECT_EQ(surface_slots[2].width, 2);

    surface_slots[5].kind = SLOT_TEXT_ROW;
    slot_free(5);
    EXPECT_TRUE(text_clear_calls.empty());
}

TEST_F(SlotTest, SolidSlotCopiesKeyPixelsAndKeyedSlotSkipsThem)
{
    slot_adopt_buffer(1, malloc_pixels(4, COLOUR_KEY), 2, 2, 1, 0);
    surface_slots[1].pixels[3] = 0x0F0F;
    surface_slots[1].x = 10;
    surface_slots[1].y = 20;
    slot_draw(1);
    EXPECT_EQ(at(10, 20), COLOUR_KEY);
    EXPECT_EQ(at(11, 21), 0x0F0F);

    surface_slots[1].solid = 0;
    surface_slots[1].x = 30;
    slot_draw(1);
    EXPECT_EQ(at(30, 20), PAPER);
    EXPECT_EQ(at(31, 20), PAPER);
    EXPECT_EQ(at(30, 21), PAPER);
    EXPECT_EQ(at(31, 21), 0x0F0F);
    EXPECT_EQ(at(32, 21), PAPER);
}

TEST_F(SlotTest, AlphaSlotReadsThePlaneBehindThePixels)
{
    // 3 x 1 pixels, then three alpha bytes: skip, half, full.
    uint16_t* block = static_cast<uint16_t*>(std::malloc(3 * 3));
    block[0] = block[1] = block[2] = 0xFFFF;
    uint8_t* alpha = reinterpret_cast<uint8_t*>(block + 3);
    alpha[0] = 0;
    alpha[1] = 16;
    alpha[2] = 32;
    slot_adopt_buffer(6, block, 3, 1, 1, 1);   // solid or not, format 3 goes through the alpha plane
    surface_slots[6].x = 5;
    surface_slots[6].y = 5;
    for (int i = 0; i < 3; ++i)
        back_buffer[5 * SCREEN_WIDTH + 5 + i] = 0x0000;
    slot_draw(6);
    EXPECT_EQ(at(5, 5), 0x0000);
    EXPECT_EQ(at(6, 5), 0x7BEF);
    EXPECT_EQ(at(7, 5), 0xFFFF);
}

TEST_F(SlotTest, OpacityBlendsTheWholeSlot)
{
    slot_adopt_buffer(0, malloc_pixels(2, 0xFFFF), 2, 1, 1, 0);
    surface_slots[0].opacity = 16;
    back_buffer[0] = 0x0000;
    back_buffer[1] = 0xFFFF;
    slot_draw(0);
    EXPECT_EQ(at(0, 0), 0x7BEF);
    EXPECT_EQ(at(1, 0), 0xFFFF);
    EXPECT_EQ(at(2, 0), PAPER);
}

TEST_F(SlotTest, HiddenOrFreeSlotsAreSkippedWithoutTheHook)
{
    slot_adopt_buffer(7, malloc_pixels(1, 0x0F0F), 1, 1, 1, 0);
    surface_slots[7].opacity = 0;
    slot_draw(7);
    surface_slots[7].opacity = -4;
    slot_draw(7);
    surface_slots[7].opacity = 32;
    surface_slots[7].in_use = 0;
    slot_draw(7);
    EXPECT_EQ(at(0, 0), PAPER);
    EXPECT_TRUE(hook_calls.empty());

    surface_slots[7].in_use = 1;
    slot_draw(7);
    EXPECT_EQ(at(0, 0), 0x0F0F);
    EXPECT_EQ(hook_calls, std::vector<int>{7});
}

TEST_F(SlotTest, TextAndShapeSlotsGoToTheirHooks)
{
    surface_slots[5].in_use = 1;
    surface_slots[5].kind = SLOT_TEXT_ROW;
    surface_slots[5].opacity = 32;
    surface_slots[10].in_use = 1;
    surface_slots[10].kind = SLOT_SHAPE_LIST;
    surface_slots[10].opacity = 32;
    slot_draw(5);
    slot_draw(10);
    EXPECT_EQ(text_draw_calls, std::vector<int>{5});
    EXPECT_EQ(hook_calls, (std::vector<int>{5, 10}));
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        ASSERT_EQ(back_buffer[i], PAPER) << i;
}

TEST_F(SlotTest, UnknownFormatDrawsNothingButStillCallsTheHook)
{
    slot_adopt_buffer(8, malloc_pixels(1, 0x0F0F), 1, 1, 1, 0);
    surface_slots[8].format = FORMAT_INDEXED8;
    slot_draw(8);
    EXPECT_EQ(at(0, 0), PAPER);
    EXPECT_EQ(hook_calls, std::vector<int>{8});
}

// A sprite drawn just before must not leave its window on the slot, and the
// slot's own clip rectangle is the one used.
TEST_F(SlotTest, DrawUsesTheSlotsClipAndNoSpriteWindow)
{
    current_sprite = 12;
    sprite_window = ClipRect{0, 0, 0, 0};
    slot_adopt_buffer(3, malloc_pixels(4 * 4, 0x0F0F), 4, 4, 1, 0);
    slot_draw(3);
    EXPECT_EQ(current_sprite, -1);
    EXPECT_EQ(at(3, 3), 0x0F0F);

    clip_rects[2] = ClipRect{50, 50, 51, 51};
    surface_slots[3].clip_index = 2;
    surface_slots[3].x = 49;
    surface_slots[3].y = 49;
    slot_draw(3);
    EXPECT_EQ(at(49, 49), PAPER);
    EXPECT_EQ(at(50, 50), 0x0F0F);
    EXPECT_EQ(at(51, 51), 0x0F0F);
    EXPECT_EQ(at(52, 51), PAPER);
    EXPECT_EQ(at(51, 52), PAPER);
}

}  // namespace
