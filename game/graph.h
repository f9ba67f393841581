// The puzzle graph: vertices with their creature and glow sprites, edges as
// shared line nodes, the exact crossing test and the solved test.
#pragma once
#include <cstdint>

struct Image;
struct ShapeNode;

constexpr int MAX_VERTICES = 512;
constexpr int MAX_DEGREE = 4;
constexpr uint8_t EDGE_SHAPE_LIST = 10;     // slot of the edge lines
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
bool segments_cross(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    int32_t x3, int32_t y3, int32_t x4, int32_t y4);
bool edge_crosses_any(uint16_t u, uint16_t v);
bool is_crossing_free();
// Recolours every edge (white when crossing, light green when free); returns is_crossing_free().
bool colour_edges();
// Turns every creature to look at (120, 160).
void face_centre();

// Saves the current puzzle and level clock as level `level` (from 1) of level file `file`.
// Returns 1 on success, 0 when nothing was written.
uint8_t graph_save(uint8_t level, uint8_t file);
// Rebuilds the puzzle from slot k (level k + 1) of level file `file` and sets
// saved_elapsed. Returns 0, with the current puzzle untouched, when the slot is
// missing or not a sound puzzle.
uint8_t graph_load(uint8_t slot, uint8_t file);
