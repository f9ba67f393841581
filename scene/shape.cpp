// Shape display lists: line segments kept on a slot and painted straight into
// the back buffer after the slot is drawn, either as plain one-pixel lines or
// smoothed over pixel pairs with 5-bit coverage.
#include "scene/shape.h"

#include <cstddef>
#include <cstdlib>
#include <utility>

#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/compose.h"

// Non-zero draws every line smoothed; written by the game at the start of each level.
uint8_t smooth_lines = 1;

// Last node of each slot's chain, so that building a level's ~900 edge lines
// does not walk the chain once per line; kept by shape_node_append and
// shape_list_clear.
static ShapeNode* list_tails[SLOT_COUNT];

constexpr int SLOPE_SHIFT = 10;                // clip_line's slopes are in 1/1024
constexpr int64_t SLOPE_ONE = int64_t(1) << SLOPE_SHIFT;
constexpr int64_t LINE_COORD_LIMIT = int64_t(1) << 24;   // keeps the slope products inside 64 bits
constexpr int COVERAGE_SHIFT = 11;             // 16-bit accumulator to a 0..31 coverage

void shape_list_open(uint8_t slot)
{
    after_draw_hook = shape_list_draw;
    // Any chain still hanging off the slot is ours; release it rather than lose it.
    shape_list_clear(slot);
    SurfaceSlot& s = surface_slots[slot];
    if (!s.in_use) {
        s.in_use = 1;
        s.opacity = OPACITY_FULL;
        s.layer = int16_t(slot);
        s.kind = SLOT_SHAPE_LIST;
    }
}

// Detaches first, so the slot never points at a released node.
void shape_list_clear(uint8_t slot)
{
    ShapeNode* node = surface_slots[slot].shape_list;
    surface_slots[slot].shape_list = nullptr;
    list_tails[slot] = nullptr;
    while (node) {
        ShapeNode* next = node->next;
        std::free(node);
        node = next;
    }
}

// The new node is zeroed: until shape_line_set it is a line of opacity 0, which draws nothing.
ShapeNode* shape_node_append(uint8_t slot)
{
    ShapeNode* node = static_cast<ShapeNode*>(std::calloc(1, sizeof(ShapeNode)));
    ShapeNode* tail = surface_slots[slot].shape_list ? list_tails[slot] : nullptr;
    if (!tail) {
        // No remembered end: an empty list, or a chain we have not appended to yet.
        ShapeNode** link = &surface_slots[slot].shape_list;
        while (*link)
            link = &(*link)->next;
        *link = node;
    } else {
        while (tail->next)
            tail = tail->next;
        tail->next = node;
    }
    list_tails[slot] = node;
    return node;
}

void shape_line_set(ShapeNode* node, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint8_t opacity)
{
    node->kind = SHAPE_LINE;
    node->x0 = x0;
    node->y0 = y0;
    node->x1 = x1;
    node->y1 = y1;
    node->colour = colour;
    node->opacity = opacity;
}

ShapeNode* shape_add_line(uint8_t slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint8_t opacity)
{
    ShapeNode* node = shape_node_append(slot);
    shape_line_set(node, x0, y0, x1, y1, colour, opacity);
    return node;
}

// Reads the slot's opacity and smooth_lines; a node's strength is its own
// opacity scaled by the slot's.
void shape_list_draw(uint8_t slot)
{
    if (slot >= SLOT_COUNT)
        return;
    const SurfaceSlot& s = surface_slots[slot];
    if (s.kind != SLOT_SHAPE_LIST)
        return;
    for (const ShapeNode* n = s.shape_list; n; n = n->next) {
        const int16_t e = int16_t((n->opacity * s.opacity) >> 5);
        if (e == 0 || n->kind != SHAPE_LINE)
            continue;
        if (smooth_lines) {
            if (e == OPACITY_FULL)
                draw_smooth_line(n->x0, n->y0, n->x1, n->y1, n->colour);
            else
                draw_smooth_line_blend(n->x0, n->y0, n->x1, n->y1, n->colour, e);
        } else {
            if (e == OPACITY_FULL)
                draw_line(n->x0, n->y0, n->x1, n->y1, n->colour);
            else
                draw_line_blend(n->x0, n->y0, n->x1, n->y1, n->colour, uint8_t(e & 0xFF));
        }
    }
}

