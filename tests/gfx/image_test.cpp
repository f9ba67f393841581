// Decoding PNG and GIF files into RGB565 buffers and Images: channel and alpha
// conversion, the solid rule, span lists, the GIF colour-key swap, and what
// happens to broken, truncated and oversized files.
#include <gtest/gtest.h>

#include <gif_lib.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/image.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "png_maker.h"

namespace {

const uint16_t KEY = COLOUR_KEY;

std::vector<uint8_t> span_bytes(const Image* image, size_t count)
{
    return std::vector<uint8_t>(image->spans, image->spans + count);
}

uint16_t* rgb565_block(std::initializer_list<uint16_t> pixels, size_t alpha_bytes = 0)
{
    auto* block = static_cast<uint16_t*>(std::malloc(pixels.size() * 2 + alpha_bytes));
    std::copy(pixels.begin(), pixels.end(), block);
    return block;
}

// A PNG whose every byte decodes, for the truncation and corruption sweeps.
std::vector<uint8_t> small_rgba_png()
{
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 6 * 5; ++i) {
        const uint8_t v = uint8_t(i * 37);
        rgba.insert(rgba.end(), {v, uint8_t(255 - v), uint8_t(v ^ 0x5A), uint8_t(i % 3 ? 255 : 100)});
    }
    return png_make_rgba(6, 5, rgba);
}

}  // namespace

// ---- PNG conversion -------------------------------------------------------

TEST(PngDecode, RgbaChannelsTruncateAndAlphaRoundsToThirtyTwo)
{
    const std::vector<uint8_t> file = png_make_rgba(6, 1, {
        255, 255, 255, 255,
        8, 4, 8, 251,
        0, 0, 0, 3,
        0, 0, 0, 4,
        0x87, 0x46, 0x23, 252,
        0xF8, 0xFC, 0xF8, 0,
    });
    uint16_t* out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(png_width, 6);
    EXPECT_EQ(png_height, 1);
    EXPECT_EQ(png_has_alpha, 1);
    EXPECT_EQ(png_solid, 0);

    const uint16_t expect_pixels[6] = {0xFFFF, 0x0821, 0x0000, 0x0000, 0x8224, 0xFFFF};
    const uint8_t expect_alpha[6] = {32, 31, 0, 1, 32, 0};
    const uint8_t* alpha = reinterpret_cast<const uint8_t*>(out + 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(out[i], expect_pixels[i]) << "pixel " << i;
        EXPECT_EQ(alpha[i], expect_alpha[i]) << "alpha " << i;
    }
    std::free(out);
}

