// Renders a proof sheet of the game's artwork through the game's own engine,
// headless: the embedded pictures are decoded by our decoders, placed as
// sprites, slots, text rows and line lists, and composed into the back buffer,
// exactly as the game would show them. Five screens are composed one after
// another (title, captions, tutorial, play, instructions) and written side by
// side at 1x and with every pixel doubled, so that the art can be judged at
// the size a player sees it.
//
//   render_scene [out_1x.png [out_2x.png]]   (defaults: docs/art_scene*.png)

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "assets/assets.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "game/graph.h"
#include "game/ui.h"
#include "gfx/slot.h"
#include "scene/compose.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "scene/text.h"

namespace {

constexpr int SCREENS = 5;
constexpr int SHEET_WIDTH = SCREEN_WIDTH * SCREENS;
constexpr uint16_t EDGE_CROSSING = 0xFFFF;
constexpr uint16_t EDGE_FREE = COLOUR_EDGE_FREE;

// Slots, layers and ids are the game's own, so the stacking is the game's.
constexpr uint8_t PAGE_SLOT = PICTURE_SLOT;
constexpr int16_t CREATURE_LAYER = VERTEX_LAYER;
constexpr int GLOW_BASE = GLOW_SPRITE_BASE;
constexpr int UI_BASE = SPRITE_CLOSE;

std::vector<uint16_t> sheet(SHEET_WIDTH * BACK_BUFFER_HEIGHT);
int next_ui_id = UI_BASE;

// Every picture decoded once for the whole run.
struct Pictures {
    Image* logo;
    Image* menu;
    Image* instructions;
    Image* free_line;
    Image* cross;
    Image* demo;
    Image* select_shape;
    Image* load_question;
    Image* yes_no;
    Image* pause_button;
    Image* pause_caption;
    Image* level_small;
    Image* time_small;
    Image* level_large;
    Image* times_up;
    Image* game_over;
    Image* new_record;
    Image* scores;
    Image* digits_large;
    Image* digits_medium;
    Image* digits_small;
    Image* square;
    Image* close_icon;
    Image* creatures;
};

Image* load(const EmbeddedFile& file)
{
    Image* image = load_image(file.data, file.size);
    if (!image) {
        std::fprintf(stderr, "render_scene: an embedded picture does not decode\n");
        std::exit(1);
    }
    return image;
}

// A user-interface sprite showing one frame cell of a strip, centred at (x, y).
Sprite* place(const Image* image, int16_t cell_w, int16_t cell_h, int16_t frame, int16_t x, int16_t y,
              int16_t layer = 1)
{
    Sprite* s = sprite_create(next_ui_id++, image, cell_w, cell_h, x, y);
    s->frame = frame;
    s->layer = layer;
    return s;
}

// The same with the frame cell of a catalogued picture.
Sprite* place(const Image* image, const Picture& picture, int16_t frame, int16_t x, int16_t y, int16_t layer = 1)
{
    return place(image, picture.cell_w, picture.cell_h, frame, x, y, layer);
}

// A whole picture by its top-left corner (the sprite itself is placed by its centre).
Sprite* place_at(const Image* image, int16_t left, int16_t top, int16_t layer = 1)
{
    int16_t w = int16_t(image->width);
    int16_t h = int16_t(image->height);
    return place(image, w, h, 0, int16_t(left + (w >> 1)), int16_t(top + (h >> 1)), layer);
}

// Hides every sprite and line and the page slot, so each screen starts from the background alone.
void screen_clear()
{
    for (int id = 0; id < SPRITE_TABLE_SIZE; ++id)
        if (sprite_table[id])
            sprite_table[id]->active = 0;
    next_ui_id = UI_BASE;
    shape_list_clear(EDGE_SLOT);
    text_row_set(TEXT_SLOT, 0, 0, 0, 239, 319, "", 0, 5, 32, 1, 0, TEXT_ALIGN_CENTRE, 0, 100);
    text_row_set(TEXT_SLOT, 1, 0, 0, 239, 319, "", 0, 5, 32, 1, 0, TEXT_ALIGN_CENTRE, 0, 100);
    slot_free(PAGE_SLOT);
}

void screen_compose()
{
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    compose_frame(0, LAYER_COUNT - 1);
}

void screen_keep(int index)
{
    for (int y = 0; y < BACK_BUFFER_HEIGHT; ++y)
        std::memcpy(&sheet[y * SHEET_WIDTH + index * SCREEN_WIDTH], &back_buffer[y * SCREEN_WIDTH],
                    SCREEN_WIDTH * sizeof(uint16_t));
}

// The title screen as the game shows it: logo centred six rows above the middle, close button.
void screen_title(const Pictures& p)
{
    screen_clear();
    place(p.close_icon, PIC_CLOSE_ICON, 0, 232, 9);
    place(p.logo, PIC_TITLE_LOGO, 0, 120, 154);
    place(p.pause_caption, PIC_PAUSE_CAPTION, 0, 120, 44);
    place(p.new_record, PIC_NEW_RECORD, 0, 120, 262);
    screen_compose();
    screen_keep(0);
}

// Every caption strip and single caption that fits on one screen, one under another.
void screen_captions(const Pictures& p)
{
    screen_clear();
    for (int16_t row = 0; row < 7; ++row)
        place(p.menu, PIC_MENU_CAPTIONS, row, 120, int16_t(14 + 22 * row));
    place_at(p.select_shape, 16, 160);
    place_at(p.load_question, 1, 184);
    place(p.scores, PIC_SCORES_CAPTIONS, 0, 120, 218);
    place(p.scores, PIC_SCORES_CAPTIONS, 1, 120, 241);
    place_at(p.times_up, 15, 256);
    place(p.yes_no, PIC_YES_NO, 0, 60, 297);
    place(p.yes_no, PIC_YES_NO, 1, 180, 297);
    screen_compose();
    screen_keep(1);
}

// The tutorial captions and the end-of-game captions.
void screen_tutorial(const Pictures& p)
{
    screen_clear();
    place_at(p.demo, 0, 2);
    place_at(p.cross, 12, 72);
    place_at(p.free_line, 28, 140);
    place_at(p.game_over, 2, 214);
    place(p.digits_large, PIC_DIGITS_LARGE, 4, 184, 240);
    place(p.digits_large, PIC_DIGITS_LARGE, 12, 209, 240);
    place(p.digits_medium, PIC_DIGITS_MEDIUM, 3, 186, 284);
    place(p.digits_medium, PIC_DIGITS_MEDIUM, 19, 208, 284);
    screen_compose();
    screen_keep(2);
}

// A play screen: the creatures in all 24 frames over their glows, edges in
// both colours, smoothed on the left half and plain on the right, the clock,
// the level caption, the score line in the sheet font and the buttons.
void screen_play(const Pictures& p)
{
    screen_clear();
    // Clock 12:34 where the game puts it (2050 + i at x = 146 - 13 i).
    const int16_t clock[5] = {4, 3, 10, 2, 1};
    for (int i = 0; i < 5; ++i)
        place(p.digits_small, PIC_DIGITS_SMALL, clock[i], int16_t(146 - 13 * i), 14, 10);
    place(p.close_icon, PIC_CLOSE_ICON, 0, 232, 9);
    place(p.level_small, PIC_LEVEL_SMALL, 0, 44, 40);
    place(p.time_small, PIC_TIME_SMALL, 0, 200, 40);
    for (int16_t d = 0; d < 11; ++d)
        place(p.digits_small, PIC_DIGITS_SMALL, d, int16_t(36 + 16 * d), 62);

    // Three rows of eight creatures, one row per coat, every facing.
    for (int id = 0; id < 24; ++id) {
        int16_t x = int16_t(22 + (id % 8) * 28);
        int16_t y = int16_t(92 + (id / 8) * 30);
        Sprite* glow = sprite_create(GLOW_BASE + id, p.square, PIC_SQUARE, x, y);
        glow->layer = GLOW_LAYER;
        Sprite* creature = sprite_create(id, p.creatures, PIC_VERTEX_STRIP, x, y);
        creature->frame = int16_t(id);
        creature->layer = CREATURE_LAYER;
    }
    // A small knot of edges under the creatures and a fan of lines across the screen.
    for (int id = 0; id < 23; ++id) {
        const Sprite* a = sprite_table[id];
        const Sprite* b = sprite_table[id + 1];
        if (id % 8 != 7)
            shape_add_line(EDGE_SLOT, a->x, a->y, b->x, b->y, (id & 1) ? EDGE_FREE : EDGE_CROSSING, 32);
    }
    for (int k = 0; k < 6; ++k) {
        int32_t x0 = 6 + 45 * k;
        shape_add_line(EDGE_SLOT, x0, 156, 234 - 40 * k, 214, (k & 1) ? EDGE_CROSSING : EDGE_FREE, 32);
        shape_add_line(EDGE_SLOT, 4, 162 + 8 * k, 236, 174 + 6 * k, (k & 1) ? EDGE_FREE : EDGE_CROSSING, 32);
    }
    for (int16_t d = 0; d < 10; ++d)
        place(p.digits_medium, PIC_DIGITS_MEDIUM, int16_t(d + (d & 1) * 10), int16_t(12 + 24 * d), 230);

    place(p.level_large, PIC_LEVEL_LARGE, 0, 91, 304);
    place(p.digits_large, PIC_DIGITS_LARGE, 1, 171, 304);
    place(p.digits_large, PIC_DIGITS_LARGE, 7, 198, 304);
    place(p.pause_button, PIC_PAUSE_BUTTON, 0, 226, 306);
    text_row_set(TEXT_SLOT, 0, 0, 250, 239, 320, "0123456789", 0, 5, 32, 1, 0, TEXT_ALIGN_CENTRE, 0, 100);
    text_row_set(TEXT_SLOT, 1, 0, 267, 239, 320, "2024 96 1", 0, 5, 32, 1, 0, TEXT_ALIGN_CENTRE, 0, 100);

    smooth_lines = 1;
    screen_compose();
    // The right half again, with plain lines: both line styles in one picture.
    smooth_lines = 0;
    set_screen_rect(120, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    compose_frame(0, LAYER_COUNT - 1);
    smooth_lines = 1;
    screen_keep(3);
}

// The instructions page, shown as the game shows it: a buffer slot with alpha over the background.
void screen_instructions()
{
    screen_clear();
    uint16_t* pixels = png_decode_rgb565(nullptr, img_instructions.data, img_instructions.size);
    slot_adopt_buffer(PAGE_SLOT, pixels, png_width, png_height, uint8_t(png_solid), uint8_t(png_has_alpha));
    screen_compose();
    screen_keep(4);
}

bool png_write(const char* path, int scale)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, SHEET_WIDTH * scale, BACK_BUFFER_HEIGHT * scale, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(SHEET_WIDTH * scale * 3);
    for (int y = 0; y < BACK_BUFFER_HEIGHT; ++y) {
        for (int x = 0; x < SHEET_WIDTH; ++x) {
            uint16_t c = sheet[y * SHEET_WIDTH + x];
            // Widen each channel by repeating its top bits, so white stays 255.
            uint8_t r = uint8_t(((c >> 11) << 3) | (c >> 13));
            uint8_t g = uint8_t((((c >> 5) & 63) << 2) | ((c >> 9) & 3));
            uint8_t b = uint8_t(((c & 31) << 3) | ((c >> 2) & 7));
            for (int k = 0; k < scale; ++k) {
                uint8_t* out = &row[(x * scale + k) * 3];
                out[0] = r;
                out[1] = g;
                out[2] = b;
            }
        }
        for (int k = 0; k < scale; ++k)
            png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const char* out_1x = argc > 1 ? argv[1] : "docs/art_scene.png";
    const char* out_2x = argc > 2 ? argv[2] : "docs/art_scene_2x.png";

    sprite_table_clear();
    set_clip_rect(0, 0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);

    uint16_t* background = png_decode_rgb565(nullptr, img_background.data, img_background.size);
    slot_adopt_buffer(BACKGROUND_SLOT, background, png_width, png_height, uint8_t(png_solid),
                      uint8_t(png_has_alpha));
    shape_list_open(EDGE_SLOT);
    if (!build_font(5, img_font_grid.data, img_font_grid.size)) {
        std::fprintf(stderr, "render_scene: the font sheet does not decode\n");
        return 1;
    }
    text_slot_open(TEXT_SLOT);

    Pictures p{};
    p.logo = load(img_title_logo);
    p.menu = load(img_menu_captions);
    p.free_line = load(img_tutorial_free_line);
    p.cross = load(img_tutorial_cross);
    p.demo = load(img_tutorial_demo);
    p.select_shape = load(img_select_shape);
    p.load_question = load(img_load_question);
    p.yes_no = load(img_yes_no);
    p.pause_button = load(img_pause_button);
    p.pause_caption = load(img_pause_caption);
    p.level_small = load(img_level_small);
    p.time_small = load(img_time_small);
    p.level_large = load(img_level_large);
    p.times_up = load(img_times_up);
    p.game_over = load(img_game_over);
    p.new_record = load(img_new_record);
    p.scores = load(img_scores_captions);
    p.digits_large = load(img_digits_large);
    p.digits_medium = load(img_digits_medium);
    p.digits_small = load(img_digits_small);
    p.square = load(img_square);
    p.close_icon = load(img_close_icon);
    p.creatures = load_gif_image(img_vertex_strip.data, img_vertex_strip.size);
    if (!p.creatures) {
        std::fprintf(stderr, "render_scene: the creature strip does not decode\n");
        return 1;
    }

    screen_title(p);
    screen_captions(p);
    screen_tutorial(p);
    screen_play(p);
    screen_instructions();

    const bool written = png_write(out_1x, 1) && png_write(out_2x, 2);
    // Pictures go back before exit, so the tool runs clean under the leak checker.
    for (Image* image : {p.logo, p.menu, p.instructions, p.free_line, p.cross, p.demo, p.select_shape,
                         p.load_question, p.yes_no, p.pause_button, p.pause_caption, p.level_small,
                         p.time_small, p.level_large, p.times_up, p.game_over, p.new_record, p.scores,
                         p.digits_large, p.digits_medium, p.digits_small, p.square, p.close_icon, p.creatures})
        image_free(image);
    if (!written) {
        std::fprintf(stderr, "render_scene: cannot write %s or %s\n", out_1x, out_2x);
        return 1;
    }
    return 0;
}
