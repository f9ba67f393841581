// Turning the embedded PNG and GIF files into pictures the blitters can draw:
// RGB565 buffers with an optional 0..32 alpha plane, and Images carrying the
// span lists that let sprites jump over their transparent runs. The files come
// from inside the program, but every reader here is bounded by the size it is
// given and refuses what it cannot hold rather than guessing.
#include "gfx/image.h"

#include <csetjmp>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <gif_lib.h>
#include <png.h>

#include "gfx/pixel.h"
#include "gfx/slot.h"

// Size of the last picture png_decode_rgb565 finished; written only on success.
int16_t png_width = 0;
int16_t png_height = 0;
// Whether that picture carried alpha, and whether it needs no transparency; written with the size.
uint16_t png_has_alpha = 0;
uint16_t png_solid = 0;

// GIF colours of the last to_rgb565 decode, and load_gif_image's index remap table.
uint16_t gif_palette[256];

constexpr int PNG_SIGNATURE_BYTES = 8;
constexpr int PNG_ROW_BYTES = 8192;                    // one RGBA row of the widest picture
constexpr int PNG_MAX_WIDTH = PNG_ROW_BYTES / 4;
constexpr int PNG_MAX_HEIGHT = INT16_MAX;              // png_height is 16-bit
constexpr uint8_t ALPHA_8BIT_OPAQUE = 252;             // (252 + 4) >> 3 is the first 32

constexpr int SPAN_COUNT_MAX = 255;                    // a span count is one byte
constexpr size_t SPAN_OFFSET_MAX = UINT16_MAX;         // row offsets are 16-bit
constexpr int SPAN_TERMINATOR_BYTES = 4;
constexpr uint8_t SPAN_TERMINATOR = 0xFF;

constexpr int PALETTE_ENTRIES = 256;
constexpr int GIF_HEADER_BYTES = 13;                   // signature and logical screen descriptor
constexpr int32_t GIF_MAX_PIXELS = 32768;              // the key remap counts pixels in 16 bits
constexpr int GIF_DECODED = 0;
constexpr int GIF_FAILED = 1;

// One decoded RGBA or RGB row; the decoder is not reentrant anyway.
static png_byte png_row[PNG_ROW_BYTES];

struct MemoryReader {
    const uint8_t* data;
    int32_t limit;             // bytes that may be read from data
    int32_t offset;            // next byte to read
};

// libpng asks for exact lengths; running out of data is corrupt input, so it
// is reported as an error instead of handing libpng bytes that are not there.
static void png_read_memory(png_structp png, png_bytep out, png_size_t length)
{
    MemoryReader* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    const size_t left = size_t(reader->limit - reader->offset);
    if (length > left)
        png_error(png, "PNG data ends early");
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += int32_t(length);
}

// The game reports nothing to the player; libpng's messages are dropped and
// its errors only unwind to the decoder.
static void png_quiet_error(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

static void png_quiet_warning(png_structp, png_const_charp) {}

// Writes the result globals on success only, so a failed call leaves the
// previous picture's values in place. Corrupt data, a picture wider than the
// row buffer or taller than png_height can say, and interlaced files all end
// at the one jump point.
uint16_t* png_decode_rgb565(uint16_t* dest, const uint8_t* data, int32_t limit)
{
    if (!data || limit < PNG_SIGNATURE_BYTES || png_sig_cmp(data, 0, PNG_SIGNATURE_BYTES) != 0)
        return dest;

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_quiet_error, png_quiet_warning);
    if (!png)
        return dest;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return dest;
    }

    MemoryReader reader = {data, limit, PNG_SIGNATURE_BYTES};
    // Set after the jump point, so it must be volatile to survive the longjmp.
    uint16_t* volatile allocated = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        // A buffer of our own making is half-filled garbage: release it. A
        // caller's buffer is returned to it as it stands.
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(allocated);
        return dest;
    }

    png_set_read_fn(png, &reader, png_read_memory);
    png_set_sig_bytes(png, PNG_SIGNATURE_BYTES);
    png_set_user_limits(png, PNG_MAX_WIDTH, PNG_MAX_HEIGHT);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int depth = png_get_bit_depth(png, info);
    const int colour = png_get_color_type(png, info);
    // Rows are read one at a time with no pass handling.
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
        png_error(png, "interlaced PNG");
    if (width == 0 || height == 0 || width > PNG_MAX_WIDTH || height > PNG_MAX_HEIGHT)
        png_error(png, "PNG size out of range");

    if (depth == 16)
        png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (depth < 8)
        png_set_expand(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_expand(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_read_update_info(png, info);

    const bool has_alpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0;
    const int channels = has_alpha ? 4 : 3;
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != channels ||
        png_get_rowbytes(png, info) != size_t(width) * channels)
        png_error(png, "unexpected PNG row layout");

    const size_t count = size_t(width) * height;
    uint16_t* out = dest;
    if (!out) {
        out = static_cast<uint16_t*>(std::malloc(count * (has_alpha ? 3 : 2)));
        allocated = out;
    }

    uint16_t solid = 1;
    if (has_alpha) {
        uint8_t* alpha = reinterpret_cast<uint8_t*>(out) + count * 2;
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, png_row, nullptr);
            uint16_t* to = out + size_t(y) * width;
            uint8_t* alpha_to = alpha + size_t(y) * width;
            for (png_uint_32 x = 0; x < width; ++x) {
                const png_byte* p = png_row + x * 4;
                const uint16_t c = rgb565(p[0], p[1], p[2]);
                if (c == COLOUR_KEY || p[3] < ALPHA_8BIT_OPAQUE)
                    solid = 0;
                to[x] = c;
                alpha_to[x] = uint8_t((p[3] + 4) >> 3);
            }
        }
    } else {
        // Without alpha nothing is transparent on the plain paths, magenta included.
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, png_row, nullptr);
            uint16_t* to = out + size_t(y) * width;
            for (png_uint_32 x = 0; x < width; ++x) {
                const png_byte* p = png_row + x * 3;
                to[x] = rgb565(p[0], p[1], p[2]);
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);

    png_width = int16_t(width);
    png_height = int16_t(height);
    png_has_alpha = has_alpha ? 1 : 0;
    png_solid = solid;
    return out;
}

