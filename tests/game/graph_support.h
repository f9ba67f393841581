// Shared set-up for the puzzle tests: stand-in vertex pictures (nothing is
// drawn, sprites only borrow them) and an empty edge list in slot 10.
#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include <vector>
#include "game/graph.h"
#include "testkit/graph_oracle.h"
#include "gfx/image.h"
#include "gfx/slot.h"
#include "scene/shape.h"

// A small generator of the tests' own, so that drawing layouts and moves does
// not disturb the game's random sequence.
struct TestRandom {
    uint64_t state;
    int32_t below(int32_t n)
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return int32_t((state >> 33) % uint64_t(n));
    }
    int32_t between(int32_t lo, int32_t hi) { return lo + below(hi - lo + 1); }
};

// Colours the game writes, in the literal's layout (per vertex and slot).
inline std::vector<uint16_t> game_colours()
{
    std::vector<uint16_t> out;
    for (int i = 0; i < vertex_count; ++i) {
        for (int k = 0; k < vertices[i].degree; ++k)
            out.push_back(vertices[i].edge_lines[k]->colour);
    }
    return out;
}

inline std::vector<uint16_t> literal_colours(bool* free_of_crossings)
{
    static uint16_t colours[MAX_VERTICES][MAX_DEGREE];
    *free_of_crossings = literal_colour_edges(colours);
    std::vector<uint16_t> out;
    for (int i = 0; i < vertex_count; ++i) {
        for (int k = 0; k < vertices[i].degree; ++k)
            out.push_back(colours[i][k]);
    }
    return out;
}

class GraphFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        strip_ = Image{strip_pixels_, nullptr, nullptr, nullptr, strip_palette_, FORMAT_INDEXED8, 1, 14, 14 * 24};
        glow_ = Image{glow_pixels_, nullptr, nullptr, nullptr, nullptr, FORMAT_RGB565, 1, 20, 20};
        vertex_strip_image = &strip_;
        glow_image = &glow_;
        shape_list_open(EDGE_SLOT);
        shape_list_clear(EDGE_SLOT);
        vertex_count = 0;
    }

    void TearDown() override
    {
        shape_list_clear(EDGE_SLOT);
        vertex_count = 0;
        vertex_strip_image = nullptr;
        glow_image = nullptr;
    }

    static int edge_nodes_count()
    {
        int count = 0;
        for (const ShapeNode* n = surface_slots[EDGE_SLOT].shape_list; n; n = n->next)
            ++count;
        return count;
    }

private:
    Image strip_{};
    Image glow_{};
    uint8_t strip_pixels_[14 * 14 * 24] = {};
    uint16_t strip_palette_[256] = {};
    uint16_t glow_pixels_[20 * 20] = {};
};
