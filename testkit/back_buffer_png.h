// Writes the back buffer as the player sees it (240 x 320, RGB565 widened to
// 8 bits a channel) to a PNG file: the screenshot tool's pictures and the
// replays' pictures of their marked frames. Header only.
#pragma once
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "gfx/pixel.h"

// RGB565 to 8 bits a channel, the top bits repeated into the low ones so that
// full intensity stays full (31 -> 255, 63 -> 255).
inline void pixel_widen(uint16_t p, png_byte* rgb)
{
    const unsigned r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    rgb[0] = png_byte((r << 3) | (r >> 2));
    rgb[1] = png_byte((g << 2) | (g >> 4));
    rgb[2] = png_byte((b << 3) | (b >> 2));
}

// False when the file cannot be written.
inline bool back_buffer_png_write(const std::filesystem::path& path)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> rows(size_t(BACK_BUFFER_PIXELS) * 3);
    bool ok = png && info;
    if (ok && setjmp(png_jmpbuf(png))) {
        ok = false;
    } else if (ok) {
        for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
            pixel_widen(back_buffer[i], &rows[size_t(i) * 3]);
        png_init_io(png, f);
        png_set_IHDR(png, info, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 9);
        png_write_info(png, info);
        for (int y = 0; y < BACK_BUFFER_HEIGHT; ++y)
            png_write_row(png, &rows[size_t(y) * SCREEN_WIDTH * 3]);
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(f) != 0)
        ok = false;
    return ok;
}
