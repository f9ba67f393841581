// The edge grid. A crossing can lie only where both edges can be crossed, so
// two edges that share no cell of the grid never need comparing. Cells hold
// singly linked lists of entries; an edge is entered in every cell its reach
// passes through (not in every cell of its box, which for a long diagonal
// would be most of the grid).
#include "game/edge_grid.h"
#include "game/edge_grid_internal.h"

#include <cstdlib>

// Filed edges by id; written by edge_grid_reset/add/fill, states by the solved tests.
GridEdge grid_edges[EDGE_GRID_MAX_EDGES];
int grid_edge_count = 0;
// Edge id of each neighbour slot; written by edge_grid_fill.
uint16_t grid_slot_edges[MAX_VERTICES][MAX_DEGREE];

constexpr int GRID_ENTRY_CAPACITY = 1 << 16;              // far more than any level needs
// Cells are made at least 1/CELL_PER_EXTENT of the typical edge's extent.
constexpr int64_t CELL_PER_EXTENT = 2;
// Cells per edge, at most: finer cells only file the long edges more often
// (at 510 vertices the circle's points are under two pixels apart, so no
// cell is ever nearly empty near the rim).
constexpr int CELLS_PER_EDGE = EDGE_GRID_CELLS_MAX / EDGE_GRID_MAX_EDGES;
// Cells of a grid, at least, however few the edges.
constexpr int GRID_CELLS_LEAST = 256;
// Below this many edges (or vertices) comparing every pair costs less than filing them.
constexpr int GRID_SMALLEST = 32;
constexpr int32_t NO_ENTRY = -1;

// The grid's placement: cell (c, r) covers x from grid_x0 + (c << grid_shift)
// and y from grid_y0 + (r << grid_shift); positions beyond the outer cells count
// as lying in them. Written by edge_grid_reset.
static int32_t grid_x0, grid_y0;
static int grid_shift, grid_cols, grid_rows;

// Cell lists: first entry per cell, then per entry the next one and its edge.
static int32_t cell_first[EDGE_GRID_CELLS_MAX];
static int32_t entry_next[GRID_ENTRY_CAPACITY];
static uint16_t entry_edge[GRID_ENTRY_CAPACITY];
static int32_t entry_count;
// Set for a graph too small to be worth filing, or when the entries ran out:
// searches then look at every edge instead of at the cells.
static bool grid_unfiled;

// Marks the edges one search has already looked at, so an edge met again in a
// later cell is not compared twice.
static uint32_t edge_seen[EDGE_GRID_MAX_EDGES];
static uint32_t search_mark;

// The last edges found crossing something, a ring whose latest entry is at
// grid_witness_next - 1; written by edge_grid_reset and the searches.
int16_t grid_witnesses[GRID_WITNESS_COUNT];
int grid_witness_next;

static inline int32_t min32(int32_t a, int32_t b) { return a < b ? a : b; }
static inline int32_t max32(int32_t a, int32_t b) { return a > b ? a : b; }

// A crossing at parameter t along a segment, with t strictly within 1/1024 of
// 0..1 (the crossing rule in graph.h), lies on the segment stretched by less
// than 1/1024 of its run at each end: under |dx| / 1024 across and |dy| / 1024
// down. (max(|dx|, |dy|) >> 10) + 1 exceeds both, so the segment's box grown
// by this margin holds every point at which it can be crossed: its reach.
static inline int32_t reach_margin(int32_t dx, int32_t dy)
{
    return (max32(std::abs(dx), std::abs(dy)) >> 10) + 1;
}

struct Reach {
    int32_t x0, y0, x1, y1;
};

static inline Reach reach_of(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const int32_t m = reach_margin(x2 - x1, y2 - y1);
    return Reach{min32(x1, x2) - m, min32(y1, y2) - m, max32(x1, x2) + m, max32(y1, y2) + m};
}

static inline bool reaches_meet(const GridEdge& e, const Reach& r)
{
    return e.reach_x0 <= r.x1 && r.x0 <= e.reach_x1 && e.reach_y0 <= r.y1 && r.y0 <= e.reach_y1;
}

