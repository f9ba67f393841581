// Presentation: where each back buffer pixel lands in the video surface at
// 1x and 2x, what is left alone, and what the window shows.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

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
// own blit makes of the back buffer pixel under it; by default the window's
// own pixels, or a copy of them laid out as the window's.
int window_differences(int scale, const uint8_t* pixels = nullptr)
{
    SDL_Surface* shown = SDL_GetWindowSurface(shell_window());
    if (!pixels)
        pixels = static_cast<const uint8_t*>(shown->pixels);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(back_buffer, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 16,
                                                             SCREEN_WIDTH * 2, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* expected = SDL_CreateRGBSurfaceWithFormat(0, SCREEN_WIDTH, BACK_BUFFER_HEIGHT,
                                                           shown->format->BitsPerPixel, shown->format->format);
    SDL_BlitSurface(source, nullptr, expected, nullptr);
    const int bytes = shown->format->BytesPerPixel;
    int bad = 0;
    for (int y = 0; y < BACK_BUFFER_HEIGHT * scale; ++y)
        for (int x = 0; x < SCREEN_WIDTH * scale; ++x) {
            const uint8_t* got = pixels + y * shown->pitch + x * bytes;
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

// The window at 1x or 2x, with the events of the change read.
void window_scale_set(uint8_t doubled)
{
    SDL_SetWindowSize(shell_window(), 240 << doubled, 320 << doubled);
    PlatformEvent event;
    while (platform_event_poll(&event)) {
    }
    view_doubled = doubled;
}

// The picture the window shows already is not sent again, a changed one only
// where it changed; after anything happens to the window it is sent whole.
TEST(Present, AFrameTheWindowShowsIsNotSentAgainUntilTheWindowIsDisturbed)
{
    ASSERT_EQ(shell_start_once().result, 0);
    uint8_t saved = view_doubled;
    for (uint8_t doubled : {0, 1}) {
        window_scale_set(doubled);
        for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
            back_buffer[i] = uint16_t(i * 7 + doubled);
        present_frame();
        const Uint32 shown = window_pixel(5, 0);
        SDL_Surface* s = SDL_GetWindowSurface(shell_window());
        std::memset(s->pixels, 0x55, size_t(s->pitch));   // spoil the top row behind the platform's back
        present_frame();
        EXPECT_EQ(window_pixel(5, 0), 0x555555u) << "sent again, doubled " << int(doubled);
        // One pixel changes: that pixel goes out, and the rest of the window
        // is left as it was (here, spoilt).
        const Uint32 corner = window_pixel((240 << doubled) - 1, (320 << doubled) - 1);
        back_buffer[BACK_BUFFER_PIXELS - 1] ^= 1;
        present_frame();
        EXPECT_NE(window_pixel((240 << doubled) - 1, (320 << doubled) - 1), corner) << "doubled " << int(doubled);
        EXPECT_EQ(window_pixel(5, 0), 0x555555u) << "more than the change was sent, doubled " << int(doubled);
        std::memset(s->pixels, 0x55, size_t(s->pitch));
        event_push(SDL_WINDOWEVENT, 0, 0, SDL_WINDOWEVENT_EXPOSED);
        PlatformEvent event;
        while (platform_event_poll(&event)) {
        }
        present_frame();
        EXPECT_EQ(window_pixel(5, 0), shown) << "not sent after an exposure, doubled " << int(doubled);
    }
    view_doubled = saved;
}

// Frame after frame of random changes, large and small, at both scales: what
// the window was sent (the window's own pixels inside the parts present_frame
// reports, kept over a copy of the whole picture sent first) is always exactly
// the back buffer, and so is the video surface.
TEST(Present, SendingOnlyTheChangedPartsKeepsTheWindowExactlyTheBackBuffer)
{
    ASSERT_EQ(shell_start_once().result, 0);
    uint8_t saved = view_doubled;
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (uint8_t doubled : {0, 1}) {
        window_scale_set(doubled);
        for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
            back_buffer[i] = uint16_t(next(65536));
        present_frame();
        SDL_Surface* window = SDL_GetWindowSurface(shell_window());
        const int bytes = window->format->BytesPerPixel;
        std::vector<uint8_t> sent(static_cast<const uint8_t*>(window->pixels),
                                  static_cast<const uint8_t*>(window->pixels) + size_t(window->pitch) * window->h);
        int bad_frames = 0;
        for (int frame = 0; frame < 250; ++frame) {
            const int kind = int(next(6));
            if (kind == 1) {          // one pixel, often on the picture's edges
                const int x = next(3) == 0 ? 0 : next(2) == 0 ? SCREEN_WIDTH - 1 : int(next(SCREEN_WIDTH));
                const int y = next(3) == 0 ? 0 : next(2) == 0 ? BACK_BUFFER_HEIGHT - 1 : int(next(BACK_BUFFER_HEIGHT));
                back_buffer[y * SCREEN_WIDTH + x] ^= uint16_t(1 + next(65535));
            } else if (kind == 2) {   // a rectangle
                const int x = int(next(SCREEN_WIDTH)), y = int(next(BACK_BUFFER_HEIGHT));
                const int w = 1 + int(next(uint32_t(SCREEN_WIDTH - x))), h = 1 + int(next(uint32_t(BACK_BUFFER_HEIGHT - y)));
                const uint16_t colour = uint16_t(next(65536));
                for (int r = y; r < y + h; ++r)
                    for (int c = x; c < x + w; ++c)
                        back_buffer[r * SCREEN_WIDTH + c] = colour;
            } else if (kind == 3) {   // a scatter of pixels, as a moving line leaves
                for (int k = int(next(200)); k > 0; --k)
                    back_buffer[next(BACK_BUFFER_PIXELS)] ^= uint16_t(1 + next(65535));
            } else if (kind == 4) {   // everything
                for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
                    back_buffer[i] = uint16_t(next(65536));
            }                         // else nothing: nothing may be sent
            present_frame();
            if (kind == 0 && present_part_count != 0)
                ++bad_frames;
            if (kind == 1 && (present_part_count != 1 || present_parts[0].width != 1 || present_parts[0].height != 1))
                ++bad_frames;
            for (int k = 0; k < present_part_count; ++k) {
                const PlatformRect& part = present_parts[k];
                for (int y = part.y << doubled; y < (part.y + part.height) << doubled; ++y) {
                    const size_t at = size_t(y) * window->pitch + size_t(part.x << doubled) * bytes;
                    std::memcpy(sent.data() + at, static_cast<const uint8_t*>(window->pixels) + at,
                                size_t(part.width << doubled) * bytes);
                }
            }
            bad_frames += window_differences(1 << doubled, sent.data()) != 0;
            for (int y = 0; y < BACK_BUFFER_HEIGHT << doubled; ++y)
                for (int x = 0; x < SCREEN_WIDTH << doubled; ++x)
                    if (video_surface[y * VIDEO_WIDTH + x] != back_buffer[(y >> doubled) * SCREEN_WIDTH + (x >> doubled)]) {
                        ++bad_frames;
                        y = VIDEO_HEIGHT;
                        break;
                    }
        }
        EXPECT_EQ(bad_frames, 0) << "doubled " << int(doubled);
    }
    view_doubled = saved;
}

} // namespace
