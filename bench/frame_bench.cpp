// What a player waits for: the worst frame of a drag (the vertex moves, every
// edge is recoloured, the scene is composed and presented), at 1x and 2x,
// with the plain colouring beside the game's own; and start-up to the first
// presented frame, decoding the pictures it needs.
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "assets/assets.h"
#include "bench_support.h"
#include "game/graph.h"
#include "testkit/graph_oracle.h"
#include "game/flow.h"
#include "game/layout.h"
#include "game/level.h"
#include "game/pause_screen.h"
#include "game/play.h"
#include "game/play_internal.h"
#include "game/shared_pictures.h"
#include "game/ui.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/compose.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "scene/text.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/present.h"

constexpr uint32_t DRAG_SEED = 4242;
constexpr int SMOOTH_LINES_BELOW_LEVEL = 15;   // the level sequence's switch to plain lines
constexpr int16_t DRAG_STEP = 3;               // pixels the dragged vertex moves each frame

// The frame of play_level in which colour_edges runs: move_vertex, the
// recolouring, compose_frame(0, 1023) and present_frame, on a drawing that is
// solved but for the vertex being dragged, with the cache of the unmoving
// scene in place as after a pick.
static void drag_frame_bench(benchmark::State& state, int n, int doubled, int literal)
{
    resources_ready();
    const int level = n == 6 ? 1 : n / 5;
    level_make(n, LAYOUT_CIRCLE, DRAG_SEED);
    circle_place(n);
    level_hud_show(uint8_t(level));
    pause_sprites_show();
    smooth_lines = level < SMOOTH_LINES_BELOW_LEVEL ? 1 : 0;
    colour_edges();
    release_reset();
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, int16_t(screen_height - 1));

    const int picked = n / 3;
    drag_cache_render(int16_t(picked));
    const int16_t home_x = vertices[picked].x, home_y = vertices[picked].y;
    view_doubled = uint8_t(doubled);
    static uint16_t colours[MAX_VERTICES][MAX_DEGREE];
    int frame = 0;
    for (auto _ : state) {
        // Back and forth by a few pixels: the drawing stays nearly solved.
        drag_x = int16_t(home_x + ((frame & 1) ? DRAG_STEP : 0));
        drag_y = int16_t(home_y + ((frame & 1) ? DRAG_STEP : 0));
        move_vertex(picked);
        if (literal)
            benchmark::DoNotOptimize(literal_colour_edges(colours));
        else
            benchmark::DoNotOptimize(colour_edges());
        compose_frame(0, 1023);
        present_frame();
        ++frame;
    }
    release_reset();
    view_doubled = 1;
}

// The parts of the drag frame on their own, at the largest level, to show
// where the time goes.
static void drag_part_bench(benchmark::State& state, int part, int doubled, int)
{
    resources_ready();
    const int n = 510;
    level_make(n, LAYOUT_CIRCLE, DRAG_SEED);
    circle_place(n);
    level_hud_show(102);
    smooth_lines = 0;
    colour_edges();
    const int picked = n / 3;
    drag_cache_render(int16_t(picked));
    view_doubled = uint8_t(doubled);
    for (auto _ : state) {
        if (part == 0)
            compose_frame(0, 1023);
        else
            present_frame();
    }
    release_reset();
    view_doubled = 1;
}

// compose_frame(0, 1023) of the whole puzzle with nothing cached, as the
// release of a drag and every frame of a level's intro and outro draw it: the
// background, 510 glows, the edges in either style, 510 creatures and the
// level's captions and buttons.
static void compose_scene_bench(benchmark::State& state, int smooth, int, int)
{
    resources_ready();
    const int n = 510;
    level_make(n, LAYOUT_CIRCLE, DRAG_SEED);
    circle_place(n);
    level_hud_show(102);
    pause_sprites_show();
    smooth_lines = uint8_t(smooth);
    colour_edges();
    release_reset();
    for (auto _ : state)
        compose_frame(0, 1023);
}

