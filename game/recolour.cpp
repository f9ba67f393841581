// Recolouring after a move. While a creature is dragged only its own edges
// change; an edge elsewhere can change colour only if one of those crossed it
// before the move or crosses it now. So the states colour_edges settled are
// kept with the positions and adjacency they belong to, and a recolouring
// first checks that the graph is the same and finds which vertices moved.
//
// For the edges of the moved vertices ("moved edges"), every other edge is
// compared with their old and their new place, and the moved edges with each
// other at their new places:
// - a moved edge crosses when its new place crosses anything;
// - an edge crossed by a moved edge's new place crosses;
// - an edge that crossed only a moved edge's old place, and no new place,
//   may have lost its last crossing: it is asked again, first against the
//   edge last seen crossing it, then against every edge;
// - every other edge kept its partners, and with them its state.
// The comparisons run over every edge, but through their reach boxes laid out
// side by side, which the compiler turns into a few vector instructions per
// eight edges; only the edges whose reach meets a moved edge's are compared
// exactly.
#include "game/recolour.h"

#include <cstring>

#include "game/edge_grid.h"
#include "game/graph.h"
#include "scene/shape.h"

// Beyond this many moved vertices a fresh colouring of the whole graph is as quick.
constexpr int MOVED_MAX = 8;
constexpr int16_t NO_WITNESS = -1;

// The graph the states belong to: vertex count, positions and adjacency as
// they were when last coloured; written by colours_keep and recolour_edges.
static bool kept_valid;
static uint16_t kept_vertex_count;
static Vertex kept_vertices[MAX_VERTICES];
// Edge id of each neighbour slot, as edge_grid_fill numbers them.
static uint16_t kept_slot_edges[MAX_VERTICES][MAX_DEGREE];
// Every neighbour slot in one list (vertex, slot and edge), so that writing the
// colours is one plain pass rather than a short loop per vertex.
static int kept_slot_count;
static uint16_t slot_vertex[MAX_VERTICES * MAX_DEGREE];
static uint8_t slot_index[MAX_VERTICES * MAX_DEGREE];
static uint16_t slot_edge[MAX_VERTICES * MAX_DEGREE];

// The edges by id, side by side: ends, places, reach boxes (where they can be
// crossed, see edge_grid.cpp), state, and an edge last seen crossing each.
static int kept_edge_count;
static uint16_t edge_a[EDGE_GRID_MAX_EDGES], edge_b[EDGE_GRID_MAX_EDGES];
static int32_t edge_x1[EDGE_GRID_MAX_EDGES], edge_y1[EDGE_GRID_MAX_EDGES];
static int32_t edge_x2[EDGE_GRID_MAX_EDGES], edge_y2[EDGE_GRID_MAX_EDGES];
static int32_t reach_x0[EDGE_GRID_MAX_EDGES], reach_y0[EDGE_GRID_MAX_EDGES];
static int32_t reach_x1[EDGE_GRID_MAX_EDGES], reach_y1[EDGE_GRID_MAX_EDGES];
static uint8_t edge_crossing[EDGE_GRID_MAX_EDGES];
static int16_t edge_witness[EDGE_GRID_MAX_EDGES];
// Recolourings are numbered; an edge records the last one that moved it, and
// the one in which its witness was seen crossing it. The witness still
// crosses it while neither has moved since: then no comparison is needed.
static uint32_t update_serial;
static uint32_t edge_moved_at[EDGE_GRID_MAX_EDGES];
static uint32_t witness_seen_at[EDGE_GRID_MAX_EDGES];

// Scratch of one recolouring: which edges moved, lost a crossing, or are
// crossed by a moved edge's new place; all zero between recolourings.
static uint8_t edge_moved[EDGE_GRID_MAX_EDGES];
static uint8_t edge_lost[EDGE_GRID_MAX_EDGES];
static uint8_t edge_confirmed[EDGE_GRID_MAX_EDGES];

