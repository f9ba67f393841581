// The layout shapes the vertices of a level are scattered onto.
#pragma once
#include <cstdint>

enum LayoutShape : int8_t {
    LAYOUT_CIRCLE = 0,
    LAYOUT_WAVE = 1,
    LAYOUT_TRIANGLE = 2,
    LAYOUT_SQUARE = 3,
    LAYOUT_PENTAGON = 4,
    LAYOUT_HEXAGON = 5,
};
constexpr int LAYOUT_SHAPE_COUNT = 6;

struct LayoutPoint {
    int32_t x;
    int32_t y;
};

constexpr int LAYOUT_POINTS_SIZE = 512;

// Points written by the last generator call.
extern LayoutPoint layout_points[LAYOUT_POINTS_SIZE];
// Circumradius of the layouts (LAYOUT_RADIUS); set by scatter_on_layout and the shape screen.
extern int32_t layout_radius;
// Vertical centre of the layouts (SCREEN_CENTRE_Y); set once at start-up.
extern int16_t layout_centre_y;
// The six generators by LayoutShape, each filling points 0..n-1.
extern void (*const layout_generators[LAYOUT_SHAPE_COUNT])(int n);

