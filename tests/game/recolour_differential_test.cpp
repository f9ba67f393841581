// Recolouring after moves against colouring the whole graph by the rule: long
// random drags over levels of every shape and size, drags that pile vertices
// onto edges, ends and each other, several vertices moved between
// recolourings, and new graphs put in place of the one last coloured.
#include <gtest/gtest.h>
#include <algorithm>
#include <utility>
#include <vector>

#include "game/edge_grid.h"
#include "game/graph.h"
#include "game/graph_generate.h"
#include "game/graph_support.h"
#include "game/layout.h"
#include "game/mode.h"
#include "game/recolour.h"
#include "geometry/random.h"
#include "geometry/trig.h"
#include "scene/shape.h"
#include "testkit/circle.h"

class RecolourDifferential : public GraphFixture {
protected:
    void TearDown() override
    {
        game_mode = MODE_CLASSIC;
        GraphFixture::TearDown();
    }

    // The colours the rule gives. Small graphs are held to the literal form
    // itself; large ones, where that costs a quarter of a second a time under
    // the sanitizers, to the grid's whole-graph settling, which the graph
    // differential test holds to the literal form. Neither touches the states
    // recolouring keeps.
    static std::vector<uint16_t> rule_colours(bool* free_of_crossings)
    {
        if (vertex_count <= 60)
            return literal_colours(free_of_crossings);
        *free_of_crossings = edge_grid_settle();
        std::vector<uint16_t> out;
        for (int i = 0; i < vertex_count; ++i) {
            for (int k = 0; k < vertices[i].degree; ++k) {
                const bool crossing = grid_edges[grid_slot_edges[i][k]].state == EDGE_CROSSING;
                out.push_back(crossing ? colour_edge_crossing : COLOUR_EDGE_FREE);
            }
        }
        return out;
    }

    static void expect_rule(const char* what, int step)
    {
        const bool recoloured_free = recolour_edges();
        const std::vector<uint16_t> got = game_colours();
        bool rule_free = false;
        const std::vector<uint16_t> want = rule_colours(&rule_free);
        ASSERT_EQ(got, want) << what << ", step " << step;
        ASSERT_EQ(recoloured_free, rule_free) << what << ", step " << step;
    }

    static void level_make(uint8_t mode, int n, int shape, uint32_t seed)
    {
        game_mode = mode;
        shape_list_clear(EDGE_SLOT);
        random_seed(seed);
        build_graph(n);
        scatter_on_layout(n, shape);
    }

    // A drag of one vertex as the play loop makes it: small steps clamped to
    // the play area, recoloured every few steps, now and then a leap.
    static void drag(TestRandom& rng, int steps, const char* what)
    {
        const int picked = rng.below(vertex_count);
        int32_t x = vertices[picked].x, y = vertices[picked].y;
        for (int s = 0; s < steps; ++s) {
            if (rng.below(16) == 0) {
                x = rng.between(8, 232);
                y = rng.between(8, 312);
            } else {
                x = std::clamp(x + rng.between(-9, 9), 8, 232);
                y = std::clamp(y + rng.between(-9, 9), 8, 312);
            }
            vertex_place(picked, int16_t(x), int16_t(y));
            if (rng.below(3) == 0) {
                ASSERT_NO_FATAL_FAILURE(expect_rule(what, s));
            }
        }
        ASSERT_NO_FATAL_FAILURE(expect_rule(what, steps));
    }
};

TEST_F(RecolourDifferential, TheBranchFreeRuleIsTheRule)
{
    // The sweep and the recolouring ask the rule in its branch-free form:
    // small boxes (parallels, shared ends, touching), the screen, the whole
    // 16-bit range, and probes about 1/1024 past an end.
    TestRandom rng{29};
    for (int32_t span : {3, 12, 300, 65535}) {
        for (int t = 0; t < 40000; ++t) {
            int32_t c[8];
            for (int32_t& v : c)
                v = span == 65535 ? rng.between(-32768, 32767) : rng.below(span + 1);
            ASSERT_EQ(segments_cross_flat(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]),
                      literal_segments_cross(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]));
        }
    }
    for (int t = 0; t < 20000; ++t) {
        const int32_t dx = 1024 * rng.between(-20, 20), dy = 1024 * rng.between(-20, 20);
        const int32_t x1 = rng.between(-10000, 10000), y1 = rng.between(-10000, 10000);
        const int32_t px = x1 + dx + dx / 1024 + rng.between(-1, 1), py = y1 + dy + dy / 1024 + rng.between(-1, 1);
        const int32_t ox = rng.between(-40, 40), oy = rng.between(-40, 40);
        ASSERT_EQ(segments_cross_flat(x1, y1, x1 + dx, y1 + dy, px - ox, py - oy, px + ox, py + oy),
                  literal_segments_cross(x1, y1, x1 + dx, y1 + dy, px - ox, py - oy, px + ox, py + oy));
    }
}