static void reach_set(int id)
{
    const int32_t dx = edge_x2[id] - edge_x1[id], dy = edge_y2[id] - edge_y1[id];
    const int32_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    // The margin edge_grid.cpp proves sufficient: more than 1/1024 of the run.
    const int32_t m = ((adx > ady ? adx : ady) >> 10) + 1;
    reach_x0[id] = (edge_x1[id] < edge_x2[id] ? edge_x1[id] : edge_x2[id]) - m;
    reach_x1[id] = (edge_x1[id] > edge_x2[id] ? edge_x1[id] : edge_x2[id]) + m;
    reach_y0[id] = (edge_y1[id] < edge_y2[id] ? edge_y1[id] : edge_y2[id]) - m;
    reach_y1[id] = (edge_y1[id] > edge_y2[id] ? edge_y1[id] : edge_y2[id]) + m;
}

void colours_keep()
{
    // Whole records in one go: copying field by field costs several times more.
    kept_vertex_count = vertex_count;
    std::memcpy(kept_vertices, vertices, sizeof(Vertex) * vertex_count);
    std::memcpy(kept_slot_edges, grid_slot_edges, sizeof(grid_slot_edges[0]) * vertex_count);
    // All four slots of every vertex are written and the count advanced only
    // for those in use: no short loop per vertex whose end the processor has
    // to guess. Counts and bounds are locals, since the byte-sized writes could
    // otherwise alter them as far as the compiler knows.
    const int n = vertex_count;
    int slots = 0;
    for (int i = 0; i < n; ++i) {
        const int degree = vertices[i].degree;
        for (int k = 0; k < MAX_DEGREE; ++k) {
            slot_vertex[slots] = uint16_t(i);
            slot_index[slots] = uint8_t(k);
            slot_edge[slots] = grid_slot_edges[i][k];
            slots += k < degree;
        }
    }
    kept_slot_count = slots;
    kept_edge_count = grid_edge_count;
    for (int id = 0; id < grid_edge_count; ++id) {
        const GridEdge& e = grid_edges[id];
        edge_a[id] = e.a;
        edge_b[id] = e.b;
        edge_x1[id] = e.x1;
        edge_y1[id] = e.y1;
        edge_x2[id] = e.x2;
        edge_y2[id] = e.y2;
        reach_x0[id] = e.reach_x0;
        reach_y0[id] = e.reach_y0;
        reach_x1[id] = e.reach_x1;
        reach_y1[id] = e.reach_y1;
        edge_crossing[id] = e.state == EDGE_CROSSING;
        edge_witness[id] = e.partner;
        edge_moved_at[id] = 0;
        witness_seen_at[id] = 1;
    }
    update_serial = 1;
    kept_valid = true;
}

// The edges whose reach meets the box, in id order, written into found;
// returns how many. The box tests run several edges at a time (the flags are
// a local array, so the compiler knows writing them changes no box), and the
// flags are then read eight at a time, passing over runs of edges far away.
static int reaches_meeting(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t* found)
{
    constexpr int WORD = 8;
    uint8_t meets[EDGE_GRID_MAX_EDGES + WORD];
    const int count = kept_edge_count;
    for (int id = 0; id < count; ++id)
        meets[id] = (reach_x0[id] <= x1) & (x0 <= reach_x1[id]) & (reach_y0[id] <= y1) & (y0 <= reach_y1[id]);
    for (int id = count; id < count + WORD; ++id)
        meets[id] = 0;
    int found_count = 0;
    for (int first = 0; first < count; first += WORD) {
        uint64_t word;
        std::memcpy(&word, meets + first, WORD);
        if (word == 0)
            continue;
        for (int id = first; id < first + WORD; ++id) {
            found[found_count] = uint16_t(id);
            found_count += meets[id];
        }
    }
    return found_count;
}

static inline bool ends_shared(int e, int f)
{
    return (edge_a[f] == edge_a[e]) | (edge_a[f] == edge_b[e]) | (edge_b[f] == edge_a[e]) | (edge_b[f] == edge_b[e]);
}

static inline bool edges_cross(int e, int f)
{
    return segments_cross_flat(edge_x1[e], edge_y1[e], edge_x2[e], edge_y2[e],
                               edge_x1[f], edge_y1[f], edge_x2[f], edge_y2[f]);
}

