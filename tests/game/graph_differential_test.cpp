// The fast crossing test, solved test, edge colouring and level generation
// against their plain forms: over seeds, modes, shapes and level sizes, and on
// drawings made to be awkward (touching ends, vertices on edges, collinear
// overlaps, coincident vertices, crossings just past an end, a crowd of points
// in a tiny box, edges across the whole 16-bit range).
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "game/edge_grid.h"
#include "game/graph.h"
#include "testkit/graph_oracle.h"
#include "game/graph_generate.h"
#include "game/graph_support.h"
#include "game/layout.h"
#include "game/mode.h"
#include "geometry/random.h"
#include "geometry/trig.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "testkit/circle.h"

// Everything generation leaves behind: vertices, adjacency, and the line nodes
// in list order with their endpoints and colours.
static std::vector<int32_t> graph_snapshot()
{
    std::vector<int32_t> shot{vertex_count};
    for (int i = 0; i < vertex_count; ++i) {
        const Vertex& v = vertices[i];
        shot.insert(shot.end(), {v.x, v.y, v.degree});
        for (int k = 0; k < v.degree; ++k)
            shot.push_back(v.neighbours[k]);
    }
    for (const ShapeNode* n = surface_slots[EDGE_SLOT].shape_list; n; n = n->next)
        shot.insert(shot.end(), {n->x0, n->y0, n->x1, n->y1, n->colour, n->opacity});
    return shot;
}

class GraphDifferential : public GraphFixture {
protected:
    void TearDown() override
    {
        game_mode = MODE_CLASSIC;
        GraphFixture::TearDown();
    }

    // The colours, the answers of both solved tests, and (when asked) the
    // crossing question for every pair of vertices, edge or not, both through
    // edge_crosses_any and through the edge grid that level generation asks.
    static void expect_same_answers(const char* what, bool every_pair)
    {
        SCOPED_TRACE(what);
        bool literal_free = false;
        const std::vector<uint16_t> want = literal_colours(&literal_free);
        const bool game_free = colour_edges();
        ASSERT_EQ(game_colours(), want);
        ASSERT_EQ(game_free, literal_free);
        ASSERT_EQ(is_crossing_free(), literal_free);
        if (!every_pair)
            return;
        edge_grid_fill();
        for (int u = 0; u < vertex_count; ++u) {
            for (int v = 0; v < vertex_count; ++v) {
                const bool want_cross = literal_edge_crosses_any(uint16_t(u), uint16_t(v));
                ASSERT_EQ(edge_crosses_any(uint16_t(u), uint16_t(v)), want_cross) << u << "-" << v;
                ASSERT_EQ(edge_grid_find(uint16_t(u), uint16_t(v), false) >= 0, want_cross) << u << "-" << v;
            }
        }
    }

    // n vertices at the given points, then random edges: each vertex offers up
    // to `tries` partners, joined when both have room and are not yet adjacent.
    static void random_graph_make(const std::vector<std::pair<int32_t, int32_t>>& points, TestRandom& rng, int tries)
    {
        shape_list_clear(EDGE_SLOT);
        const int n = int(points.size());
        vertex_count = uint16_t(n);
        for (int i = 0; i < n; ++i)
            vertex_create(i, int16_t(points[i].first), int16_t(points[i].second));
        for (int i = 0; i < n; ++i) {
            for (int t = 0; t < tries; ++t) {
                const int j = rng.below(n);
                if (j == i || vertices[i].degree >= MAX_DEGREE || vertices[j].degree >= MAX_DEGREE)
                    continue;
                bool joined = false;
                for (int k = 0; k < vertices[i].degree; ++k)
                    joined |= vertices[i].neighbours[k] == j;
                if (!joined)
                    add_edge(uint16_t(i), uint16_t(j));
            }
        }
    }

    // Builds and throws level n both ways from one seed and expects the same
    // graph, the same lines, the same random draws and the same answers.
    static void level_compare(uint8_t mode, int n, int shape, uint32_t seed, bool nearly_solved)
    {
        SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " n " << n << " shape " << shape << " seed " << seed);
        game_mode = mode;
        shape_list_clear(EDGE_SLOT);
        random_seed(seed);
        literal_build_graph(n);
        const std::vector<int32_t> literal_built = graph_snapshot();
        literal_scatter_on_layout(n, shape);
        const std::vector<int32_t> literal_thrown = graph_snapshot();
        const int32_t literal_next = random_next();

        shape_list_clear(EDGE_SLOT);
        random_seed(seed);
        build_graph(n);
        ASSERT_EQ(graph_snapshot(), literal_built);
        scatter_on_layout(n, shape);
        ASSERT_EQ(graph_snapshot(), literal_thrown);
        ASSERT_EQ(random_next(), literal_next) << "the same number of draws";

