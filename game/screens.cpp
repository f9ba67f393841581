// The screens between games: the title, the main menu, the instructions with
// their animated demonstration, the shape selection of funky shapes, the level
// chooser and the question whether to resume a saved level.
#include "game/screens.h"
#include "game/screens_internal.h"

#include "assets/assets.h"
#include "game/digit_frames.h"
#include "game/fade.h"
#include "game/graph.h"
#include "game/graph_generate.h"
#include "game/hiscores.h"
#include "game/layout.h"
#include "game/mode.h"
#include "game/play.h"
#include "game/shared_pictures.h"
#include "game/ui.h"
#include "geometry/trig.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "storage/level_file.h"
#include "storage/profile.h"

const uint8_t DEMO_ORDER[5] = {0, 3, 1, 4, 2};

// Pictures of the screen that is up; each screen frees its own on leaving.
static Image* tutorial_demo_image;
static Image* tutorial_cross_image;
static Image* tutorial_free_line_image;
static Image* select_shape_image;
static Image* yes_no_image;
static Image* load_question_image;
// The chooser's medium digits: loaded on first use and kept for the run.
static Image* digits_medium_image;

constexpr int MENU_HISCORES_ROW = 6;
constexpr int MENU_INSTRUCTIONS_ROW = 5;
constexpr int DEMO_VERTICES = 5;
constexpr int16_t DEMO_DROP = 32;          // the demonstration puzzle sits this far below the centre
constexpr int DEMO_SLIDE_FRAMES = 40;
constexpr int16_t CHOOSER_PAGE_BAR_Y = 300;
constexpr int16_t CHOOSER_PAGE_BAR_PITCH = 30;

static bool close_hit()
{
    return sprite_hit(SPRITE_CLOSE) != 0;
}

bool title_screen()
{
    sprite_create(SPRITE_CLOSE, close_icon_image, PIC_CLOSE_ICON, CLOSE_X, CLOSE_Y);
    Sprite* title = sprite_create(SPRITE_TITLE, title_logo_image, PIC_TITLE_LOGO, SCREEN_CENTRE_X, int16_t(layout_centre_y - 6));
    title->layer = UI_LAYER_TITLE;
    for (int16_t o = 2; o <= OPACITY_FULL; o += 3) {
        title->opacity = o;
        frame_step();
        if (pointer_pressed && close_hit())
            return true;
    }
    tap_wait(true);
    return close_hit();
}

// Puts up the menu rows; returns whether the HISCORES row is offered.
static bool menu_rows_show()
{
    const bool seven = profile.best_times[0] != 0;
    const int16_t cy = layout_centre_y;
    for (int i = 0; i < MENU_ROWS; ++i) {
        int16_t y = int16_t(cy + (i - 3) * MENU_PITCH);
        if (!seven)
            y = int16_t(y + MENU_PITCH / 2);
        Sprite* s = sprite_create(SPRITE_MENU_BASE + i, menu_captions_image, PIC_MENU_CAPTIONS, SCREEN_CENTRE_X, y);
        s->frame = int16_t(i);
    }
    if (!seven)
        sprite_active_set(SPRITE_MENU_BASE + MENU_HISCORES_ROW, 0);
    return seven;
}

static void menu_rows_opacity_set(int16_t o)
{
    for (int i = 0; i < MENU_ROWS; ++i)
        sprite_opacity_set(SPRITE_MENU_BASE + i, o);
}

bool main_menu(bool first)
{
    for (;;) {
        const bool seven = menu_rows_show();
        const bool faded_in = fade_run_unless(2, OPACITY_FULL, 3, [&](int16_t o) {
            if (first)
                sprite_opacity_set(SPRITE_TITLE, int16_t(OPACITY_FULL - o));
            menu_rows_opacity_set(o);
            return !(pointer_pressed && close_hit());
        });
        if (!faded_in)
            return true;
        first = false;

        // The rows stand still while the menu waits: the picture the fade
        // left is kept rather than composed again every frame.
        int row = -1;
        for (;;) {
            tap_wait(true);
            if (close_hit())
                return true;
            row = -1;
            for (int i = 0; i < MENU_ROWS; ++i) {
                if (sprite_hit(SPRITE_MENU_BASE + i))
                    row = i;
            }
            if (row == MENU_HISCORES_ROW && !seven)
                row = -1;
            if (row != -1)
                break;
            frame_step();
        }
        if (row == MENU_INSTRUCTIONS_ROW) {
            instructions_screen();
            continue;
        }
        if (row == MENU_HISCORES_ROW) {
            best_times_screen();
            continue;
        }
        game_mode = uint8_t(row);
        break;
    }
    const bool faded_out = fade_run_unless(30, 0, -3, [&](int16_t o) {
        menu_rows_opacity_set(o);
        return !(pointer_pressed && close_hit());
    });
    if (!faded_out)
        return true;
    sprite_active_set(SPRITE_TITLE, 0);
    return false;
}

