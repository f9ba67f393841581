// The back buffer every picture is drawn into, the RGB565 pixel format and the
// one blend that every translucent path of the game goes through.
#pragma once
#include <cstdint>

constexpr int SCREEN_WIDTH = 240;           // logical width of the screen and the back buffer
constexpr int BACK_BUFFER_HEIGHT = 320;     // rows of the back buffer
constexpr int BACK_BUFFER_PIXELS = SCREEN_WIDTH * BACK_BUFFER_HEIGHT;
constexpr uint16_t COLOUR_KEY = 0xF81F;     // magenta: transparent in RGB565 pictures
constexpr int OPACITY_FULL = 32;            // opacity and alpha run 0..32

// The picture the compositor builds each frame and present_frame shows;
// pixel (x, y) is element y * 240 + x. Written by the blitters and line drawers.
extern uint16_t back_buffer[BACK_BUFFER_PIXELS];

// Blends src over dst with weight 0..32 (0 gives dst, 32 gives src). Both
// halves of the packed pixel are worked at once; the rounding of each channel
// follows from this exact arithmetic, so keep it bit for bit.
inline uint16_t blend565(uint16_t dst, uint16_t src, int weight)
{
    uint32_t d = (uint32_t(dst) * 0x10001u) & 0x07E0F81Fu;
    uint32_t s = (uint32_t(src) * 0x10001u) & 0x07E0F81Fu;
    uint32_t r = (d + (((s - d) * uint32_t(weight)) >> 5)) & 0x07E0F81Fu;
    return uint16_t(r | (r >> 16));
}

// Builds an RGB565 colour from 8-bit channels by truncation.
inline uint16_t rgb565(uint8_t r, uint8_t g, uint8_t b)
{
    return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}