TEST(PngDecode, SolidOnlyWhenEveryAlphaIsFullAndNoPixelIsTheKey)
{
    const std::vector<uint8_t> opaque = png_make_rgba(2, 1, {10, 20, 30, 252, 200, 100, 50, 255});
    uint16_t* out = png_decode_rgb565(nullptr, opaque.data(), int32_t(opaque.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(png_has_alpha, 1);
    EXPECT_EQ(png_solid, 1);
    std::free(out);

    // 0xF8, 0x00, 0xF8 truncates to the key colour: opaque or not, it is a hole.
    const std::vector<uint8_t> keyed = png_make_rgba(2, 1, {0xF8, 0x03, 0xFF, 255, 1, 2, 3, 255});
    out = png_decode_rgb565(nullptr, keyed.data(), int32_t(keyed.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[0], KEY);
    EXPECT_EQ(png_solid, 0);
    std::free(out);

    const std::vector<uint8_t> translucent = png_make_rgba(1, 1, {1, 2, 3, 251});
    out = png_decode_rgb565(nullptr, translucent.data(), int32_t(translucent.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(png_solid, 0);
    std::free(out);
}

TEST(PngDecode, PaletteWithoutTransparencyIsSolidRgbEvenWhereMagenta)
{
    PngPicture pic;
    pic.width = 3;
    pic.height = 2;
    pic.colour_type = PNG_COLOR_TYPE_PALETTE;
    pic.palette = {{255, 0, 255}, {0x12, 0x34, 0x56}, {255, 255, 255}};
    pic.rows = {0, 1, 2, 2, 1, 0};
    const std::vector<uint8_t> file = png_make(pic);
    uint16_t* out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(png_has_alpha, 0);
    EXPECT_EQ(png_solid, 1);
    const uint16_t expect[6] = {KEY, 0x11AA, 0xFFFF, 0xFFFF, 0x11AA, KEY};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(out[i], expect[i]) << i;
    std::free(out);
}

TEST(PngDecode, PaletteWithTransparencyGainsAnAlphaPlane)
{
    PngPicture pic;
    pic.width = 2;
    pic.height = 1;
    pic.colour_type = PNG_COLOR_TYPE_PALETTE;
    pic.palette = {{0, 0, 0}, {255, 255, 255}};
    pic.transparency = {0, 255};
    pic.rows = {0, 1};
    const std::vector<uint8_t> file = png_make(pic);
    uint16_t* out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(png_has_alpha, 1);
    EXPECT_EQ(png_solid, 0);
    const uint8_t* alpha = reinterpret_cast<const uint8_t*>(out + 2);
    EXPECT_EQ(out[1], 0xFFFF);
    EXPECT_EQ(alpha[0], 0);
    EXPECT_EQ(alpha[1], 32);
    std::free(out);
}

// Grey, grey with alpha, 16-bit and 4-bit palette pictures all come out as
// 8-bit RGB(A) before conversion.
TEST(PngDecode, OtherColourTypesAreExpandedToRgb)
{
    PngPicture grey;
    grey.width = 2;
    grey.height = 1;
    grey.colour_type = PNG_COLOR_TYPE_GRAY;
    grey.rows = {0x80, 0xFF};
    std::vector<uint8_t> file = png_make(grey);
    uint16_t* out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(png_has_alpha, 0);
    EXPECT_EQ(out[0], rgb565(0x80, 0x80, 0x80));
    EXPECT_EQ(out[1], 0xFFFF);
    std::free(out);

    PngPicture grey_alpha;
    grey_alpha.width = 1;
    grey_alpha.height = 1;
    grey_alpha.colour_type = PNG_COLOR_TYPE_GRAY_ALPHA;
    grey_alpha.rows = {0x40, 0x80};
    file = png_make(grey_alpha);
    out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(png_has_alpha, 1);
    EXPECT_EQ(out[0], rgb565(0x40, 0x40, 0x40));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(out + 1)[0], (0x80 + 4) >> 3);
    std::free(out);

    PngPicture deep;
    deep.width = 1;
    deep.height = 1;
    deep.colour_type = PNG_COLOR_TYPE_RGB;
    deep.bit_depth = 16;
    deep.rows = {0xF8, 0x01, 0x04, 0xFF, 0x10, 0x00};
    file = png_make(deep);
    out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[0], rgb565(0xF8, 0x04, 0x10));
    std::free(out);

    PngPicture packed;
    packed.width = 3;
    packed.height = 1;
    packed.colour_type = PNG_COLOR_TYPE_PALETTE;
    packed.bit_depth = 4;
    packed.palette = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}};
    packed.rows = {0x12, 0x00};   // indices 1, 2, 0
    file = png_make(packed);
    out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[0], 0xF800);
    EXPECT_EQ(out[1], 0x001F);
    EXPECT_EQ(out[2], 0x0000);
    std::free(out);
}

TEST(PngDecode, DecodesIntoTheCallersBuffer)
{
    const std::vector<uint8_t> file = png_make_rgba(2, 1, {255, 0, 0, 255, 0, 255, 0, 128});
    uint16_t buffer[4] = {0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA};   // 2 pixels + 2 alpha bytes, + spare
    uint16_t* out = png_decode_rgb565(buffer, file.data(), int32_t(file.size()));
    EXPECT_EQ(out, buffer);
    EXPECT_EQ(buffer[0], 0xF800);
    EXPECT_EQ(buffer[1], 0x07E0);
    const uint8_t* alpha = reinterpret_cast<const uint8_t*>(buffer + 2);
    EXPECT_EQ(alpha[0], 32);
    EXPECT_EQ(alpha[1], 16);
    EXPECT_EQ(buffer[3], 0xAAAA);
}

// ---- PNG refusals ---------------------------------------------------------