// Clamping keeps far-off positions (a loaded save may hold any) in the outer
// cells; it is monotone, so a range of positions still maps onto a range of cells.
static inline int col_of(int32_t x)
{
    const int32_t c = (x - grid_x0) >> grid_shift;
    return c < 0 ? 0 : (c >= grid_cols ? grid_cols - 1 : int(c));
}

static inline int row_of(int32_t y)
{
    const int32_t r = (y - grid_y0) >> grid_shift;
    return r < 0 ? 0 : (r >= grid_rows ? grid_rows - 1 : int(r));
}

int edge_grid_cell_at(int32_t x, int32_t y)
{
    return row_of(y) * grid_cols + col_of(x);
}

// A point X at which the segment can be crossed lies on its line with X.y in
// the reach's y range. In the band of rows X falls in, X.x lies between the
// line's x at the band's top and bottom, so the band's columns from the lesser
// to the greater of those (each widened by its error, and cut to the reach)
// hold the column of X's pixel. Two edges that cross therefore always share
// the cell of their crossing.
//
// The line's x at height y comes from a 16.16 slope, dx * 65536 / dy truncated,
// which is off the true slope by less than 1/65536; every y asked about lies in
// the reach, under 2^17 from y1, so the product is off by less than 2, and the
// floor of the shift adds less than 1: the estimate is within 3 of the truth.
// One division per segment instead of two per band.
int edge_grid_cells(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t* cells)
{
    constexpr int32_t SLOPE_ERROR = 3;
    const int32_t dx = x2 - x1, dy = y2 - y1;
    const Reach reach = reach_of(x1, y1, x2, y2);
    const int64_t slope = dy != 0 ? (int64_t(dx) << 16) / dy : 0;
    const int r0 = row_of(reach.y0), r1 = row_of(reach.y1);
    int count = 0;
    for (int r = r0; r <= r1; ++r) {
        int32_t lo = reach.x0, hi = reach.x1;
        if (dy != 0) {
            // The first and last bands stretch to the reach's ends, which also
            // covers positions clamped into the outer rows.
            const int32_t top = r == r0 ? reach.y0 : grid_y0 + (int32_t(r) << grid_shift);
            const int32_t bottom = r == r1 ? reach.y1 : grid_y0 + (int32_t(r + 1) << grid_shift);
            const int32_t xa = x1 + int32_t((int64_t(top - y1) * slope) >> 16);
            const int32_t xb = x1 + int32_t((int64_t(bottom - y1) * slope) >> 16);
            lo = max32(lo, min32(xa, xb) - SLOPE_ERROR);
            hi = min32(hi, max32(xa, xb) + SLOPE_ERROR);
        }
        const int c1 = col_of(hi);
        for (int c = col_of(lo); c <= c1; ++c)
            cells[count++] = uint16_t(r * grid_cols + c);
    }
    return count;
}

// Lays the cells over the box x0..x1, y0..y1: the finest cells, no finer than
// 1 << min_shift, of which no more than cells_limit cover it. Empties every cell.
static void grid_lay(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int min_shift, int cells_limit)
{
    int shift = min_shift;
    while ((int64_t((x1 - x0) >> shift) + 1) * (int64_t((y1 - y0) >> shift) + 1) > cells_limit)
        ++shift;
    grid_x0 = x0;
    grid_y0 = y0;
    grid_shift = shift;
    grid_cols = int((x1 - x0) >> shift) + 1;
    grid_rows = int((y1 - y0) >> shift) + 1;
    for (int c = 0; c < grid_cols * grid_rows; ++c)
        cell_first[c] = NO_ENTRY;
    entry_count = 0;
    grid_unfiled = false;
}

// The cells follow the level's size: a small level keeps a coarse grid, the
// largest a fine one.
static int cells_limit_for(int edges)
{
    const int limit = CELLS_PER_EDGE * edges;
    return limit < GRID_CELLS_LEAST ? GRID_CELLS_LEAST : (limit > EDGE_GRID_CELLS_MAX ? EDGE_GRID_CELLS_MAX : limit);
}