// Whether f's witness was seen crossing it since either last moved.
static inline bool witness_holds(int f)
{
    const int w = edge_witness[f];
    return w != NO_WITNESS && witness_seen_at[f] > edge_moved_at[f] && witness_seen_at[f] > edge_moved_at[w];
}

static inline void witness_set(int f, int w)
{
    edge_witness[f] = int16_t(w);
    witness_seen_at[f] = update_serial;
}

// Whether edge f crosses any edge now. Edges known free cross nothing, so
// they need no comparing.
static bool crossing_find(int f)
{
    if (witness_holds(f))
        return true;
    const int w = edge_witness[f];
    if (w != NO_WITNESS && !ends_shared(f, w) && edges_cross(f, w)) {
        witness_seen_at[f] = update_serial;
        return true;
    }
    static uint16_t near[EDGE_GRID_MAX_EDGES];
    const int count = reaches_meeting(reach_x0[f], reach_y0[f], reach_x1[f], reach_y1[f], near);
    for (int k = 0; k < count; ++k) {
        const int g = near[k];
        if (g == f || !edge_crossing[g] || ends_shared(f, g))
            continue;
        if (edges_cross(f, g)) {
            witness_set(f, g);
            return true;
        }
    }
    return false;
}

// Finds the moved vertices, or returns -1 when the graph is not the one kept
// or too many have moved.
static int moved_find(uint16_t* moved)
{
    // The numbering of recolourings would wrap round after four billion.
    if (!kept_valid || vertex_count != kept_vertex_count || update_serial == UINT32_MAX)
        return -1;
    int count = 0;
    for (int i = 0; i < vertex_count; ++i) {
        const Vertex& v = vertices[i];
        const Vertex& kept = kept_vertices[i];
        // All four neighbour entries at once: those past the degree are
        // copies too, and comparing them saves a short loop per vertex. Any
        // difference, used or not, only costs a whole colouring.
        if ((v.degree != kept.degree) | (std::memcmp(v.neighbours, kept.neighbours, sizeof(v.neighbours)) != 0))
            return -1;
        if (v.x != kept.x || v.y != kept.y) {
            if (count == MOVED_MAX)
                return -1;
            moved[count++] = uint16_t(i);
        }
    }
    return count;
}

