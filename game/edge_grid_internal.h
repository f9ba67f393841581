// The edge grid's cells, for its tests: which cells a segment reaches and
// which cell holds a pixel.
#pragma once
#include <cstdint>

#include "game/edge_grid.h"

// Cells of the grid, at most: as many as the edges of a full table.
constexpr int EDGE_GRID_CELLS_MAX = EDGE_GRID_MAX_EDGES;

// The cells the reach of the segment (x1, y1)-(x2, y2) passes through (every
// point at which it can be crossed lies in one), each once, written into
// cells, which has room for EDGE_GRID_CELLS_MAX; returns how many. The grid is
// the one laid by the last reset or fill.
int edge_grid_cells(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t* cells);
// The cell holding pixel (x, y), the unit square from (x, y) to (x + 1, y + 1);
// positions beyond the grid belong to its outer cells.
int edge_grid_cell_at(int32_t x, int32_t y);
