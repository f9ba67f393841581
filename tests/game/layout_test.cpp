// Level generation: level sizes, the exact points of every layout shape, and a
// sweep over seeds, modes and level sizes checking the generated graphs and
// the scattered drawings.
#include <gtest/gtest.h>
#include <algorithm>
#include <utility>
#include <vector>
#include "game/graph.h"
#include "game/graph_generate.h"
#include "game/graph_support.h"
#include "game/layout.h"
#include "game/layout_internal.h"
#include "game/mode.h"
#include "geometry/random.h"
#include "scene/shape.h"
#include "scene/sprite.h"

using Point = std::pair<int32_t, int32_t>;

static Point point_at(int i) { return {layout_points[i].x, layout_points[i].y}; }

TEST(LevelVertexCount, PerMode)
{
    for (uint8_t mode : {MODE_CLASSIC, MODE_TIME_ATTACK, MODE_FUNKY_SHAPES, MODE_BABY_BRAINS}) {
        EXPECT_EQ(level_vertex_count(mode, 1), 6);
        EXPECT_EQ(level_vertex_count(mode, 2), 10);
        EXPECT_EQ(level_vertex_count(mode, 3), 15);
        EXPECT_EQ(level_vertex_count(mode, 102), 510);
    }
    EXPECT_EQ(level_vertex_count(MODE_SUDDEN_DEATH, 1), 6);
    EXPECT_EQ(level_vertex_count(MODE_SUDDEN_DEATH, 2), 8);
    EXPECT_EQ(level_vertex_count(MODE_SUDDEN_DEATH, 253), 510);
}

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        layout_radius = 110;
        layout_centre_y = 160;
    }
    void TearDown() override
    {
        layout_radius = 110;
        layout_centre_y = 160;
    }
};

TEST_F(LayoutTest, PolygonCornersComeOutLopsided)
{
    layout_generators[LAYOUT_SQUARE](4);
    EXPECT_EQ(point_at(0), Point(197, 83));
    EXPECT_EQ(point_at(1), Point(42, 83));
    EXPECT_EQ(point_at(2), Point(42, 238));
    EXPECT_EQ(point_at(3), Point(197, 238));

    layout_generators[LAYOUT_TRIANGLE](3);
    EXPECT_EQ(point_at(0), Point(120, 50));
    EXPECT_EQ(point_at(1), Point(24, 215));
    EXPECT_EQ(point_at(2), Point(214, 216));

    layout_generators[LAYOUT_PENTAGON](5);
    EXPECT_EQ(point_at(0), Point(120, 50));
    layout_generators[LAYOUT_HEXAGON](6);
    EXPECT_EQ(point_at(0), Point(120, 50));
    EXPECT_EQ(point_at(3), Point(120, 270));
}

TEST_F(LayoutTest, PolygonSidePoints)
{
    // Weights 102 + 153 = 255: points fall a pixel off their sides.
    layout_polygon(10, 4);
    EXPECT_EQ(point_at(4), Point(103, 82));
    EXPECT_EQ(point_at(5), Point(41, 175));
    EXPECT_EQ(point_at(8), Point(165, 82));
    EXPECT_EQ(point_at(9), Point(41, 113));
    // Weights 128 + 128: halfway, floored.
    layout_polygon(8, 4);
    EXPECT_EQ(point_at(4), Point(119, 83));
    EXPECT_EQ(point_at(7), Point(197, 160));
    // Fewer points than corners still gives every corner.
    layout_polygon(2, 6);
    EXPECT_EQ(point_at(5), Point(215, 106));
}

TEST_F(LayoutTest, CircleAndWaveSpans)
{
    layout_circle(512);
    EXPECT_EQ(point_at(0), Point(230, 160));
    EXPECT_EQ(point_at(128), Point(120, 270)) << "clockwise on screen: a quarter turn lies below";
    int32_t min_x = 999, max_x = -999, min_y = 999, max_y = -999;
    for (int i = 0; i < 512; ++i) {
        min_x = std::min(min_x, layout_points[i].x);
        max_x = std::max(max_x, layout_points[i].x);
        min_y = std::min(min_y, layout_points[i].y);
        max_y = std::max(max_y, layout_points[i].y);
    }
    EXPECT_EQ(min_x, 10);
    EXPECT_EQ(max_x, 230);
    EXPECT_EQ(min_y, 50);
    EXPECT_EQ(max_y, 270);

    layout_wave(512);
    EXPECT_EQ(point_at(0), Point(65, 87)) << "starts at a crest";
    EXPECT_EQ(point_at(383), Point(229, 161));
    EXPECT_EQ(point_at(384), Point(10, 160)) << "wraps to the left end";
    min_x = 999;
    max_x = -999;
    for (int i = 0; i < 512; ++i) {
        min_x = std::min(min_x, layout_points[i].x);
        max_x = std::max(max_x, layout_points[i].x);
    }
    EXPECT_EQ(min_x, 10);
    EXPECT_EQ(max_x, 229);
}

