// Fuzz target: the PNG decoder on any bytes, through each way the game uses
// it: a raw RGB565 decode, a sprite Image with its span lists, and a bitmap
// font cut from the picture as a glyph sheet.
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "gfx/font.h"
#include "gfx/image.h"

// A font number the game leaves unused, so each input replaces the last font.
constexpr uint8_t FUZZ_FONT = 3;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t limit = size > INT32_MAX ? INT32_MAX : int32_t(size);
    std::free(png_decode_rgb565(nullptr, data, limit));

    Image* image = load_image(data, limit);
    if (image) {
        FUZZ_CHECK(image->width > 0 && image->height > 0, "an Image without pixels");
        FUZZ_CHECK(image->solid == (image->spans == nullptr), "span lists do not match the solid flag");
        image_free(image);
    }

    const BitmapFont* font = build_font(FUZZ_FONT, data, limit);
    if (font)
        FUZZ_CHECK(font_table[FUZZ_FONT] == font, "the built font is not in the table");
    return 0;
}
