// The embedded artwork through the real decoders: every picture has its
// catalogue size and kind, the captions get sound span lists, the creature
// strip's magenta lands on index 0, and the glyph sheet cuts into the digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "assets/assets.h"
#include "assets/catalogue.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"

namespace {

struct EmbeddedPicture {
    const EmbeddedFile* file;
    const char* name;
    int width;
    int height;
    bool palette;     // colour type 3, no transparency: opaque and solid
};

// Sizes and kinds come from the catalogue the game places its sprites by.
constexpr EmbeddedPicture entry(const EmbeddedFile* file, const char* name, const Picture& picture)
{
    return {file, name, picture.width, picture.height, picture.kind == PICTURE_PALETTE};
}

const EmbeddedPicture PICTURES[] = {
    entry(&img_title_logo, "title_logo", PIC_TITLE_LOGO),
    entry(&img_background, "background", PIC_BACKGROUND),
    entry(&img_menu_captions, "menu_captions", PIC_MENU_CAPTIONS),
    entry(&img_instructions, "instructions", PIC_INSTRUCTIONS),
    entry(&img_tutorial_free_line, "tutorial_free_line", PIC_TUTORIAL_FREE_LINE),
    entry(&img_tutorial_cross, "tutorial_cross", PIC_TUTORIAL_CROSS),
    entry(&img_tutorial_demo, "tutorial_demo", PIC_TUTORIAL_DEMO),
    entry(&img_select_shape, "select_shape", PIC_SELECT_SHAPE),
    entry(&img_load_question, "load_question", PIC_LOAD_QUESTION),
    entry(&img_yes_no, "yes_no", PIC_YES_NO),
    entry(&img_pause_button, "pause_button", PIC_PAUSE_BUTTON),
    entry(&img_pause_caption, "pause_caption", PIC_PAUSE_CAPTION),
    entry(&img_level_small, "level_small", PIC_LEVEL_SMALL),
    entry(&img_time_small, "time_small", PIC_TIME_SMALL),
    entry(&img_level_large, "level_large", PIC_LEVEL_LARGE),
    entry(&img_times_up, "times_up", PIC_TIMES_UP),
    entry(&img_game_over, "game_over", PIC_GAME_OVER),
    entry(&img_new_record, "new_record", PIC_NEW_RECORD),
    entry(&img_scores_captions, "scores_captions", PIC_SCORES_CAPTIONS),
    entry(&img_digits_large, "digits_large", PIC_DIGITS_LARGE),
    entry(&img_digits_medium, "digits_medium", PIC_DIGITS_MEDIUM),
    entry(&img_digits_small, "digits_small", PIC_DIGITS_SMALL),
    entry(&img_font_grid, "font_grid", PIC_FONT_GRID),
    entry(&img_square, "square", PIC_SQUARE),
    entry(&img_close_icon, "close_icon", PIC_CLOSE_ICON),
};

// Walks every row of a span list: pairs (formats 1, 2; a row ends with the
// count that reaches the width) or whole triplets (format 3) must add up to
// exactly the width, and the four 0xFF must follow the last row.
void expect_spans_cover_rows(const Image* image, const char* name)
{
    const bool triplets = image->format == FORMAT_RGB565_ALPHA;
    size_t k = 0;
    for (int row = 0; row < image->height; ++row) {
        ASSERT_EQ(image->row_offsets[row], k) << name << " row " << row;
        int pos = 0;
        while (pos < image->width) {
            if (triplets) {
                pos += image->spans[k] + image->spans[k + 1] + image->spans[k + 2];
                k += 3;
            } else {
                pos += image->spans[k++];
                if (pos < image->width)
                    pos += image->spans[k++];
            }
        }
        ASSERT_EQ(pos, image->width) << name << " row " << row;
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(image->spans[k + size_t(i)], 0xFF) << name;
}

}  // namespace

TEST(EmbeddedArt, EveryPngHasItsCatalogueSizeAndKind)
{
    for (const EmbeddedPicture& p : PICTURES) {
        uint16_t* pixels = png_decode_rgb565(nullptr, p.file->data, p.file->size);
        ASSERT_NE(pixels, nullptr) << p.name;
        EXPECT_EQ(png_width, p.width) << p.name;
        EXPECT_EQ(png_height, p.height) << p.name;
        EXPECT_EQ(png_has_alpha, p.palette ? 0 : 1) << p.name;
        if (p.palette) {
            EXPECT_EQ(png_solid, 1) << p.name;
        }
        std::free(pixels);
    }
}

TEST(EmbeddedArt, PicturesLoadAsImagesWithSpanListsWhereTransparent)
{
    for (const EmbeddedPicture& p : PICTURES) {
        if (p.width > 255)
            continue;   // the glyph sheet is only ever cut into a font
        Image* image = load_image(p.file->data, p.file->size);
        ASSERT_NE(image, nullptr) << p.name;
        EXPECT_EQ(image->width, p.width) << p.name;
        EXPECT_EQ(image->height, p.height) << p.name;
        if (p.palette) {
            EXPECT_EQ(image->format, FORMAT_RGB565) << p.name;
            EXPECT_EQ(image->solid, 1) << p.name;
            EXPECT_EQ(image->spans, nullptr) << p.name;
        } else {
            // Every RGBA picture of the game has a transparent surround.
            EXPECT_EQ(image->format, FORMAT_RGB565_ALPHA) << p.name;
            EXPECT_EQ(image->alpha, reinterpret_cast<uint8_t*>(static_cast<uint16_t*>(image->pixels) + p.width * p.height));
            ASSERT_EQ(image->solid, 0) << p.name;
            ASSERT_NE(image->spans, nullptr) << p.name;
            expect_spans_cover_rows(image, p.name);
        }
        image_free(image);
    }
    // 512 transparent pixels in a row cannot be one span count.
    EXPECT_EQ(load_image(img_font_grid.data, img_font_grid.size), nullptr);
}

TEST(EmbeddedArt, CreatureStripKeepsMagentaAtIndexZero)
{
    Image* strip = load_gif_image(img_vertex_strip.data, img_vertex_strip.size);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->format, FORMAT_INDEXED8);
    EXPECT_EQ(strip->width, 14);
    EXPECT_EQ(strip->height, 336);
    EXPECT_EQ(strip->palette[0], COLOUR_KEY);
    for (int i = 1; i < 256; ++i)
        EXPECT_NE(strip->palette[i], COLOUR_KEY) << i;
    ASSERT_EQ(strip->solid, 0);
    expect_spans_cover_rows(strip, "vertex_strip");

    const uint8_t* p = static_cast<const uint8_t*>(strip->pixels);
    EXPECT_GT(std::count(p, p + 14 * 336, 0), 0);
    image_free(strip);
}

// The sheet draws only the digits (and '!'): '1' is 10 wide, the others 11,
// the space as wide as '!', and the digits reach down to row 13 of their cells.
TEST(EmbeddedArt, GlyphSheetCutsIntoTheDigits)
{
    BitmapFont* font = build_font(5, img_font_grid.data, img_font_grid.size);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font_has_alpha[5], 1);
    EXPECT_EQ(font->glyph_height, 14);
    for (int code = '0'; code <= '9'; ++code)
        EXPECT_EQ(font->glyph_widths[code], code == '1' ? 10 : 11) << char(code);
    EXPECT_GT(font->glyph_widths['!'], 0);
    EXPECT_EQ(font->glyph_widths[' '], font->glyph_widths['!']);
    for (int code = 0; code < 32; ++code)
        EXPECT_EQ(font->glyph_widths[code], 0) << code;
    EXPECT_EQ(font->glyph_widths['A'], 0);
}