TEST_F(LayoutTest, GeneratorsFollowRadiusAndCentre)
{
    layout_radius = 50;
    layout_centre_y = 100;
    layout_circle(4);
    EXPECT_EQ(point_at(0), Point(170, 100));
    EXPECT_EQ(point_at(1), Point(120, 150));
    layout_wave(4);
    EXPECT_EQ(point_at(0), Point(35, 67));
    layout_polygon(3, 3);
    EXPECT_EQ(point_at(0), Point(120, 50));
}

class GenerationTest : public GraphFixture {
protected:
    void TearDown() override
    {
        game_mode = MODE_CLASSIC;
        GraphFixture::TearDown();
    }

    static bool adjacent(int a, int b)
    {
        for (int k = 0; k < vertices[a].degree; ++k) {
            if (vertices[a].neighbours[k] == b)
                return true;
        }
        return false;
    }

    // Everything a generated graph must be; returns the number of edges.
    static int graph_check(int n, bool ring_only)
    {
        int ends = 0;
        for (int i = 0; i < n; ++i) {
            const Vertex& v = vertices[i];
            EXPECT_GE(v.degree, 2) << "vertex " << i;
            EXPECT_LE(v.degree, ring_only ? 2 : MAX_DEGREE) << "vertex " << i;
            EXPECT_TRUE(adjacent(i, (i + 1) % n)) << "ring edge " << i;
            for (int k = 0; k < v.degree; ++k) {
                const int j = v.neighbours[k];
                EXPECT_NE(j, i);
                EXPECT_TRUE(j >= 0 && j < n);
                for (int e = 0; e < k; ++e)
                    EXPECT_NE(v.neighbours[e], j) << "parallel edge " << i << "-" << j;
                bool shared = false;
                for (int e = 0; e < vertices[j].degree; ++e)
                    shared |= vertices[j].neighbours[e] == i && vertices[j].edge_lines[e] == v.edge_lines[k];
                EXPECT_TRUE(shared) << "edge " << i << "-" << j << " not listed back with the same line";
            }
            ends += v.degree;
        }
        return ends / 2;
    }

    // Every vertex stands on a distinct point of the layout, and every line joins
    // its two ends, white.
    static void scatter_check(int n, int shape)
    {
        layout_radius = 110;
        layout_generators[shape](n);
        std::vector<Point> points, placed;
        for (int i = 0; i < n; ++i) {
            points.push_back(point_at(i));
            placed.emplace_back(vertices[i].x, vertices[i].y);
            // On the screen: a level left unsolved is saved as it stands and
            // must pass the resume's check that every creature is on screen.
            EXPECT_TRUE(vertices[i].x >= 0 && vertices[i].x < 240 && vertices[i].y >= 0 && vertices[i].y < 320)
                << "vertex " << i << " at " << vertices[i].x << ", " << vertices[i].y;
            EXPECT_EQ(sprite_table[i]->x, vertices[i].x);
            EXPECT_EQ(sprite_table[GLOW_SPRITE_BASE + i]->y, vertices[i].y);
            for (int k = 0; k < vertices[i].degree; ++k) {
                const ShapeNode* line = vertices[i].edge_lines[k];
                const Vertex& w = vertices[vertices[i].neighbours[k]];
                const bool forward = line->x0 == vertices[i].x && line->y0 == vertices[i].y && line->x1 == w.x && line->y1 == w.y;
                const bool backward = line->x1 == vertices[i].x && line->y1 == vertices[i].y && line->x0 == w.x && line->y0 == w.y;
                EXPECT_TRUE(forward || backward) << "line of vertex " << i;
                EXPECT_EQ(line->colour, 0xFFFF);
                EXPECT_EQ(line->opacity, 32);
            }
        }
        std::sort(points.begin(), points.end());
        std::sort(placed.begin(), placed.end());
        EXPECT_EQ(points, placed);
    }
};

