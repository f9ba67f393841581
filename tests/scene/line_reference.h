// The line drawers read literally, pixel by pixel with each pixel's place
// worked out from its coordinates: the reference the game's drawers are held
// to. Clipping is the game's own clip_line, which this does not restate.
#pragma once
#include <cstdint>
#include <utility>

#include "gfx/pixel.h"
#include "scene/shape.h"

namespace line_reference {

inline uint16_t& pixel(int32_t x, int32_t y)
{
    return back_buffer[y * SCREEN_WIDTH + x];
}

template <typename Plot>
void plain_walk(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Plot plot)
{
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    if (!clip_line(x0, y0, x1, y1))
        return;
    int32_t dx = x1 - x0, dy = y1 - y0;
    const int32_t sx = dx > 0 ? 1 : -1;
    const int32_t sy = dy > 0 ? 1 : -1;
    dx = dx < 0 ? -dx : dx;
    dy = dy < 0 ? -dy : dy;
    int32_t x = x0, y = y0;
    plot(x, y);
    if (dx > dy) {
        int32_t err = dx >> 1;
        for (int32_t n = 0; n < dx; ++n) {
            x += sx;
            err += dy;
            if (err >= dx) {
                y += sy;
                err -= dx;
            }
            plot(x, y);
        }
    } else {
        int32_t err = dy >> 1;
        for (int32_t n = 0; n < dy; ++n) {
            y += sy;
            err += dx;
            if (err >= dy) {
                x += sx;
                err -= dy;
            }
            plot(x, y);
        }
    }
}

template <typename Full, typename Weighted>
void smooth_walk(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Full full, Weighted weighted)
{
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    if (!clip_line(x0, y0, x1, y1))
        return;
    const int32_t xdir = x1 < x0 ? -1 : 1;
    const uint16_t dx = uint16_t(x1 < x0 ? x0 - x1 : x1 - x0);
    const uint16_t dy = uint16_t(y1 - y0);
    full(x0, y0);
    if (dy == 0) {
        for (int32_t n = 1; n <= dx; ++n)
            full(x0 + n * xdir, y0);
        return;
    }
    if (dx == 0) {
        for (int32_t n = 1; n <= dy; ++n)
            full(x0, y0 + n);
        return;
    }
    if (dx == dy) {
        for (int32_t n = 1; n <= dy; ++n)
            full(x0 + n * xdir, y0 + n);
        return;
    }
    int32_t x = x0, y = y0;
    uint16_t acc = 0;
    if (dy > dx) {
        const uint16_t step = uint16_t((uint32_t(dx) << 16) / dy);
        for (int32_t n = 0; n < dy - 1; ++n) {
            const uint16_t next = uint16_t(acc + step);
            if (next <= acc)
                x += xdir;
            acc = next;
            y += 1;
            const int32_t w = acc >> 11;
            weighted(x, y, OPACITY_FULL - w);
            weighted(x + xdir, y, w + 1);
        }
    } else {
        const uint16_t step = uint16_t((uint32_t(dy) << 16) / dx);
        for (int32_t n = 0; n < dx - 1; ++n) {
            const uint16_t next = uint16_t(acc + step);
            if (next <= acc)
                y += 1;
            acc = next;
            x += xdir;
            const int32_t w = acc >> 11;
            weighted(x, y, OPACITY_FULL - w);
            weighted(x, y + 1, w + 1);
        }
    }
    full(x1, y1);
}

inline void draw_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour)
{
    plain_walk(x0, y0, x1, y1, [&](int32_t x, int32_t y) { pixel(x, y) = colour; });
}

inline void draw_line_blend(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint8_t weight)
{
    plain_walk(x0, y0, x1, y1, [&](int32_t x, int32_t y) { pixel(x, y) = blend565(pixel(x, y), colour, weight); });
}

inline void draw_smooth_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour)
{
    smooth_walk(
        x0, y0, x1, y1, [&](int32_t x, int32_t y) { pixel(x, y) = colour; },
        [&](int32_t x, int32_t y, int32_t k) { pixel(x, y) = blend565(pixel(x, y), colour, k); });
}

inline void draw_smooth_line_blend(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, int32_t opacity)
{
    smooth_walk(
        x0, y0, x1, y1, [&](int32_t x, int32_t y) { pixel(x, y) = blend565(pixel(x, y), colour, opacity); },
        [&](int32_t x, int32_t y, int32_t k) { pixel(x, y) = blend565(pixel(x, y), colour, (k * opacity) >> 5); });
}

} // namespace line_reference