// The box of the drawing, kept for edge_grid_fill to lay the cells again.
static int32_t drawing_x0, drawing_y0, drawing_x1, drawing_y1;

void edge_grid_reset()
{
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (int i = 0; i < vertex_count; ++i) {
        const Vertex& v = vertices[i];
        if (i == 0 || v.x < x0)
            x0 = v.x;
        if (i == 0 || v.x > x1)
            x1 = v.x;
        if (i == 0 || v.y < y0)
            y0 = v.y;
        if (i == 0 || v.y > y1)
            y1 = v.y;
    }
    drawing_x0 = x0;
    drawing_y0 = y0;
    drawing_x1 = x1;
    drawing_y1 = y1;
    // The edges are not known yet; a level has up to two per vertex.
    grid_lay(x0, y0, x1, y1, 0, cells_limit_for(2 * vertex_count));
    // The few edges of a small drawing are quicker compared one by one.
    grid_unfiled = vertex_count < GRID_SMALLEST;
    grid_edge_count = 0;
    for (int w = 0; w < GRID_WITNESS_COUNT; ++w)
        grid_witnesses[w] = -1;
    grid_witness_next = 0;
}

static int edge_record(uint16_t a, uint16_t b)
{
    const int id = grid_edge_count++;
    GridEdge& e = grid_edges[id];
    e.a = a;
    e.b = b;
    e.x1 = vertices[a].x;
    e.y1 = vertices[a].y;
    e.x2 = vertices[b].x;
    e.y2 = vertices[b].y;
    const Reach reach = reach_of(e.x1, e.y1, e.x2, e.y2);
    e.reach_x0 = reach.x0;
    e.reach_y0 = reach.y0;
    e.reach_x1 = reach.x1;
    e.reach_y1 = reach.y1;
    e.state = EDGE_UNKNOWN;
    e.partner = -1;
    return id;
}

static void edge_file(int id)
{
    if (grid_unfiled)
        return;
    static uint16_t cells[EDGE_GRID_CELLS_MAX];
    const GridEdge& e = grid_edges[id];
    const int count = edge_grid_cells(e.x1, e.y1, e.x2, e.y2, cells);
    if (entry_count + count > GRID_ENTRY_CAPACITY) {
        grid_unfiled = true;
        return;
    }
    for (int k = 0; k < count; ++k) {
        entry_edge[entry_count] = uint16_t(id);
        entry_next[entry_count] = cell_first[cells[k]];
        cell_first[cells[k]] = entry_count;
        ++entry_count;
    }
}

int edge_grid_add(uint16_t a, uint16_t b)
{
    const int id = edge_record(a, b);
    edge_file(id);
    return id;
}

// The other end's slot listing vertex i, or -1 when d does not list i.
static int slot_back(int d, int i)
{
    const Vertex& w = vertices[d];
    for (int k = 0; k < w.degree; ++k) {
        if (w.neighbours[k] == i)
            return k;
    }
    return -1;
}

// Records every edge of the graph once (an edge listed by both ends is one
// edge) and the ids in grid_slot_edges; files nothing. Returns the typical
// extent of an edge, max(|dx|, |dy|) on average.
static int64_t edges_record()
{
    edge_grid_reset();
    for (int i = 0; i < vertex_count; ++i) {
        const Vertex& v = vertices[i];
        for (int k = 0; k < v.degree; ++k) {
            const int d = v.neighbours[k];
            // An edge is filed from its lower end; the higher end, when it
            // lists it too, shares the id. Anything listed from one end only
            // is filed on its own, so the grid holds exactly the segments the
            // adjacency lists describe.
            const int back = d < i ? slot_back(d, i) : -1;
            grid_slot_edges[i][k] = back >= 0 ? grid_slot_edges[d][back]
                                              : uint16_t(edge_record(uint16_t(i), uint16_t(d)));
        }
    }
    if (grid_edge_count == 0)
        return 0;
    int64_t extent = 0;
    for (int id = 0; id < grid_edge_count; ++id) {
        const GridEdge& e = grid_edges[id];
        extent += max32(std::abs(e.x2 - e.x1), std::abs(e.y2 - e.y1));
    }
    return extent / grid_edge_count;
}