void demo_move(int i, int16_t x, int16_t y)
{
    move_vertex_to(i, x, y);
    colour_edges();
}

static void demo_caption_show(Image* image, const Picture& picture)
{
    if (image)
        sprite_create(SPRITE_DEMO_CAPTION, image, picture, SCREEN_CENTRE_X, 38);
    else
        sprite_active_set(SPRITE_DEMO_CAPTION, 0);
}

void instructions_screen()
{
    vertex_count = DEMO_VERTICES;
    shape_list_clear(EDGE_SLOT);
    build_graph(DEMO_VERTICES);
    scatter_on_layout(DEMO_VERTICES, LAYOUT_CIRCLE);
    face_centre();

    image_reload(tutorial_demo_image, img_tutorial_demo);
    image_reload(tutorial_cross_image, img_tutorial_cross);
    image_reload(tutorial_free_line_image, img_tutorial_free_line);
    sprite_active_set(SPRITE_CLOSE, 0);

    for (int i = 0; i < DEMO_VERTICES; ++i)
        demo_move(i, vertices[i].x, int16_t(vertices[i].y + DEMO_DROP));
    colour_edges();
    menu_rows_opacity_set(0);

    demo_caption_show(tutorial_demo_image, PIC_TUTORIAL_DEMO);
    pointer_pressed = 0;
    tap_wait(false);
    demo_caption_show(tutorial_cross_image, PIC_TUTORIAL_CROSS);

    const int16_t cy = layout_centre_y;
    for (uint8_t c : DEMO_ORDER) {
        const int32_t u = (512 * c) / DEMO_VERTICES;
        const int32_t tx = SCREEN_CENTRE_X + ((-cos512(u) * LAYOUT_RADIUS) >> 8);
        const int32_t ty = cy + DEMO_DROP + ((-sin512(u) * LAYOUT_RADIUS) >> 8);
        for (int b = DEMO_SLIDE_FRAMES - 1; b >= 0; --b) {
            for (int i = 0; i < DEMO_VERTICES; ++i) {
                sprite_table[i]->frame = int16_t(FRAME_SET_NORMAL + vertices[i].facing);
                sprite_table[GLOW_SPRITE_BASE + i]->opacity = OPACITY_FULL;
            }
            if (b > 0) {
                const Sprite* s = sprite_table[c];
                const int32_t x = (tx * (DEMO_SLIDE_FRAMES - b) + s->x * b) / DEMO_SLIDE_FRAMES;
                const int32_t y = (ty * (DEMO_SLIDE_FRAMES - b) + s->y * b) / DEMO_SLIDE_FRAMES;
                demo_move(c, int16_t(x), int16_t(y));
            }
            frame_step();
        }
    }

    demo_caption_show(tutorial_free_line_image, PIC_TUTORIAL_FREE_LINE);
    frame_step();
    tap_wait(true);

    shape_list_clear(EDGE_SLOT);
    for (int i = 0; i < DEMO_VERTICES; ++i) {
        sprite_active_set(i, 0);
        sprite_active_set(GLOW_SPRITE_BASE + i, 0);
    }
    // The edge lines are gone with the list: no vertex may point at them any more.
    vertex_count = 0;
    sprite_active_set(SPRITE_DEMO_CAPTION, 0);

    uint16_t* page = png_decode_rgb565(nullptr, img_instructions.data, img_instructions.size);
    if (page) {
        slot_adopt_buffer(PICTURE_SLOT, page, png_width, png_height, uint8_t(png_solid), uint8_t(png_has_alpha));
        frame_step();
        tap_wait(true);
        fade_run(OPACITY_FULL, 0, -4, [&](int16_t o) {
            surface_slots[PICTURE_SLOT].opacity = o;
        });
        slot_free(PICTURE_SLOT);
    }

    sprite_active_set(SPRITE_CLOSE, 1);
    image_release(tutorial_demo_image);
    image_release(tutorial_cross_image);
    image_release(tutorial_free_line_image);
}

