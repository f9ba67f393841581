// Pointer input: the per-frame view made from the pump's raw facts, the hit
// box of sprite_hit and the grab of sprite_drag.
#include <gtest/gtest.h>

#include "gfx/image.h"
#include "scene/sprite.h"
#include "shell/frame.h"
#include "shell/input.h"

namespace {

const Image BLANK{};   // the pointer operations read only the sprite's box
constexpr int A = 1024, B = 1025;

class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        button_held = 0;
        input_reset();
        a = sprite_create(A, &BLANK, 20, 20, 100, 100);
        b = sprite_create(B, &BLANK, 20, 20, 150, 100);
    }
    void TearDown() override
    {
        a->active = b->active = 0;
        button_held = 0;
        input_reset();
    }
    // The end of one frame as the pump leaves it.
    static void frame(bool held, int16_t x, int16_t y)
    {
        button_held = held;
        raw_pointer_x = x;
        raw_pointer_y = y;
        input_update();
    }
    Sprite* a = nullptr;
    Sprite* b = nullptr;
};

TEST_F(Input, PositionFollowsOnlyWhileHeld)
{
    frame(false, 50, 60);
    EXPECT_EQ(pointer_x, 120);
    EXPECT_EQ(pointer_y, 160);
    frame(true, 50, 60);
    EXPECT_EQ(pointer_pressed, 1);
    EXPECT_EQ(pointer_x, 50);
    frame(true, 70, -8);
    EXPECT_EQ(pointer_pressed, 0);
    EXPECT_EQ(pointer_y, -8);
    frame(false, 10, 11);
    EXPECT_EQ(pointer_released, 1);
    EXPECT_EQ(pointer_x, 70);
    EXPECT_EQ(pointer_y, -8);
}

TEST_F(Input, HitBoxIsTheDrawnBoxAndDragBoxOneLarger)
{
    for (int16_t p = 85; p <= 115; ++p) {
        pointer_x = p, pointer_y = 100;
        EXPECT_EQ(sprite_hit(A), p >= 90 && p <= 109) << "x " << p;
        pointer_x = 100, pointer_y = p;
        EXPECT_EQ(sprite_hit(A), p >= 90 && p <= 109) << "y " << p;
        input_reset();
        frame(true, p, 110);
        EXPECT_EQ(sprite_drag(A), p >= 90 && p <= 110) << "drag x " << p;
        input_reset();
        frame(true, 90, p);
        EXPECT_EQ(sprite_drag(A), p >= 90 && p <= 110) << "drag y " << p;
    }
    // A drag needs the button; hidden sprites and unknown ids are never hit.
    frame(false, 100, 100);
    EXPECT_EQ(sprite_drag(A), 0);
    a->active = 0;
    EXPECT_EQ(sprite_hit(A), 0);
    EXPECT_EQ(sprite_hit(-1) | sprite_hit(SPRITE_TABLE_SIZE) | sprite_drag(SPRITE_TABLE_SIZE), 0);
}

TEST_F(Input, DraggedSpriteKeepsItsOffsetFromThePointer)
{
    frame(true, 105, 102);
    ASSERT_EQ(sprite_drag(A), 1);
    EXPECT_EQ(drag_dx | drag_dy, 0);
    EXPECT_EQ(a->x, 100);
    frame(true, 110, 97);
    ASSERT_EQ(sprite_drag(A), 1);
    EXPECT_EQ(drag_dx, 5);
    EXPECT_EQ(drag_dy, -5);
    EXPECT_EQ(a->x, 105);
    EXPECT_EQ(a->y, 95);
    EXPECT_EQ(drag_x, 105);
    EXPECT_EQ(drag_y, 95);
}

// A sprite at the ends of the 16-bit range has its box where it stands, and a
// drag past the end holds it there instead of wrapping it to the far side.
TEST_F(Input, SpritesAtTheEndsOfTheRangeAreHitAndDraggedWithoutWrapping)
{
    a->x = 32760;
    a->y = -32760;
    frame(true, 32767, -32768);
    EXPECT_EQ(sprite_hit(A), 1);
    frame(true, 32755, -32755);
    ASSERT_EQ(sprite_drag(A), 1);
    frame(true, 32767, -32768);
    ASSERT_EQ(sprite_drag(A), 1);
    EXPECT_EQ(drag_dx, 12);
    EXPECT_EQ(drag_dy, -13);
    EXPECT_EQ(a->x, 32767);
    EXPECT_EQ(a->y, -32768);
    EXPECT_EQ(drag_x, 32767);
    EXPECT_EQ(drag_y, -32768);
    // Back from the end by the pointer's own movement.
    frame(true, 32757, -32758);
    ASSERT_EQ(sprite_drag(A), 1);
    EXPECT_EQ(a->x, 32757);
    EXPECT_EQ(a->y, -32758);
}

TEST_F(Input, OnlyOneSpriteIsGrabbed)
{
    frame(true, 100, 100);
    ASSERT_EQ(sprite_drag(A), 1);
    frame(true, 150, 100);
    EXPECT_EQ(sprite_drag(B), 0);
    EXPECT_EQ(sprite_drag(A), 1);
    EXPECT_EQ(b->x, 150);
    EXPECT_EQ(a->x, 150);
    // After the release the next press over both lets B be taken.
    frame(false, 150, 100);
    frame(true, 150, 100);
    EXPECT_EQ(sprite_drag(B), 1);
    EXPECT_EQ(sprite_drag(A), 0);
}

TEST_F(Input, GrabEndsOnTheThirdFrameWithoutADrag)
{
    frame(true, 100, 100);
    ASSERT_EQ(sprite_drag(A), 1);
    frame(true, 100, 100);
    frame(true, 100, 100);
    EXPECT_EQ(drag_active, 1);
    frame(true, 100, 100);
    EXPECT_EQ(drag_active, 0);
    // Then B, under a held pointer sliding onto it, can be grabbed.
    frame(true, 150, 100);
    EXPECT_EQ(sprite_drag(B), 1);
    EXPECT_EQ(a->x, 100);
}

} // namespace
