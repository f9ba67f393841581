// Around each level: the clock and LEVEL caption, the fade-in, booking the
// result with its NEW RECORD pop-up, and the outro in which the creatures turn
// and walk off while the sudden-death bonus and score count up.
#include "game/level.h"
#include "game/level_internal.h"

#include <cstdint>
#include <cstdio>

#include "assets/assets.h"
#include "game/digit_frames.h"
#include "game/fade.h"
#include "game/graph.h"
#include "game/layout.h"
#include "game/level_caption.h"
#include "game/level_clock.h"
#include "game/mode.h"
#include "game/play.h"
#include "game/shared_pictures.h"
#include "game/ui.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "scene/compose.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "scene/text.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "storage/level_file.h"
#include "storage/profile.h"

// The NEW RECORD picture while its pop-up is up.
static Image* new_record_image;

constexpr int16_t CLOCK_X0 = 146, CLOCK_PITCH = 13, CLOCK_Y = 14;
constexpr int16_t CAPTION_BOTTOM_GAP = 16;
constexpr int16_t WALK_LEFT_END = -9, WALK_RIGHT_END = 249;
constexpr uint32_t MIN_BOOKED_MS = 1000;   // the shortest time a solved level books

// Caption and digit x positions by the number of digits; each extra digit moves
// the whole caption 12 pixels left, so three digits still end inside the screen.
static const int16_t CAPTION_X[3] = {103, 91, 79};
static const int16_t CAPTION_DIGIT_X[3][3] = {{183, 0, 0}, {171, 198, 0}, {159, 186, 213}};

void level_hud_show(uint8_t level)
{
    for (int i = 0; i < CLOCK_SPRITES; ++i) {
        Sprite* s = sprite_create(SPRITE_CLOCK_BASE + i, digits_small_image, PIC_DIGITS_SMALL,
                                  int16_t(CLOCK_X0 - CLOCK_PITCH * i), CLOCK_Y);
        s->layer = UI_LAYER_CLOCK;
        s->frame = SPRITE_CLOCK_BASE + i == SPRITE_CLOCK_COLON ? SMALL_COLON_FRAME : 0;
    }
    soft_timers[LEVEL_CLOCK] = 0;
    clock_show();

    const int digits = caption_sprite_count(level) - 1;
    const int16_t y = int16_t(screen_height - CAPTION_BOTTOM_GAP);
    sprite_create(SPRITE_LEVEL_CAPTION, level_large_image, PIC_LEVEL_LARGE, CAPTION_X[digits - 1], y);
    int16_t frames[3];
    digit_frames_split(level, digits, frames);
    for (int k = 0; k < digits; ++k) {
        Sprite* s = sprite_create(SPRITE_LEVEL_DIGITS + k, digits_large_image, PIC_DIGITS_LARGE,
                                  CAPTION_DIGIT_X[digits - 1][k], y);
        s->frame = frames[k];
    }
    face_centre();
}

void level_intro(uint8_t level)
{
    soft_timers[LEVEL_CLOCK] = saved_elapsed;
    clock_show();
    const bool sudden_death = game_mode == MODE_SUDDEN_DEATH;
    const int captions = caption_sprite_count(level);
    fade_run(0, OPACITY_FULL, 2, [&](int16_t o) {
        set_puzzle_opacity(o);
        // In sudden death the clock, the pause button and the score line stay
        // up from one level to the next: only the first level fades them in.
        if (!(sudden_death && level > 1)) {
            for (int i = 0; i < CLOCK_SPRITES; ++i)
                sprite_opacity_set(SPRITE_CLOCK_BASE + i, o);
            sprite_opacity_set(SPRITE_PAUSE_BUTTON, o);
        }
        for (int k = 0; k < captions; ++k) {
            if (!sudden_death)
                sprite_opacity_set(SPRITE_LEVEL_CAPTION + k, o);
            else if (level > 1)
                sprite_opacity_set(SPRITE_LEVEL_CAPTION + k, 0);
        }
        if (sudden_death && level == 1 && text_row_tables[TEXT_SLOT])
            text_row_tables[TEXT_SLOT][SCORE_ROW].opacity = uint8_t(o);
    });
}

static void new_record_popup()
{
    image_reload(new_record_image, img_new_record);
    if (!new_record_image)
        return;
    Sprite* s = sprite_create(SPRITE_POPUP, new_record_image, PIC_NEW_RECORD, SCREEN_CENTRE_X, layout_centre_y);
    fade_run(2, OPACITY_FULL, 3, [&](int16_t o) {
        s->opacity = o;
    });
    tap_wait(false);
    fade_run(OPACITY_FULL, 0, -4, [&](int16_t o) {
        s->opacity = o;
    });
    s->active = 0;
    image_release(new_record_image);
}

