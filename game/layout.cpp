// Level generation: a graph that is crossing-free when drawn on a circle in
// index order, then thrown onto a layout shape until some edges cross.
#include "game/layout.h"

#include "assets/catalogue.h"
#include "game/edge_grid.h"
#include "game/graph.h"
#include "game/mode.h"
#include "geometry/random.h"
#include "geometry/trig.h"
#include "scene/shape.h"

// Points of the last generator call; written by the generators, read by
// scatter_on_layout and the shape-selection previews.
LayoutPoint layout_points[LAYOUT_POINTS_SIZE];
// Circumradius of the layouts; set by scatter_on_layout and the shape screen.
int32_t layout_radius = LAYOUT_RADIUS;
// Vertical centre of the layouts; set once by the game at start-up.
int16_t layout_centre_y = SCREEN_CENTRE_Y;

constexpr int32_t WAVE_LEFT = 10;
constexpr int SMALLEST_CROSSABLE = 4;    // two crossing edges need four distinct ends

static void layout_triangle(int n) { layout_polygon(n, 3); }
static void layout_square(int n) { layout_polygon(n, 4); }
static void layout_pentagon(int n) { layout_polygon(n, 5); }
static void layout_hexagon(int n) { layout_polygon(n, 6); }

// Indexed by LayoutShape; read by scatter_on_layout and the shape screen.
void (*const layout_generators[LAYOUT_SHAPE_COUNT])(int n) = {
    layout_circle, layout_wave, layout_triangle, layout_square, layout_pentagon, layout_hexagon,
};

static int points_clamp(int n)
{
    return n < 0 ? 0 : (n > LAYOUT_POINTS_SIZE ? LAYOUT_POINTS_SIZE : n);
}

// Point 0 at the right of the centre, running clockwise on screen.
void layout_circle(int n)
{
    n = points_clamp(n);
    const int32_t r = layout_radius;
    for (int i = 0; i < n; ++i) {
        const int32_t a = (512 * i) / n;
        layout_points[i].x = SCREEN_CENTRE_X + ((r * cos512(a)) >> 8);
        layout_points[i].y = layout_centre_y + ((r * sin512(a)) >> 8);
    }
}

// One sine period across the screen starting at a crest; the phase wraps to the
// left end part-way through the list.
void layout_wave(int n)
{
    n = points_clamp(n);
    const int32_t r = layout_radius;
    const int32_t amplitude = (2 * r) / 3;
    for (int i = 0; i < n; ++i) {
        const int32_t a = ((512 * i) / n + 128) & 511;
        layout_points[i].x = WAVE_LEFT + ((2 * a * r) >> 9);
        layout_points[i].y = layout_centre_y - ((amplitude * sin512(a)) >> 8);
    }
}

// The k corners first (counter-clockwise on screen; the square stands on a
// side, the others on a point at the top), then the rest spread along the sides
// with weights that may sum to 255: the shapes come out a pixel lopsided, and
// that is how they have always looked.
void layout_polygon(int n, int k)
{
    n = points_clamp(n);
    const int32_t r = layout_radius;
    const int32_t offset = (k == 4) ? 64 : 128;
    for (int j = 0; j < k; ++j) {
        const int32_t a = (offset + (512 * j) / k) & 511;
        layout_points[j].x = SCREEN_CENTRE_X + ((r * cos512(a)) >> 8);
        layout_points[j].y = layout_centre_y - ((r * sin512(a)) >> 8);
    }
    for (int i = k; i < n; ++i) {
        const int j = i % k;
        const int m = i - j;
        const int32_t w1 = (256 * m) / n;
        const int32_t w2 = (256 * (n - m)) / n;
        const LayoutPoint& c0 = layout_points[j];
        const LayoutPoint& c1 = layout_points[(j + 1) % k];
        layout_points[i].x = (w1 * c0.x + w2 * c1.x) >> 8;
        layout_points[i].y = (w1 * c0.y + w2 * c1.y) >> 8;
    }
}

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
