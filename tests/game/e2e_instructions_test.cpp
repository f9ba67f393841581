// End to end, the instructions' demonstration: the knot waits as the moves that
// tied it left it, and the five creatures slide one after another onto the
// mirrored circle below the captions, where no line crosses any more.
#include "support/game_driver.h"

#include <cstdlib>

namespace {

constexpr int DEMO_CREATURES = 5;
constexpr int DEMO_CENTRE_Y = 160 + 32;    // the circle is drawn this far below the screen's middle
constexpr int DEMO_LAST_MOVED = 4;         // the knot is tied by moving creatures 0..4 in turn

// Lines coloured as the crossing test says, every one of them.
void expect_lines_follow_the_crossing_test(const char* when)
{
    for (int i = 0; i < DEMO_CREATURES; ++i)
        for (int k = 0; k < vertices[i].degree; ++k)
            EXPECT_EQ(vertices[i].edge_lines[k]->colour,
                      edge_crosses_any(uint16_t(i), uint16_t(vertices[i].neighbours[k])) ? 0xFFFF : COLOUR_EDGE_FREE)
                << when << ", line " << k << " of creature " << i;
}

}  // namespace

TEST_F(GameTest, DemonstrationTiesAKnotAndEndsOnTheMirroredCircle)
{
    const Played played = steps_play({
        menu_choose(MENU_ROW_INSTRUCTIONS),
        // "the lines are all knotted": the last creature moved still shows as dragged
        on(demo_knotted_waiting,
           [](GameDriver& d) {
               ASSERT_EQ(vertex_count, DEMO_CREATURES);
               EXPECT_FALSE(is_crossing_free());
               const Vertex& last = vertices[DEMO_LAST_MOVED];
               EXPECT_EQ(sprite_get(DEMO_LAST_MOVED)->frame, FRAME_SET_DRAGGED + last.facing);
               for (int k = 0; k < last.degree; ++k) {
                   const int j = last.neighbours[k];
                   EXPECT_EQ(sprite_get(j)->frame, FRAME_SET_NEIGHBOUR + vertices[j].facing) << "neighbour " << j;
               }
               expect_lines_follow_the_crossing_test("knotted");
               d.tap(120, 100);
           }),
        // "a line that is free turns green": all five have landed
        on(demo_untangled_waiting,
           [](GameDriver&) {
               ASSERT_EQ(vertex_count, DEMO_CREATURES);
               EXPECT_TRUE(is_crossing_free());
               expect_lines_follow_the_crossing_test("untangled");
               for (int c = 0; c < DEMO_CREATURES; ++c) {
                   // Home of creature c: the building circle mirrored left-right.
                   const int u = (512 * c) / 5;
                   const int tx = 120 + ((-cos512(u) * 110) >> 8);
                   const int ty = DEMO_CENTRE_Y + ((-sin512(u) * 110) >> 8);
                   // The slide's last step truncates, so it may stop a pixel short.
                   EXPECT_LE(std::abs(vertices[c].x - tx), 1) << "creature " << c;
                   EXPECT_LE(std::abs(vertices[c].y - ty), 1) << "creature " << c;
                   EXPECT_EQ(sprite_get(c)->frame, FRAME_SET_NORMAL + vertices[c].facing) << "creature " << c;
                   EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + c)->opacity, 32) << "creature " << c;
               }
           }),
        stop_game("demonstration seen"),
    });
    EXPECT_EQ(played.reason, "demonstration seen");
}