static int64_t max64(int64_t a, int64_t b) { return a > b ? a : b; }
static int64_t min64(int64_t a, int64_t b) { return a < b ? a : b; }
static int64_t clamp64(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The cut follows the line's slope in 1/1024, truncated, so an end moved onto
// a row can land a pixel or more beside the rectangle; the ends are held to it
// afterwards, which is what keeps every drawer inside the back buffer. The
// rectangle is screen_rect held to the buffer itself. Ends further out than
// LINE_COORD_LIMIT are rejected, and a slope that truncates to 0 leaves x as it
// is where a row must be found (the x of a row would divide by it).
bool clip_line(int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1)
{
    const int64_t left = max64(screen_rect.x0, 0);
    const int64_t top = max64(screen_rect.y0, 0);
    const int64_t right = min64(screen_rect.x1, SCREEN_WIDTH - 1);
    const int64_t bottom = min64(screen_rect.y1, BACK_BUFFER_HEIGHT - 1);
    if (left > right || top > bottom)
        return false;
    for (int64_t v : {x0, y0, x1, y1})
        if (v > LINE_COORD_LIMIT || v < -LINE_COORD_LIMIT)
            return false;

    int64_t ax = x0, ay = y0, bx = x1, by = y1;
    if (ax == bx) {
        if (ax < left || ax > right || by < top || ay > bottom)
            return false;
        ay = max64(ay, top);
        by = min64(by, bottom);
    } else {
        const int64_t m = (ay - by) * SLOPE_ONE / (ax - bx);
        const int64_t b = ay * SLOPE_ONE - ax * m;
        auto y_of_column = [&](int64_t x) { return (x * m + b) >> SLOPE_SHIFT; };
        auto x_of_row = [&](int64_t y, int64_t keep) { return m != 0 ? (y * SLOPE_ONE - b) / m : keep; };

        if (ax < left) {
            if (bx < left)
                return false;
            ax = left;
            ay = y_of_column(left);
        } else if (bx < left) {
            bx = left;
            by = y_of_column(left);
        }
        if (ax >= right) {
            if (bx >= right)
                return false;
            ax = right;
            ay = y_of_column(right);
        } else if (bx >= right) {
            bx = right;
            by = y_of_column(right);
        }
        if (ay < top) {
            if (by < top)
                return false;
            ay = top;
            if (ax != bx)
                ax = x_of_row(top, ax);
        }
        if (by >= bottom) {
            if (ay >= bottom)
                return false;
            by = bottom;
            if (ax != bx)
                bx = x_of_row(bottom, bx);
        }
    }

    x0 = int32_t(clamp64(ax, left, right));
    y0 = int32_t(clamp64(ay, top, bottom));
    x1 = int32_t(clamp64(bx, left, right));
    y1 = int32_t(clamp64(by, top, bottom));
    return true;
}

static inline uint16_t* pixel_at(int32_t x, int32_t y)
{
    return back_buffer + y * SCREEN_WIDTH + x;
}

// Plain style: a Bresenham walk that plots both ends. The walk moves a
// pointer through the back buffer, a step along the major axis each pixel and
// one along the minor axis whenever the error term overflows; the clipped
// ends lie inside the buffer, and so does every pixel between them.
template <typename Plot>
static void line_walk(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Plot plot)
{
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    if (!clip_line(x0, y0, x1, y1))
        return;
    const int32_t dx = x1 > x0 ? x1 - x0 : x0 - x1;
    const int32_t dy = y1 > y0 ? y1 - y0 : y0 - y1;
    const ptrdiff_t x_step = x1 > x0 ? 1 : -1;
    const ptrdiff_t y_step = y1 > y0 ? SCREEN_WIDTH : -SCREEN_WIDTH;
    // Ties go to the vertical walk, as x steps only when dx exceeds dy.
    const bool shallow = dx > dy;
    const int32_t major = shallow ? dx : dy, minor = shallow ? dy : dx;
    const ptrdiff_t major_step = shallow ? x_step : y_step, minor_step = shallow ? y_step : x_step;

    uint16_t* p = pixel_at(x0, y0);
    plot(p);
    int32_t err = major >> 1;
    for (int32_t n = 0; n < major; ++n) {
        p += major_step;
        err += minor;
        if (err >= major) {
            p += minor_step;
            err -= major;
        }
        plot(p);
    }
}

// Smoothed style: each step between the ends spreads over a pixel pair, the
// 16-bit accumulator's top five bits giving the share of the second pixel.
// The pair partner never passes the far end, so the walk stays inside the
// clipped ends. Like the plain walk it moves a pointer rather than working
// out each pixel's place.
template <typename Full, typename Weighted>
static void smooth_line_walk(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Full full, Weighted weighted)
{
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    if (!clip_line(x0, y0, x1, y1))
        return;
    const ptrdiff_t xdir = x1 < x0 ? -1 : 1;
    const uint16_t dx = uint16_t(x1 < x0 ? x0 - x1 : x1 - x0);
    const uint16_t dy = uint16_t(y1 - y0);

    uint16_t* p = pixel_at(x0, y0);
    full(p);
    if (dy == 0 || dx == 0 || dx == dy) {
        // Straight across, down or diagonally: every pixel at full strength.
        const ptrdiff_t step = (dy == 0 ? 0 : SCREEN_WIDTH) + (dx == 0 ? 0 : xdir);
        for (int32_t n = dy == 0 ? dx : dy; n > 0; --n) {
            p += step;
            full(p);
        }
        return;
    }

    // One walk for both slopes: a pixel along the major axis each step, one
    // across it whenever the 16-bit fraction wraps, the coverage shared
    // between the pixel and its neighbour across.
    const bool steep = dy > dx;
    const uint16_t major = steep ? dy : dx;
    const uint16_t minor = steep ? dx : dy;
    const ptrdiff_t along = steep ? SCREEN_WIDTH : xdir;
    const ptrdiff_t across = steep ? xdir : SCREEN_WIDTH;
    const uint16_t step = uint16_t((uint32_t(minor) << 16) / major);
    uint16_t acc = 0;
    for (int32_t n = 0; n < major - 1; ++n) {
        const uint16_t next = uint16_t(acc + step);
        if (next <= acc)
            p += across;
        acc = next;
        p += along;
        const int32_t w = acc >> COVERAGE_SHIFT;
        weighted(p, OPACITY_FULL - w);
        weighted(p + across, w + 1);
    }
    full(pixel_at(x1, y1));
}

void draw_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour)
{
    line_walk(x0, y0, x1, y1, [colour](uint16_t* p) { *p = colour; });
}

void draw_line_blend(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint8_t weight)
{
    line_walk(x0, y0, x1, y1, [colour, weight](uint16_t* p) { *p = blend565(*p, colour, weight); });
}

void draw_smooth_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour)
{
    smooth_line_walk(
        x0, y0, x1, y1, [colour](uint16_t* p) { *p = colour; },
        [colour](uint16_t* p, int32_t k) { *p = blend565(*p, colour, k); });
}

void draw_smooth_line_blend(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, int32_t opacity)
{
    smooth_line_walk(
        x0, y0, x1, y1, [colour, opacity](uint16_t* p) { *p = blend565(*p, colour, opacity); },
        [colour, opacity](uint16_t* p, int32_t k) { *p = blend565(*p, colour, (k * opacity) >> 5); });
}
