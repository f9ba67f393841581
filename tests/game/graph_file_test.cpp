// Saving the puzzle into a level file and rebuilding it: positions, facings,
// each edge once and the clock come back; an unsound file changes nothing.
#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include <utility>
#include <vector>
#include "game/graph.h"
#include "game/graph_file.h"
#include "game/graph_generate.h"
#include "game/graph_support.h"
#include "game/layout.h"
#include "game/mode.h"
#include "geometry/random.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "shell/frame.h"
#include "storage/level_file.h"
#include "storage/scratch_dir.h"

using EdgeSet = std::set<std::pair<int, int>>;

static EdgeSet edges_of()
{
    EdgeSet edges;
    for (int i = 0; i < vertex_count; ++i) {
        for (int k = 0; k < vertices[i].degree; ++k) {
            const int j = vertices[i].neighbours[k];
            edges.emplace(std::min(i, j), std::max(i, j));
        }
    }
    return edges;
}

class GraphFileTest : public GraphFixture {
protected:
    void SetUp() override
    {
        GraphFixture::SetUp();
        dir_.enter();
        saved_elapsed = 0;
        game_mode = MODE_CLASSIC;
    }
    void TearDown() override
    {
        dir_.leave();
        saved_elapsed = 0;
        GraphFixture::TearDown();
    }

    // A generated, scattered, turned level of n vertices.
    static void level_make(int n, uint32_t seed)
    {
        shape_list_clear(EDGE_SLOT);
        random_seed(seed);
        build_graph(n);
        scatter_on_layout(n, LAYOUT_PENTAGON);
        face_centre();
    }

private:
    ScratchDir dir_;
};

TEST_F(GraphFileTest, RoundTripRestoresThePuzzle)
{
    level_make(15, 5);
    soft_timers[0] = 123456;
    const std::vector<Vertex> saved(vertices, vertices + 15);
    const EdgeSet saved_edges = edges_of();
    ASSERT_EQ(graph_save(3, 2), 1);

    // Another level is in play when the saved one is resumed.
    level_make(10, 8);
    soft_timers[0] = 0;
    ASSERT_EQ(graph_load(2, 2), 1);

    EXPECT_EQ(vertex_count, 15);
    EXPECT_EQ(saved_elapsed, 123456u);
    EXPECT_EQ(edges_of(), saved_edges);
    EXPECT_EQ(edge_nodes_count(), int(saved_edges.size())) << "each edge once";
    for (int i = 0; i < 15; ++i) {
        const Vertex& v = vertices[i];
        EXPECT_EQ(v.x, saved[i].x);
        EXPECT_EQ(v.y, saved[i].y);
        EXPECT_EQ(v.facing, saved[i].facing);
        EXPECT_EQ(v.degree, saved[i].degree);
        EXPECT_EQ(sprite_table[i]->x, v.x);
        EXPECT_EQ(sprite_table[i]->y, v.y);
        EXPECT_EQ(sprite_table[i]->frame, v.facing);
        EXPECT_EQ(sprite_table[i]->layer, VERTEX_LAYER);
        EXPECT_EQ(sprite_table[GLOW_SPRITE_BASE + i]->x, v.x);
        EXPECT_EQ(sprite_table[GLOW_SPRITE_BASE + i]->layer, GLOW_LAYER);
        for (int k = 0; k < v.degree; ++k) {
            const int j = v.neighbours[k];
            const ShapeNode* line = v.edge_lines[k];
            bool shared = false;
            for (int e = 0; e < vertices[j].degree; ++e)
                shared |= vertices[j].neighbours[e] == i && vertices[j].edge_lines[e] == line;
            EXPECT_TRUE(shared);
            const bool joins = (line->x0 == v.x && line->y0 == v.y && line->x1 == vertices[j].x && line->y1 == vertices[j].y) ||
                               (line->x1 == v.x && line->y1 == v.y && line->x0 == vertices[j].x && line->y0 == vertices[j].y);
            EXPECT_TRUE(joins);
        }
    }
}

TEST_F(GraphFileTest, SaveRefusesAPuzzleOfTheWrongSize)
{
    level_make(10, 1);
    EXPECT_EQ(graph_save(3, 0), 0);
    EXPECT_EQ(graph_save(0, 0), 0);
    EXPECT_EQ(graph_save(201, 0), 0);
    EXPECT_FALSE(file_exists("ZembrolShape0.lvl"));
    EXPECT_EQ(graph_save(2, 0), 1);
}

TEST_F(GraphFileTest, UnsoundSlotLeavesThePuzzleAlone)
{
    level_make(10, 4);
    soft_timers[0] = 777;
    ASSERT_EQ(graph_save(2, 6), 1);
    std::vector<uint8_t> bytes = file_bytes("ZembrolShape6.lvl");
    // Vertex 3 lists vertex 7, which does not list it back.
    const size_t vertex3 = 290 + 6 + 14 * 3;
    ASSERT_LT(bytes[vertex3 + 5], 4);
    bytes[vertex3 + 6 + 2 * bytes[vertex3 + 5]] = 7;
    bytes[vertex3 + 5]++;
    file_put("ZembrolShape6.lvl", bytes);

    level_make(6, 9);
    saved_elapsed = 55;
    std::vector<Vertex> before(vertices, vertices + MAX_VERTICES);
    std::vector<const ShapeNode*> lines;
    for (const ShapeNode* n = surface_slots[EDGE_SLOT].shape_list; n; n = n->next)
        lines.push_back(n);

    EXPECT_EQ(graph_load(1, 6), 0);
    EXPECT_EQ(graph_load(0, 6), 0) << "slot 0 was never written";
    EXPECT_EQ(graph_load(1, 5), 0) << "no such file";
    EXPECT_EQ(vertex_count, 6);
    EXPECT_EQ(saved_elapsed, 55u);
    EXPECT_EQ(std::memcmp(before.data(), vertices, sizeof vertices), 0);
    std::vector<const ShapeNode*> after;
    for (const ShapeNode* n = surface_slots[EDGE_SLOT].shape_list; n; n = n->next)
        after.push_back(n);
    EXPECT_EQ(after, lines);
}
