// Shared set-up for the puzzle tests: stand-in vertex pictures (nothing is
// drawn, sprites only borrow them) and an empty edge list in slot 10.
#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include "game/graph.h"
#include "gfx/image.h"
#include "gfx/slot.h"
#include "scene/shape.h"

class GraphFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        strip_ = Image{strip_pixels_, nullptr, nullptr, nullptr, strip_palette_, FORMAT_INDEXED8, 1, 14, 14 * 24};
        glow_ = Image{glow_pixels_, nullptr, nullptr, nullptr, nullptr, FORMAT_RGB565, 1, 20, 20};
        vertex_strip_image = &strip_;
        glow_image = &glow_;
        shape_list_open(EDGE_SHAPE_LIST);
        shape_list_clear(EDGE_SHAPE_LIST);
        vertex_count = 0;
    }

    void TearDown() override
    {
        shape_list_clear(EDGE_SHAPE_LIST);
        vertex_count = 0;
        vertex_strip_image = nullptr;
        glow_image = nullptr;
    }

    static int edge_nodes_count()
    {
        int count = 0;
        for (const ShapeNode* n = surface_slots[EDGE_SHAPE_LIST].shape_list; n; n = n->next)
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
