// Presentation: where each back buffer pixel lands in the video surface at
// 1x and 2x, what is left alone, and what the window shows.
#include <gtest/gtest.h>

#include <cstring>

#include "gfx/pixel.h"
#include "shell/engine.h"
#include "shell/platform.h"
#include "shell/present.h"
#include "shell/shell_harness.h"

namespace {

uint16_t pattern(int x, int y, int salt)
{
    return uint16_t(x * 7 + y * 131 + salt * 40503);
}

void present_pattern(uint8_t doubled, int salt)
{
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        back_buffer[i] = pattern(i % SCREEN_WIDTH, i / SCREEN_WIDTH, salt);
    view_doubled = doubled;
    present_frame();
}

TEST(Present, PixelsLandDoubledAt2xAndInTheSeenQuarterAt1x)
{
    ASSERT_EQ(shell_start_once().result, 0);
    uint8_t saved = view_doubled;
    present_pattern(1, 1);
    present_pattern(0, 2);
    // At 1x the seen quarter is rewritten and the rest keeps the doubled frame.
    int bad_1x = 0;
    for (int y = 0; y < VIDEO_HEIGHT; ++y)
        for (int x = 0; x < VIDEO_WIDTH; ++x) {
            bool seen = x < SCREEN_WIDTH && y < BACK_BUFFER_HEIGHT;
            bad_1x += video_surface[y * VIDEO_WIDTH + x] != (seen ? pattern(x, y, 2) : pattern(x / 2, y / 2, 1));
        }
    EXPECT_EQ(bad_1x, 0);
    present_pattern(1, 3);
    int bad_2x = 0;
    for (int y = 0; y < VIDEO_HEIGHT; ++y)
        for (int x = 0; x < VIDEO_WIDTH; ++x)
            bad_2x += video_surface[y * VIDEO_WIDTH + x] != pattern(x / 2, y / 2, 3);
    EXPECT_EQ(bad_2x, 0);
    view_doubled = saved;
}

TEST(Present, WindowShowsTheVisiblePart)
{
    ASSERT_EQ(shell_start_once().result, 0);
    uint8_t saved = view_doubled;
    // Colours whose 8-bit form does not depend on how SDL widens 6-bit green.
    back_buffer[0] = 0xF800;
    back_buffer[1] = 0xF81F;
    back_buffer[SCREEN_WIDTH] = 0x0000;
    back_buffer[BACK_BUFFER_PIXELS - 1] = 0x001F;
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
    EXPECT_EQ(window_pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(window_pixel(3, 1), 0xFF00FFu);
    EXPECT_EQ(window_pixel(1, 3), 0x000000u);
    EXPECT_EQ(window_pixel(478, 638), 0x0000FFu);
    view_doubled = saved;
}

// Every window pixel, compared as stored (its unused byte too) with what SDL's
// own blit makes of the back buffer pixel under it.
int window_differences(int scale)
{
    SDL_Surface* shown = SDL_GetWindowSurface(shell_window());
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(back_buffer, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 16,
                                                             SCREEN_WIDTH * 2, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* expected = SDL_CreateRGBSurfaceWithFormat(0, SCREEN_WIDTH, BACK_BUFFER_HEIGHT,
                                                           shown->format->BitsPerPixel, shown->format->format);
    SDL_BlitSurface(source, nullptr, expected, nullptr);
    const int bytes = shown->format->BytesPerPixel;
    int bad = 0;
    for (int y = 0; y < BACK_BUFFER_HEIGHT * scale; ++y)
        for (int x = 0; x < SCREEN_WIDTH * scale; ++x) {
            const uint8_t* got = static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch + x * bytes;
            const uint8_t* want = static_cast<const uint8_t*>(expected->pixels) + (y / scale) * expected->pitch +
                                  (x / scale) * bytes;
            bad += std::memcmp(got, want, size_t(bytes)) != 0;
        }
    SDL_FreeSurface(expected);
    SDL_FreeSurface(source);
    return bad;
}

TEST(Present, WindowGetsExactlyWhatSdlMakesOfEveryColourAt1xAnd2x)
{
    ASSERT_EQ(shell_start_once().result, 0);
    uint8_t saved = view_doubled;
    // All 65536 colours, and a second run of them in a different order.
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        back_buffer[i] = uint16_t(i < 65536 ? i : (i * 40503u) >> 3);
    for (bool by_sdl : {false, true}) {
        platform_convert_by_sdl = by_sdl;
        SDL_SetWindowSize(shell_window(), 240, 320);
        view_doubled = 0;
        present_frame();
        EXPECT_EQ(window_differences(1), 0) << "1x, by SDL: " << by_sdl;
        SDL_SetWindowSize(shell_window(), 480, 640);
        view_doubled = 1;
        present_frame();
        EXPECT_EQ(window_differences(2), 0) << "2x, by SDL: " << by_sdl;
    }
    platform_convert_by_sdl = false;
    view_doubled = saved;
}

// The picture the window shows already is not sent again; after anything
// happens to the window it is.
TEST(Present, AFrameTheWindowShowsIsNotSentAgainUntilTheWindowIsDisturbed)
{
    ASSERT_EQ(shell_start_once().result, 0);
    uint8_t saved = view_doubled;
    for (uint8_t doubled : {0, 1}) {
        SDL_SetWindowSize(shell_window(), 240 << doubled, 320 << doubled);
        PlatformEvent event;
        while (platform_event_poll(&event)) {
        }
        view_doubled = doubled;
        for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
            back_buffer[i] = uint16_t(i * 7 + doubled);
        present_frame();
        const Uint32 shown = window_pixel(5, 0);
        SDL_Surface* s = SDL_GetWindowSurface(shell_window());
        std::memset(s->pixels, 0x55, size_t(s->pitch));   // spoil the top row behind the platform's back
        present_frame();
        EXPECT_EQ(window_pixel(5, 0), 0x555555u) << "sent again, doubled " << int(doubled);
        back_buffer[BACK_BUFFER_PIXELS - 1] ^= 1;       // one pixel changes: the frame goes out
        present_frame();
        EXPECT_EQ(window_pixel(5, 0), shown) << "not sent, doubled " << int(doubled);
        std::memset(s->pixels, 0x55, size_t(s->pitch));
        event_push(SDL_WINDOWEVENT, 0, 0, SDL_WINDOWEVENT_EXPOSED);
        while (platform_event_poll(&event)) {
        }
        present_frame();
        EXPECT_EQ(window_pixel(5, 0), shown) << "not sent after an exposure, doubled " << int(doubled);
    }
    view_doubled = saved;
}

} // namespace