        expect_same_answers("thrown", n <= 20);
        if (!nearly_solved)
            return;
        // Back on the circle in index order, where no search ends early, then
        // with one vertex pulled across its neighbours, as in a drag.
        circle_place(n);
        expect_same_answers("on the circle", false);
        const int moved = int(seed % uint32_t(n));
        vertex_place(moved, 120, 160);
        expect_same_answers("one vertex in the middle", false);
    }
};

TEST_F(GraphDifferential, CrossingRuleMatchesTheDividingForm)
{
    TestRandom rng{7};
    // Small boxes make parallels, shared ends and touching common; the full
    // range exercises the 64-bit products.
    for (int32_t span : {3, 12, 300, 65535}) {
        for (int t = 0; t < 40000; ++t) {
            int32_t c[8];
            for (int32_t& v : c)
                v = span == 65535 ? rng.between(-32768, 32767) : rng.below(span + 1);
            const bool want = literal_segments_cross(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
            ASSERT_EQ(segments_cross(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]), want);
            // The grid relies on the answer not depending on the order of the
            // segments or of their ends.
            ASSERT_EQ(literal_segments_cross(c[4], c[5], c[6], c[7], c[0], c[1], c[2], c[3]), want);
            ASSERT_EQ(literal_segments_cross(c[2], c[3], c[0], c[1], c[6], c[7], c[4], c[5]), want);
        }
    }
}

TEST_F(GraphDifferential, CrossingRuleAtTheMarginPastAnEnd)
{
    // A long segment and a short one crossing its line about 1/1024 of its
    // length beyond an end, on both sides of the limit.
    TestRandom rng{11};
    int hits = 0, misses = 0;
    for (int t = 0; t < 20000; ++t) {
        const int32_t x1 = rng.between(-32768, 32767), y1 = rng.between(-32768, 32767);
        const int32_t x2 = rng.between(-32768, 32767), y2 = rng.between(-32768, 32767);
        const int64_t dx = x2 - x1, dy = y2 - y1;
        const int64_t beyond = rng.between(-2500, 2500);   // in 1/1024 of the segment, times 1000
        const int64_t px = x2 + dx * beyond / 1024000, py = y2 + dy * beyond / 1024000;
        const int32_t ox = rng.between(-40, 40), oy = rng.between(-40, 40);
        const int64_t qx1 = px - ox, qy1 = py - oy, qx2 = px + ox, qy2 = py + oy;
        if (qx1 < -32768 || qx1 > 32767 || qy1 < -32768 || qy1 > 32767 || qx2 < -32768 || qx2 > 32767 ||
            qy2 < -32768 || qy2 > 32767)
            continue;
        const bool want = literal_segments_cross(x1, y1, x2, y2, int32_t(qx1), int32_t(qy1), int32_t(qx2), int32_t(qy2));
        ASSERT_EQ(segments_cross(x1, y1, x2, y2, int32_t(qx1), int32_t(qy1), int32_t(qx2), int32_t(qy2)), want);
        (want ? hits : misses) += 1;
    }
    EXPECT_GT(hits, 1000);
    EXPECT_GT(misses, 1000);

    // Probes through the point exactly 1/1024 of the segment before its start
    // or past its end, where the quotient is exactly -1 or 1025 whenever the
    // probe is not parallel: the bounds of the rule themselves.
    for (int t = 0; t < 2000; ++t) {
        const int32_t dx = 1024 * rng.between(-20, 20), dy = 1024 * rng.between(-20, 20);
        if (dx == 0 && dy == 0)
            continue;
        const int32_t x1 = rng.between(-10000, 10000), y1 = rng.between(-10000, 10000);
        const int32_t x2 = x1 + dx, y2 = y1 + dy;
        const int32_t ox = rng.between(-40, 40), oy = rng.between(-40, 40);
        for (int end = 0; end < 2; ++end) {
            const int32_t px = end ? x2 + dx / 1024 : x1 - dx / 1024;
            const int32_t py = end ? y2 + dy / 1024 : y1 - dy / 1024;
            const bool want = literal_segments_cross(x1, y1, x2, y2, px - ox, py - oy, px + ox, py + oy);
            ASSERT_EQ(segments_cross(x1, y1, x2, y2, px - ox, py - oy, px + ox, py + oy), want);
            ASSERT_EQ(segments_cross(px - ox, py - oy, px + ox, py + oy, x1, y1, x2, y2), want);
        }
    }
}

