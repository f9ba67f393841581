// End to end, how the instructions' demonstration looks: the knot waits with
// its creatures at rest, and the untangled circle ends with every creature
// looking at its middle.
#include "support/game_driver.h"

namespace {

// The demonstration's circle is drawn this far below the screen's middle.
constexpr int DEMO_CENTRE_Y = 160 + 32;

// The frame a creature at (x, y) shows when it looks at the circle's middle.
int16_t frame_looking_in(int16_t x, int16_t y)
{
    return int16_t(((direction_angle(x, y, 120, DEMO_CENTRE_Y) + 32) >> 6) & 7);
}

// Every demonstration creature grey (the normal frames), facing the middle,
// with its glow fully lit.
void expect_at_rest_looking_in(const char* when)
{
    ASSERT_EQ(vertex_count, 5) << when;
    for (int i = 0; i < 5; ++i) {
        const Sprite* body = sprite_get(i);
        const Sprite* glow = sprite_get(GLOW_SPRITE_BASE + i);
        EXPECT_EQ(body->frame, frame_looking_in(vertices[i].x, vertices[i].y)) << when << ", creature " << i;
        EXPECT_EQ(vertices[i].facing, body->frame) << when << ", creature " << i;
        EXPECT_EQ(body->opacity, 32) << when << ", creature " << i;
        EXPECT_EQ(glow->opacity, 32) << when << ", creature " << i;
    }
}

}  // namespace

TEST_F(GameTest, DemonstrationKnotWaitsAtRestAndEndsWithEveryCreatureLookingIn)
{
    int phase = 0;
    MenuWalk walk;
    GameDriver driver([&](GameDriver& d) {
        switch (phase) {
        case 0:
            if (walk(d, MENU_ROW_INSTRUCTIONS))
                phase = 1;
            break;
        case 1:  // "the lines are all knotted": nothing is being dragged yet
            if (demo_knotted_waiting()) {
                EXPECT_FALSE(is_crossing_free());
                expect_at_rest_looking_in("knotted");
                d.tap(120, 100);
                phase = 2;
            }
            break;
        case 2:  // "a line that is free turns green": all five have landed
            if (demo_untangled_waiting()) {
                EXPECT_TRUE(is_crossing_free());
                expect_at_rest_looking_in("untangled");
                throw GameStop{"demonstration seen"};
            }
            break;
        }
    });
    driver.run();
    EXPECT_EQ(driver.stop_reason, "demonstration seen");
}
