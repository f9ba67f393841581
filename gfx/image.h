// Decoding the embedded PNG and GIF files into RGB565 buffers and Images
// (pixels plus the span lists the sprite blitters use to skip transparency).
#pragma once
#include <cstdint>

// A decoded picture; frames of a strip are stacked vertically. Owned by whoever
// loaded it and released with image_free. All blocks are malloc'd.
struct Image {
    void* pixels;              // format 1: index bytes; 2 and 3: RGB565 (format 3: alpha plane follows)
    uint8_t* alpha;            // format 3: pixels + width * height pixels; else null
    uint16_t* row_offsets;     // span list row starts, one per row; null when solid
    uint8_t* spans;            // span bytes, four 0xFF after the last row; null when solid
    uint16_t* palette;         // format 1: 256 RGB565 entries; else null
    int32_t format;            // PixelFormat 1, 2 or 3
    int32_t solid;             // 1: no transparent pixel and no span lists
    int32_t width;
    int32_t height;
};

// Results of the last png_decode_rgb565, read by its callers right after it.
extern int16_t png_width;
extern int16_t png_height;
extern uint16_t png_has_alpha;
extern uint16_t png_solid;

// Decodes a PNG file of `limit` bytes to RGB565 (and an alpha plane of bytes
// 0..32 behind the pixels when the picture has alpha). dest null: the buffer is
// malloc'd (w*h*3 bytes with alpha, w*h*2 without). Pictures wider than 2048,
// taller than 32767 or interlaced are refused. On corrupt or refused data it
// returns dest as passed (null when it was null; a buffer it had allocated is
// released), leaves the result globals as they were and leaks nothing.
uint16_t* png_decode_rgb565(uint16_t* dest, const uint8_t* data, int32_t limit);

// png_decode_rgb565 and then the matching image_from_* builder; null when the
// file does not decode.
Image* load_image(const uint8_t* data, int32_t limit);

// Wrap a malloc'd buffer (the Image owns it) and build its span lists unless solid.
// A picture whose span counts would not fit a byte (runs over 255 pixels) or
// whose row offsets would not fit 16 bits is refused: null, and the buffers
// passed in (pixels, palette) are released.
Image* image_from_indexed(uint8_t* pixels, uint16_t* palette, int32_t width, int32_t height, int32_t solid);
Image* image_from_rgb565(uint16_t* pixels, int32_t width, int32_t height, int32_t solid);
Image* image_from_rgb565_alpha(uint16_t* pixels, int32_t width, int32_t height, int32_t solid);

// Colours of the last GIF decoded straight to RGB565; also the index remap table of load_gif_image.
extern uint16_t gif_palette[256];

// Decodes the GIF file (size bytes) into dest: 8-bit indices and palette_dest
// colours (to_rgb565 0), or RGB565 pixels with gif_palette (to_rgb565 1).
// stride is pixels per destination row; dest must hold the logical screen
// (stride x screen height). Further images are stacked below the first while
// they fit in those rows. Returns 0, or 1 for a broken or truncated file, a
// logical screen wider than stride, or a first image outside the screen.
int gif_decode(const uint8_t* gif, int32_t size, void* dest, uint16_t* palette_dest, int to_rgb565, int stride);

// Loads a GIF as a format-1 Image whose index 0 is the transparent (magenta)
// colour; null when the file does not decode or its logical screen is empty or
// holds 32768 pixels or more.
Image* load_gif_image(const uint8_t* gif, int32_t size);

// Releases an Image and every block it owns; null is ignored.
void image_free(Image* image);
