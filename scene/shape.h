// Shape display lists: retained line segments hanging off a slot (the puzzle's edges).
#pragma once
#include <cstdint>

constexpr uint8_t SHAPE_LINE = 0;

struct ShapeNode {
    uint8_t kind;              // SHAPE_LINE; other kinds are skipped
    ShapeNode* next;
    uint16_t colour;
    uint8_t opacity;           // 0..32
    int32_t x0;
    int32_t y0;
    int32_t x1;
    int32_t y1;
};

// Non-zero: lines are drawn smoothed (two-pixel coverage); zero: plain. Set by the game per level.
extern uint8_t smooth_lines;

void shape_list_open(uint8_t slot);
void shape_list_clear(uint8_t slot);
ShapeNode* shape_node_append(uint8_t slot);
void shape_line_set(ShapeNode* node, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint8_t opacity);
ShapeNode* shape_add_line(uint8_t slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint8_t opacity);
// The after-draw hook: draws the slot's lines, if it has any.
void shape_list_draw(uint8_t slot);

// Cuts a segment (y0 <= y1) to screen_rect; false when nothing is left.
bool clip_line(int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1);
void draw_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour);
void draw_line_blend(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint8_t weight);
void draw_smooth_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour);
void draw_smooth_line_blend(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, int32_t opacity);