int8_t shape_select_screen()
{
    layout_radius = LAYOUT_RADIUS;
    image_reload(select_shape_image, img_select_shape);
    if (select_shape_image)
        sprite_create(SPRITE_SELECT_CAPTION, select_shape_image, PIC_SELECT_SHAPE, SCREEN_CENTRE_X, 20);
    compose_enabled = 1;

    const int16_t cy = layout_centre_y;
    int16_t centre_x[PREVIEW_COUNT];
    int16_t centre_y[PREVIEW_COUNT];
    const double scale = 2.5;
    for (int s = 0; s < PREVIEW_COUNT; ++s) {
        layout_generators[s + 1](PREVIEW_POINTS);
        const int32_t u = (512 * s) / PREVIEW_COUNT;
        centre_x[s] = int16_t(SCREEN_CENTRE_X + sine_table[(u + 256) & 511] / 3.2);
        centre_y[s] = int16_t(cy + 30 - cos512(u) / 2.5);
        for (int j = 0; j < PREVIEW_POINTS; ++j) {
            const int16_t px = int16_t(centre_x[s] + (layout_points[j].x - SCREEN_CENTRE_X) / scale);
            const int16_t py = int16_t(centre_y[s] + (layout_points[j].y - cy) / scale);
            Sprite* sp = sprite_create(PREVIEW_POINTS * s + j, vertex_strip_image, PIC_VERTEX_STRIP, px, py);
            sp->frame = int16_t(facing_towards(px, py, centre_x[s], centre_y[s]));
        }
    }
    const int previews = PREVIEW_COUNT * PREVIEW_POINTS;
    fade_run(0, OPACITY_FULL, 4, [&](int16_t o) {
        sprite_opacity_set(SPRITE_SELECT_CAPTION, o);
        for (int k = 0; k < previews; ++k)
            sprite_table[k]->opacity = o;
    });

    int choice = -3;
    do {
        tap_wait(true);
        for (int s = 0; s < PREVIEW_COUNT; ++s) {
            const int32_t dx = int32_t(pointer_x) - centre_x[s];
            const int32_t dy = int32_t(pointer_y) - centre_y[s];
            if (dx * dx + dy * dy < PREVIEW_RADIUS_SQ)
                choice = s;
        }
        if (choice == -3 && close_hit())
            choice = -2;
        frame_step();
    } while (choice == -3);

    fade_run(OPACITY_FULL, 0, -4, [&](int16_t o) {
        for (int k = 0; k < previews; ++k) {
            if (k / PREVIEW_POINTS != choice)
                sprite_table[k]->opacity = o;
        }
    });
    if (choice >= 0) {
        fade_run(OPACITY_FULL, 0, -4, [&](int16_t o) {
            sprite_opacity_set(SPRITE_SELECT_CAPTION, o);
            for (int j = 0; j < PREVIEW_POINTS; ++j)
                sprite_table[PREVIEW_POINTS * choice + j]->opacity = o;
        });
    }
    sprite_active_set(SPRITE_SELECT_CAPTION, 0);
    image_release(select_shape_image);
    return int8_t(choice + 1);
}

int chooser_page_count(int n)
{
    if (n <= CHOOSER_MEDIUM_MAX)
        return 1;
    return (n + CHOOSER_PAGE_LEVELS - 1) / CHOOSER_PAGE_LEVELS;
}