// compose_frame(0, 1023) of the main menu as it waits for a choice, which it
// recomposes every frame: the background, seven captions, the close button.
static void compose_menu_bench(benchmark::State& state, int, int, int)
{
    resources_ready();
    sprite_table_clear();
    shape_list_clear(EDGE_SLOT);
    surface_slots[CACHE_SLOT].opacity = 0;
    surface_slots[BACKGROUND_SLOT].opacity = OPACITY_FULL;
    image_reload(menu_captions_image, img_menu_captions);
    sprite_create(SPRITE_CLOSE, close_icon_image, PIC_CLOSE_ICON, CLOSE_X, CLOSE_Y);
    for (int i = 0; i < MENU_ROWS; ++i)
        sprite_create(SPRITE_MENU_BASE + i, menu_captions_image, 217, 22, 120, int16_t(160 + (i - 3) * 44))->frame =
            int16_t(i);
    for (auto _ : state)
        compose_frame(0, 1023);
    sprite_table_clear();
}

// The pictures start-up decodes, in game_main's order: the background into
// its slot, the cache slot, the edge list, the font and its text slot, the
// shared pictures and the menu captions; then the title screen's first frame
// composed and presented at 1x, as the first frame_step shrinks the window.
// (frame_step holds that first frame back a fixed 32 ms on top of this.)
static void startup_bench(benchmark::State& state, int, int, int)
{
    const EmbeddedFile* const shared[] = {&img_title_logo, &img_close_icon, &img_square, &img_digits_large,
                                          &img_level_large, &img_digits_small, &img_level_small, &img_time_small,
                                          &img_menu_captions};
    constexpr int SHARED = sizeof shared / sizeof shared[0];
    Image* images[SHARED + 1] = {};
    for (auto _ : state) {
        sprite_table_clear();
        uint16_t* backdrop = png_decode_rgb565(nullptr, img_background.data, img_background.size);
        slot_adopt_buffer(BACKGROUND_SLOT, backdrop, png_width, png_height, uint8_t(png_solid), uint8_t(png_has_alpha));
        slot_create_rgb565(CACHE_SLOT, SCREEN_WIDTH, int16_t(screen_height), 1);
        surface_slots[CACHE_SLOT].opacity = 0;
        shape_list_open(EDGE_SLOT);
        build_font(GAME_FONT, img_font_grid.data, img_font_grid.size);
        text_slot_open(TEXT_SLOT);
        text_row_set(TEXT_SLOT, SCORE_ROW, 0, int16_t(screen_height - 17), SCREEN_WIDTH - 1, screen_height, "",
                     0x0000, GAME_FONT, OPACITY_FULL, 1, 0, TEXT_ALIGN_CENTRE, 0, 100);
        for (int k = 0; k < SHARED; ++k)
            images[k] = load_image(shared[k]->data, shared[k]->size);
        images[SHARED] = load_gif_image(img_vertex_strip.data, img_vertex_strip.size);

        set_screen_rect(0, 0, SCREEN_WIDTH - 1, int16_t(screen_height - 1));
        sprite_create(SPRITE_CLOSE, images[1], PIC_CLOSE_ICON, CLOSE_X, CLOSE_Y);
        Sprite* title = sprite_create(SPRITE_TITLE, images[0], PIC_TITLE_LOGO, SCREEN_CENTRE_X, 154);
        title->opacity = 2;
        view_doubled = 0;
        compose_frame(0, 1023);
        present_frame();

        state.PauseTiming();
        sprite_table_clear();
        for (Image*& image : images) {
            image_free(image);
            image = nullptr;
        }
        slot_free(CACHE_SLOT);
        slot_free(BACKGROUND_SLOT);
        state.ResumeTiming();
    }
}

