// The compositor: painting order across layers, slots and sprites, the layer
// range of a partial compose, and the screen rect that bounds every change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/blit.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/compose.h"
#include "scene/sprite.h"

namespace {

constexpr uint16_t PAPER = 0x0841;
std::vector<int> drawn_slots;

uint16_t at(int x, int y) { return back_buffer[y * SCREEN_WIDTH + x]; }

class ComposeTest : public ::testing::Test {
protected:
    std::vector<std::vector<uint16_t>> blocks;
    std::vector<Image> images;
    void (*saved_hook)(uint8_t) = nullptr;

    void SetUp() override
    {
        images.reserve(16);
        for (int i = 0; i < SLOT_COUNT; ++i)
            if (surface_slots[i].kind == SLOT_BUFFER)
                slot_free(uint8_t(i));
        std::memset(surface_slots, 0, sizeof(surface_slots));
        sprite_table_clear();
        set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
        set_clip_rect(0, 0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
        std::fill(back_buffer, back_buffer + BACK_BUFFER_PIXELS, PAPER);
        saved_hook = after_draw_hook;
        drawn_slots.clear();
        after_draw_hook = [](uint8_t s) { drawn_slots.push_back(s); };
    }
    void TearDown() override
    {
        for (int i = 0; i < SLOT_COUNT; ++i)
            if (surface_slots[i].kind == SLOT_BUFFER)
                std::free(surface_slots[i].pixels);   // also for slots a test marked free
        std::memset(surface_slots, 0, sizeof(surface_slots));
        sprite_table_clear();
        set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
        after_draw_hook = saved_hook;
    }

    // A solid w x h sprite of one colour centred at (cx, cy) on a layer.
    Sprite* add_sprite(int id, uint16_t colour, int w, int h, int cx, int cy, int layer)
    {
        blocks.emplace_back(size_t(w) * h, colour);
        images.push_back(Image{blocks.back().data(), nullptr, nullptr, nullptr, nullptr, FORMAT_RGB565, 1, w, h});
        Sprite* s = sprite_create(id, &images.back(), int16_t(w), int16_t(h), int16_t(cx), int16_t(cy));
        s->layer = int16_t(layer);
        return s;
    }
    // A solid slot of one colour with its top-left corner at (x, y).
    void add_slot(uint8_t slot, uint16_t colour, int w, int h, int x, int y, int layer)
    {
        slot_create_rgb565(slot, int16_t(w), int16_t(h), 1);
        std::fill(surface_slots[slot].pixels, surface_slots[slot].pixels + w * h, colour);
        surface_slots[slot].x = x;
        surface_slots[slot].y = y;
        surface_slots[slot].layer = int16_t(layer);
    }
};

// Everything covers (10, 10); peeling the top one off each time shows the
// next in painting order.
TEST_F(ComposeTest, PaintingOrder)
{
    Sprite* a = add_sprite(2, 0xA000, 5, 5, 10, 10, 10);
    Sprite* b = add_sprite(7, 0xB000, 5, 5, 10, 10, 10);
    add_slot(3, 0x0C00, 20, 20, 0, 0, 10);
    add_slot(4, 0x0D00, 20, 20, 0, 0, 10);
    Sprite* c = add_sprite(9, 0x000E, 5, 5, 10, 10, 11);
    add_sprite(1, 0x001F, 5, 5, 10, 10, 2000);   // off the layer range: left out
    const uint16_t order[] = {0xA000, 0xB000, 0x0C00, 0x0D00, 0x000E, PAPER};
    for (uint16_t want : order) {
        back_buffer[10 * SCREEN_WIDTH + 10] = PAPER;   // a compose never clears
        compose_frame(0, LAYER_COUNT - 1);
        EXPECT_EQ(at(10, 10), want);
        if (a->active)
            a->active = 0;
        else if (b->opacity)
            b->opacity = 0;
        else if (surface_slots[3].opacity)
            surface_slots[3].opacity = 0;
        else if (surface_slots[4].in_use)
            surface_slots[4].in_use = 0;
        else
            c->opacity = -1;
    }
}

TEST_F(ComposeTest, PartialComposePaintsOnlyItsLayers)
{
    for (int layer = 12; layer <= 17; ++layer)
        add_sprite(layer, uint16_t(0x1000 * layer), 1, 1, 10 * layer, 5, layer);
    add_slot(3, 0xFFFF, 1, 1, 0, 0, 20);
    for (uint8_t slot : {1, 7, 8})   // line slots draw nothing themselves; the hook shows their order
        surface_slots[slot] = SurfaceSlot{1, SLOT_SHAPE_LIST, 0, nullptr, 0, 0, int16_t(slot == 1 ? 14 : 15), 0, 0, 32, 0, 0, nullptr};
    compose_frame(14, 15);
    for (int layer = 12; layer <= 17; ++layer)
        EXPECT_EQ(at(10 * layer, 5), layer == 14 || layer == 15 ? 0x1000 * layer : PAPER) << layer;
    EXPECT_EQ(at(0, 0), PAPER);
    EXPECT_EQ(drawn_slots, (std::vector<int>{8, 7, 1}));   // back layer first, higher slot first
}

TEST_F(ComposeTest, ScreenRectBoundsEveryChange)
{
    add_slot(15, 0xFFFF, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 0, 0, 15);
    add_sprite(2048, 0x001F, 240, 320, 120, 160, 0);
    set_screen_rect(80, 0, 160, 24);
    compose_frame(0, LAYER_COUNT - 1);
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i) {
        int x = i % SCREEN_WIDTH, y = i / SCREEN_WIDTH;
        ASSERT_EQ(back_buffer[i], x >= 80 && x <= 160 && y <= 24 ? 0x001F : PAPER) << x << ", " << y;
    }
}

TEST_F(ComposeTest, ClipRectOutsideTheScreenRectHides)
{
    set_clip_rect(1, 0, 100, SCREEN_WIDTH - 1, 200);
    add_sprite(5, 0xFFFF, 4, 4, 120, 150, 0)->clip_index = 1;
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, 24);
    compose_frame(0, LAYER_COUNT - 1);
    EXPECT_GT(clip_rects[1].y0, clip_rects[1].y1);
    EXPECT_EQ(at(120, 150), PAPER);
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    compose_frame(0, LAYER_COUNT - 1);
    EXPECT_EQ(at(120, 150), 0xFFFF);
    EXPECT_EQ((std::vector<int>{clip_rects[1].x0, clip_rects[1].y0, clip_rects[1].x1, clip_rects[1].y1}),
              (std::vector<int>{0, 100, SCREEN_WIDTH - 1, 200}));
}

}  // namespace
