// The game's line drawers against their literal reading (line_reference.h):
// thousands of random lines in every direction and length, clipped by random
// screen rectangles, over a busy picture, in all four drawers; every pixel of
// the back buffer must come out the same.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gfx/pixel.h"
#include "scene/compose.h"
#include "scene/line_reference.h"
#include "scene/shape.h"

namespace {

void busy_picture_fill(std::mt19937& rng)
{
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        back_buffer[i] = uint16_t(rng());
}

TEST(LineDrawers, MatchTheLiteralReadingPixelForPixel)
{
    std::mt19937 rng(2024);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<uint16_t> start(BACK_BUFFER_PIXELS), want(BACK_BUFFER_PIXELS);
    for (int round = 0; round < 60; ++round) {
        if (round % 3 == 0)
            set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
        else
            set_screen_rect(int16_t(pick(-20, 120)), int16_t(pick(-20, 160)), int16_t(pick(100, 260)),
                            int16_t(pick(140, 340)));
        busy_picture_fill(rng);
        start.assign(back_buffer, back_buffer + BACK_BUFFER_PIXELS);
        for (int n = 0; n < 160; ++n) {
            // Mostly on the screen, some far off it, some points and axis-aligned.
            const int span = n % 8 == 0 ? 5000 : 300;
            int32_t x0 = pick(-span, span), y0 = pick(-span, span), x1 = pick(-span, span), y1 = pick(-span, span);
            if (n % 8 == 1)
                x1 = x0;
            if (n % 8 == 2)
                y1 = y0;
            if (n % 8 == 3)
                x1 = x0 + (y1 - y0) * (n % 16 == 3 ? 1 : -1);
            if (n % 8 == 4)
                x1 = x0, y1 = y0;
            const uint16_t colour = uint16_t(rng());
            const int weight = pick(1, 31);
            const int kind = n % 4;

            std::copy(back_buffer, back_buffer + BACK_BUFFER_PIXELS, start.begin());
            switch (kind) {
            case 0: line_reference::draw_line(x0, y0, x1, y1, colour); break;
            case 1: line_reference::draw_line_blend(x0, y0, x1, y1, colour, uint8_t(weight)); break;
            case 2: line_reference::draw_smooth_line(x0, y0, x1, y1, colour); break;
            default: line_reference::draw_smooth_line_blend(x0, y0, x1, y1, colour, weight); break;
            }
            want.assign(back_buffer, back_buffer + BACK_BUFFER_PIXELS);
            std::copy(start.begin(), start.end(), back_buffer);
            switch (kind) {
            case 0: draw_line(x0, y0, x1, y1, colour); break;
            case 1: draw_line_blend(x0, y0, x1, y1, colour, uint8_t(weight)); break;
            case 2: draw_smooth_line(x0, y0, x1, y1, colour); break;
            default: draw_smooth_line_blend(x0, y0, x1, y1, colour, weight); break;
            }
            ASSERT_TRUE(std::equal(want.begin(), want.end(), back_buffer))
                << "drawer " << kind << " from " << x0 << "," << y0 << " to " << x1 << "," << y1;
        }
    }
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
}

} // namespace