// Files the recorded edges. Long edges pass through many small cells: a thrown
// level files faster in cells about as large as its typical edge is long.
static void edges_file(int64_t typical_extent)
{
    if (grid_edge_count < GRID_SMALLEST) {
        grid_unfiled = true;
        return;
    }
    const int64_t typical = typical_extent / CELL_PER_EXTENT;
    int min_shift = 0;
    while (min_shift < 16 && (int64_t(1) << min_shift) < typical)
        ++min_shift;
    grid_lay(drawing_x0, drawing_y0, drawing_x1, drawing_y1, min_shift, cells_limit_for(grid_edge_count));
    grid_unfiled = false;
    for (int id = 0; id < grid_edge_count; ++id)
        edge_file(id);
}

void edge_grid_fill()
{
    edges_file(edges_record());
}

// The sweep: the drawing cut into horizontal strips, each edge entered in the
// strips its reach spans, each strip's entries in order of their reach's left
// end. Walking a strip left to right meets every pair of reaches that overlap
// there; a pair is taken only in the strip holding the top of their overlap,
// which both span, so every pair whose reaches meet is compared exactly once.
struct SweepEntry {
    int32_t x0;          // the edge's reach
    int32_t x1;
    int32_t y0;
    int32_t y1;
    uint16_t a;          // its ends, for passing over edges that share one
    uint16_t b;
    uint16_t edge;
};

constexpr int SWEEP_ENTRY_CAPACITY = 1 << 15;
constexpr int SWEEP_STRIPS_MAX = 1024;
// The sweep pays when edges are short beside the drawing (a drawing near its
// solution); a thrown level's long edges overlap nearly all others, and its
// searches stop at their first crossing instead.
constexpr int64_t SWEEP_EXTENT_SHARE = 16;

static SweepEntry sweep_entries[SWEEP_ENTRY_CAPACITY];
static int32_t strip_start[SWEEP_STRIPS_MAX + 1];

