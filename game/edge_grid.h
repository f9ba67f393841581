// The edge grid: the puzzle's edges filed by the cells of a coarse grid they
// may pass through, so that the solved test compares an edge only with the
// edges near it instead of with every edge of the graph.
#pragma once
#include <cstdint>

#include "game/graph.h"

// Every edge of a full table, each counted once.
constexpr int EDGE_GRID_MAX_EDGES = MAX_VERTICES * MAX_DEGREE / 2;

// What the solved tests have learnt about an edge so far.
enum EdgeState : uint8_t {
    EDGE_UNKNOWN = 0,
    EDGE_CROSSING = 1,   // crosses at least one edge
    EDGE_FREE = 2,       // compared with every edge it could meet, and crosses none
};

struct GridEdge {
    uint16_t a;          // end vertices by index; a crossing test skips edges sharing one
    uint16_t b;
    int32_t x1;          // positions of a and b when the edge was filed
    int32_t y1;
    int32_t x2;
    int32_t y2;
    int32_t reach_x0;    // box holding every point at which the edge can be crossed
    int32_t reach_y0;
    int32_t reach_x1;
    int32_t reach_y1;
    uint8_t state;       // EdgeState
    int16_t partner;     // once settled crossing, an edge it crosses; -1 before
};

// The filed edges by id, in filing order; written by edge_grid_reset,
// edge_grid_add and edge_grid_fill, states by the solved tests.
extern GridEdge grid_edges[EDGE_GRID_MAX_EDGES];
extern int grid_edge_count;
// Id of the edge that neighbour slot k of vertex i draws; written by edge_grid_fill.
extern uint16_t grid_slot_edges[MAX_VERTICES][MAX_DEGREE];

// Empties the grid and lays its cells over the current positions of vertices
// 0 .. vertex_count-1. The positions must not change while the grid is used.
void edge_grid_reset();
// Files the segment from vertex a to vertex b as a new edge; returns its id.
int edge_grid_add(uint16_t a, uint16_t b);
// edge_grid_reset, then files every edge of the graph once (an edge listed by
// both ends is one edge) and records the ids in grid_slot_edges.
void edge_grid_fill();
// Records every edge of the graph as edge_grid_fill does and settles the state
// of each: EDGE_CROSSING when it crosses another edge, EDGE_FREE when not.
// Returns whether no edge crosses.
bool edge_grid_settle();
// A filed edge that crosses the segment from vertex u to vertex v and has
// neither u nor v as an end, or -1 when there is none. With skip_free, edges
// already known to be free are passed over (they cross nothing at all) and
// dropped from the cells, so once a search has skipped free edges, every
// later search until the next reset or fill must skip them too.
inline int edge_grid_find(uint16_t u, uint16_t v, bool skip_free);
// edge_grid_find past its first witness.
int edge_grid_search(uint16_t u, uint16_t v, bool skip_free);

// Witnesses: the last edges found crossing something. Crossings cluster: the
// chord that shuts a vertex in during level generation stops almost every
// chord tried from it, so these are compared first, the latest (at
// grid_witness_next - 1 in the ring) before the search is even called.
constexpr int GRID_WITNESS_COUNT = 4;
static_assert((GRID_WITNESS_COUNT & (GRID_WITNESS_COUNT - 1)) == 0, "the witness ring wraps by masking");
extern int16_t grid_witnesses[GRID_WITNESS_COUNT];
extern int grid_witness_next;

// Whether filed edge id answers a search for u-v: it shares no end with it,
// is not passed over, and crosses it. Asked in one go, without a branch per
// condition, since which one fails varies from chord to chord.
inline bool edge_grid_witness_answers(int id, uint16_t u, uint16_t v, bool skip_free)
{
    const GridEdge& f = grid_edges[id];
    return (f.a != u) & (f.a != v) & (f.b != u) & (f.b != v) & (!skip_free | (f.state != EDGE_FREE)) &
           segments_cross_flat(f.x1, f.y1, f.x2, f.y2, vertices[u].x, vertices[u].y, vertices[v].x, vertices[v].y);
}

// Level generation asks tens of thousands of times a level, and the latest
// witness nearly always answers: that much is asked here, without a call.
inline int edge_grid_find(uint16_t u, uint16_t v, bool skip_free)
{
    const int latest = grid_witnesses[(grid_witness_next - 1) & (GRID_WITNESS_COUNT - 1)];
    if (latest >= 0 && edge_grid_witness_answers(latest, u, v, skip_free))
        return latest;
    return edge_grid_search(u, v, skip_free);
}