Image* load_image(const uint8_t* data, int32_t limit)
{
    uint16_t* pixels = png_decode_rgb565(nullptr, data, limit);
    if (!pixels)
        return nullptr;
    if (png_has_alpha)
        return image_from_rgb565_alpha(pixels, png_width, png_height, png_solid);
    return image_from_rgb565(pixels, png_width, png_height, png_solid);
}

static Image* image_new(void* pixels, uint16_t* palette, int32_t format, int32_t width, int32_t height, int32_t solid)
{
    Image* image = static_cast<Image*>(std::calloc(1, sizeof(Image)));
    image->pixels = pixels;
    image->palette = palette;
    image->format = format;
    image->width = width;
    image->height = height;
    image->solid = solid ? 1 : 0;
    return image;
}

// The builders own what they were given even when they refuse it.
static Image* image_refuse(Image* image)
{
    image_free(image);
    return nullptr;
}

// Kinds of pixel a span list tells apart.
enum SpanKind : uint8_t { SPAN_CLEAR, SPAN_BLEND, SPAN_COPY };

// Builds the span list of the image from classify(row, col). Pairs give
// skip/run (every non-clear pixel is a run); triplets give skip/blend/copy.
// Refuses (false, image untouched) a picture whose counts do not fit a byte
// or whose row offsets do not fit 16 bits.
template <typename Classify>
static bool spans_build(Image* image, bool triplets, Classify classify)
{
    const int32_t w = image->width;
    const int32_t h = image->height;
    if (w < 0 || h < 0)
        return false;

    // A pair row needs at most w + 1 counts; a triplet row at most w triplets.
    const size_t work_size = size_t(h) * (triplets ? size_t(w) * 3 : size_t(w) + 1) + SPAN_TERMINATOR_BYTES;
    uint8_t* work = static_cast<uint8_t*>(std::malloc(work_size));
    uint16_t* offsets = static_cast<uint16_t*>(std::malloc(h > 0 ? size_t(h) * sizeof(uint16_t) : 1));
    size_t length = 0;
    bool fits = true;

    // Counts the pixels of one kind from col on, advancing col.
    auto count_run = [&](int32_t row, int32_t& col, auto accepts) {
        const int32_t start = col;
        while (col < w && accepts(classify(row, col)))
            ++col;
        const int32_t n = col - start;
        if (n > SPAN_COUNT_MAX)
            fits = false;
        work[length++] = uint8_t(n);
    };
    auto is_clear = [](SpanKind k) { return k == SPAN_CLEAR; };
    auto is_opaque = [](SpanKind k) { return k != SPAN_CLEAR; };
    auto is_blend = [](SpanKind k) { return k == SPAN_BLEND; };
    auto is_copy = [](SpanKind k) { return k == SPAN_COPY; };

    for (int32_t row = 0; row < h && fits; ++row) {
        if (length > SPAN_OFFSET_MAX) {
            fits = false;
            break;
        }
        offsets[row] = uint16_t(length);
        int32_t col = 0;
        while (col < w && fits) {
            count_run(row, col, is_clear);
            if (triplets) {
                count_run(row, col, is_blend);
                count_run(row, col, is_copy);
            } else if (col < w) {
                count_run(row, col, is_opaque);
            }
        }
    }
    if (!fits) {
        std::free(work);
        std::free(offsets);
        return false;
    }

    std::memset(work + length, SPAN_TERMINATOR, SPAN_TERMINATOR_BYTES);
    length += SPAN_TERMINATOR_BYTES;
    image->spans = static_cast<uint8_t*>(std::malloc(length));
    std::memcpy(image->spans, work, length);
    std::free(work);
    image->row_offsets = offsets;
    return true;
}