// Settles every recorded edge by comparing each pair whose reaches meet;
// returns false, having settled nothing, when the edges are too many or too
// long for the strips to pay.
static bool edges_sweep(int64_t typical_extent)
{
    int32_t top = 0, bottom = 0;
    for (int id = 0; id < grid_edge_count; ++id) {
        const GridEdge& e = grid_edges[id];
        if (id == 0 || e.reach_y0 < top)
            top = e.reach_y0;
        if (id == 0 || e.reach_y1 > bottom)
            bottom = e.reach_y1;
    }
    const int64_t side = max32(drawing_x1 - drawing_x0, drawing_y1 - drawing_y0);
    if (grid_edge_count < GRID_SMALLEST || typical_extent * SWEEP_EXTENT_SHARE > side)
        return false;
    // Strips about twice as high as an edge is long (lower ones enter more
    // edges twice, higher ones hold more pairs that do not meet), and not too
    // many of them.
    int shift = 0;
    while ((int64_t(1) << shift) < 2 * typical_extent || ((int64_t(bottom) - top) >> shift) >= SWEEP_STRIPS_MAX)
        ++shift;
    const int strips = int((int64_t(bottom) - top) >> shift) + 1;
    for (int r = 0; r <= strips; ++r)
        strip_start[r] = 0;
    int32_t total = 0;
    for (int id = 0; id < grid_edge_count; ++id) {
        const GridEdge& e = grid_edges[id];
        const int r0 = int((e.reach_y0 - top) >> shift), r1 = int((e.reach_y1 - top) >> shift);
        total += r1 - r0 + 1;
        if (total > SWEEP_ENTRY_CAPACITY)
            return false;
        for (int r = r0; r <= r1; ++r)
            ++strip_start[r + 1];
    }
    for (int r = 0; r < strips; ++r)
        strip_start[r + 1] += strip_start[r];
    // Entries by strip, then each strip by the left end of the reach.
    static int32_t strip_next[SWEEP_STRIPS_MAX];
    for (int r = 0; r < strips; ++r)
        strip_next[r] = strip_start[r];
    for (int id = 0; id < grid_edge_count; ++id) {
        const GridEdge& e = grid_edges[id];
        const int r0 = int((e.reach_y0 - top) >> shift), r1 = int((e.reach_y1 - top) >> shift);
        for (int r = r0; r <= r1; ++r)
            sweep_entries[strip_next[r]++] =
                SweepEntry{e.reach_x0, e.reach_x1, e.reach_y0, e.reach_y1, e.a, e.b, uint16_t(id)};
    }
    for (int r = 0; r < strips; ++r) {
        SweepEntry* first = sweep_entries + strip_start[r];
        SweepEntry* last = sweep_entries + strip_start[r + 1];
        // Insertion sort: strips are short, and entries arrive nearly in order
        // along a drawing's outline.
        for (SweepEntry* p = first + 1; p < last; ++p) {
            const SweepEntry moving = *p;
            SweepEntry* q = p;
            while (q > first && (q - 1)->x0 > moving.x0) {
                *q = *(q - 1);
                --q;
            }
            *q = moving;
        }
    }
    // Most pairs a strip offers are passed over; the tests are combined
    // without branching and the pairs left are compared afterwards.
    static uint16_t pairs[SWEEP_ENTRY_CAPACITY];
    for (int r = 0; r < strips; ++r) {
        const int32_t end = strip_start[r + 1];
        for (int32_t n = strip_start[r]; n < end; ++n) {
            const SweepEntry en = sweep_entries[n];
            int count = 0;
            for (int32_t m = n + 1; m < end && sweep_entries[m].x0 <= en.x1; ++m) {
                const SweepEntry& f = sweep_entries[m];
                const int32_t overlap_top = max32(en.y0, f.y0);
                const bool wanted = (overlap_top <= min32(en.y1, f.y1)) & (((overlap_top - top) >> shift) == r) &
                                    (f.a != en.a) & (f.a != en.b) & (f.b != en.a) & (f.b != en.b);
                pairs[count] = f.edge;
                count += wanted;
            }
            GridEdge& e = grid_edges[en.edge];
            for (int k = 0; k < count; ++k) {
                GridEdge& f = grid_edges[pairs[k]];
                if (e.state == EDGE_CROSSING && f.state == EDGE_CROSSING)
                    continue;
                if (segments_cross_flat(e.x1, e.y1, e.x2, e.y2, f.x1, f.y1, f.x2, f.y2)) {
                    e.state = EDGE_CROSSING;
                    f.state = EDGE_CROSSING;
                    e.partner = int16_t(pairs[k]);
                    f.partner = int16_t(en.edge);
                }
            }
        }
    }
    for (int id = 0; id < grid_edge_count; ++id) {
        if (grid_edges[id].state != EDGE_CROSSING)
            grid_edges[id].state = EDGE_FREE;
    }
    return true;
}

bool edge_grid_settle()
{
    const int64_t typical = edges_record();
    bool free_of_crossings = true;
    if (edges_sweep(typical)) {
        for (int id = 0; id < grid_edge_count && free_of_crossings; ++id)
            free_of_crossings = grid_edges[id].state == EDGE_FREE;
        return free_of_crossings;
    }
    edges_file(typical);
    // A crossing found marks both edges; an edge already marked needs no
    // search of its own, and one whose search came back empty is passed over
    // by the rest.
    for (int e = 0; e < grid_edge_count; ++e) {
        GridEdge& edge = grid_edges[e];
        if (edge.state == EDGE_CROSSING)
            continue;
        const int other = edge_grid_find(edge.a, edge.b, true);
        if (other >= 0) {
            edge.state = EDGE_CROSSING;
            grid_edges[other].state = EDGE_CROSSING;
            edge.partner = int16_t(other);
            grid_edges[other].partner = int16_t(e);
            free_of_crossings = false;
        } else {
            edge.state = EDGE_FREE;
        }
    }
    return free_of_crossings;
}