TEST_F(GenerationTest, BuildsOnTheCircleInIndexOrder)
{
    random_seed(7);
    build_graph(10);
    EXPECT_EQ(vertex_count, 10);
    layout_radius = 110;
    layout_circle(10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(vertices[i].x, layout_points[i].x);
        EXPECT_EQ(vertices[i].y, layout_points[i].y);
        EXPECT_EQ(vertices[i].facing, 0);
        EXPECT_EQ(sprite_table[i]->layer, VERTEX_LAYER);
        EXPECT_EQ(sprite_table[GLOW_SPRITE_BASE + i]->layer, GLOW_LAYER);
    }
    EXPECT_EQ(edge_nodes_count(), graph_check(10, false));
}

TEST_F(GenerationTest, BabyBrainsIsAPlainRing)
{
    game_mode = MODE_BABY_BRAINS;
    random_seed(3);
    build_graph(6);
    EXPECT_EQ(graph_check(6, true), 6);
    EXPECT_EQ(edge_nodes_count(), 6);
    // Edges in the order they were added: j to j + 1, for j from 0.
    EXPECT_EQ(vertices[0].neighbours[0], 1);
    EXPECT_EQ(vertices[0].neighbours[1], 5);
    for (int i = 1; i < 6; ++i) {
        EXPECT_EQ(vertices[i].neighbours[0], i - 1);
        EXPECT_EQ(vertices[i].neighbours[1], (i + 1) % 6);
    }
}

TEST_F(GenerationTest, ChordsAppearOutsideBabyBrains)
{
    int chords = 0;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        shape_list_clear(EDGE_SLOT);
        random_seed(seed);
        build_graph(15);
        chords += graph_check(15, false) - 15;
    }
    EXPECT_GT(chords, 20);
}

TEST_F(GenerationTest, ScatterRethrowsASolvedRing)
{
    // A ring of six on the circle comes out solved in 12 of 720 throws, so some
    // of these seeds need a second throw; the result must never be solved.
    game_mode = MODE_BABY_BRAINS;
    for (uint32_t seed = 0; seed < 300; ++seed) {
        shape_list_clear(EDGE_SLOT);
        random_seed(seed);
        build_graph(6);
        scatter_on_layout(6, LAYOUT_CIRCLE);
        ASSERT_FALSE(is_crossing_free()) << "seed " << seed;
    }
}

// Every mode from level 1 to the last level that fits the vertex table: every
// small size with many seeds; past 60 vertices a few sizes per mode, spread so
// the modes cover different ones, and always the largest.
TEST_F(GenerationTest, SweepOverModesSizesAndSeeds)
{
    for (uint8_t mode = MODE_CLASSIC; mode <= MODE_BABY_BRAINS; ++mode) {
        game_mode = mode;
        const int last_level = mode == MODE_SUDDEN_DEATH ? 253 : 102;
        for (int t = 1; t <= last_level; ++t) {
            const int n = level_vertex_count(mode, t);
            ASSERT_LE(n, MAX_VERTICES);
            int seeds = n <= 20 ? 12 : n <= 60 ? 2 : 1;
            if (n > 60 && t != last_level && (t + 5 * mode) % 40 != 0)
                seeds = 0;
            for (int s = 0; s < seeds; ++s) {
                const uint32_t seed = uint32_t(mode * 100003 + t * 101 + s);
                const int shape = int((seed + uint32_t(t)) % LAYOUT_SHAPE_COUNT);
                SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " level " << t << " seed " << seed << " shape " << shape);
                shape_list_clear(EDGE_SLOT);
                random_seed(seed);
                build_graph(n);
                ASSERT_EQ(vertex_count, n);
                const int edges = graph_check(n, mode == MODE_BABY_BRAINS);
                ASSERT_EQ(edge_nodes_count(), edges);
                ASSERT_TRUE(is_crossing_free()) << "the circle drawing must be a solution";
                scatter_on_layout(n, shape);
                ASSERT_FALSE(is_crossing_free());
                scatter_check(n, shape);
                if (HasFailure())
                    return;
            }
        }
    }
}