Image* image_from_indexed(uint8_t* pixels, uint16_t* palette, int32_t width, int32_t height, int32_t solid)
{
    Image* image = image_new(pixels, palette, FORMAT_INDEXED8, width, height, solid);
    if (image->solid)
        return image;
    const bool built = spans_build(image, false, [&](int32_t row, int32_t col) {
        return pixels[size_t(row) * width + col] == 0 ? SPAN_CLEAR : SPAN_COPY;
    });
    return built ? image : image_refuse(image);
}

Image* image_from_rgb565(uint16_t* pixels, int32_t width, int32_t height, int32_t solid)
{
    Image* image = image_new(pixels, nullptr, FORMAT_RGB565, width, height, solid);
    if (image->solid)
        return image;
    const bool built = spans_build(image, false, [&](int32_t row, int32_t col) {
        return pixels[size_t(row) * width + col] == COLOUR_KEY ? SPAN_CLEAR : SPAN_COPY;
    });
    return built ? image : image_refuse(image);
}

Image* image_from_rgb565_alpha(uint16_t* pixels, int32_t width, int32_t height, int32_t solid)
{
    Image* image = image_new(pixels, nullptr, FORMAT_RGB565_ALPHA, width, height, solid);
    const size_t count = width > 0 && height > 0 ? size_t(width) * size_t(height) : 0;
    image->alpha = reinterpret_cast<uint8_t*>(pixels + count);
    if (image->solid)
        return image;
    const uint8_t* alpha = image->alpha;
    // Alpha above 32 is not made by the decoder; it counts as opaque so that
    // every pixel belongs to some run.
    const bool built = spans_build(image, true, [&](int32_t row, int32_t col) {
        const size_t i = size_t(row) * width + col;
        if (alpha[i] == 0 || pixels[i] == COLOUR_KEY)
            return SPAN_CLEAR;
        return alpha[i] < OPACITY_FULL ? SPAN_BLEND : SPAN_COPY;
    });
    return built ? image : image_refuse(image);
}

struct GifReader {
    const uint8_t* data;
    int32_t size;
    int32_t offset;
};

// giflib treats a short read as an error, which is what a truncated file is.
static int gif_read_memory(GifFileType* file, GifByteType* out, int length)
{
    GifReader* reader = static_cast<GifReader*>(file->UserData);
    const int32_t left = reader->size - reader->offset;
    const int32_t n = length < 0 ? 0 : (length < left ? length : left);
    std::memcpy(out, reader->data + reader->offset, size_t(n));
    reader->offset += n;
    return n;
}

// Skips an extension's blocks; their contents (transparency flags included)
// play no part, since the colour key decides transparency.
static bool gif_extension_skip(GifFileType* file)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(file, &code, &block) == GIF_ERROR)
        return false;
    while (block)
        if (DGifGetExtensionNext(file, &block) == GIF_ERROR)
            return false;
    return true;
}

