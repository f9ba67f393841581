// The puzzle graph: the exact crossing rule, edges shared by both ends, the
// solved test and edge colouring on hand-built graphs, and turning creatures.
#include <gtest/gtest.h>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>
#include "game/graph.h"
#include "game/graph_support.h"
#include "gfx/slot.h"
#include "scene/shape.h"
#include "scene/sprite.h"

TEST(SegmentsCross, CrossingAndMissing)
{
    EXPECT_TRUE(segments_cross(0, 0, 10, 0, 5, -5, 5, 5));
    EXPECT_FALSE(segments_cross(0, 0, 10, 0, 11, -5, 11, 5));
    EXPECT_FALSE(segments_cross(0, 0, 10, 10, 20, 0, 11, 9));
    // The order of the ends does not matter.
    EXPECT_TRUE(segments_cross(10, 0, 0, 0, 5, 5, 5, -5));
    EXPECT_TRUE(segments_cross(5, -5, 5, 5, 0, 0, 10, 0));
}

TEST(SegmentsCross, TouchingCounts)
{
    EXPECT_TRUE(segments_cross(0, 0, 10, 0, 5, 0, 5, 5));     // an end on the other's middle
    EXPECT_TRUE(segments_cross(0, 0, 10, 0, 10, 0, 10, 5));   // ends meet
    EXPECT_TRUE(segments_cross(0, 0, 10, 0, 0, 0, -3, 7));
}

TEST(SegmentsCross, ParallelNeverCrosses)
{
    EXPECT_FALSE(segments_cross(0, 0, 10, 0, 0, 1, 10, 1));
    EXPECT_FALSE(segments_cross(0, 0, 10, 0, 5, 0, 15, 0));     // collinear, overlapping
    EXPECT_FALSE(segments_cross(0, 0, 10, 10, 0, 0, 10, 10));   // one on top of the other
    EXPECT_FALSE(segments_cross(3, 3, 3, 3, 0, 0, 10, 10));     // a point on a line: D = 0
}

TEST(SegmentsCross, MarginOfOneIn1024)
{
    // P1P2 is 2048 long: half a 1024th past either end still counts, a whole one does not.
    EXPECT_TRUE(segments_cross(0, 0, 2048, 0, -1, -5, -1, 5));
    EXPECT_FALSE(segments_cross(0, 0, 2048, 0, -2, -5, -2, 5));
    EXPECT_TRUE(segments_cross(0, 0, 2048, 0, 2049, -5, 2049, 5));
    EXPECT_FALSE(segments_cross(0, 0, 2048, 0, 2050, -5, 2050, 5));
    // The same along P3P4.
    EXPECT_TRUE(segments_cross(0, 0, 10, 0, 5, 1, 5, 2049));
    EXPECT_FALSE(segments_cross(0, 0, 10, 0, 5, 2, 5, 2050));
    EXPECT_TRUE(segments_cross(0, 0, 10, 0, 5, -2048, 5, -1));
}

TEST(SegmentsCross, FullSixteenBitRangeIsExact)
{
    EXPECT_TRUE(segments_cross(-32768, -32768, 32767, 32767, -32768, 32767, 32767, -32768));
    // Short of the line by 68 in 65467 (more than 1/1024), then by 60 in 65475 (less).
    EXPECT_FALSE(segments_cross(-32768, -32768, 32767, -32768, 0, -32700, 0, 32767));
    EXPECT_TRUE(segments_cross(-32768, -32768, 32767, -32768, 0, -32708, 0, 32767));
    EXPECT_FALSE(segments_cross(-32768, 32767, 32767, 32767, -32768, -32768, 32767, 32000));
}

class GraphTest : public GraphFixture {
protected:
    // Vertices at the given points, then the given edges.
    void graph_make(std::initializer_list<std::pair<int, int>> points,
                    std::initializer_list<std::pair<int, int>> edges)
    {
        int i = 0;
        for (auto [x, y] : points)
            vertex_create(i++, int16_t(x), int16_t(y));
        vertex_count = uint16_t(i);
        for (auto [a, b] : edges)
            add_edge(uint16_t(a), uint16_t(b));
    }