void level_end(uint8_t level, uint8_t file, int8_t result)
{
    compose_enabled = 1;
    screen_rect_full();
    if (result == 1 && game_mode != MODE_SUDDEN_DEATH) {
        const bool time_attack = game_mode == MODE_TIME_ATTACK;
        if (!time_attack)
            saved_flag_clear(level, file);
        level_clock_cap();
        const uint32_t clock = soft_timers[LEVEL_CLOCK];
        // Best times are whole seconds and 0 means "no time yet": a level solved
        // within its first second books 1 s, or it would be no record at all
        // (NEW RECORD every time, never listed, no HISCORES row for level 1).
        const uint32_t booked = clock < MIN_BOOKED_MS ? MIN_BOOKED_MS : clock;
        // Booked and written before the pop-up, so that quitting on it loses nothing.
        uint8_t new_record = 0;
        profile_level_solved(level, progress_slot, time_attack ? 1 : 0, booked, &new_record);
        if (new_record)
            new_record_popup();
    }
    level_outro(level, caption_fade, result);
}

int32_t score_after_level(int32_t old_score, uint8_t level, int32_t bank)
{
    const int64_t t = level;
    int64_t value = int64_t(old_score) + (t * bank) / 100 + 100 * t * t;
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    return int32_t(value);
}

// One step of a creature turning to face the way it will walk: left of the
// middle towards 4 (left), right of it towards 0 (right).
static uint8_t facing_turn(uint8_t facing, bool left_half)
{
    if (left_half) {
        if (facing < 4)
            return uint8_t(facing + 1);
        if (facing > 4)
            return uint8_t(facing - 1);
        return facing;
    }
    if (facing >= 1 && facing <= 4)
        return uint8_t(facing - 1);
    if (facing >= 5)
        return uint8_t((facing + 1) & 7);
    return facing;
}

// One step of the walk-off, taken in 32 bits and held at the ends of the
// 16-bit range: a creature far off the screen stays beyond its edge instead of
// wrapping round to the other side, so every creature reaches its end and the
// walk-off ends wherever it started.
static int16_t walk_step(int16_t x, int32_t step)
{
    const int32_t next = int32_t(x) + step;
    if (next < INT16_MIN)
        return INT16_MIN;
    if (next > INT16_MAX)
        return INT16_MAX;
    return int16_t(next);
}

void level_outro(uint8_t level, int8_t fade, int8_t result)
{
    const bool sudden_death = game_mode == MODE_SUDDEN_DEATH;
    const bool scored = result == 1 && sudden_death;
    const int16_t step = sudden_death ? 4 : 2;
    int32_t new_score = score;
    if (result == 1)
        new_score = score_after_level(score, level, time_bank);
    const int captions = caption_sprite_count(level);
    int bonus_steps = 0;
    int fade_left = fade;

    fade_run(OPACITY_FULL, 0, int16_t(-step), [&](int16_t o) {
        for (int k = 0; k < 4; ++k) {
            if (scored && bonus_steps < SD_BONUS_STEPS) {
                time_bank += SD_BONUS_STEP_MS;
                ++bonus_steps;
                clock_show();
            }
        }
        if (scored)
            score_show(int32_t((int64_t(o) * score + int64_t(OPACITY_FULL - o) * new_score) >> 5));
        else
            sprite_opacity_set(SPRITE_PAUSE_BUTTON, o);

        fade_left -= 4;
        for (int k = 0; k < captions; ++k) {
            if (fade_left < 0)
                sprite_active_set(SPRITE_LEVEL_CAPTION + k, 0);
            else
                sprite_opacity_set(SPRITE_LEVEL_CAPTION + k, int16_t(fade_left));
        }

        for (int i = 0; i < vertex_count; ++i) {
            Vertex& v = vertices[i];
            if (o % 4 == 0)
                v.facing = facing_turn(v.facing, v.x < SCREEN_CENTRE_X);
            sprite_table[i]->frame = int16_t(FRAME_SET_NORMAL + v.facing);
            for (int k = 0; k < v.degree; ++k)
                v.edge_lines[k]->opacity = uint8_t(o);
        }
    });
    if (result == 1)
        score = new_score;

    int16_t glow_opacity = OPACITY_FULL;
    const int16_t speed = int16_t(2 * step);
    for (;;) {
        if (glow_opacity > 0)
            --glow_opacity;
        bool gone = true;
        for (int i = 0; i < vertex_count; ++i) {
            Vertex& v = vertices[i];
            if (v.x < SCREEN_CENTRE_X) {
                vertex_place(i, walk_step(v.x, -speed), v.y);
                gone = gone && v.x < WALK_LEFT_END;
            } else {
                vertex_place(i, walk_step(v.x, speed), v.y);
                gone = gone && v.x > WALK_RIGHT_END;
            }
            sprite_table[GLOW_SPRITE_BASE + i]->opacity = glow_opacity;
        }
        frame_step();
        if (gone)
            break;
    }
}

void score_show(int32_t value)
{
    TextRow* rows = text_row_tables[TEXT_SLOT];
    if (!rows)
        return;
    char text[16] = "";
    if (value != -1)
        std::snprintf(text, sizeof(text), "%d", int(value));
    const TextRow& row = rows[SCORE_ROW];
    text_row_set(TEXT_SLOT, SCORE_ROW, row.x0, row.y0, row.x1, row.y1, text, row.colour, row.font, row.opacity,
                 uint8_t(row.letter_gap), uint8_t(row.line_gap), row.align, row.clip_index, 0x1000000);
}
