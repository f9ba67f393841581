// The puzzle graph: the vertex table, its creature and glow sprites, the edge
// lines shared by both ends, and the exact integer test that decides whether
// the drawing is solved.
#include "game/graph.h"

#include "geometry/trig.h"
#include "scene/shape.h"
#include "scene/sprite.h"

// The current level's puzzle; written by vertex_create/vertex_place/add_edge,
// level generation, face_centre and graph_load, moved by the play loop.
Vertex vertices[MAX_VERTICES];
// Vertices in use; set by level generation and graph_load.
uint16_t vertex_count = 0;
// Colour of crossing edges; starts white and nothing writes it.
uint16_t colour_edge_crossing = 0xFFFF;
// Creature strip and glow square shown by vertex sprites; loaded by the game at start-up.
Image* vertex_strip_image = nullptr;
Image* glow_image = nullptr;

constexpr int16_t VERTEX_CELL = 14;    // creature frame cell, pixels square
constexpr int16_t GLOW_CELL = 20;      // glow square, also the pick box
constexpr int32_t FACE_TARGET_X = 120; // creatures look at the middle of the play screen
constexpr int32_t FACE_TARGET_Y = 160;

void vertex_create(int i, int16_t x, int16_t y)
{
    Vertex& v = vertices[i];
    v.x = x;
    v.y = y;
    v.facing = 0;
    v.degree = 0;
    for (int k = 0; k < MAX_DEGREE; ++k) {
        v.neighbours[k] = 0;
        v.edge_lines[k] = nullptr;
    }
    Sprite* body = sprite_create(i, vertex_strip_image, VERTEX_CELL, VERTEX_CELL, x, y);
    body->layer = VERTEX_LAYER;
    Sprite* glow = sprite_create(GLOW_SPRITE_BASE + i, glow_image, GLOW_CELL, GLOW_CELL, x, y);
    glow->layer = GLOW_LAYER;
}

void vertex_place(int i, int16_t x, int16_t y)
{
    vertices[i].x = x;
    vertices[i].y = y;
    if (Sprite* body = sprite_table[i]) {
        body->x = x;
        body->y = y;
    }
    if (Sprite* glow = sprite_table[GLOW_SPRITE_BASE + i]) {
        glow->x = x;
        glow->y = y;
    }
}

// One line node per edge, referenced from both ends, so moving or recolouring
// it through either vertex changes the one line on screen.
void add_edge(uint16_t a, uint16_t b)
{
    Vertex& va = vertices[a];
    Vertex& vb = vertices[b];
    ShapeNode* line = shape_add_line(EDGE_SHAPE_LIST, va.x, va.y, vb.x, vb.y, 0x0000, 32);
    va.neighbours[va.degree] = int16_t(b);
    va.edge_lines[va.degree] = line;
    vb.neighbours[vb.degree] = int16_t(a);
    vb.edge_lines[vb.degree] = line;
    ++va.degree;
    ++vb.degree;
}

// Intersection parameters in 1024ths, truncated towards zero, so touching ends
// count and a miss by less than 1/1024 of a segment still counts. Parallel and
// collinear pairs never cross. The products are taken in 64 bits: positions
// loaded from a save may lie anywhere in 16 bits, where 32-bit products would
// overflow; in 64 bits the rule is exact for any coordinates within +-2^24.
bool segments_cross(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
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

// Edges sharing an end with u-v are never tested; every other edge is seen
// from both of its ends, which costs time but keeps the rule simple.
bool edge_crosses_any(uint16_t u, uint16_t v)
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
            if (segments_cross(pi.x, pi.y, vertices[d].x, vertices[d].y, pu.x, pu.y, pv.x, pv.y))
                return true;
        }
    }
    return false;
}

bool is_crossing_free()
{
    for (int i = 0; i < vertex_count; ++i) {
        for (int k = 0; k < vertices[i].degree; ++k) {
            if (edge_crosses_any(uint16_t(i), uint16_t(vertices[i].neighbours[k])))
                return false;
        }
    }
    return true;
}

// Does not stop at the first crossing: every line must show its own state.
bool colour_edges()
{
    bool free_of_crossings = true;
    for (int i = 0; i < vertex_count; ++i) {
        Vertex& v = vertices[i];
        for (int k = 0; k < v.degree; ++k) {
            const bool crossing = edge_crosses_any(uint16_t(i), uint16_t(v.neighbours[k]));
            if (crossing)
                free_of_crossings = false;
            v.edge_lines[k]->colour = crossing ? colour_edge_crossing : COLOUR_EDGE_FREE;
        }
    }
    return free_of_crossings;
}

void face_centre()
{
    for (int i = 0; i < vertex_count; ++i) {
        Vertex& v = vertices[i];
        const uint16_t a = direction_angle(v.x, v.y, FACE_TARGET_X, FACE_TARGET_Y);
        v.facing = uint8_t(((a + 32) >> 6) & 7);
        if (Sprite* body = sprite_table[i])
            body->frame = int16_t(FRAME_SET_NORMAL + v.facing);
        if (Sprite* glow = sprite_table[GLOW_SPRITE_BASE + i])
            glow->opacity = 32;
    }
}
