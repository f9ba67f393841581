// Pointer input: the per-frame view made from the pump's raw facts, the hit
// box of sprite_hit and the grab of sprite_drag.
#include <gtest/gtest.h>

#include "gfx/image.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"

namespace {

// Sprites need an Image only for drawing; the pointer operations read the box.
const Image BLANK{};

constexpr int VERTEX_A = 1024;
constexpr int VERTEX_B = 1025;

class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        button_held = 0;
        raw_pointer_x = raw_pointer_y = 0;
        return_raw = 0;
        input_reset();
    }
    void TearDown() override
    {
        for (int id : {VERTEX_A, VERTEX_B})
            if (sprite_table[id])
                sprite_table[id]->active = 0;
        button_held = 0;
        input_reset();
    }

    // One frame's end as the pump would leave it.
    static void frame(bool held, int16_t x, int16_t y)
    {
        button_held = held;
        raw_pointer_x = x;
        raw_pointer_y = y;
        input_update();
    }
};

TEST_F(Input, ResetPutsThePointerMidScreen)
{
    pointer_x = 3;
    pointer_y = 4;
    pointer_down = pointer_pressed = pointer_released = 1;
    drag_active = 1;
    input_reset();
    EXPECT_EQ(pointer_x, 120);
    EXPECT_EQ(pointer_y, 160);
    EXPECT_EQ(pointer_down, 0);
    EXPECT_EQ(pointer_pressed, 0);
    EXPECT_EQ(pointer_released, 0);
    EXPECT_EQ(drag_active, 0);
}

TEST_F(Input, EdgesOfTheButton)
{
    frame(true, 0, 0);
    EXPECT_EQ(pointer_down, 1);
    EXPECT_EQ(pointer_pressed, 1);
    EXPECT_EQ(pointer_released, 0);
    frame(true, 0, 0);
    EXPECT_EQ(pointer_down, 1);
    EXPECT_EQ(pointer_pressed, 0);
    frame(false, 0, 0);
    EXPECT_EQ(pointer_down, 0);
    EXPECT_EQ(pointer_released, 1);
    frame(false, 0, 0);
    EXPECT_EQ(pointer_released, 0);
    EXPECT_EQ(pointer_pressed, 0);
}

TEST_F(Input, PositionFollowsOnlyWhileHeld)
{
    frame(false, 50, 60);
    EXPECT_EQ(pointer_x, 120);
    EXPECT_EQ(pointer_y, 160);
    frame(true, 50, 60);
    EXPECT_EQ(pointer_x, 50);
    EXPECT_EQ(pointer_y, 60);
    frame(true, 70, -8);
    EXPECT_EQ(pointer_x, 70);
    EXPECT_EQ(pointer_y, -8);
    // The release frame keeps the last held position too.
    frame(false, 10, 11);
    EXPECT_EQ(pointer_x, 70);
    EXPECT_EQ(pointer_y, -8);
}

TEST_F(Input, ReturnIsConsumedEachFrame)
{
    return_raw = 1;
    input_update();
    EXPECT_EQ(return_pressed, 1);
    EXPECT_EQ(return_raw, 0);
    input_update();
    EXPECT_EQ(return_pressed, 0);
}

TEST_F(Input, HitBoxIsTheDrawnBox)
{
    sprite_create(VERTEX_A, &BLANK, 20, 20, 100, 100);
    pointer_y = 100;
    for (int16_t x = 85; x <= 115; ++x) {
        pointer_x = x;
        EXPECT_EQ(sprite_hit(VERTEX_A), x >= 90 && x <= 109) << "x " << x;
    }
    pointer_x = 100;
    for (int16_t y = 85; y <= 115; ++y) {
        pointer_y = y;
        EXPECT_EQ(sprite_hit(VERTEX_A), y >= 90 && y <= 109) << "y " << y;
    }
    // Odd widths: the centre offset rounds down.
    sprite_create(VERTEX_B, &BLANK, 15, 1, 100, 5);
    pointer_y = 5;
    for (int16_t x = 90; x <= 110; ++x) {
        pointer_x = x;
        EXPECT_EQ(sprite_hit(VERTEX_B), x >= 93 && x <= 107) << "x " << x;
    }
}

TEST_F(Input, HitNeedsAShownSprite)
{
    pointer_x = 100;
    pointer_y = 100;
    sprite_create(VERTEX_A, &BLANK, 20, 20, 100, 100);
    ASSERT_EQ(sprite_hit(VERTEX_A), 1);
    sprite_table[VERTEX_A]->active = 0;
    EXPECT_EQ(sprite_hit(VERTEX_A), 0);
    EXPECT_EQ(sprite_hit(-1), 0);
    EXPECT_EQ(sprite_hit(SPRITE_TABLE_SIZE), 0);
    EXPECT_EQ(sprite_drag(-1), 0);
    EXPECT_EQ(sprite_drag(SPRITE_TABLE_SIZE), 0);
}

TEST_F(Input, HitBoxOffTheScreenEdge)
{
    sprite_create(VERTEX_A, &BLANK, 20, 20, 3, 3);
    pointer_x = -7;
    pointer_y = 12;
    EXPECT_EQ(sprite_hit(VERTEX_A), 1);
    pointer_x = -8;
    EXPECT_EQ(sprite_hit(VERTEX_A), 0);
}