ChooserCell chooser_cell(int i, int n)
{
    ChooserCell cell{};
    const int level = i + 1;
    if (n <= CHOOSER_LARGE_MAX) {
        const int r = i / 4, c = i % 4;
        cell.y = int16_t(36 * (r + 3) - 44);
        cell.x[0] = int16_t(63 * c + 13);
        cell.x[1] = int16_t(63 * c + 37);
        cell.digits = 2;
        cell.medium = 0;
    } else if (n <= CHOOSER_MEDIUM_MAX) {
        const int r = i / 5, c = i % 5;
        cell.y = int16_t(23 * r + 54);
        cell.x[0] = int16_t(49 * c + 12);
        cell.x[1] = int16_t(49 * c + 32);
        cell.digits = 2;
        cell.medium = 1;
    } else {
        // Past what fits on one screen: pages of four columns by ten rows, wide
        // enough for three-digit level numbers.
        const int k = i % CHOOSER_PAGE_LEVELS;
        const int r = k / 4, c = k % 4;
        const int centre = 60 * c + 30;
        cell.y = int16_t(23 * r + 54);
        cell.medium = 1;
        if (level >= 100) {
            cell.digits = 3;
            cell.x[0] = int16_t(centre - 18);
            cell.x[1] = int16_t(centre);
            cell.x[2] = int16_t(centre + 18);
        } else {
            cell.digits = 2;
            cell.x[0] = int16_t(centre - 10);
            cell.x[1] = int16_t(centre + 10);
        }
    }
    return cell;
}

// Sprites of the chooser while it is up: caption, per shown level its digits, page numbers.
struct ChooserView {
    int n;              // open levels
    int pages;
    int page;           // shown page
    int first, last;    // level indices shown: first .. last - 1
    int per_level;      // digit sprites per level slot
};

static void chooser_page_show(ChooserView& view, int page)
{
    // Hide what the previous page showed before its ids are reused.
    for (int k = 0; k < (view.last - view.first) * view.per_level; ++k)
        sprite_active_set(SPRITE_CHOOSER_DIGITS + k, 0);
    view.page = page;
    view.first = view.pages > 1 ? page * CHOOSER_PAGE_LEVELS : 0;
    view.last = view.pages > 1 ? view.first + CHOOSER_PAGE_LEVELS : view.n;
    if (view.last > view.n)
        view.last = view.n;
    for (int i = view.first; i < view.last; ++i) {
        const ChooserCell cell = chooser_cell(i, view.n);
        const int level = i + 1;
        const int16_t red = (i < SAVED_FLAG_COUNT && saved_flags[i]) ? RED_DIGITS : 0;
        int16_t frames[3];
        digit_frames_split(level, cell.digits, frames);
        Image* image = cell.medium ? digits_medium_image : digits_large_image;
        const Picture& strip = cell.medium ? PIC_DIGITS_MEDIUM : PIC_DIGITS_LARGE;
        const int base = SPRITE_CHOOSER_DIGITS + (i - view.first) * view.per_level;
        for (int d = 0; d < view.per_level; ++d) {
            if (d < cell.digits) {
                Sprite* s = sprite_create(base + d, image, strip, cell.x[d], cell.y);
                s->frame = int16_t(frames[d] + red);
            } else {
                sprite_active_set(base + d, 0);
            }
        }
    }
    if (view.pages > 1) {
        const int16_t x0 = int16_t(SCREEN_CENTRE_X - (CHOOSER_PAGE_BAR_PITCH / 2) * (view.pages - 1));
        for (int p = 0; p < view.pages; ++p) {
            Sprite* s = sprite_create(SPRITE_CHOOSER_PAGES + p, digits_medium_image, PIC_DIGITS_MEDIUM,
                                      int16_t(x0 + CHOOSER_PAGE_BAR_PITCH * p), CHOOSER_PAGE_BAR_Y);
            // The page on show is marked in red.
            s->frame = int16_t(p + 1 + (p == page ? RED_DIGITS : 0));
        }
    }
}

static void chooser_opacity_set(const ChooserView& view, int16_t o)
{
    sprite_opacity_set(SPRITE_CHOOSER_CAPTION, o);
    for (int k = 0; k < (view.last - view.first) * view.per_level; ++k)
        sprite_opacity_set(SPRITE_CHOOSER_DIGITS + k, o);
    if (view.pages > 1) {
        for (int p = 0; p < view.pages; ++p)
            sprite_opacity_set(SPRITE_CHOOSER_PAGES + p, o);
    }
}