static void states_update(const uint16_t* moved, int moved_count)
{
    static uint16_t moved_edges[MOVED_MAX * MAX_DEGREE];
    static uint16_t near[EDGE_GRID_MAX_EDGES];
    static uint16_t lost[EDGE_GRID_MAX_EDGES];
    const uint32_t serial = ++update_serial;
    int moved_edge_count = 0;
    for (int m = 0; m < moved_count; ++m) {
        const int i = moved[m];
        kept_vertices[i].x = vertices[i].x;
        kept_vertices[i].y = vertices[i].y;
        for (int k = 0; k < kept_vertices[i].degree; ++k) {
            const int id = kept_slot_edges[i][k];
            if (!edge_moved[id]) {
                edge_moved[id] = 1;
                edge_moved_at[id] = serial;
                moved_edges[moved_edge_count++] = uint16_t(id);
            }
        }
    }

    // Each moved edge against every unmoved edge near its old or new place,
    // in one pass: an unmoved edge its old place crossed may have lost its
    // crossing, one its new place crosses now crosses. Which way each
    // comparison goes varies, so the outcomes are recorded without branching.
    int lost_count = 0;
    for (int m = 0; m < moved_edge_count; ++m) {
        const int e = moved_edges[m];
        const int32_t old_x1 = edge_x1[e], old_y1 = edge_y1[e], old_x2 = edge_x2[e], old_y2 = edge_y2[e];
        const int32_t old_rx0 = reach_x0[e], old_ry0 = reach_y0[e], old_rx1 = reach_x1[e], old_ry1 = reach_y1[e];
        edge_x1[e] = vertices[edge_a[e]].x;
        edge_y1[e] = vertices[edge_a[e]].y;
        edge_x2[e] = vertices[edge_b[e]].x;
        edge_y2[e] = vertices[edge_b[e]].y;
        reach_set(e);
        const int count = reaches_meeting(old_rx0 < reach_x0[e] ? old_rx0 : reach_x0[e],
                                          old_ry0 < reach_y0[e] ? old_ry0 : reach_y0[e],
                                          old_rx1 > reach_x1[e] ? old_rx1 : reach_x1[e],
                                          old_ry1 > reach_y1[e] ? old_ry1 : reach_y1[e], near);
        bool crossing = false;
        int16_t witness = NO_WITNESS;
        for (int k = 0; k < count; ++k) {
            const int f = near[k];
            // Moved edges are compared with each other below, at their new places.
            if (edge_moved[f] | ends_shared(e, f))
                continue;
            // An edge whose witness still crosses it stays crossing whatever
            // the move did; once the moved edge is known to cross something
            // too, such an edge needs no comparing at all. On a thrown level
            // that is nearly every edge.
            const bool held = witness_holds(f);
            if (held & crossing)
                continue;
            const bool crossed_before = segments_cross_flat(old_x1, old_y1, old_x2, old_y2,
                                                            edge_x1[f], edge_y1[f], edge_x2[f], edge_y2[f]);
            const bool crosses_now = edges_cross(e, f);
            const bool loses = crossed_before & !held;
            lost[lost_count] = uint16_t(f);
            lost_count += loses & !edge_lost[f];
            edge_lost[f] |= uint8_t(loses);
            edge_crossing[f] |= uint8_t(crosses_now);
            edge_confirmed[f] |= uint8_t(crosses_now);
            // Masks rather than choices: compilers turn the choice into a
            // branch, and which way it goes varies from edge to edge. An edge
            // keeps a witness that holds; the moved edge is one only until it
            // moves again.
            const int16_t now = int16_t(-int16_t(crosses_now & !held));
            edge_witness[f] = int16_t((e & now) | (edge_witness[f] & ~now));
            witness_seen_at[f] = (serial & uint32_t(int32_t(now))) | (witness_seen_at[f] & ~uint32_t(int32_t(now)));
            const int16_t found = int16_t(-int16_t(crosses_now));
            witness = int16_t((f & found) | (witness & ~found));
            crossing |= crosses_now;
        }
        edge_crossing[e] = uint8_t(crossing);
        if (crossing)
            witness_set(e, witness);
    }
    for (int m = 0; m < moved_edge_count; ++m) {
        const int e = moved_edges[m];
        for (int l = m + 1; l < moved_edge_count; ++l) {
            const int f = moved_edges[l];
            if (!ends_shared(e, f) && edges_cross(e, f)) {
                edge_crossing[e] = 1;
                edge_crossing[f] = 1;
                witness_set(e, f);
                witness_set(f, e);
            }
        }
    }

    // Edges that lost a crossing and gained none: asked again, one by one.
    // Every edge not marked crossing now crosses nothing, which the searches
    // rely on; an edge found free is marked so before the next search.
    for (int k = 0; k < lost_count; ++k) {
        const int f = lost[k];
        if (!edge_confirmed[f] && !crossing_find(f))
            edge_crossing[f] = 0;
        edge_lost[f] = 0;
    }
    for (int id = 0; id < kept_edge_count; ++id)
        edge_confirmed[id] = 0;
    for (int m = 0; m < moved_edge_count; ++m)
        edge_moved[moved_edges[m]] = 0;
}

// The slots are those of the graph kept (recolour_edges has just found it
// unchanged); the lines are read afresh, since a graph rebuilt the same way
// has new ones.
void colours_show()
{
    const int slots = kept_slot_count;
    for (int s = 0; s < slots; ++s) {
        ShapeNode* line = vertices[slot_vertex[s]].edge_lines[slot_index[s]];
        line->colour = edge_crossing[slot_edge[s]] ? colour_edge_crossing : COLOUR_EDGE_FREE;
    }
}

bool recolour_edges()
{
    uint16_t moved[MOVED_MAX];
    const int moved_count = moved_find(moved);
    if (moved_count < 0)
        return colour_edges();
    if (moved_count > 0)
        states_update(moved, moved_count);
    bool free_of_crossings = true;
    for (int id = 0; id < kept_edge_count; ++id)
        free_of_crossings &= !edge_crossing[id];
    colours_show();
    return free_of_crossings;
}
