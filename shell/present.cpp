// Presentation: puts the back buffer into our 480 x 640 video surface, at its
// own size or with every pixel doubled, and shows the part the window sees.
#include "shell/present.h"

#include <cstring>

#include "gfx/pixel.h"
#include "shell/engine.h"
#include "shell/platform.h"

// The picture the window shows, 480 x 640 RGB565; written by present_frame only.
alignas(8) uint16_t video_surface[VIDEO_WIDTH * VIDEO_HEIGHT];

// Writes the back buffer with every pixel doubled; each pair of surface pixels
// is one 32-bit word holding the pixel twice, so both halves are equal and the
// byte order of the word does not matter.
static void copy_doubled()
{
    for (int r = 0; r < BACK_BUFFER_HEIGHT; ++r) {
        const uint16_t* src = back_buffer + r * SCREEN_WIDTH;
        uint16_t* top = video_surface + (2 * r) * VIDEO_WIDTH;
        uint16_t* bottom = top + VIDEO_WIDTH;
        for (int c = 0; c < SCREEN_WIDTH; c += 4) {
            for (int k = 0; k < 4; ++k) {
                uint32_t pair = uint32_t(src[c + k]) * 0x10001u;
                std::memcpy(top + 2 * (c + k), &pair, sizeof pair);
                std::memcpy(bottom + 2 * (c + k), &pair, sizeof pair);
            }
        }
    }
}

// Writes the back buffer into the top-left quarter; the rest keeps whatever an
// earlier doubled frame left there, which the 240 x 320 window does not show.
static void copy_single()
{
    for (int r = 0; r < BACK_BUFFER_HEIGHT; ++r)
        std::memcpy(video_surface + r * VIDEO_WIDTH, back_buffer + r * SCREEN_WIDTH, SCREEN_WIDTH * sizeof(uint16_t));
}

// The scale video_surface was last written at (0: never); written by present_frame.
static int presented_scale = 0;

// Whether video_surface already holds the back buffer at the current scale.
// At 2x each pixel's 2 x 2 block is always written whole, so its top-left
// pixel stands for it.
static bool back_buffer_presented()
{
    const int scale = view_doubled ? 2 : 1;
    if (presented_scale != scale)
        return false;
    for (int r = 0; r < BACK_BUFFER_HEIGHT; ++r) {
        const uint16_t* src = back_buffer + r * SCREEN_WIDTH;
        const uint16_t* shown = video_surface + scale * r * VIDEO_WIDTH;
        if (scale == 1) {
            if (std::memcmp(shown, src, SCREEN_WIDTH * sizeof(uint16_t)) != 0)
                return false;
            continue;
        }
        // Whole rows at a time, without a test per pixel: a loop the compiler vectorises.
        uint32_t differ = 0;
        for (int c = 0; c < SCREEN_WIDTH; ++c)
            differ |= uint32_t(shown[2 * c] ^ src[c]);
        if (differ != 0)
            return false;
    }
    return true;
}

// A picture the window already shows is not sent again, so the screens that
// keep composing while they wait for a tap (the menu, the level chooser) copy
// and convert nothing. Otherwise the window is handed the back buffer itself and
// doubles it while putting it into its own pixel format, in one pass; our
// doubled copy is kept for present_show.
void present_frame()
{
    if (platform_window_current() && back_buffer_presented())
        return;
    presented_scale = view_doubled ? 2 : 1;
    if (view_doubled)
        copy_doubled();
    else
        copy_single();
    platform_window_show(back_buffer, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, SCREEN_WIDTH * 2, view_doubled ? 2 : 1);
}

void present_show()
{
    if (view_doubled)
        platform_window_show(video_surface, VIDEO_WIDTH, VIDEO_HEIGHT, VIDEO_PITCH_BYTES, 1);
    else
        platform_window_show(video_surface, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, VIDEO_PITCH_BYTES, 1);
}
