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
using Bytes = std::vector<uint8_t>;

struct Decoded {
    std::vector<uint16_t> pixels;
    Bytes alpha;
    bool ok = false;
};

// Decodes into a fresh buffer; copies the pixels (and alpha plane) out.
Decoded decode(const Bytes& file)
{
    Decoded d;
    uint16_t* out = png_decode_rgb565(nullptr, file.data(), int32_t(file.size()));
    if (!out)
        return d;
    const size_t n = size_t(png_width) * size_t(png_height);
    d.pixels.assign(out, out + n);
    if (png_has_alpha)
        d.alpha.assign(reinterpret_cast<uint8_t*>(out + n), reinterpret_cast<uint8_t*>(out + n) + n);
    d.ok = true;
    std::free(out);
    return d;
}

Bytes spans_of(const Image* image, size_t count)
{
    return Bytes(image->spans, image->spans + count);
}

template <typename T>
T* block(std::initializer_list<T> values, size_t extra_bytes = 0)
{
    T* p = static_cast<T*>(std::malloc(values.size() * sizeof(T) + extra_bytes));
    std::copy(values.begin(), values.end(), p);
    return p;
}

}  // namespace

TEST(PngDecode, ChannelsTruncateAlphaRoundsAndSolidNeedsFullAlpha)
{
    const Decoded d = decode(png_make_rgba(5, 1, {255, 255, 255, 255, 8, 4, 8, 251, 0, 0, 0, 3, 0, 0, 0, 4,
                                                  0x87, 0x46, 0x23, 252}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(png_width, 5);
    EXPECT_EQ(png_height, 1);
    EXPECT_EQ(png_has_alpha, 1);
    EXPECT_EQ(png_solid, 0);
    EXPECT_EQ(d.pixels, (std::vector<uint16_t>{0xFFFF, 0x0821, 0x0000, 0x0000, 0x8224}));
    EXPECT_EQ(d.alpha, (Bytes{32, 31, 0, 1, 32}));

    ASSERT_TRUE(decode(png_make_rgba(2, 1, {10, 20, 30, 252, 200, 100, 50, 255})).ok);
    EXPECT_EQ(png_solid, 1);
    // (0xF8, 0x03, 0xFF) truncates to the key: a hole even when opaque.
    EXPECT_EQ(decode(png_make_rgba(1, 1, {0xF8, 0x03, 0xFF, 255})).pixels[0], KEY);
    EXPECT_EQ(png_solid, 0);
}

// Palette, grey and 16-bit pictures all reach the conversion as 8-bit RGB(A).
TEST(PngDecode, OtherColourTypesAreExpanded)
{
    PngPicture pal;
    pal.width = 3;
    pal.colour_type = PNG_COLOR_TYPE_PALETTE;
    pal.palette = {{255, 0, 255}, {0x12, 0x34, 0x56}, {255, 255, 255}};
    pal.rows = {0, 1, 2};
    Decoded d = decode(png_make(pal));
    EXPECT_EQ(d.pixels, (std::vector<uint16_t>{KEY, 0x11AA, 0xFFFF}));   // magenta stays a colour
    EXPECT_EQ(png_has_alpha, 0);
    EXPECT_EQ(png_solid, 1);

    pal.transparency = {0, 255};
    d = decode(png_make(pal));
    EXPECT_EQ(png_has_alpha, 1);
    EXPECT_EQ(d.alpha, (Bytes{0, 32, 32}));

    PngPicture grey;
    grey.width = 2;
    grey.colour_type = PNG_COLOR_TYPE_GRAY_ALPHA;
    grey.rows = {0x80, 0x80, 0xFF, 0xFF};
    d = decode(png_make(grey));
    EXPECT_EQ(d.pixels, (std::vector<uint16_t>{rgb565(0x80, 0x80, 0x80), 0xFFFF}));
    EXPECT_EQ(d.alpha, (Bytes{16, 32}));

    PngPicture deep;
    deep.colour_type = PNG_COLOR_TYPE_RGB;
    deep.bit_depth = 16;
    deep.rows = {0xF8, 0x01, 0x04, 0xFF, 0x10, 0x00};
    EXPECT_EQ(decode(png_make(deep)).pixels, (std::vector<uint16_t>{rgb565(0xF8, 0x04, 0x10)}));
}

// Every cut of a good file and every flipped byte either fails cleanly or
// decodes the same picture; a failure leaves the result globals and a
// caller's buffer in place. Interlaced and over-wide pictures are refused.
TEST(PngDecode, BrokenAndUnsupportedFilesFailCleanly)
{
    Bytes rgba;
    for (int i = 0; i < 30; ++i)
        rgba.insert(rgba.end(), {uint8_t(i * 37), uint8_t(255 - i), uint8_t(i ^ 0x5A), uint8_t(i % 3 ? 255 : 100)});
    const Bytes file = png_make_rgba(6, 5, rgba);
    const Decoded whole = decode(file);
    const Bytes marker = png_make_rgba(1, 2, {1, 1, 1, 255, 2, 2, 2, 255});

    int refused = 0;
    for (size_t i = 0; i < file.size() * 2; ++i) {
        const bool cut = i < file.size();
        Bytes bad = file;
        if (cut)
            bad.resize(i);
        else
            bad[i - file.size()] ^= 0xA5;
        ASSERT_TRUE(decode(marker).ok);
        const Decoded d = decode(bad);
        if (d.ok) {
            EXPECT_EQ(d.pixels, whole.pixels) << i;
            if (cut) {
                EXPECT_GE(i, file.size() - 12);   // only the end chunk may be missing
            }
        } else {
            ++refused;
            EXPECT_EQ(png_height, 2) << i;
        }
        image_free(load_image(bad.data(), int32_t(bad.size())));
    }
    EXPECT_GT(refused, int(file.size()) * 7 / 4);

    uint16_t buffer[45];
    EXPECT_EQ(png_decode_rgb565(buffer, file.data(), int32_t(file.size()) - 30), buffer);
    EXPECT_EQ(png_decode_rgb565(nullptr, file.data(), 7), nullptr);

    PngPicture pic;
    pic.width = 9;
    pic.height = 9;
    pic.colour_type = PNG_COLOR_TYPE_RGB;
    pic.rows.assign(9 * 9 * 3, 0x40);
    EXPECT_TRUE(decode(png_make(pic)).ok);
    pic.interlaced = true;
    EXPECT_FALSE(decode(png_make(pic)).ok);

    pic = PngPicture{};
    pic.width = 2048;
    pic.rows.assign(2048 * 4, 0xFF);
    EXPECT_TRUE(decode(png_make(pic)).ok);
    pic.width = 2049;
    pic.rows.assign(2049 * 4, 0xFF);
    EXPECT_FALSE(decode(png_make(pic)).ok);
}

TEST(ImageSpans, PairsAndTripletsPerRow)
{
    const uint16_t P = 0x1234;
    Image* image = image_from_rgb565(block<uint16_t>({KEY, KEY, P, P, KEY, P, /**/ P, P, P, P, P, KEY}), 6, 2, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_RGB565);
    EXPECT_EQ(spans_of(image, 11), (Bytes{2, 2, 1, 1, /**/ 0, 5, 1, /**/ 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(image->row_offsets[1], 4);
    image_free(image);

    image = image_from_indexed(block<uint8_t>({3, 0, 0, 7, 0}), block<uint16_t>({}, 512), 5, 1, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(spans_of(image, 9), (Bytes{0, 1, 2, 1, 1, 0xFF, 0xFF, 0xFF, 0xFF}));
    image_free(image);

    // Row 2: copy, blend, key (a skip whatever its alpha), copy, blend, blend.
    uint16_t* pixels = block<uint16_t>({1, 2, 3, 4, 5, 6, 7, 8, KEY, 9, 10, 11}, 12);
    const uint8_t alpha[12] = {0, 0, 16, 32, 32, 0, /**/ 32, 5, 32, 32, 1, 31};
    std::memcpy(pixels + 12, alpha, 12);
    image = image_from_rgb565_alpha(pixels, 6, 2, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->alpha, reinterpret_cast<uint8_t*>(pixels + 12));
    EXPECT_EQ(spans_of(image, 22), (Bytes{2, 1, 2, 1, 0, 0, /**/ 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 2, 0,
                                          /**/ 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(image->row_offsets[1], 6);
    image_free(image);
}

TEST(ImageSpans, LoadImageAndTheLimitsOfSpanLists)
{
    Bytes file = png_make_rgba(2, 1, {10, 20, 30, 255, 40, 50, 60, 255});
    Image* image = load_image(file.data(), int32_t(file.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_RGB565_ALPHA);
    EXPECT_EQ(image->solid, 1);
    EXPECT_EQ(image->spans, nullptr);
    EXPECT_EQ(image->row_offsets, nullptr);
    EXPECT_EQ(image->alpha[1], 32);
    image_free(image);

    PngPicture pal;
    pal.colour_type = PNG_COLOR_TYPE_PALETTE;
    pal.palette = {{255, 0, 255}};
    pal.rows = {0};
    file = png_make(pal);
    image = load_image(file.data(), int32_t(file.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_RGB565);
    EXPECT_EQ(image->solid, 1);
    EXPECT_EQ(image->alpha, nullptr);
    image_free(image);

    // A 256-pixel run does not fit a count byte; 300 wide with shorter runs does.
    auto row = [](int width, int key_at) {
        auto* p = static_cast<uint16_t*>(std::malloc(size_t(width) * 3));
        for (int i = 0; i < width; ++i)
            p[i] = i == key_at ? KEY : 0x2222;
        std::memset(p + width, 16, size_t(width));
        return p;
    };
    EXPECT_EQ(image_from_rgb565(row(256, -1), 256, 1, 0), nullptr);
    EXPECT_EQ(image_from_rgb565_alpha(row(256, -1), 256, 1, 0), nullptr);
    image = image_from_rgb565(row(300, 150), 300, 1, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(spans_of(image, 8), (Bytes{0, 150, 1, 149, 0xFF, 0xFF, 0xFF, 0xFF}));
    image_free(image);

    // Alternating pixels from an opaque one take 256 span bytes per 255-pixel
    // row, so row 256 would start at offset 65536.
    auto checker = [](int rows) {
        auto* p = static_cast<uint8_t*>(std::malloc(size_t(255) * rows));
        for (int i = 0; i < 255 * rows; ++i)
            p[i] = uint8_t(((i % 255) & 1) ^ 1);
        return p;
    };
    image = image_from_indexed(checker(256), nullptr, 255, 256, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->row_offsets[255], 255 * 256);
    image_free(image);
    EXPECT_EQ(image_from_indexed(checker(257), nullptr, 255, 257, 0), nullptr);
}

namespace {

struct GifFrame {
    int left, top, width, height;
    bool interlaced;
    Bytes pixels;   // indices in display order
};

const std::vector<std::array<uint8_t, 3>> EIGHT_COLOURS = {
    {0x10, 0x20, 0x30}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {0x80, 0x80, 0x80},
    {255, 0, 255},
};

int gif_maker_write(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// A GIF89a with the colours as its global table, a graphic control extension
// and the frames; interlaced frames are written in pass order.
Bytes gif_make(int width, int height, const std::vector<GifFrame>& frames,
               const std::vector<std::array<uint8_t, 3>>& colours = EIGHT_COLOURS)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gif_maker_write, &error);
    EGifSetGifVersion(gif, true);
    std::vector<GifColorType> table(8, GifColorType{0, 0, 0});
    for (size_t i = 0; i < colours.size(); ++i)
        table[i] = GifColorType{colours[i][0], colours[i][1], colours[i][2]};
    ColorMapObject* map = GifMakeMapObject(8, table.data());
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    GifFreeMapObject(map);
    const GifByteType control[4] = {0, 0, 0, 0};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    for (const GifFrame& f : frames) {
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, nullptr);
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < (f.interlaced ? 4 : 1); ++pass)
            for (int r = f.interlaced ? start[pass] : 0; r < f.height; r += f.interlaced ? step[pass] : 1)
                EGifPutLine(gif, const_cast<GifPixelType*>(&f.pixels[size_t(r) * f.width]), f.width);
    }
    EGifCloseFile(gif, &error);
    return out;
}

Bytes ramp(int count)
{
    Bytes v;
    for (int i = 0; i < count; ++i)
        v.push_back(uint8_t(i % 7));
    return v;
}

}  // namespace

TEST(GifDecode, InterlacedStridedAndStackedImages)
{
    const Bytes pixels = ramp(3 * 11);
    Bytes file = gif_make(3, 11, {{0, 0, 3, 11, true, pixels}});
    Bytes dest(33);
    uint16_t palette[256];
    std::fill(palette, palette + 256, 0xBEEF);
    ASSERT_EQ(gif_decode(file.data(), int32_t(file.size()), dest.data(), palette, 0, 3), 0);
    EXPECT_EQ(dest, pixels);
    EXPECT_EQ(palette[0], rgb565(0x10, 0x20, 0x30));
    EXPECT_EQ(palette[7], KEY);
    EXPECT_EQ(palette[8], 0xBEEF);   // beyond the colour table: untouched

    // Straight to RGB565 at stride 6: only the 2 x 2 image at (1, 1) is written.
    file = gif_make(4, 3, {{1, 1, 2, 2, false, {1, 2, 3, 4}}});
    std::vector<uint16_t> rgb(18, 0x5555);
    ASSERT_EQ(gif_decode(file.data(), int32_t(file.size()), rgb.data(), nullptr, 1, 6), 0);
    const uint16_t W = 0x5555;
    EXPECT_EQ(rgb, (std::vector<uint16_t>{W, W, W, W, W, W, W, 0xF800, 0x07E0, W, W, W, W, 0x001F, 0xFFFF, W, W, W}));
    EXPECT_EQ(gif_palette[3], 0x001F);

    // Later images stack below the first while the screen's rows hold them.
    file = gif_make(2, 4, {{0, 0, 2, 2, false, {1, 2, 3, 4}}, {0, 0, 2, 2, false, {5, 6, 7, 1}},
                           {0, 0, 2, 2, false, {2, 2, 2, 2}}});
    dest.assign(12, 0xEE);
    ASSERT_EQ(gif_decode(file.data(), int32_t(file.size()), dest.data(), palette, 0, 2), 0);
    EXPECT_EQ(dest, (Bytes{1, 2, 3, 4, 5, 6, 7, 1, 0xEE, 0xEE, 0xEE, 0xEE}));
}

// The key at index 7 swaps places with index 0, in the palette and the pixels.
TEST(GifLoad, KeyColourMovesToIndexZero)
{
    const Bytes file = gif_make(4, 2, {{0, 0, 4, 2, false, {0, 7, 3, 0, 7, 7, 1, 0}}});
    Image* image = load_gif_image(file.data(), int32_t(file.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, FORMAT_INDEXED8);
    EXPECT_EQ(image->solid, 0);
    EXPECT_EQ(image->palette[0], KEY);
    EXPECT_EQ(image->palette[7], rgb565(0x10, 0x20, 0x30));
    EXPECT_EQ(image->palette[3], 0x001F);
    const uint8_t* p = static_cast<const uint8_t*>(image->pixels);
    EXPECT_EQ(Bytes(p, p + 8), (Bytes{7, 0, 3, 7, 0, 0, 1, 7}));
    EXPECT_EQ(spans_of(image, 10), (Bytes{0, 1, 1, 2, 2, 2, 0xFF, 0xFF, 0xFF, 0xFF}));
    image_free(image);

    const Bytes plain = gif_make(2, 1, {{0, 0, 2, 1, false, {0, 1}}}, {{1, 2, 3}, {200, 100, 50}});
    image = load_gif_image(plain.data(), int32_t(plain.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->solid, 1);
    EXPECT_EQ(image->spans, nullptr);
    EXPECT_EQ(image->palette[1], rgb565(200, 100, 50));
    image_free(image);
}

TEST(GifLoad, UnsoundTruncatedAndCorruptFilesFailCleanly)
{
    const Bytes file = gif_make(14, 20, {{0, 0, 14, 20, true, ramp(14 * 20)}});
    Image* whole = load_gif_image(file.data(), int32_t(file.size()));
    ASSERT_NE(whole, nullptr);
    image_free(whole);

    // Screens of no pixels, of 32768 and of 65535 x 65535; an image outside its screen.
    for (const Bytes& size : {Bytes{0, 0, 20, 0}, Bytes{0, 1, 128, 0}, Bytes{0xFF, 0xFF, 0xFF, 0xFF}}) {
        Bytes bad = file;
        std::copy(size.begin(), size.end(), bad.begin() + 6);
        EXPECT_EQ(load_gif_image(bad.data(), int32_t(bad.size())), nullptr);
    }
    const Bytes outside = gif_make(4, 2, {{2, 0, 4, 2, false, ramp(8)}});
    EXPECT_EQ(load_gif_image(outside.data(), int32_t(outside.size())), nullptr);

    for (size_t cut = 0; cut < file.size(); ++cut) {
        const Bytes head(file.begin(), file.begin() + ptrdiff_t(cut));
        EXPECT_EQ(load_gif_image(head.data(), int32_t(head.size())), nullptr) << cut;
    }
    for (size_t at = 0; at < file.size(); ++at)
        for (uint8_t flip : {0x01, 0x80, 0xFF}) {
            Bytes bad = file;
            bad[at] ^= flip;
            image_free(load_gif_image(bad.data(), int32_t(bad.size())));
            // A caller sizes dest by the screen the file announces.
            const int w = bad[6] | bad[7] << 8, h = bad[8] | bad[9] << 8;
            std::vector<uint16_t> rgb(size_t(w) * size_t(h) + 1);
            gif_decode(bad.data(), int32_t(bad.size()), rgb.data(), nullptr, 1, w);
        }
}
