// The level sizes the game plays: the five modes' sequences, never more
// vertices than the table holds.
#include <gtest/gtest.h>

#include "game/flow.h"
#include "game/graph.h"
#include "game/layout.h"
#include "game/mode.h"
#include "game/ui.h"

TEST(LevelSizes, FollowEachModeUntilTheVertexTableIsFull)
{
    EXPECT_EQ(level_vertices_capped(MODE_CLASSIC, 1), 6);
    EXPECT_EQ(level_vertices_capped(MODE_CLASSIC, 2), 10);
    EXPECT_EQ(level_vertices_capped(MODE_FUNKY_SHAPES, 3), 15);
    EXPECT_EQ(level_vertices_capped(MODE_SUDDEN_DEATH, 1), 6);
    EXPECT_EQ(level_vertices_capped(MODE_SUDDEN_DEATH, 2), 8);
    // The last levels that fit, and what comes after them.
    EXPECT_EQ(level_vertices_capped(MODE_CLASSIC, 102), 510);
    EXPECT_EQ(level_vertices_capped(MODE_CLASSIC, 103), 510);
    EXPECT_EQ(level_vertices_capped(MODE_BABY_BRAINS, MAX_LEVEL), 510);
    EXPECT_EQ(level_vertices_capped(MODE_SUDDEN_DEATH, 254), 512);
    EXPECT_EQ(level_vertices_capped(MODE_SUDDEN_DEATH, MAX_LEVEL), 512);
}

TEST(LevelSizes, NeverShrinkAndNeverPassTheTable)
{
    for (uint8_t mode = MODE_CLASSIC; mode <= MODE_BABY_BRAINS; ++mode) {
        int previous = 0;
        for (int t = 1; t <= MAX_LEVEL; ++t) {
            const int n = level_vertices_capped(mode, t);
            ASSERT_LE(n, MAX_VERTICES) << int(mode) << " level " << t;
            ASSERT_GE(n, previous) << int(mode) << " level " << t;
            if (level_vertex_count(mode, t) <= MAX_VERTICES) {
                ASSERT_EQ(n, level_vertex_count(mode, t)) << int(mode) << " level " << t;
            }
            previous = n;
        }
    }
}