// Every cut of a good file either fails cleanly or, once all image data is
// in, gives the same picture; result globals survive a failure untouched.
TEST(PngDecodeRefusal, TruncatedFilesFailCleanlyAndKeepThePreviousResults)
{
    const std::vector<uint8_t> file = small_rgba_png();
    uint16_t* whole = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(whole, nullptr);
    const size_t bytes = 6 * 5 * 3;

    // The marker values tell whether a failed call touched the globals.
    const std::vector<uint8_t> marker = png_make_rgba(1, 2, {1, 1, 1, 255, 2, 2, 2, 255});
    for (size_t cut = 0; cut < file.size(); ++cut) {
        std::free(png_decode_rgb565(nullptr, marker.data(), int32_t(marker.size())));
        std::vector<uint8_t> head(file.begin(), file.begin() + ptrdiff_t(cut));
        uint16_t* out = png_decode_rgb565(nullptr, head.data(), int32_t(head.size()));
        if (!out) {
            EXPECT_EQ(png_width, 1) << cut;
            EXPECT_EQ(png_height, 2) << cut;
            continue;
        }
        // Only the end chunk (12 bytes) may be missing from a file that decodes.
        EXPECT_GE(cut, file.size() - 12) << cut;
        EXPECT_EQ(std::memcmp(out, whole, bytes), 0) << cut;
        std::free(out);
    }
    std::free(whole);
}

// The limit, not the buffer, bounds the reader: a limit short of the file is
// a truncated file even when the bytes behind it are readable.
TEST(PngDecodeRefusal, ReadsNoFurtherThanTheLimit)
{
    const std::vector<uint8_t> file = small_rgba_png();
    EXPECT_EQ(png_decode_rgb565(nullptr, file.data(), int32_t(file.size()) - 40), nullptr);
    EXPECT_EQ(png_decode_rgb565(nullptr, file.data(), 7), nullptr);
    EXPECT_EQ(png_decode_rgb565(nullptr, file.data(), -5), nullptr);
}

TEST(PngDecodeRefusal, CorruptBytesAnywhereNeverCrashOrLeak)
{
    const std::vector<uint8_t> file = small_rgba_png();
    int refused = 0;
    for (size_t at = 0; at < file.size(); ++at) {
        std::vector<uint8_t> bad = file;
        bad[at] ^= 0xA5;
        uint16_t* out = png_decode_rgb565(nullptr, bad.data(), int32_t(bad.size()));
        refused += out == nullptr;
        std::free(out);
        Image* image = load_image(bad.data(), int32_t(bad.size()));
        image_free(image);
    }
    // Critical chunks are CRC-checked: almost every flipped byte is refused.
    EXPECT_GT(refused, int(file.size()) * 3 / 4);

    uint8_t noise[300];
    for (size_t i = 0; i < sizeof noise; ++i)
        noise[i] = uint8_t(i * 131 + 7);
    std::memcpy(noise, file.data(), 8);
    EXPECT_EQ(png_decode_rgb565(nullptr, noise, sizeof noise), nullptr);
}

TEST(PngDecodeRefusal, CorruptDataHandsBackTheCallersBuffer)
{
    std::vector<uint8_t> file = small_rgba_png();
    file.resize(file.size() - 30);
    uint16_t buffer[6 * 5 * 3 / 2];
    EXPECT_EQ(png_decode_rgb565(buffer, file.data(), int32_t(file.size())), buffer);
}

TEST(PngDecodeRefusal, InterlacedPicturesAreRefused)
{
    PngPicture pic;
    pic.width = 9;
    pic.height = 9;
    pic.colour_type = PNG_COLOR_TYPE_RGB;
    pic.interlaced = true;
    pic.rows.assign(9 * 9 * 3, 0x40);
    const std::vector<uint8_t> file = png_make(pic);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(png_decode_rgb565(nullptr, file.data(), int32_t(file.size())), nullptr);
    EXPECT_EQ(load_image(file.data(), int32_t(file.size())), nullptr);
}

TEST(PngDecodeRefusal, WidthsBeyondTheRowBufferAreRefused)
{
    PngPicture pic;
    pic.height = 1;
    pic.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
    pic.width = 2048;
    pic.rows.assign(2048 * 4, 0xFF);
    std::vector<uint8_t> file = png_make(pic);
    uint16_t* out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[2047], 0xFFFF);
    std::free(out);

    pic.width = 2049;
    pic.rows.assign(2049 * 4, 0xFF);
    file = png_make(pic);
    EXPECT_EQ(png_decode_rgb565(nullptr, file.data(), int32_t(file.size())), nullptr);
}

// ---- Images and span lists ------------------------------------------------

