// The edge grid's cells: every point at which a segment can be crossed (its
// line from 1/1024 before one end to 1/1024 past the other) lies in a cell the
// grid lists for it, checked exactly on both sides of every cell boundary the
// segment passes, on grids from single pixels to the whole 16-bit range.
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <vector>

#include "game/edge_grid.h"
#include "game/edge_grid_internal.h"
#include "game/graph.h"
#include "game/graph_support.h"

using Wide = __int128;

// Floor of a / b for b > 0.
static Wide floor_div(Wide a, Wide b)
{
    Wide q = a / b;
    if (a % b != 0 && a < 0)
        --q;
    return q;
}

class EdgeGridCells : public GraphFixture {
protected:
    // Lays the grid over the box from (lo, lo) to (lo + span, lo + span) and
    // finds where its cell boundaries lie along each axis.
    void grid_over(int32_t lo, int32_t span)
    {
        vertex_create(0, int16_t(lo), int16_t(lo));
        vertex_create(1, int16_t(lo + span), int16_t(lo + span));
        vertex_count = 2;
        edge_grid_reset();
        column_starts_.clear();
        row_starts_.clear();
        for (int32_t p = lo - 100; p <= lo + span + 100; ++p) {
            if (edge_grid_cell_at(p, lo) != edge_grid_cell_at(p - 1, lo))
                column_starts_.push_back(p);
            if (edge_grid_cell_at(lo, p) != edge_grid_cell_at(lo, p - 1))
                row_starts_.push_back(p);
        }
    }

    // Expects the pixel of the point at parameter tn / td along the segment to
    // lie in one of the listed cells, when the parameter is one at which the
    // segment can be crossed.
    static void point_check(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Wide tn, Wide td,
                            const std::set<int>& listed)
    {
        if (td < 0) {
            tn = -tn;
            td = -td;
        }
        if (!(1024 * tn > -td && 1024 * tn < 1025 * td))
            return;
        const Wide px = floor_div(Wide(x1) * td + Wide(x2 - x1) * tn, td);
        const Wide py = floor_div(Wide(y1) * td + Wide(y2 - y1) * tn, td);
        const int cell = edge_grid_cell_at(int32_t(px), int32_t(py));
        ASSERT_TRUE(listed.count(cell)) << "segment (" << x1 << "," << y1 << ")-(" << x2 << "," << y2 << ") point ("
                                        << int64_t(px) << "," << int64_t(py) << ")";
    }

    // Both stretched ends, and both sides of every place where the segment's
    // line meets a row or column boundary: between those the cell cannot change.
    void segment_check(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        uint16_t cells[EDGE_GRID_CELLS_MAX];
        const int count = edge_grid_cells(x1, y1, x2, y2, cells);
        const std::set<int> listed(cells, cells + count);
        ASSERT_EQ(int(listed.size()), count) << "each cell once";
        constexpr Wide NEAR = Wide(1) << 40;
        point_check(x1, y1, x2, y2, -(NEAR / 1024) + 1, NEAR, listed);
        point_check(x1, y1, x2, y2, 1025 * (NEAR / 1024) - 1, NEAR, listed);
        const int32_t dx = x2 - x1, dy = y2 - y1;
        for (int32_t b : column_starts_) {
            if (dx == 0)
                break;
            for (int side : {-1, 1})
                point_check(x1, y1, x2, y2, Wide(b - x1) * NEAR + side, Wide(dx) * NEAR, listed);
        }
        for (int32_t b : row_starts_) {
            if (dy == 0)
                break;
            for (int side : {-1, 1})
                point_check(x1, y1, x2, y2, Wide(b - y1) * NEAR + side, Wide(dy) * NEAR, listed);
        }
    }

    std::vector<int32_t> column_starts_;
    std::vector<int32_t> row_starts_;
};

TEST_F(EdgeGridCells, HoldEveryPointWhereASegmentCanBeCrossed)
{
    uint64_t state = 17;
    auto below = [&state](int32_t n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return int32_t((state >> 33) % uint64_t(n));
    };
    // Single-pixel cells, screen-sized ones, and the whole 16-bit range, where
    // the slope estimate is furthest off.
    const struct { int32_t lo, span, segments; } grids[] = {
        {100, 6, 3000}, {0, 40, 3000}, {8, 300, 3000}, {-32768, 65535, 6000},
    };
    for (const auto& g : grids) {
        grid_over(g.lo, g.span);
        SCOPED_TRACE(testing::Message() << "grid over " << g.span);
        for (int s = 0; s < g.segments; ++s) {
            const int32_t x1 = g.lo + below(g.span + 1), y1 = g.lo + below(g.span + 1);
            int32_t x2 = g.lo + below(g.span + 1), y2 = g.lo + below(g.span + 1);
            // Some nearly level or nearly upright, where one band holds many
            // columns or one column many bands; some of those ending on the
            // grid's edge, so that their stretched ends leave it.
            const int32_t far = g.lo + g.span;
            switch (s % 7) {
            case 1:
                y2 = std::min(far, y1 + below(3));
                break;
            case 2:
                x2 = std::min(far, x1 + below(3));
                break;
            case 3:
                y2 = g.lo + below(3);
                x2 = g.lo + below(g.span + 1);
                segment_check(x1, g.lo, x2, y2);
                break;
            case 4:
                x2 = far - below(3);
                segment_check(far, y1, x2, y2);
                break;
            case 5:
                y2 = far - below(3);
                segment_check(x1, far, x2, y2);
                break;
            case 6:
                x2 = g.lo + below(3);
                segment_check(g.lo, y1, x2, y2);
                break;
            }
            segment_check(x1, y1, x2, y2);
        }
    }
}

TEST_F(EdgeGridCells, FarOffPositionsFallInTheOuterCells)
{
    grid_over(0, 240);
    EXPECT_EQ(edge_grid_cell_at(-5000, -5000), edge_grid_cell_at(0, 0));
    EXPECT_EQ(edge_grid_cell_at(32767, 32767), edge_grid_cell_at(240, 240));
    // A segment from far outside still lists the cells it crosses inside.
    segment_check(-30000, 120, 30000, 121);
    segment_check(120, -32768, 121, 32767);
}
