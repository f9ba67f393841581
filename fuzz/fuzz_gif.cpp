// Fuzz target: the GIF decoder on any bytes, as the game loads its creature
// strip (an indexed Image with the key colour moved to index 0) and straight
// to RGB565 into a buffer the size of the logical screen.
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "gfx/image.h"

// Screens larger than this are not decoded straight; the Image path refuses
// them long before.
constexpr int32_t MAX_SCREEN_PIXELS = 1 << 20;
constexpr int GIF_HEADER_BYTES = 13;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t limit = size > INT32_MAX ? INT32_MAX : int32_t(size);
    Image* image = load_gif_image(data, limit);
    if (image) {
        FUZZ_CHECK(image->format == 1 && image->palette != nullptr, "a GIF Image without its palette");
        if (!image->solid)
            FUZZ_CHECK(image->palette[0] == 0xF81F, "index 0 of a keyed GIF is not the key colour");
        image_free(image);
    }

    if (size < size_t(GIF_HEADER_BYTES))
        return 0;
    const int32_t width = data[6] | data[7] << 8;
    const int32_t height = data[8] | data[9] << 8;
    if (width == 0 || height == 0 || int64_t(width) * height > MAX_SCREEN_PIXELS)
        return 0;
    // One spare column, so that a stride wider than the screen is tried too.
    const int stride = width + (data[10] & 1);
    uint16_t* pixels = static_cast<uint16_t*>(std::calloc(size_t(stride) * size_t(height), sizeof(uint16_t)));
    gif_decode(data, limit, pixels, nullptr, 1, stride);
    std::free(pixels);
    return 0;
}
