// The puzzle graph: the vertex table, its creature and glow sprites, the edge
// lines shared by both ends, and the exact integer test that decides whether
// the drawing is solved.
#include "game/graph.h"

#include "assets/catalogue.h"
#include "game/edge_grid.h"
#include "game/recolour.h"
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
    Sprite* body = sprite_create(i, vertex_strip_image, PIC_VERTEX_STRIP, x, y);
    body->layer = VERTEX_LAYER;
    Sprite* glow = sprite_create(GLOW_SPRITE_BASE + i, glow_image, PIC_SQUARE, x, y);
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
    ShapeNode* line = shape_add_line(EDGE_SLOT, va.x, va.y, vb.x, vb.y, 0x0000, 32);
    va.neighbours[va.degree] = int16_t(b);
    va.edge_lines[va.degree] = line;
    vb.neighbours[vb.degree] = int16_t(a);
    vb.edge_lines[vb.degree] = line;
    ++va.degree;
    ++vb.degree;
}

// Edges sharing an end with u-v are never tested, by index: two distinct
// vertices at one position still count as meeting. Every edge is seen from
// both of its ends; a single question is cheap enough that filing the edges
// first would not pay.
bool edge_crosses_any(uint16_t u, uint16_t v)
{
    const int32_t ux = vertices[u].x, uy = vertices[u].y;
    const int32_t vx = vertices[v].x, vy = vertices[v].y;
    for (int i = 0; i < vertex_count; ++i) {
        if (i == u || i == v)
            continue;
        const Vertex& pi = vertices[i];
        for (int k = 0; k < pi.degree; ++k) {
            const int d = pi.neighbours[k];
            if (d == u || d == v)
                continue;
            if (segments_cross(pi.x, pi.y, vertices[d].x, vertices[d].y, ux, uy, vx, vy))
                return true;
        }
    }
    return false;
}

// A thrown level almost always crosses within its first few edges, so those
// are asked about directly before the grid is built for a full search.
constexpr int PROBED_EDGES = 4;

// Each edge searches the grid for a crossing; an edge whose search came back
// empty crosses nothing, so later searches pass it over, and each pair of
// edges is compared at most once.
bool is_crossing_free()
{
    int probed = 0;
    for (int i = 0; i < vertex_count && probed < PROBED_EDGES; ++i) {
        for (int k = 0; k < vertices[i].degree && probed < PROBED_EDGES; ++k, ++probed) {
            if (edge_crosses_any(uint16_t(i), uint16_t(vertices[i].neighbours[k])))
                return false;
        }
    }
    edge_grid_fill();
    for (int e = 0; e < grid_edge_count; ++e) {
        if (edge_grid_find(grid_edges[e].a, grid_edges[e].b, true) >= 0)
            return false;
        grid_edges[e].state = EDGE_FREE;
    }
    return true;
}

// Every line must show its own state, so nothing stops at the first crossing.
bool colour_edges()
{
    const bool free_of_crossings = edge_grid_settle();
    // Kept, so that recolouring after a drag need only look at what moved.
    colours_keep();
    colours_show();
    return free_of_crossings;
}

uint8_t facing_towards(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    return uint8_t(((direction_angle(x0, y0, x1, y1) + 32) >> 6) & 7);
}

void face_centre()
{
    for (int i = 0; i < vertex_count; ++i) {
        Vertex& v = vertices[i];
        // Creatures look at the middle of the play screen.
        v.facing = facing_towards(v.x, v.y, SCREEN_CENTRE_X, SCREEN_CENTRE_Y);
        if (Sprite* body = sprite_table[i])
            body->frame = int16_t(FRAME_SET_NORMAL + v.facing);
        if (Sprite* glow = sprite_table[GLOW_SPRITE_BASE + i])
            glow->opacity = 32;
    }
}