TEST(ImageSpans, PairsSkipTheKeyAndEndWithWhicheverCountReachesTheWidth)
{
    const uint16_t P1 = 0x1234, P2 = 0x0001, P3 = 0xFFFF;
    uint16_t* pixels = rgb565_block({
        KEY, KEY, P1, P2, KEY, P3,
        P1, P2, P3, P1, P2, P3,
        KEY, KEY, KEY, KEY, KEY, KEY,
        P1, KEY, KEY, KEY, KEY, KEY,
    });
    Image* image = image_from_rgb565(pixels, 6, 4, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_RGB565);
    EXPECT_EQ(image->solid, 0);
    EXPECT_EQ(image->pixels, pixels);
    EXPECT_EQ(image->alpha, nullptr);
    EXPECT_EQ(image->palette, nullptr);
    const std::vector<uint8_t> expect = {
        2, 2, 1, 1,
        0, 6,
        6,
        0, 1, 5,
        0xFF, 0xFF, 0xFF, 0xFF,
    };
    EXPECT_EQ(span_bytes(image, expect.size()), expect);
    EXPECT_EQ(image->row_offsets[0], 0);
    EXPECT_EQ(image->row_offsets[1], 4);
    EXPECT_EQ(image->row_offsets[2], 6);
    EXPECT_EQ(image->row_offsets[3], 7);
    image_free(image);
}