TEST_F(GraphDifferential, GeneratedLevelsOfEverySizeMatch)
{
    // Every level size of every mode up to 100 vertices, shapes in turn, then
    // the large levels, where the plain forms take longest.
    uint32_t seed = 1;
    for (uint8_t mode : {MODE_CLASSIC, MODE_SUDDEN_DEATH, MODE_BABY_BRAINS}) {
        for (int t = 1; level_vertex_count(mode, t) <= 100; ++t) {
            const int n = level_vertex_count(mode, t);
            level_compare(mode, n, int(seed % LAYOUT_SHAPE_COUNT), seed, n % 20 == 0);
            ++seed;
        }
    }
    for (int n : {4, 5, 7, 33, 64}) {
        for (int shape = 0; shape < LAYOUT_SHAPE_COUNT; ++shape)
            level_compare(MODE_FUNKY_SHAPES, n, shape, seed++, true);
    }
    level_compare(MODE_FUNKY_SHAPES, 250, LAYOUT_WAVE, 250, true);
    level_compare(MODE_CLASSIC, 510, LAYOUT_CIRCLE, 510, true);
    level_compare(MODE_FUNKY_SHAPES, 512, LAYOUT_HEXAGON, 512, false);
}

TEST_F(GraphDifferential, CrowdedTinyBoxes)
{
    // So many points in so little room that most pairs of edges touch, share
    // a line or meet at coincident vertices.
    TestRandom rng{3};
    for (int round = 0; round < 60; ++round) {
        const int32_t side = 1 + round % 6;
        const int n = 6 + rng.below(40);
        std::vector<std::pair<int32_t, int32_t>> points;
        for (int i = 0; i < n; ++i)
            points.push_back({100 + rng.below(side + 1), 100 + rng.below(side + 1)});
        random_graph_make(points, rng, 3);
        expect_same_answers("tiny box", true);
    }
}

TEST_F(GraphDifferential, AwkwardPlacements)
{
    TestRandom rng{5};
    for (int round = 0; round < 40; ++round) {
        std::vector<std::pair<int32_t, int32_t>> points;
        // Points on one line, some coincident: collinear overlaps.
        for (int i = 0; i < 8; ++i)
            points.push_back({20 + 10 * rng.below(10), 20 + 5 * rng.below(10)});
        // Vertices on the midpoints of segments between earlier points, and
        // others on their ends.
        for (int i = 0; i < 10; ++i) {
            const auto a = points[rng.below(int(points.size()))];
            const auto b = points[rng.below(int(points.size()))];
            points.push_back({(a.first + b.first) / 2, (a.second + b.second) / 2});
            points.push_back(rng.below(2) ? a : b);
        }
        // Long edges across the whole screen.
        for (int i = 0; i < 4; ++i)
            points.push_back({rng.below(2) ? 0 : 239, rng.below(320)});
        random_graph_make(points, rng, 4);
        expect_same_answers("awkward placements", true);
    }
}

TEST_F(GraphDifferential, CrossingsJustPastAnEnd)
{
    // Long edges with short ones crossing their lines within about 1/1024 of
    // an end, across the whole 16-bit range, where the grid's cells are wide.
    TestRandom rng{9};
    for (int round = 0; round < 40; ++round) {
        std::vector<std::pair<int32_t, int32_t>> points;
        for (int e = 0; e < 6; ++e) {
            const int32_t x1 = rng.between(-30000, 30000), y1 = rng.between(-30000, 30000);
            const int32_t x2 = rng.between(-30000, 30000), y2 = rng.between(-30000, 30000);
            points.push_back({x1, y1});
            points.push_back({x2, y2});
            const int64_t beyond = rng.between(-2200, 2200);
            const int32_t px = int32_t(x2 + int64_t(x2 - x1) * beyond / 1024000);
            const int32_t py = int32_t(y2 + int64_t(y2 - y1) * beyond / 1024000);
            const int32_t ox = rng.between(-30, 30), oy = rng.between(-30, 30);
            points.push_back({px - ox, py - oy});
            points.push_back({px + ox, py + oy});
        }
        shape_list_clear(EDGE_SLOT);
        vertex_count = uint16_t(points.size());
        for (int i = 0; i < vertex_count; ++i)
            vertex_create(i, int16_t(points[i].first), int16_t(points[i].second));
        // Each long edge with its probe, and a few edges between the groups.
        for (int e = 0; e < 6; ++e) {
            add_edge(uint16_t(4 * e), uint16_t(4 * e + 1));
            add_edge(uint16_t(4 * e + 2), uint16_t(4 * e + 3));
        }
        for (int e = 0; e + 1 < 6; ++e)
            add_edge(uint16_t(4 * e + 1), uint16_t(4 * e + 6));
        expect_same_answers("just past an end", true);
    }
}

TEST_F(GraphDifferential, RandomDrawingsOverTheScreen)
{
    // Full-sized random graphs, as a player's half-solved drawing might look.
    TestRandom rng{13};
    for (int round = 0; round < 12; ++round) {
        const int n = 40 + rng.below(200);
        std::vector<std::pair<int32_t, int32_t>> points;
        for (int i = 0; i < n; ++i)
            points.push_back({8 + rng.below(225), 8 + rng.below(305)});
        random_graph_make(points, rng, 2 + round % 3);
        expect_same_answers("random drawing", round < 3);
    }
}