TEST_F(Input, DragBoxIsOnePixelLarger)
{
    sprite_create(VERTEX_A, &BLANK, 20, 20, 100, 100);
    for (int16_t x = 85; x <= 115; ++x) {
        input_reset();
        frame(true, x, 110);
        EXPECT_EQ(sprite_drag(VERTEX_A), x >= 90 && x <= 110) << "x " << x;
    }
    for (int16_t y = 85; y <= 115; ++y) {
        input_reset();
        frame(true, 90, y);
        EXPECT_EQ(sprite_drag(VERTEX_A), y >= 90 && y <= 110) << "y " << y;
    }
}

TEST_F(Input, DragNeedsTheButtonDown)
{
    sprite_create(VERTEX_A, &BLANK, 20, 20, 100, 100);
    frame(false, 100, 100);
    pointer_x = pointer_y = 100;
    EXPECT_EQ(sprite_drag(VERTEX_A), 0);
    EXPECT_EQ(drag_active, 0);
}

TEST_F(Input, DraggedSpriteKeepsItsOffsetFromThePointer)
{
    Sprite* a = sprite_create(VERTEX_A, &BLANK, 20, 20, 100, 100);
    frame(true, 105, 102);
    ASSERT_EQ(sprite_drag(VERTEX_A), 1);
    EXPECT_EQ(drag_active, 1);
    EXPECT_EQ(drag_sprite, VERTEX_A);
    EXPECT_EQ(drag_dx, 0);
    EXPECT_EQ(drag_dy, 0);
    EXPECT_EQ(a->x, 100);
    EXPECT_EQ(a->y, 100);
    EXPECT_EQ(drag_x, 100);
    EXPECT_EQ(drag_y, 100);

    frame(true, 110, 97);
    ASSERT_EQ(sprite_drag(VERTEX_A), 1);
    EXPECT_EQ(drag_dx, 5);
    EXPECT_EQ(drag_dy, -5);
    EXPECT_EQ(a->x, 105);
    EXPECT_EQ(a->y, 95);
    EXPECT_EQ(drag_x, 105);
    EXPECT_EQ(drag_y, 95);

    // A fast move far outside the old box still drags: the box only matters for the grab.
    frame(true, 200, 20);
    ASSERT_EQ(sprite_drag(VERTEX_A), 1);
    EXPECT_EQ(a->x, 195);
    EXPECT_EQ(a->y, 18);

    // The game may move the pointer itself; the next move is measured from where it was.
    pointer_x = 150;
    frame(true, 201, 20);
    ASSERT_EQ(sprite_drag(VERTEX_A), 1);
    EXPECT_EQ(drag_dx, 1);
    EXPECT_EQ(a->x, 196);
}

TEST_F(Input, OnlyOneSpriteIsGrabbed)
{
    Sprite* a = sprite_create(VERTEX_A, &BLANK, 20, 20, 100, 100);
    Sprite* b = sprite_create(VERTEX_B, &BLANK, 20, 20, 150, 100);
    frame(true, 100, 100);
    ASSERT_EQ(sprite_drag(VERTEX_B), 0);
    ASSERT_EQ(sprite_drag(VERTEX_A), 1);

    // Slide over B: B stays put and A follows.
    frame(true, 150, 100);
    EXPECT_EQ(sprite_drag(VERTEX_B), 0);
    EXPECT_EQ(sprite_drag(VERTEX_A), 1);
    EXPECT_EQ(b->x, 150);
    EXPECT_EQ(a->x, 150);
    EXPECT_EQ(drag_sprite, VERTEX_A);

    // Release ends the grab; pressing again over the two lets B be taken.
    frame(false, 150, 100);
    EXPECT_EQ(drag_active, 0);
    frame(true, 150, 100);
    EXPECT_EQ(sprite_drag(VERTEX_B), 1);
    EXPECT_EQ(drag_sprite, VERTEX_B);
    EXPECT_EQ(sprite_drag(VERTEX_A), 0);
}

TEST_F(Input, HeldPointerSlidingOntoASpriteGrabsIt)
{
    sprite_create(VERTEX_A, &BLANK, 20, 20, 100, 100);
    frame(true, 10, 10);
    EXPECT_EQ(sprite_drag(VERTEX_A), 0);
    frame(true, 95, 95);
    EXPECT_EQ(pointer_pressed, 0);
    EXPECT_EQ(sprite_drag(VERTEX_A), 1);
}

TEST_F(Input, GrabEndsOnTheThirdFrameWithoutADrag)
{
    Sprite* a = sprite_create(VERTEX_A, &BLANK, 20, 20, 100, 100);
    frame(true, 100, 100);
    ASSERT_EQ(sprite_drag(VERTEX_A), 1);
    // Served every frame, it lasts.
    for (int i = 0; i < 10; ++i) {
        frame(true, 100, 100);
        ASSERT_EQ(sprite_drag(VERTEX_A), 1);
    }
    frame(true, 100, 100);
    EXPECT_EQ(drag_active, 1);
    frame(true, 100, 100);
    EXPECT_EQ(drag_active, 1);
    frame(true, 100, 100);
    EXPECT_EQ(drag_active, 0);

    // Then the sprite is like any other: away from it nothing happens...
    frame(true, 30, 30);
    EXPECT_EQ(sprite_drag(VERTEX_A), 0);
    // ...and over it, it is grabbed afresh without a jump.
    frame(true, 104, 104);
    EXPECT_EQ(sprite_drag(VERTEX_A), 1);
    EXPECT_EQ(drag_dx, 0);
    EXPECT_EQ(a->x, 100);
}

} // namespace