TEST_F(RecolourDifferential, LongDragsOnEveryShapeAndSize)
{
    TestRandom rng{21};
    uint32_t seed = 100;
    for (uint8_t mode : {MODE_CLASSIC, MODE_BABY_BRAINS}) {
        for (int n : {6, 10, 15, 25, 40, 60, 100, 250, 510}) {
            for (int shape = 0; shape < LAYOUT_SHAPE_COUNT; ++shape) {
                SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " n " << n << " shape " << shape);
                level_make(mode, n, shape, seed++);
                colour_edges();
                // Thrown: most edges cross, and a drag rarely frees one.
                const int drags = n <= 60 ? 6 : 2;
                for (int d = 0; d < drags; ++d)
                    ASSERT_NO_FATAL_FAILURE(drag(rng, n <= 60 ? 60 : 25, "thrown"));
                // Nearly solved: each drag makes and undoes a few crossings.
                circle_place(vertex_count);
                for (int d = 0; d < drags; ++d)
                    ASSERT_NO_FATAL_FAILURE(drag(rng, n <= 60 ? 60 : 25, "on the circle"));
            }
        }
    }
}

TEST_F(RecolourDifferential, DragsOntoEdgesEndsAndOtherVertices)
{
    // A crowd in a small box, and vertices dropped exactly on other vertices,
    // on points of other edges and on their lines just past an end: touching,
    // overlapping and coincident cases, where states change most often.
    TestRandom rng{23};
    for (int round = 0; round < 30; ++round) {
        level_make(MODE_CLASSIC, 15 + 5 * (round % 8), round % LAYOUT_SHAPE_COUNT, 300 + uint32_t(round));
        for (int i = 0; i < vertex_count; ++i)
            vertex_place(i, int16_t(100 + rng.below(12)), int16_t(150 + rng.below(12)));
        colour_edges();
        for (int s = 0; s < 150; ++s) {
            const int picked = rng.below(vertex_count);
            const int other = rng.below(vertex_count);
            const Vertex& o = vertices[other];
            int32_t x = o.x, y = o.y;
            if (o.degree > 0 && rng.below(2) == 0) {
                // A point on one of its edges, or that edge's line a little beyond its end.
                const Vertex& w = vertices[o.neighbours[rng.below(o.degree)]];
                const int32_t t = rng.between(-1, 3);
                x = o.x + (w.x - o.x) * t / 2;
                y = o.y + (w.y - o.y) * t / 2;
            }
            vertex_place(picked, int16_t(x), int16_t(y));
            ASSERT_NO_FATAL_FAILURE(expect_rule("piled up", s));
        }
    }
}

TEST_F(RecolourDifferential, SeveralVerticesMovedBetweenRecolourings)
{
    // The instructions demonstration and the level outro move more than one
    // creature between colourings; past a few, the whole graph is coloured.
    TestRandom rng{25};
    for (int n : {30, 100, 250}) {
        level_make(MODE_FUNKY_SHAPES, n, n % LAYOUT_SHAPE_COUNT, uint32_t(n));
        circle_place(vertex_count);
        colour_edges();
        for (int s = 0; s < 60; ++s) {
            const int moves = 1 + rng.below(s % 10 == 9 ? n : 12);
            for (int m = 0; m < moves; ++m) {
                const int picked = rng.below(vertex_count);
                vertex_place(picked, int16_t(std::clamp(vertices[picked].x + rng.between(-20, 20), 8, 232)),
                             int16_t(std::clamp(vertices[picked].y + rng.between(-20, 20), 8, 312)));
            }
            ASSERT_NO_FATAL_FAILURE(expect_rule("several moved", s));
        }
    }
}

TEST_F(RecolourDifferential, ANewGraphIsNeverTakenForTheOneKept)
{
    // A new level of the same size, a level loaded over it, the walk-off
    // moving every creature, or nothing moved at all: each recolouring still
    // answers for the graph and places it is given.
    TestRandom rng{27};
    level_make(MODE_CLASSIC, 40, LAYOUT_CIRCLE, 1);
    colour_edges();
    ASSERT_NO_FATAL_FAILURE(drag(rng, 20, "first level"));
    level_make(MODE_CLASSIC, 40, LAYOUT_CIRCLE, 2);
    ASSERT_NO_FATAL_FAILURE(expect_rule("a new level of the same size", 0));
    ASSERT_NO_FATAL_FAILURE(drag(rng, 20, "second level"));
    // The same positions with one edge fewer: the adjacency alone differs.
    shape_list_clear(EDGE_SLOT);
    const int n = vertex_count;
    std::vector<std::pair<int16_t, int16_t>> places;
    for (int i = 0; i < n; ++i)
        places.push_back({vertices[i].x, vertices[i].y});
    for (int i = 0; i < n; ++i)
        vertex_create(i, places[i].first, places[i].second);
    for (int i = 0; i + 1 < n; ++i)
        add_edge(uint16_t(i), uint16_t(i + 1));
    ASSERT_NO_FATAL_FAILURE(expect_rule("a path instead of a ring", 0));
    add_edge(uint16_t(n - 1), 0);
    ASSERT_NO_FATAL_FAILURE(expect_rule("the ring closed", 0));
    for (int step = 0; step < 20; ++step) {
        for (int i = 0; i < n; ++i)
            vertex_place(i, int16_t(vertices[i].x + (vertices[i].x < 120 ? -6 : 6)), vertices[i].y);
        ASSERT_NO_FATAL_FAILURE(expect_rule("walking off", step));
    }
    ASSERT_NO_FATAL_FAILURE(expect_rule("nothing moved", 0));
    // Colours overwritten by someone else are put right even when nothing moved.
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < vertices[i].degree; ++k)
            vertices[i].edge_lines[k]->colour = 0x1234;
    }
    ASSERT_NO_FATAL_FAILURE(expect_rule("colours overwritten", 0));
}
