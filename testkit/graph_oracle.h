// The puzzle's crossing rule, solved test, edge colouring and level generation
// in their plain, quadratic form: every edge asked about from both of its ends,
// every chord tried against every edge. The game's own versions must give the
// same answers; the differential test and the benchmarks hold them to these.
#pragma once
#include <cstdint>

#include "game/graph.h"

// The crossing rule with the two divisions written out.
bool literal_segments_cross(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            int32_t x3, int32_t y3, int32_t x4, int32_t y4);
// Reads vertices and vertex_count, like the game's versions of the same name.
bool literal_edge_crosses_any(uint16_t u, uint16_t v);
bool literal_is_crossing_free();
// The colour every neighbour slot's line would be given, written into colours
// instead of the lines; returns whether no edge crosses.
bool literal_colour_edges(uint16_t colours[MAX_VERTICES][MAX_DEGREE]);
// Level generation through the literal chord test and solved test, drawing the
// same random numbers in the same order as the game must.
void literal_build_graph(int n);
void literal_scatter_on_layout(int n, int shape);