    static ShapeNode* line_of(int a, int b)
    {
        for (int k = 0; k < vertices[a].degree; ++k) {
            if (vertices[a].neighbours[k] == b)
                return vertices[a].edge_lines[k];
        }
        return nullptr;
    }
};

TEST_F(GraphTest, VertexCreateMakesBothSprites)
{
    std::memset(&vertices[3], 0x6B, sizeof vertices[3]);
    vertex_create(3, 57, -12);
    EXPECT_EQ(vertices[3].x, 57);
    EXPECT_EQ(vertices[3].y, -12);
    EXPECT_EQ(vertices[3].facing, 0);
    EXPECT_EQ(vertices[3].degree, 0);
    const Sprite* body = sprite_table[3];
    const Sprite* glow = sprite_table[GLOW_SPRITE_BASE + 3];
    ASSERT_NE(body, nullptr);
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(body->pixels, vertex_strip_image->pixels);
    EXPECT_EQ(glow->pixels, glow_image->pixels);
    EXPECT_EQ((std::vector<int>{body->x, body->y, body->w, body->h, body->layer, body->frame}),
              (std::vector<int>{57, -12, 14, 14, VERTEX_LAYER, 0}));
    EXPECT_EQ((std::vector<int>{glow->x, glow->y, glow->w, glow->h, glow->layer, glow->opacity}),
              (std::vector<int>{57, -12, 20, 20, GLOW_LAYER, 32}));

    vertex_place(3, 200, 300);
    EXPECT_EQ((std::vector<int>{vertices[3].x, vertices[3].y, body->x, body->y, glow->x, glow->y}),
              (std::vector<int>{200, 300, 200, 300, 200, 300}));
}

TEST_F(GraphTest, AddEdgeSharesOneLine)
{
    graph_make({{10, 20}, {30, 40}, {50, 60}}, {{0, 1}, {2, 0}});
    EXPECT_EQ(vertices[0].degree, 2);
    EXPECT_EQ(vertices[1].degree, 1);
    EXPECT_EQ(vertices[2].degree, 1);
    EXPECT_EQ(vertices[0].neighbours[0], 1);
    EXPECT_EQ(vertices[0].neighbours[1], 2);
    EXPECT_EQ(vertices[1].neighbours[0], 0);
    EXPECT_EQ(vertices[2].neighbours[0], 0);
    ShapeNode* first = vertices[0].edge_lines[0];
    ShapeNode* second = vertices[0].edge_lines[1];
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(vertices[1].edge_lines[0], first);
    EXPECT_EQ(vertices[2].edge_lines[0], second);
    EXPECT_NE(first, second);
    EXPECT_EQ(edge_nodes_count(), 2);
    EXPECT_EQ(surface_slots[EDGE_SLOT].shape_list, first);
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(first->kind, SHAPE_LINE);
    EXPECT_EQ(first->colour, 0x0000);
    EXPECT_EQ(first->opacity, 32);
    EXPECT_EQ(first->x0, 10);
    EXPECT_EQ(first->y0, 20);
    EXPECT_EQ(first->x1, 30);
    EXPECT_EQ(first->y1, 40);
    EXPECT_EQ(second->x0, 50);
    EXPECT_EQ(second->y0, 60);
    EXPECT_EQ(second->x1, 10);
    EXPECT_EQ(second->y1, 20);
}

TEST_F(GraphTest, EmptyGraphIsSolved)
{
    vertex_count = 0;
    EXPECT_TRUE(is_crossing_free());
    EXPECT_TRUE(colour_edges());
}

TEST_F(GraphTest, EdgesSharingAnEndNeverCross)
{
    // 0-1 and 0-2 lie on top of each other along the x axis; 3-4 is apart.
    graph_make({{0, 0}, {100, 0}, {50, 0}, {0, 50}, {100, 50}}, {{0, 1}, {0, 2}, {3, 4}, {1, 4}});
    EXPECT_FALSE(edge_crosses_any(0, 1));
    EXPECT_TRUE(is_crossing_free());
    EXPECT_TRUE(colour_edges());
    for (auto [a, b] : {std::pair{0, 1}, {0, 2}, {3, 4}, {1, 4}})
        EXPECT_EQ(line_of(a, b)->colour, COLOUR_EDGE_FREE) << a << "-" << b;
}