int16_t level_chooser(uint8_t file)
{
    saved_flags_read(file);
    sprite_create(SPRITE_CHOOSER_CAPTION, level_large_image, PIC_LEVEL_LARGE, SCREEN_CENTRE_X, 24);
    // The chooser reads the low half of the count; a profile from elsewhere may
    // say anything, but level numbers never pass MAX_LEVEL.
    int n = int16_t(profile.levels_open[progress_slot] & 0xFFFF);
    if (n < 1)
        n = 1;
    if (n > MAX_LEVEL)
        n = MAX_LEVEL;
    if (n > CHOOSER_LARGE_MAX && !digits_medium_image)
        image_reload(digits_medium_image, img_digits_medium);

    ChooserView view{};
    view.n = n;
    view.pages = chooser_page_count(n);
    view.per_level = view.pages > 1 ? 3 : 2;
    chooser_page_show(view, view.pages - 1);

    fade_run(2, OPACITY_FULL, 3, [&](int16_t o) {
        chooser_opacity_set(view, o);
    });

    // The chooser's picture changes only when a page is turned; the frames in
    // between keep the picture the last compose left.
    int choice = -1;
    bool turned = false;
    do {
        if (pointer_pressed) {
            for (int i = view.first; i < view.last; ++i) {
                const int base = SPRITE_CHOOSER_DIGITS + (i - view.first) * view.per_level;
                for (int d = 0; d < view.per_level; ++d) {
                    if (sprite_hit(base + d))
                        choice = i;
                }
            }
            for (int p = 0; view.pages > 1 && p < view.pages; ++p) {
                if (p != view.page && sprite_hit(SPRITE_CHOOSER_PAGES + p)) {
                    chooser_page_show(view, p);
                    turned = true;
                    break;
                }
            }
        }
        if (close_hit())
            choice = -2;
        compose_enabled = turned ? 1 : 0;
        turned = false;
        frame_step();
    } while (choice == -1);
    compose_enabled = 1;

    fade_run(30, 0, -3, [&](int16_t o) {
        chooser_opacity_set(view, o);
    });
    sprite_active_set(SPRITE_CHOOSER_CAPTION, 0);
    for (int k = 0; k < (view.last - view.first) * view.per_level; ++k)
        sprite_active_set(SPRITE_CHOOSER_DIGITS + k, 0);
    for (int p = 0; view.pages > 1 && p < view.pages; ++p)
        sprite_active_set(SPRITE_CHOOSER_PAGES + p, 0);
    return int16_t(choice);
}

int16_t resume_question(uint8_t index, uint8_t file)
{
    (void)file;
    if (index >= SAVED_FLAG_COUNT || !saved_flags[index] || game_mode == MODE_TIME_ATTACK)
        return index;
    image_reload(yes_no_image, img_yes_no);
    image_reload(load_question_image, img_load_question);
    if (!yes_no_image || !load_question_image) {
        image_release(yes_no_image);
        image_release(load_question_image);
        return index;
    }
    const int16_t mid = int16_t(screen_height / 2);
    sprite_create(SPRITE_QUESTION, load_question_image, PIC_LOAD_QUESTION, SCREEN_CENTRE_X, int16_t(mid - 40));
    sprite_create(SPRITE_ANSWER_YES, yes_no_image, PIC_YES_NO, 60, int16_t(mid + 40));
    Sprite* no = sprite_create(SPRITE_ANSWER_NO, yes_no_image, PIC_YES_NO, 180, int16_t(mid + 40));
    no->frame = 1;
    sprite_create(SPRITE_QUESTION_LEVEL, level_large_image, PIC_LEVEL_LARGE, 80, mid);
    const int level = index + 1;
    const int digits = level >= 100 ? 3 : 2;
    int16_t frames[3];
    digit_frames_split(level, digits, frames);
    for (int d = 0; d < digits; ++d) {
        Sprite* s = sprite_create(SPRITE_QUESTION_DIGITS + d, digits_large_image, PIC_DIGITS_LARGE,
                                  int16_t(160 + 20 * d), mid);
        s->frame = frames[d];
    }

    // The question is composed once; it stands still until it is answered.
    int16_t answer = -3;
    bool shown = false;
    do {
        if (pointer_down) {
            if (sprite_hit(SPRITE_ANSWER_YES))
                answer = int16_t(index + RESUME_OFFSET);
            else if (sprite_hit(SPRITE_ANSWER_NO))
                answer = index;
        }
        if (pointer_pressed && close_hit())
            answer = -1;
        compose_enabled = shown ? 0 : 1;
        shown = true;
        frame_step();
    } while (answer == -3);
    compose_enabled = 1;

    for (int id = SPRITE_QUESTION; id < SPRITE_QUESTION_DIGITS + 3; ++id)
        sprite_active_set(id, 0);
    image_release(yes_no_image);
    image_release(load_question_image);
    return answer;
}