// Whether edge f may answer a search for u-v at all, before any arithmetic.
static inline bool candidate(const GridEdge& f, uint16_t u, uint16_t v, bool skip_free, const Reach& reach)
{
    if (f.a == u || f.a == v || f.b == u || f.b == v)
        return false;
    if (skip_free && f.state == EDGE_FREE)
        return false;
    return reaches_meet(f, reach);
}

static inline bool crosses(const GridEdge& f, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return segments_cross(f.x1, f.y1, f.x2, f.y2, x1, y1, x2, y2);
}

static inline void witness_note(int id)
{
    grid_witnesses[grid_witness_next] = int16_t(id);
    grid_witness_next = (grid_witness_next + 1) & (GRID_WITNESS_COUNT - 1);
}

int edge_grid_search(uint16_t u, uint16_t v, bool skip_free)
{
    const int32_t x1 = vertices[u].x, y1 = vertices[u].y;
    const int32_t x2 = vertices[v].x, y2 = vertices[v].y;

    // The latest witness has been asked already (edge_grid_find); the others
    // next, each in one go, without a branch per condition, since which
    // condition fails varies from chord to chord.
    for (int w = 2; w <= GRID_WITNESS_COUNT; ++w) {
        const int id = grid_witnesses[(grid_witness_next - w) & (GRID_WITNESS_COUNT - 1)];
        if (id < 0)
            continue;
        if (edge_grid_witness_answers(id, u, v, skip_free)) {
            // The one that answered is asked first next time.
            int16_t& latest = grid_witnesses[(grid_witness_next - 1) & (GRID_WITNESS_COUNT - 1)];
            grid_witnesses[(grid_witness_next - w) & (GRID_WITNESS_COUNT - 1)] = latest;
            latest = int16_t(id);
            return id;
        }
    }

    const Reach reach = reach_of(x1, y1, x2, y2);

    if (grid_unfiled) {
        for (int id = 0; id < grid_edge_count; ++id) {
            if (candidate(grid_edges[id], u, v, skip_free, reach) && crosses(grid_edges[id], x1, y1, x2, y2)) {
                witness_note(id);
                return id;
            }
        }
        return -1;
    }

    if (++search_mark == 0) {
        // After four billion searches the marks start over from a clean table.
        for (int id = 0; id < EDGE_GRID_MAX_EDGES; ++id)
            edge_seen[id] = 0;
        search_mark = 1;
    }
    static uint16_t cells[EDGE_GRID_CELLS_MAX];
    const int count = edge_grid_cells(x1, y1, x2, y2, cells);
    for (int k = 0; k < count; ++k) {
        int32_t* link = &cell_first[cells[k]];
        for (int32_t n = *link; n != NO_ENTRY; n = *link) {
            const int id = entry_edge[n];
            // A free edge can never answer a search that skips free edges, so
            // its entry is dropped as it is met; on a drawing with no
            // crossing this halves the walking.
            if (skip_free && grid_edges[id].state == EDGE_FREE) {
                *link = entry_next[n];
                continue;
            }
            link = &entry_next[n];
            if (edge_seen[id] == search_mark)
                continue;
            edge_seen[id] = search_mark;
            const GridEdge& f = grid_edges[id];
            // Colouring's searches mostly end at an early crossing, and the
            // branching form suits them; a chord's search in level generation
            // mostly runs to the end, each comparison going either way, and
            // is asked without branching.
            const bool answers =
                skip_free ? candidate(f, u, v, skip_free, reach) && crosses(f, x1, y1, x2, y2)
                          : (f.reach_x0 <= reach.x1) & (reach.x0 <= f.reach_x1) & (f.reach_y0 <= reach.y1) &
                                (reach.y0 <= f.reach_y1) & edge_grid_witness_answers(id, u, v, false);
            if (answers) {
                witness_note(id);
                return id;
            }
        }
    }
    return -1;
}