// Returns GIF_DECODED, or GIF_FAILED for a broken file or an image outside the
// logical screen. Images after the first are stacked below it for as long as
// they fit in the logical screen's rows (all dest holds); decoding stops at
// the first one that does not.
int gif_decode(const uint8_t* gif, int32_t size, void* dest, uint16_t* palette_dest, int to_rgb565, int stride)
{
    if (!gif || size < GIF_HEADER_BYTES || !dest)
        return GIF_FAILED;
    GifReader reader = {gif, size, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&reader, gif_read_memory, &error);
    if (!file)
        return GIF_FAILED;

    const int bpp = to_rgb565 ? 2 : 1;
    const int32_t screen_w = file->SWidth;
    const int32_t screen_h = file->SHeight;
    uint8_t* line = nullptr;
    uint8_t* base = static_cast<uint8_t*>(dest);
    int32_t base_row = 0;
    int images = 0;
    int result = GIF_DECODED;
    bool done = screen_w <= 0 || screen_h <= 0 || screen_w > stride;
    if (done)
        result = GIF_FAILED;
    else if (to_rgb565)
        line = static_cast<uint8_t*>(std::malloc(size_t(screen_w)));

    while (!done) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(file, &type) == GIF_ERROR) {
            result = GIF_FAILED;
            break;
        }
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!gif_extension_skip(file)) {
                result = GIF_FAILED;
                break;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;

        if (DGifGetImageDesc(file) == GIF_ERROR) {
            result = GIF_FAILED;
            break;
        }
        const GifImageDesc& d = file->Image;
        const bool inside = d.Left >= 0 && d.Top >= 0 && d.Width > 0 && d.Height > 0 &&
                            int64_t(d.Left) + d.Width <= screen_w &&
                            int64_t(base_row) + d.Top + d.Height <= screen_h;
        if (!inside) {
            if (images == 0)
                result = GIF_FAILED;
            break;
        }

        const ColorMapObject* map = d.ColorMap ? d.ColorMap : file->SColorMap;
        uint16_t* palette = to_rgb565 ? gif_palette : palette_dest;
        if (map && palette) {
            for (int i = 0; i < map->ColorCount && i < PALETTE_ENTRIES; ++i) {
                const GifColorType& c = map->Colors[i];
                palette[i] = rgb565(c.Red, c.Green, c.Blue);
            }
        }

        auto read_row = [&](int32_t row) {
            uint8_t* to = base + (size_t(d.Left) + size_t(d.Top + row) * size_t(stride)) * bpp;
            if (!to_rgb565)
                return DGifGetLine(file, to, d.Width) != GIF_ERROR;
            if (DGifGetLine(file, line, d.Width) == GIF_ERROR)
                return false;
            for (int32_t i = 0; i < d.Width; ++i) {
                const uint16_t c = gif_palette[line[i]];
                std::memcpy(to + size_t(i) * 2, &c, sizeof c);
            }
            return true;
        };

        bool rows_ok = true;
        if (d.Interlace) {
            static const int32_t PASS_START[4] = {0, 4, 2, 1};
            static const int32_t PASS_STEP[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4 && rows_ok; ++pass)
                for (int32_t row = PASS_START[pass]; row < d.Height && rows_ok; row += PASS_STEP[pass])
                    rows_ok = read_row(row);
        } else {
            for (int32_t row = 0; row < d.Height && rows_ok; ++row)
                rows_ok = read_row(row);
        }
        if (!rows_ok) {
            result = GIF_FAILED;
            break;
        }
        base += size_t(stride) * size_t(d.Height) * bpp;
        base_row += d.Height;
        ++images;
    }

    std::free(line);
    DGifCloseFile(file, &error);
    return result;
}

// The logical screen is read from the header before giflib sees the file, so
// it is checked here: present, non-empty and small enough for the 16-bit
// pixel count of the remap.
Image* load_gif_image(const uint8_t* gif, int32_t size)
{
    if (!gif || size < GIF_HEADER_BYTES)
        return nullptr;
    const int32_t width = gif[6] | gif[7] << 8;
    const int32_t height = gif[8] | gif[9] << 8;
    if (width == 0 || height == 0 || int64_t(width) * height >= GIF_MAX_PIXELS)
        return nullptr;

    // Zeroed, so that rows the file leaves out and colours it does not list read as index 0 / black.
    uint8_t* pixels = static_cast<uint8_t*>(std::calloc(size_t(width) * height, 1));
    uint16_t* palette = static_cast<uint16_t*>(std::calloc(PALETTE_ENTRIES, sizeof(uint16_t)));
    if (gif_decode(gif, size, pixels, palette, 0, width) != GIF_DECODED) {
        std::free(pixels);
        std::free(palette);
        return nullptr;
    }

    int key = -1;
    for (int i = 0; i < PALETTE_ENTRIES && key < 0; ++i)
        if (palette[i] == COLOUR_KEY)
            key = i;
    if (key < 0)
        return image_from_indexed(pixels, palette, width, height, 1);

    // Move the key colour to index 0, where the span lists and keyed blitters
    // expect the transparent colour, and the colour it displaces to its place.
    for (int i = 0; i < PALETTE_ENTRIES; ++i)
        gif_palette[i] = uint16_t(i);
    gif_palette[0] = uint16_t(key);
    gif_palette[key] = 0;
    palette[key] = palette[0];
    palette[0] = COLOUR_KEY;
    const int16_t count = int16_t(width * height);
    for (int16_t i = 0; i < count; ++i)
        pixels[i] = uint8_t(gif_palette[pixels[i]]);
    return image_from_indexed(pixels, palette, width, height, 0);
}

// The alpha plane lives inside the pixel block and goes with it.
void image_free(Image* image)
{
    if (!image)
        return;
    std::free(image->pixels);
    std::free(image->palette);
    std::free(image->spans);
    std::free(image->row_offsets);
    std::free(image);
}
