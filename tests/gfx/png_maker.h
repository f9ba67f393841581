// Builds small PNG files in memory with libpng's writer, so the decoder tests
// can feed exactly the pixels, colour types and chunks they are about.
#pragma once
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <vector>

struct PngPicture {
    int width = 1, height = 1;
    int colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
    int bit_depth = 8;
    std::vector<uint8_t> rows;             // packed rows exactly as libpng writes them
    std::vector<png_color> palette;        // colour type 3 only
    std::vector<uint8_t> transparency;     // tRNS alphas, written when not empty
    bool interlaced = false;
};

inline void png_maker_write(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void png_maker_flush(png_structp) {}

inline std::vector<uint8_t> png_make(const PngPicture& pic)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, png_maker_write, png_maker_flush);
    png_set_IHDR(png, info, pic.width, pic.height, pic.bit_depth, pic.colour_type,
                 pic.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!pic.palette.empty())
        png_set_PLTE(png, info, pic.palette.data(), int(pic.palette.size()));
    if (!pic.transparency.empty())
        png_set_tRNS(png, info, pic.transparency.data(), int(pic.transparency.size()), nullptr);
    png_write_info(png, info);
    if (pic.interlaced)
        png_set_interlace_handling(png);
    std::vector<png_bytep> rows;
    for (int y = 0; y < pic.height; ++y)
        rows.push_back(const_cast<png_bytep>(pic.rows.data()) + pic.rows.size() / pic.height * y);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An 8-bit RGBA picture from R, G, B, A per pixel, row by row.
inline std::vector<uint8_t> png_make_rgba(int width, int height, const std::vector<uint8_t>& rgba)
{
    PngPicture pic;
    pic.width = width;
    pic.height = height;
    pic.rows = rgba;
    return png_make(pic);
}
