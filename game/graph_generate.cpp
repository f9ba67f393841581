// Level generation: a graph that is crossing-free when drawn on a circle in
// index order, then thrown onto a layout shape until some edges cross.
#include "game/graph_generate.h"

#include "assets/catalogue.h"
#include "game/edge_grid.h"
#include "game/graph.h"
#include "game/layout.h"
#include "game/mode.h"
#include "geometry/random.h"
#include "geometry/trig.h"
#include "scene/shape.h"

constexpr int SMALLEST_CROSSABLE = 4;    // two crossing edges need four distinct ends

// Marks per vertex while chords are added: FULL once it has four edges, and
// PASSED_OVER for vertex i itself and its neighbours while i lists its candidates.
constexpr uint8_t FULL = 1;
constexpr uint8_t PASSED_OVER = 2;
static uint8_t chord_marks[MAX_VERTICES];

// Tries about half of vertex i's candidates in random order, each chord only if
// it crosses nothing already drawn on the circle; which half is tried is what
// makes levels of one size differ. The edge grid holds exactly the edges drawn
// so far, so asking it is asking edge_crosses_any(i, b), without looking at
// the far side of the circle for every chord tried.
static void chords_add(int i, int n)
{
    static int16_t candidates[MAX_VERTICES];
    Vertex& v = vertices[i];
    // A full vertex draws nothing, so its candidates need not be listed.
    if (v.degree >= MAX_DEGREE)
        return;
    chord_marks[i] |= PASSED_OVER;
    for (int k = 0; k < v.degree; ++k)
        chord_marks[v.neighbours[k]] |= PASSED_OVER;
    // Whether a vertex qualifies varies from one to the next: each is written
    // and the count advanced only for those that do, without branching.
    int count = 0;
    for (int j = 0; j < n; ++j) {
        candidates[count] = int16_t(j);
        count += chord_marks[j] == 0;
    }
    chord_marks[i] &= uint8_t(~PASSED_OVER);
    for (int k = 0; k < v.degree; ++k)
        chord_marks[v.neighbours[k]] &= uint8_t(~PASSED_OVER);
    if (count == 0)
        return;
    int draws = 0;
    do {
        const int t = random_next() % count;
        const int16_t b = candidates[t];
        --count;
        candidates[t] = candidates[count];
        if (edge_grid_find(uint16_t(i), uint16_t(b), false) < 0) {
            add_edge(uint16_t(i), uint16_t(b));
            edge_grid_add(uint16_t(i), uint16_t(b));
            if (vertices[b].degree >= MAX_DEGREE)
                chord_marks[b] |= FULL;
        }
        ++draws;
    } while (draws < count && v.degree < MAX_DEGREE);
    if (v.degree >= MAX_DEGREE)
        chord_marks[i] |= FULL;
}

// Expects edge list 10 to be empty. Sets vertex_count to n.
void build_graph(int n)
{
    if (n > MAX_VERTICES)
        n = MAX_VERTICES;
    if (n < 0)
        n = 0;
    vertex_count = uint16_t(n);
    for (int i = 0; i < n; ++i) {
        const int32_t a = (512 * i) / n;
        // Always on the screen's own circle, whatever the layouts are set to.
        vertex_create(i, int16_t(SCREEN_CENTRE_X + ((LAYOUT_RADIUS * cos512(a)) >> 8)),
                      int16_t(SCREEN_CENTRE_Y + ((LAYOUT_RADIUS * sin512(a)) >> 8)));
    }
    if (n < 3)
        return;   // no ring without three vertices; the game never asks for one
    edge_grid_reset();
    for (int j = 0; j < n; ++j) {
        add_edge(uint16_t(j), uint16_t((j + 1) % n));
        edge_grid_add(uint16_t(j), uint16_t((j + 1) % n));
    }
    if (game_mode == MODE_BABY_BRAINS)
        return;
    for (int i = 0; i < n; ++i)
        chord_marks[i] = vertices[i].degree >= MAX_DEGREE ? FULL : 0;
    for (int i = 0; i < n; ++i)
        chords_add(i, n);
}

// Line colours are left white; the game recolours them before the level shows.
void scatter_on_layout(int n, int shape)
{
    if (n > vertex_count)
        n = vertex_count;
    if (shape < 0 || shape >= LAYOUT_SHAPE_COUNT)
        shape = LAYOUT_CIRCLE;
    do {
        layout_radius = LAYOUT_RADIUS;
        layout_generators[shape](n);
        for (int i = 0; i < n; ++i) {
            const int r = n - i;
            const int t = random_next() % r;
            vertex_place(i, int16_t(layout_points[t].x), int16_t(layout_points[t].y));
            layout_points[t] = layout_points[r - 1];
            const Vertex& v = vertices[i];
            for (int k = 0; k < v.degree; ++k) {
                const Vertex& w = vertices[v.neighbours[k]];
                shape_line_set(v.edge_lines[k], v.x, v.y, w.x, w.y, colour_edge_crossing, 32);
            }
        }
        // Fewer than four vertices can never cross, so one throw must do.
    } while (n >= SMALLEST_CROSSABLE && is_crossing_free());
}
