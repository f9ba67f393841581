// The puzzle graph: vertices with their creature and glow sprites, edges as
// shared line nodes, the exact crossing test and the solved test.
#pragma once
#include <cstdint>

#include "storage/level_size.h"

struct Image;
struct ShapeNode;

constexpr int MAX_VERTICES = LEVEL_MAX_VERTICES;
constexpr int MAX_DEGREE = 4;
constexpr uint8_t EDGE_SLOT = 10;           // surface slot holding the edge lines
constexpr int GLOW_SPRITE_BASE = 1024;      // glow of vertex i is sprite 1024 + i
constexpr int16_t FRAME_SET_NORMAL = 0;     // grey creatures
constexpr int16_t FRAME_SET_DRAGGED = 8;    // orange: the vertex being dragged
constexpr int16_t FRAME_SET_NEIGHBOUR = 16; // red: its neighbours
constexpr uint16_t COLOUR_EDGE_FREE = 0xBF6B;
constexpr int16_t VERTEX_LAYER = 2;
constexpr int16_t GLOW_LAYER = 14;

struct Vertex {
    int16_t x;                          // centre on screen
    int16_t y;
    uint8_t facing;                     // 0..7, eighths of a turn counter-clockwise from the right
    uint8_t degree;                     // 0..MAX_DEGREE
    int16_t neighbours[MAX_DEGREE];     // first `degree` valid, in the order the edges were added
    ShapeNode* edge_lines[MAX_DEGREE];  // line of the edge to neighbours[k]; shared by both ends
};

// The puzzle of the current level; rebuilt by level generation and by a resumed save.
extern Vertex vertices[MAX_VERTICES];
extern uint16_t vertex_count;
// Colour of a crossing edge (white); nothing changes it.
extern uint16_t colour_edge_crossing;
// The pictures vertex sprites show (creature strip and glow square); loaded once at start-up.
extern Image* vertex_strip_image;
extern Image* glow_image;

// Creates vertex i at (x, y) facing 0 with no edges, with its creature and glow sprites.
void vertex_create(int i, int16_t x, int16_t y);
// Moves vertex i and both its sprites to (x, y); edge lines are not touched.
void vertex_place(int i, int16_t x, int16_t y);
void add_edge(uint16_t a, uint16_t b);
// Whether segment P1P2 crosses segment P3P4 (defined below, inline: the
// solved tests call it hundreds of thousands of times a second).
inline bool segments_cross(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           int32_t x3, int32_t y3, int32_t x4, int32_t y4);
inline bool segments_cross_flat(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                int32_t x3, int32_t y3, int32_t x4, int32_t y4);
// Whether the segment from vertex u to vertex v crosses an edge that has
// neither u nor v as an end (by index, not by position).
bool edge_crosses_any(uint16_t u, uint16_t v);
bool is_crossing_free();
// Recolours every edge (white when crossing, light green when free); returns is_crossing_free().
bool colour_edges();
// The facing (0..7) of a creature at (x0, y0) looking at (x1, y1).
uint8_t facing_towards(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Turns every creature to look at the screen's centre.
void face_centre();

// The crossing rule. Where the lines meet, at parameter ta along P1P2 and tb
// along P3P4, each parameter is taken in 1024ths truncated towards zero
// (trunc(1024 A / D) and trunc(1024 B / D) below) and must lie in 0..1024, so
// touching ends count and a miss by less than 1/1024 of a segment still
// counts. Parallel and collinear pairs never cross.
//
// Without dividing: for real q, trunc(q) >= 0 exactly when q > -1, and
// trunc(q) <= 1024 exactly when q < 1025. With D made positive (negating D, A
// and B together leaves both quotients as they were), q = 1024 A / D lies in
// (-1, 1025) exactly when -D < 1024 A < 1025 D. The test is therefore the
// same as dividing, and it is symmetric: swapping the segments swaps ta and
// tb, and swapping a segment's ends turns t into 1 - t, which maps the open
// interval (-1/1024, 1025/1024) onto itself.
//
// 64-bit products: positions loaded from a save may lie anywhere in 16 bits;
// then |A|, |B|, |D| < 2^35 and 1025 D < 2^46, far inside 64 bits.
struct CrossTerms {
    int64_t d, a, b;
};

// D, A and B of the segments P1P2 and P3P4, which both forms of the rule weigh.
inline CrossTerms cross_terms(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
    const int64_t ax = int64_t(x2) - x1, ay = int64_t(y2) - y1;
    const int64_t bx = int64_t(x4) - x3, by = int64_t(y4) - y3;
    const int64_t cx = int64_t(x1) - x3, cy = int64_t(y1) - y3;
    return {ax * by - bx * ay, bx * cy - by * cx, ax * cy - ay * cx};
}

inline bool segments_cross(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
    auto [d, a, b] = cross_terms(x1, y1, x2, y2, x3, y3, x4, y4);
    if (d == 0)
        return false;
    if (d < 0) {
        d = -d;
        a = -a;
        b = -b;
    }
    const int64_t far = 1025 * d;
    return 1024 * a > -d && 1024 * a < far && 1024 * b > -d && 1024 * b < far;
}

// The same rule without a branch: for comparing many pairs of which most do
// not cross and which bound fails varies from pair to pair, where guessing
// the branches costs more than working out all four bounds. D's sign is
// turned with a mask; with D = 0 no value lies strictly between 0 and 0, so
// parallel and collinear pairs fail the bounds by themselves.
inline bool segments_cross_flat(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
    auto [d, a, b] = cross_terms(x1, y1, x2, y2, x3, y3, x4, y4);
    const int64_t sign = d >> 63;   // all ones when D < 0
    d = (d ^ sign) - sign;
    a = (a ^ sign) - sign;
    b = (b ^ sign) - sign;
    const int64_t far = 1025 * d;
    return (1024 * a > -d) & (1024 * a < far) & (1024 * b > -d) & (1024 * b < far);
}