// Keeps the shell's "Loading..." line out of the benchmark's report.
struct QuietStdout {
    int saved;
    QuietStdout()
    {
        std::fflush(stdout);
        saved = dup(1);
        const int sink = open("/dev/null", O_WRONLY);
        dup2(sink, 1);
        close(sink);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
};

// engine_start up to an open window, and shutting it down again: on the
// dummy video driver, so this is the program's own part plus SDL's least.
static void engine_start_bench(benchmark::State& state, int, int, int)
{
    QuietStdout quiet;
    for (auto _ : state) {
        if (engine_start() != 0) {
            state.SkipWithError("no video driver");
            break;
        }
        state.PauseTiming();
        platform_quit();
        state.ResumeTiming();
    }
}

// present_frame into a real SDL window (the dummy driver unless
// SDL_VIDEODRIVER says otherwise): our copy plus the conversion into the
// window surface, which on a desktop depends on the display.
static void present_window_bench(benchmark::State& state, int doubled, int, int)
{
    if (!platform_video_init() || !platform_window_open(VIDEO_WIDTH, VIDEO_HEIGHT)) {
        state.SkipWithError("no video driver");
        return;
    }
    platform_window_resize(doubled ? VIDEO_WIDTH : SCREEN_WIDTH, doubled ? VIDEO_HEIGHT : BACK_BUFFER_HEIGHT);
    view_doubled = uint8_t(doubled);
    // A picture the window already shows is not sent again: each frame differs.
    for (auto _ : state) {
        back_buffer[0] ^= 1;
        present_frame();
    }
    platform_quit();
    view_doubled = 1;
}

// Every embedded picture decoded once, as the whole game does over a session.
static void decode_all_bench(benchmark::State& state, int, int, int)
{
    const EmbeddedFile* const pngs[] = {
        &img_title_logo, &img_menu_captions, &img_tutorial_free_line, &img_tutorial_cross, &img_tutorial_demo,
        &img_select_shape, &img_load_question, &img_yes_no, &img_pause_button, &img_pause_caption,
        &img_level_small, &img_time_small, &img_level_large, &img_times_up, &img_game_over, &img_new_record,
        &img_scores_captions, &img_digits_large, &img_digits_medium, &img_digits_small, &img_square,
        &img_close_icon};
    for (auto _ : state) {
        for (const EmbeddedFile* file : pngs)
            image_free(load_image(file->data, file->size));
        image_free(load_gif_image(img_vertex_strip.data, img_vertex_strip.size));
        for (const EmbeddedFile* file : {&img_background, &img_instructions})
            free(png_decode_rgb565(nullptr, file->data, file->size));
        build_font(GAME_FONT, img_font_grid.data, img_font_grid.size);
    }
}

static bool frame_benchmarks_register()
{
    for (int n : BENCH_SIZES) {
        for (int doubled : {0, 1}) {
            for (int literal : {1, 0}) {
                const std::string name = "drag_frame/n:" + std::to_string(n) + (doubled ? "/2x/" : "/1x/") +
                                         (literal ? "literal" : "fast");
                bench_register(name.c_str(), drag_frame_bench, n, doubled, literal);
            }
        }
    }
    for (int doubled : {0, 1}) {
        bench_register(doubled ? "drag_frame_part/n:510/2x/compose" : "drag_frame_part/n:510/1x/compose",
                       drag_part_bench, 0, doubled, 0);
        bench_register(doubled ? "drag_frame_part/n:510/2x/present" : "drag_frame_part/n:510/1x/present",
                       drag_part_bench, 1, doubled, 0);
    }
    bench_register("compose/n:510/whole_scene/plain_lines", compose_scene_bench, 0, 0, 0);
    bench_register("compose/n:510/whole_scene/smooth_lines", compose_scene_bench, 1, 0, 0);
    bench_register("compose/menu", compose_menu_bench, 0, 0, 0);
    bench_register("drag_frame_part/1x/present_sdl_window", present_window_bench, 0, 0, 0);
    bench_register("drag_frame_part/2x/present_sdl_window", present_window_bench, 1, 0, 0);
    bench_register("startup/engine_start_dummy_video", engine_start_bench, 0, 0, 0);
    bench_register("startup/first_frame", startup_bench, 0, 0, 0);
    bench_register("startup/decode_every_picture", decode_all_bench, 0, 0, 0);
    return true;
}

static const bool frame_benchmarks = frame_benchmarks_register();
