// Presentation: where every back buffer pixel lands in the video surface at
// 1x and 2x, what is left alone, and what the window finally shows.
#include <gtest/gtest.h>

#include "gfx/pixel.h"
#include "shell/engine.h"
#include "shell/present.h"
#include "shell/shell_harness.h"

namespace {

uint16_t pattern(int x, int y, int salt)
{
    return uint16_t(x * 7 + y * 131 + salt * 40503);
}

void back_buffer_fill(int salt)
{
    for (int y = 0; y < BACK_BUFFER_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            back_buffer[y * SCREEN_WIDTH + x] = pattern(x, y, salt);
}

// Counts surface pixels that do not hold the doubled pattern, over the rows
// and columns given.
int doubled_mismatches(int salt, int x0, int y0, int x1, int y1)
{
    int bad = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            bad += video_surface[y * VIDEO_WIDTH + x] != pattern(x / 2, y / 2, salt);
    return bad;
}

class Present : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(shell_start_once().engine_result, 0);
        saved_view = view_doubled;
        SDL_GetWindowSize(shell_window(), &saved_w, &saved_h);
    }
    void TearDown() override
    {
        view_doubled = saved_view;
        SDL_SetWindowSize(shell_window(), saved_w, saved_h);
    }
    uint8_t saved_view = 0;
    int saved_w = 0, saved_h = 0;
};

TEST_F(Present, DoubledViewWritesEveryPixelFourTimes)
{
    back_buffer_fill(1);
    view_doubled = 1;
    present_frame();
    EXPECT_EQ(doubled_mismatches(1, 0, 0, VIDEO_WIDTH, VIDEO_HEIGHT), 0);
    EXPECT_EQ(video_surface[0], pattern(0, 0, 1));
    EXPECT_EQ(video_surface[VIDEO_WIDTH + 1], pattern(0, 0, 1));
    EXPECT_EQ(video_surface[639 * VIDEO_WIDTH + 479], pattern(239, 319, 1));
    EXPECT_EQ(video_surface[638 * VIDEO_WIDTH + 478], pattern(239, 319, 1));
}

TEST_F(Present, SingleViewCopiesIntoTheTopLeftAndLeavesTheRest)
{
    for (uint16_t& p : video_surface)
        p = 0xAAAA;
    back_buffer_fill(2);
    view_doubled = 0;
    present_frame();
    int bad = 0;
    for (int y = 0; y < VIDEO_HEIGHT; ++y)
        for (int x = 0; x < VIDEO_WIDTH; ++x) {
            uint16_t want = x < SCREEN_WIDTH && y < BACK_BUFFER_HEIGHT ? pattern(x, y, 2) : uint16_t(0xAAAA);
            bad += video_surface[y * VIDEO_WIDTH + x] != want;
        }
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(video_surface[319 * VIDEO_WIDTH + 239], pattern(239, 319, 2));
    EXPECT_EQ(video_surface[319 * VIDEO_WIDTH + 240], 0xAAAA);
}

TEST_F(Present, SwitchingScalesKeepsTheUnseenOldPictureUntilDoubledAgain)
{
    back_buffer_fill(3);
    view_doubled = 1;
    present_frame();
    back_buffer_fill(4);
    view_doubled = 0;
    present_frame();
    // Right of and below the seen quarter, the doubled picture is still there.
    EXPECT_EQ(doubled_mismatches(3, SCREEN_WIDTH, 0, VIDEO_WIDTH, VIDEO_HEIGHT), 0);
    EXPECT_EQ(doubled_mismatches(3, 0, BACK_BUFFER_HEIGHT, SCREEN_WIDTH, VIDEO_HEIGHT), 0);
    EXPECT_EQ(video_surface[10 * VIDEO_WIDTH + 20], pattern(20, 10, 4));

    view_doubled = 1;
    present_frame();
    EXPECT_EQ(doubled_mismatches(4, 0, 0, VIDEO_WIDTH, VIDEO_HEIGHT), 0);
}

TEST_F(Present, WindowShowsTheVisiblePart)
{
    // Colours whose 8-bit form does not depend on how the 6-bit green is widened.
    constexpr uint16_t RED = 0xF800, MAGENTA = 0xF81F, BLUE = 0x001F, BLACK = 0x0000;
    back_buffer_fill(5);
    back_buffer[0] = RED;
    back_buffer[1] = MAGENTA;
    back_buffer[SCREEN_WIDTH] = BLACK;
    back_buffer[BACK_BUFFER_PIXELS - 1] = BLUE;

    SDL_SetWindowSize(shell_window(), 240, 320);
    view_doubled = 0;
    present_frame();
    EXPECT_EQ(window_pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(window_pixel(1, 0), 0xFF00FFu);
    EXPECT_EQ(window_pixel(0, 1), 0x000000u);
    EXPECT_EQ(window_pixel(239, 319), 0x0000FFu);

    SDL_SetWindowSize(shell_window(), 480, 640);
    view_doubled = 1;
    present_frame();
    EXPECT_EQ(window_pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(window_pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(window_pixel(2, 0), 0xFF00FFu);
    EXPECT_EQ(window_pixel(3, 1), 0xFF00FFu);
    EXPECT_EQ(window_pixel(0, 2), 0x000000u);
    EXPECT_EQ(window_pixel(478, 638), 0x0000FFu);
    EXPECT_EQ(window_pixel(479, 639), 0x0000FFu);
}

} // namespace