TEST_F(GraphTest, VertexOnAnEdgeCrosses)
{
    // Vertex 2 sits on edge 0-1: its edge 2-3 and 0-1 turn white, 3-4 stays green.
    graph_make({{0, 0}, {100, 0}, {50, 0}, {50, 50}, {90, 90}}, {{0, 1}, {2, 3}, {3, 4}});
    EXPECT_TRUE(edge_crosses_any(0, 1));
    EXPECT_TRUE(edge_crosses_any(3, 2));
    EXPECT_FALSE(edge_crosses_any(3, 4));
    EXPECT_FALSE(is_crossing_free());
    EXPECT_FALSE(colour_edges());
    EXPECT_EQ(line_of(0, 1)->colour, 0xFFFF);
    EXPECT_EQ(line_of(2, 3)->colour, 0xFFFF);
    EXPECT_EQ(line_of(3, 4)->colour, COLOUR_EDGE_FREE);
}

TEST_F(GraphTest, CoincidentVerticesCross)
{
    graph_make({{0, 0}, {100, 0}, {100, 0}, {100, 50}}, {{0, 1}, {2, 3}});
    EXPECT_FALSE(is_crossing_free());
    EXPECT_FALSE(colour_edges());
}

TEST_F(GraphTest, CandidateEdgeNeedNotExist)
{
    // A square with one diagonal: the other diagonal would cross it, an outside chord would not.
    graph_make({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {200, 50}}, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 2}});
    EXPECT_TRUE(edge_crosses_any(1, 3));
    EXPECT_FALSE(edge_crosses_any(1, 4));
    EXPECT_TRUE(edge_crosses_any(3, 4));
    EXPECT_TRUE(is_crossing_free());
}

TEST_F(GraphTest, ColourEdgesPaintsEveryLineAndKeepsTheRest)
{
    // Two crossing diagonals, plus sides that touch only at shared corners.
    graph_make({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {{0, 1}, {1, 2}, {0, 2}, {1, 3}});
    const ShapeNode before = *line_of(0, 2);
    EXPECT_EQ(colour_edge_crossing, 0xFFFF);
    EXPECT_FALSE(colour_edges());
    EXPECT_EQ(is_crossing_free(), false);
    EXPECT_EQ(line_of(0, 2)->colour, 0xFFFF);
    EXPECT_EQ(line_of(1, 3)->colour, 0xFFFF);
    EXPECT_EQ(line_of(0, 1)->colour, COLOUR_EDGE_FREE);
    EXPECT_EQ(line_of(1, 2)->colour, COLOUR_EDGE_FREE);
    const ShapeNode* after = line_of(0, 2);
    EXPECT_EQ(after->x0, before.x0);
    EXPECT_EQ(after->y0, before.y0);
    EXPECT_EQ(after->x1, before.x1);
    EXPECT_EQ(after->y1, before.y1);
    EXPECT_EQ(after->opacity, before.opacity);

    // Moving a corner out of the way: every line turns green.
    vertices[3].x = 300;
    vertices[3].y = -100;
    EXPECT_TRUE(colour_edges());
    for (int i = 0; i < vertex_count; ++i) {
        for (int k = 0; k < vertices[i].degree; ++k)
            EXPECT_EQ(vertices[i].edge_lines[k]->colour, COLOUR_EDGE_FREE);
    }
}

TEST_F(GraphTest, FaceCentreTurnsEveryCreature)
{
    graph_make({{200, 160}, {120, 100}, {40, 160}, {120, 250}, {200, 80}, {40, 240}, {120, 160}}, {});
    for (int i = 0; i < vertex_count; ++i) {
        sprite_table[GLOW_SPRITE_BASE + i]->opacity = 0;
        sprite_table[i]->frame = 23;
    }
    face_centre();
    // Each creature looks from its place towards (120, 160); the last one sits on it.
    const uint8_t facing[] = {4, 6, 0, 2, 5, 1, 7};
    for (int i = 0; i < vertex_count; ++i) {
        EXPECT_EQ(vertices[i].facing, facing[i]) << "vertex " << i;
        EXPECT_EQ(sprite_table[i]->frame, facing[i]) << "vertex " << i;
        EXPECT_EQ(sprite_table[GLOW_SPRITE_BASE + i]->opacity, 32);
    }
}