TEST(ImageSpans, IndexedPairsTreatIndexZeroAsTransparent)
{
    auto* pixels = static_cast<uint8_t*>(std::malloc(5));
    const uint8_t row[5] = {3, 0, 0, 7, 0};
    std::memcpy(pixels, row, 5);
    auto* palette = static_cast<uint16_t*>(std::calloc(256, 2));
    Image* image = image_from_indexed(pixels, palette, 5, 1, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_INDEXED8);
    EXPECT_EQ(image->palette, palette);
    const std::vector<uint8_t> expect = {0, 1, 2, 1, 1, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(span_bytes(image, expect.size()), expect);
    image_free(image);
}

TEST(ImageSpans, TripletsSeparateBlendFromCopyAndMayEndInZeros)
{
    uint16_t* pixels = rgb565_block({1, 2, 3, 4, 5, 6, 7, 8, KEY, 9, 10, 11}, 12);
    const uint8_t alpha[12] = {
        0, 0, 16, 32, 32, 0,
        32, 5, 32, 32, 1, 31,
    };
    std::memcpy(pixels + 12, alpha, 12);
    Image* image = image_from_rgb565_alpha(pixels, 6, 2, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_RGB565_ALPHA);
    EXPECT_EQ(image->alpha, reinterpret_cast<uint8_t*>(pixels + 12));
    // Row 2 is copy, blend, key (a skip whatever its alpha), copy, blend, blend.
    const std::vector<uint8_t> expect = {
        2, 1, 2, 1, 0, 0,
        0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 2, 0,
        0xFF, 0xFF, 0xFF, 0xFF,
    };
    EXPECT_EQ(span_bytes(image, expect.size()), expect);
    EXPECT_EQ(image->row_offsets[0], 0);
    EXPECT_EQ(image->row_offsets[1], 6);
    image_free(image);
}

TEST(ImageSpans, SolidImagesCarryNoSpansButKeepTheirAlphaPlane)
{
    uint16_t* pixels = rgb565_block({1, 2}, 2);
    Image* image = image_from_rgb565_alpha(pixels, 2, 1, 1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->solid, 1);
    EXPECT_EQ(image->spans, nullptr);
    EXPECT_EQ(image->row_offsets, nullptr);
    EXPECT_EQ(image->alpha, reinterpret_cast<uint8_t*>(pixels + 2));
    image_free(image);
}

TEST(ImageSpans, LoadImagePicksTheBuilderByAlpha)
{
    const std::vector<uint8_t> opaque = png_make_rgba(2, 1, {10, 20, 30, 255, 40, 50, 60, 255});
    Image* image = load_image(opaque.data(), int32_t(opaque.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_RGB565_ALPHA);
    EXPECT_EQ(image->solid, 1);
    EXPECT_EQ(image->spans, nullptr);
    EXPECT_EQ(image->alpha[0], 32);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 1);
    image_free(image);

    const std::vector<uint8_t> holes = png_make_rgba(3, 1, {1, 1, 1, 0, 200, 200, 200, 255, 9, 9, 9, 100});
    image = load_image(holes.data(), int32_t(holes.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->solid, 0);
    const std::vector<uint8_t> expect = {1, 0, 1, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(span_bytes(image, expect.size()), expect);
    image_free(image);

    PngPicture pal;
    pal.width = 1;
    pal.height = 1;
    pal.colour_type = PNG_COLOR_TYPE_PALETTE;
    pal.palette = {{255, 0, 255}};
    pal.rows = {0};
    const std::vector<uint8_t> plain = png_make(pal);
    image = load_image(plain.data(), int32_t(plain.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_RGB565);
    EXPECT_EQ(image->solid, 1);
    EXPECT_EQ(image->alpha, nullptr);
    EXPECT_EQ(static_cast<uint16_t*>(image->pixels)[0], KEY);
    image_free(image);
}

// Counts are bytes and row offsets 16 bits: what does not fit is refused (and
// the buffers handed over are released), what fits is accepted.
TEST(ImageSpans, PicturesWhoseSpansOverflowAreRefused)
{
    auto* wide = static_cast<uint16_t*>(std::malloc(256 * 2));
    for (int i = 0; i < 256; ++i)
        wide[i] = 0x1111;
    EXPECT_EQ(image_from_rgb565(wide, 256, 1, 0), nullptr);

    // 300 wide but no run longer than 255: fits.
    auto* split = static_cast<uint16_t*>(std::malloc(300 * 2));
    for (int i = 0; i < 300; ++i)
        split[i] = i == 150 ? KEY : 0x2222;
    Image* image = image_from_rgb565(split, 300, 1, 0);
    ASSERT_NE(image, nullptr);
    const std::vector<uint8_t> expect = {0, 150, 1, 149, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(span_bytes(image, expect.size()), expect);
    image_free(image);

    // Alternating pixels from an opaque one: 256 span bytes per 255-pixel row
    // (a zero skip, then 255 ones), so row 256 would start at offset 65536.
    auto make_checker = [](int rows) {
        auto* p = static_cast<uint8_t*>(std::malloc(size_t(255) * rows));
        for (int i = 0; i < 255 * rows; ++i)
            p[i] = uint8_t(((i % 255) & 1) ^ 1);
        return p;
    };
    image = image_from_indexed(make_checker(256), nullptr, 255, 256, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->row_offsets[255], 255 * 256);
    image_free(image);
    EXPECT_EQ(image_from_indexed(make_checker(257), static_cast<uint16_t*>(std::malloc(512)), 255, 257, 0), nullptr);

    auto* long_blend = static_cast<uint16_t*>(std::malloc(256 * 3));
    for (int i = 0; i < 256; ++i)
        long_blend[i] = 0x3333;
    std::memset(long_blend + 256, 16, 256);
    EXPECT_EQ(image_from_rgb565_alpha(long_blend, 256, 1, 0), nullptr);
}

TEST(ImageFree, NullIsIgnored)
{
    image_free(nullptr);
}

// ---- GIF ------------------------------------------------------------------

namespace {

struct GifFrame {
    int left, top, width, height;
    bool interlaced;
    std::vector<uint8_t> pixels;   // width x height indices, in display order
};

int gif_maker_write(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// A GIF89a file with a global colour table (padded to a power of two with
// black), a graphic control extension and the given images.
std::vector<uint8_t> gif_make(int width, int height, const std::vector<std::array<uint8_t, 3>>& colours,
                              const std::vector<GifFrame>& frames)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gif_maker_write, &error);
    EXPECT_NE(gif, nullptr);
    EGifSetGifVersion(gif, true);
    int size = 2;
    while (size < int(colours.size()))
        size *= 2;
    std::vector<GifColorType> table(size_t(size), GifColorType{0, 0, 0});
    for (size_t i = 0; i < colours.size(); ++i)
        table[i] = GifColorType{colours[i][0], colours[i][1], colours[i][2]};
    ColorMapObject* map = GifMakeMapObject(size, table.data());
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    GifFreeMapObject(map);
    const GifByteType control[4] = {0, 0, 0, 0};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    for (const GifFrame& f : frames) {
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, nullptr);
        std::vector<int> order;
        if (f.interlaced) {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int r = start[pass]; r < f.height; r += step[pass])
                    order.push_back(r);
        } else {
            for (int r = 0; r < f.height; ++r)
                order.push_back(r);
        }
        for (int r : order)
            EGifPutLine(gif, const_cast<GifPixelType*>(f.pixels.data() + size_t(r) * f.width), f.width);
    }
    EGifCloseFile(gif, &error);
    return out;
}

std::vector<uint8_t> ramp(int count, int modulo)
{
    std::vector<uint8_t> v(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        v[size_t(i)] = uint8_t(i % modulo);
    return v;
}

const std::vector<std::array<uint8_t, 3>> EIGHT_COLOURS = {
    {0x10, 0x20, 0x30}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255},
    {255, 255, 255}, {0, 0, 0}, {0x80, 0x80, 0x80}, {255, 0, 255},
};

}  // namespace

TEST(GifDecode, IndicesAndPaletteComeOutAsStored)
{
    const std::vector<uint8_t> pixels = ramp(4 * 3, 8);
    const std::vector<uint8_t> file = gif_make(4, 3, EIGHT_COLOURS, {{0, 0, 4, 3, false, pixels}});
    uint8_t dest[12];
    uint16_t palette[256];
    std::fill(palette, palette + 256, 0xBEEF);
    ASSERT_EQ(gif_decode(file.data(), int32_t(file.size()), dest, palette, 0, 4), 0);
    EXPECT_EQ(std::vector<uint8_t>(dest, dest + 12), pixels);
    EXPECT_EQ(palette[0], rgb565(0x10, 0x20, 0x30));
    EXPECT_EQ(palette[1], 0xF800);
    EXPECT_EQ(palette[7], KEY);
    EXPECT_EQ(palette[8], 0xBEEF);   // beyond the colour table: untouched
}

TEST(GifDecode, InterlacedRowsLandInDisplayOrder)
{
    const std::vector<uint8_t> pixels = ramp(3 * 11, 7);
    const std::vector<uint8_t> file = gif_make(3, 11, EIGHT_COLOURS, {{0, 0, 3, 11, true, pixels}});
    uint8_t dest[33];
    uint16_t palette[256];
    ASSERT_EQ(gif_decode(file.data(), int32_t(file.size()), dest, palette, 0, 3), 0);
    EXPECT_EQ(std::vector<uint8_t>(dest, dest + 33), pixels);
}

// Straight to RGB565 at a wider stride, with an image placed inside the
// screen: the colours go to gif_palette and only the image's pixels are written.
TEST(GifDecode, ToRgb565AtAStrideWithAnOffsetImage)
{
    const std::vector<uint8_t> file = gif_make(4, 3, EIGHT_COLOURS, {{1, 1, 2, 2, false, {1, 2, 3, 4}}});
    uint16_t dest[6 * 3];
    std::fill(dest, dest + 18, 0x5555);
    ASSERT_EQ(gif_decode(file.data(), int32_t(file.size()), dest, nullptr, 1, 6), 0);
    EXPECT_EQ(gif_palette[3], 0x001F);
    const uint16_t W = 0x5555;
    const uint16_t expect[18] = {
        W, W, W, W, W, W,
        W, 0xF800, 0x07E0, W, W, W,
        W, 0x001F, 0xFFFF, W, W, W,
    };
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(dest[i], expect[i]) << i;
}

TEST(GifDecode, FurtherImagesStackBelowWhileTheyFit)
{
    const std::vector<uint8_t> file = gif_make(2, 4, EIGHT_COLOURS, {
        {0, 0, 2, 2, false, {1, 2, 3, 4}},
        {0, 0, 2, 2, false, {5, 6, 7, 1}},
        {0, 0, 2, 2, false, {2, 2, 2, 2}},   // no room left: ignored
    });
    uint8_t dest[8 + 4];
    std::fill(dest, dest + 12, 0xEE);
    ASSERT_EQ(gif_decode(file.data(), int32_t(file.size()), dest, gif_palette, 0, 2), 0);
    const uint8_t expect[12] = {1, 2, 3, 4, 5, 6, 7, 1, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(std::memcmp(dest, expect, 12), 0);
}

TEST(GifLoad, KeyColourMovesToIndexZero)
{
    // Index 0 and 7 (the magenta) both appear; 3 stays put.
    const std::vector<uint8_t> pixels = {0, 7, 3, 0, 7, 7, 1, 0};
    const std::vector<uint8_t> file = gif_make(4, 2, EIGHT_COLOURS, {{0, 0, 4, 2, false, pixels}});
    Image* image = load_gif_image(file.data(), int32_t(file.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_INDEXED8);
    EXPECT_EQ(image->solid, 0);
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->palette[0], KEY);
    EXPECT_EQ(image->palette[7], rgb565(0x10, 0x20, 0x30));
    EXPECT_EQ(image->palette[3], 0x001F);
    const uint8_t expect[8] = {7, 0, 3, 7, 0, 0, 1, 7};
    EXPECT_EQ(std::memcmp(image->pixels, expect, 8), 0);
    // Spans follow the new index 0.
    const std::vector<uint8_t> spans = {0, 1, 1, 2, 2, 2, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(span_bytes(image, spans.size()), spans);
    EXPECT_EQ(image->row_offsets[1], 4);
    image_free(image);
}

TEST(GifLoad, WithoutTheKeyTheImageIsSolid)
{
    const std::vector<std::array<uint8_t, 3>> colours = {{1, 2, 3}, {200, 100, 50}};
    const std::vector<uint8_t> file = gif_make(2, 2, colours, {{0, 0, 2, 2, false, {0, 1, 1, 0}}});
    Image* image = load_gif_image(file.data(), int32_t(file.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->solid, 1);
    EXPECT_EQ(image->spans, nullptr);
    EXPECT_EQ(image->palette[1], rgb565(200, 100, 50));
    const uint8_t expect[4] = {0, 1, 1, 0};
    EXPECT_EQ(std::memcmp(image->pixels, expect, 4), 0);
    image_free(image);
}

TEST(GifLoad, UnsoundScreensAndImagesAreRefused)
{
    // Logical screen of zero width, and of 32768 pixels.
    std::vector<uint8_t> file = gif_make(4, 2, EIGHT_COLOURS, {{0, 0, 4, 2, false, ramp(8, 8)}});
    std::vector<uint8_t> bad = file;
    bad[6] = bad[7] = 0;
    EXPECT_EQ(load_gif_image(bad.data(), int32_t(bad.size())), nullptr);
    bad = file;
    bad[6] = 0x00;
    bad[7] = 0x01;   // 256 wide
    bad[8] = 0x80;   // 128 high
    bad[9] = 0x00;
    EXPECT_EQ(load_gif_image(bad.data(), int32_t(bad.size())), nullptr);
    bad[6] = bad[7] = bad[8] = bad[9] = 0xFF;
    EXPECT_EQ(load_gif_image(bad.data(), int32_t(bad.size())), nullptr);

    // An image reaching past the logical screen.
    file = gif_make(4, 2, EIGHT_COLOURS, {{2, 0, 4, 2, false, ramp(8, 8)}});
    EXPECT_EQ(load_gif_image(file.data(), int32_t(file.size())), nullptr);

    // Too short to hold the header.
    EXPECT_EQ(load_gif_image(file.data(), 12), nullptr);
    EXPECT_EQ(load_gif_image(nullptr, 100), nullptr);
}

TEST(GifLoad, TruncatedAndCorruptFilesFailCleanly)
{
    const std::vector<uint8_t> pixels = ramp(14 * 20, 8);
    const std::vector<uint8_t> file = gif_make(14, 20, EIGHT_COLOURS, {{0, 0, 14, 20, true, pixels}});
    Image* whole = load_gif_image(file.data(), int32_t(file.size()));
    ASSERT_NE(whole, nullptr);
    image_free(whole);

    for (size_t cut = 0; cut < file.size(); ++cut) {
        std::vector<uint8_t> head(file.begin(), file.begin() + ptrdiff_t(cut));
        Image* image = load_gif_image(head.data(), int32_t(head.size()));
        // Without the terminator the file is not complete.
        EXPECT_EQ(image, nullptr) << cut;
        image_free(image);
    }
    for (size_t at = 0; at < file.size(); ++at) {
        for (uint8_t flip : {uint8_t(0x01), uint8_t(0x80), uint8_t(0xFF)}) {
            std::vector<uint8_t> bad = file;
            bad[at] ^= flip;
            image_free(load_gif_image(bad.data(), int32_t(bad.size())));
            // The caller sizes dest by the screen the file announces.
            const int w = bad[6] | bad[7] << 8, h = bad[8] | bad[9] << 8;
            std::vector<uint16_t> rgb(size_t(w) * size_t(h) + 1);
            gif_decode(bad.data(), int32_t(bad.size()), rgb.data(), nullptr, 1, w);
        }
    }
}
