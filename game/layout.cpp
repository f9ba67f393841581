// The layout shapes the vertices of a level are thrown onto: a circle, a wave
// and the regular polygons, each a list of points around the play area.
#include "game/layout.h"
#include "game/layout_internal.h"

#include "assets/catalogue.h"
#include "geometry/trig.h"

// Points of the last generator call; written by the generators, read by
// scatter_on_layout and the shape-selection previews.
LayoutPoint layout_points[LAYOUT_POINTS_SIZE];
// Circumradius of the layouts; set by scatter_on_layout and the shape screen.
int32_t layout_radius = LAYOUT_RADIUS;
// Vertical centre of the layouts; set once by the game at start-up.
int16_t layout_centre_y = SCREEN_CENTRE_Y;

constexpr int32_t WAVE_LEFT = 10;

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
