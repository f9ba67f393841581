// The plain forms of the crossing rule, the solved test, edge colouring and
// level generation, kept as they were first written so that faster versions
// can be checked against them and measured beside them.
#include "testkit/graph_oracle.h"

#include "game/layout.h"
#include "game/mode.h"
#include "geometry/random.h"
#include "geometry/trig.h"
#include "scene/shape.h"

bool literal_segments_cross(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
    const int64_t ax = int64_t(x2) - x1, ay = int64_t(y2) - y1;
    const int64_t bx = int64_t(x4) - x3, by = int64_t(y4) - y3;
    const int64_t cx = int64_t(x1) - x3, cy = int64_t(y1) - y3;
    const int64_t d = ax * by - bx * ay;
    if (d == 0)
        return false;
    const int64_t a = bx * cy - by * cx;
    const int64_t b = ax * cy - ay * cx;
    const int64_t ua = a * 1024 / d;
    const int64_t ub = b * 1024 / d;
    return ua >= 0 && ua <= 1024 && ub >= 0 && ub <= 1024;
}

bool literal_edge_crosses_any(uint16_t u, uint16_t v)
{
    const Vertex& pu = vertices[u];
    const Vertex& pv = vertices[v];
    for (int i = 0; i < vertex_count; ++i) {
        if (i == u || i == v)
            continue;
        const Vertex& pi = vertices[i];
        for (int k = 0; k < pi.degree; ++k) {
            const int d = pi.neighbours[k];
            if (d == u || d == v)
                continue;
            if (literal_segments_cross(pi.x, pi.y, vertices[d].x, vertices[d].y, pu.x, pu.y, pv.x, pv.y))
                return true;
        }
    }
    return false;
}

bool literal_is_crossing_free()
{
    for (int i = 0; i < vertex_count; ++i) {
        for (int k = 0; k < vertices[i].degree; ++k) {
            if (literal_edge_crosses_any(uint16_t(i), uint16_t(vertices[i].neighbours[k])))
                return false;
        }
    }
    return true;
}

bool literal_colour_edges(uint16_t colours[MAX_VERTICES][MAX_DEGREE])
{
    bool free_of_crossings = true;
    for (int i = 0; i < vertex_count; ++i) {
        const Vertex& v = vertices[i];
        for (int k = 0; k < v.degree; ++k) {
            const bool crossing = literal_edge_crosses_any(uint16_t(i), uint16_t(v.neighbours[k]));
            if (crossing)
                free_of_crossings = false;
            colours[i][k] = crossing ? colour_edge_crossing : COLOUR_EDGE_FREE;
        }
    }
    return free_of_crossings;
}

static void literal_chords_add(int i, int n)
{
    static int16_t candidates[MAX_VERTICES];
    Vertex& v = vertices[i];
    int count = 0;
    for (int j = 0; j < n; ++j) {
        if (j == i || vertices[j].degree > 3)
            continue;
        bool adjacent = false;
        for (int k = 0; k < v.degree; ++k)
            adjacent |= v.neighbours[k] == j;
        if (!adjacent)
            candidates[count++] = int16_t(j);
    }
    if (count == 0 || v.degree >= MAX_DEGREE)
        return;
    int draws = 0;
    do {
        const int t = random_next() % count;
        const int16_t b = candidates[t];
        --count;
        candidates[t] = candidates[count];
        if (!literal_edge_crosses_any(uint16_t(i), uint16_t(b)))
            add_edge(uint16_t(i), uint16_t(b));
        ++draws;
    } while (draws < count && v.degree < MAX_DEGREE);
}

void literal_build_graph(int n)
{
    if (n > MAX_VERTICES)
        n = MAX_VERTICES;
    if (n < 0)
        n = 0;
    vertex_count = uint16_t(n);
    for (int i = 0; i < n; ++i) {
        const int32_t a = (512 * i) / n;
        vertex_create(i, int16_t(120 + ((110 * cos512(a)) >> 8)), int16_t(160 + ((110 * sin512(a)) >> 8)));
    }
    if (n < 3)
        return;
    for (int j = 0; j < n; ++j)
        add_edge(uint16_t(j), uint16_t((j + 1) % n));
    if (game_mode == MODE_BABY_BRAINS)
        return;
    for (int i = 0; i < n; ++i)
        literal_chords_add(i, n);
}

void literal_scatter_on_layout(int n, int shape)
{
    if (n > vertex_count)
        n = vertex_count;
    if (shape < 0 || shape >= LAYOUT_SHAPE_COUNT)
        shape = LAYOUT_CIRCLE;
    do {
        layout_radius = 110;
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
    } while (n >= 4 && literal_is_crossing_free());
}
