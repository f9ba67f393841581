// The game's main routine: start-up (profile, slots, font, pictures) and the
// loop of title, menu, the choices that lead into a game, and the level
// sequence of the five modes.
#include "game/flow.h"

#include "assets/assets.h"
#include "game/graph.h"
#include "game/graph_file.h"
#include "game/graph_generate.h"
#include "game/hiscores.h"
#include "game/layout.h"
#include "game/level.h"
#include "game/mode.h"
#include "game/pause_screen.h"
#include "game/play.h"
#include "game/screens.h"
#include "game/shared_pictures.h"
#include "game/ui.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "scene/text.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "storage/level_file.h"
#include "storage/profile.h"

// From this level on the puzzles have so many edges that the plain line style
// is used instead of the smoothed one.
constexpr int SMOOTH_LINES_BELOW_LEVEL = 15;

void resources_build()
{
    uint16_t* backdrop = png_decode_rgb565(nullptr, img_background.data, img_background.size);
    if (backdrop)
        slot_adopt_buffer(BACKGROUND_SLOT, backdrop, png_width, png_height, uint8_t(png_solid), uint8_t(png_has_alpha));
    slot_create_rgb565(CACHE_SLOT, SCREEN_WIDTH, int16_t(screen_height), 1);
    surface_slots[CACHE_SLOT].opacity = 0;
    shape_list_open(EDGE_SLOT);
    if (!font_table[GAME_FONT])
        build_font(GAME_FONT, img_font_grid.data, img_font_grid.size);
    text_slot_open(TEXT_SLOT);
    text_row_set(TEXT_SLOT, SCORE_ROW, 0, int16_t(screen_height - 17), SCREEN_WIDTH - 1, screen_height, "", 0x0000,
                 GAME_FONT, OPACITY_FULL, 1, 0, TEXT_ALIGN_CENTRE, 0, 100);
    common_images_load();
}

// The choice screens of step 3 of the main loop. Returns the starting level
// index (RESUME_OFFSET added to resume a saved level), or -1 to go back to the menu.
static int game_choose()
{
    for (;;) {
        game_shape = 0;
        if (game_mode == MODE_FUNKY_SHAPES)
            game_shape = shape_select_screen();
        mode_tracks_set();
        int n = 0;
        if (game_mode == MODE_SUDDEN_DEATH) {
            score = -1;
            n = top_scores_screen() == -1 ? -1 : 0;
        } else if (game_shape != -1 && profile.levels_open[progress_slot] > 1) {
            score = -1;
            n = level_chooser(level_file_index);
            if (n >= 0)
                n = resume_question(uint8_t(n), level_file_index);
        }
        score = 0;
        time_bank = SD_START_BANK_MS;
        if (game_mode == MODE_FUNKY_SHAPES && game_shape != -1 && n == -2)
            continue;
        if (n < 0 || game_shape == -1)
            return -1;
        return n;
    }
}

// Puts level t on the board: a resumed save when asked for and readable, else a
// fresh level. Returns the level number played.
static int level_prepare(int n)
{
    int t = n + 1;
    if (n >= RESUME_OFFSET) {
        const int slot = n - RESUME_OFFSET;
        t = slot + 1;
        // A save that cannot be read back is replaced by a fresh level of the
        // same number, and its flag goes, so the chooser stops offering a
        // game that will never load.
        if (graph_load(uint8_t(slot), level_file_index))
            return t;
        saved_flag_clear(uint8_t(t), level_file_index);
    }
    saved_elapsed = 0;
    vertex_count = uint16_t(level_vertices_capped(game_mode, t));
    shape_list_clear(EDGE_SLOT);
    build_graph(vertex_count);
    scatter_on_layout(vertex_count, game_shape);
    return t;
}

// One game from its first level until it ends. Returns true when the program is to end.
static bool game_play(int n)
{
    score_show(game_mode == MODE_SUDDEN_DEATH ? 0 : -1);
    for (int i = 0; i < MENU_ROWS; ++i)
        sprite_active_set(SPRITE_MENU_BASE + i, 0);
    image_release(menu_captions_image);
    pause_sprites_show();

    for (;;) {
        const int t = level_prepare(n);
        const uint8_t level = uint8_t(t);
        smooth_lines = t < SMOOTH_LINES_BELOW_LEVEL ? 1 : 0;
        level_hud_show(level);
        colour_edges();
        level_intro(level);
        const int8_t result = play_level(level, game_shape);
        level_end(level, level_file_index, result);
        if (result != -1 && sprite_hit(SPRITE_CLOSE))
            return true;
        const bool goes_on = game_mode == MODE_SUDDEN_DEATH && result == 1;
        if (!goes_on) {
            for (int i = 0; i < CLOCK_SPRITES; ++i)
                sprite_active_set(SPRITE_CLOCK_BASE + i, 0);
            if (game_mode == MODE_SUDDEN_DEATH) {
                top_scores_screen();
                if (text_row_tables[TEXT_SLOT])
                    text_row_tables[TEXT_SLOT][SCORE_ROW].opacity = 0;
            }
        }
        frame_step();
        if (result != 1) {
            pause_sprites_free();
            return false;
        }
        // Level numbers travel as bytes: past the last one the game replays it.
        n = t < MAX_LEVEL ? t : MAX_LEVEL - 1;
    }
}

int game_main()
{
    if (engine_start() != 0)
        return 1;
    layout_centre_y = SCREEN_CENTRE_Y;
    if (!profile_open("Zembrolfink")) {
        profile_reset(&profile);
        profile_write();
    }
    resources_build();

    for (;;) {
        image_reload(menu_captions_image, img_menu_captions);
        if (title_screen())
            return 0;
        bool first = true;
        int n = -1;
        while (n < 0) {
            if (main_menu(first))
                return 0;
            first = false;
            n = game_choose();
        }
        if (game_play(n))
            return 0;
    }
}
