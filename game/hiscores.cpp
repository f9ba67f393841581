// The record screens: the sudden-death top ten, entering a new score, and the
// best time of every level as a paged list.
#include "game/hiscores.h"
#include "game/hiscores_internal.h"

#include <cstdio>

#include "assets/assets.h"
#include "game/digit_frames.h"
#include "game/fade.h"
#include "game/mode.h"
#include "game/shared_pictures.h"
#include "game/ui.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "scene/sprite.h"
#include "scene/text.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "storage/profile.h"

// The TOP SCORES / YOUR SCORE captions while the top ten is shown.
static Image* scores_captions_image;

constexpr int16_t SCORE_LINE_Y0 = 48, SCORE_LINE_PITCH = 20;
constexpr int16_t LIST_Y0 = 40, LIST_PITCH = 16;
constexpr int16_t LIST_LEVEL_TENS_X = 53, LIST_LEVEL_UNITS_X = 67, LIST_LEVEL_HUNDREDS_X = 39;
// x of the time digits: seconds, tens of seconds, colon, minutes, tens of minutes.
static const int16_t LIST_TIME_X[5] = {206, 193, 180, 167, 154};

static void score_lines_opacity_set(uint8_t opacity)
{
    TextRow* rows = text_row_tables[TEXT_SLOT];
    if (!rows)
        return;
    for (int i = 0; i < TOP_SCORE_COUNT; ++i)
        rows[SCORE_LINE_FIRST + i].opacity = opacity;
}

int16_t top_scores_screen()
{
    image_reload(scores_captions_image, img_scores_captions);
    text_align = TEXT_ALIGN_CENTRE;
    const bool with_score = score != -1;
    if (scores_captions_image) {
        sprite_create(SPRITE_SCORES_CAPTION, scores_captions_image, PIC_SCORES_CAPTIONS, SCREEN_CENTRE_X, 24);
        if (with_score) {
            Sprite* s = sprite_create(SPRITE_YOUR_SCORE, scores_captions_image, PIC_SCORES_CAPTIONS, SCREEN_CENTRE_X,
                                      int16_t(screen_height - 32));
            s->frame = 1;
        }
    }
    if (with_score)
        profile_score_insert(score);

    for (int i = 0; i < TOP_SCORE_COUNT; ++i) {
        char text[16];
        std::snprintf(text, sizeof(text), "%d", int(profile.top_scores[i]));
        text_row_set(TEXT_SLOT, uint8_t(SCORE_LINE_FIRST + i), 0, int16_t(SCORE_LINE_Y0 + SCORE_LINE_PITCH * i),
                     SCREEN_WIDTH - 1, 319, text, 0x0000, GAME_FONT, text_opacity, uint8_t(text_letter_gap),
                     uint8_t(text_line_gap), text_align, text_clip_index, 100);
    }

    fade_run(0, 28, 4, [&](int16_t o) {
        score_lines_opacity_set(uint8_t(o));
        sprite_opacity_set(SPRITE_SCORES_CAPTION, o);
        if (with_score)
            sprite_opacity_set(SPRITE_YOUR_SCORE, o);
    });
    tap_wait(true);
    const int16_t result = sprite_hit(SPRITE_CLOSE) ? -1 : 0;

    fade_run(28, 0, -4, [&](int16_t o) {
        score_lines_opacity_set(uint8_t(o));
        sprite_opacity_set(SPRITE_SCORES_CAPTION, o);
        if (with_score) {
            sprite_opacity_set(SPRITE_YOUR_SCORE, o);
            if (text_row_tables[TEXT_SLOT])
                text_row_tables[TEXT_SLOT][SCORE_ROW].opacity = uint8_t(o);
        }
    });
    sprite_active_set(SPRITE_SCORES_CAPTION, 0);
    sprite_active_set(SPRITE_YOUR_SCORE, 0);
    image_release(scores_captions_image);
    return result;
}

int best_times_count()
{
    int n = 0;
    while (n < BEST_TIME_LEVELS && profile.best_times[n] != 0)
        ++n;
    return n;
}

static void list_digit_show(int id, int16_t x, int16_t y, int16_t frame)
{
    Sprite* s = sprite_create(id, digits_small_image, PIC_DIGITS_SMALL, x, y);
    s->frame = frame;
}

void best_times_row_show(int j)
{
    const int r = j % LIST_ROWS_PER_PAGE;
    const int16_t y = int16_t(LIST_PITCH * r + LIST_Y0);
    const int base = LIST_SPRITES_PER_ROW * r;
    // A profile from elsewhere may hold anything; the digits only go to 99:59.
    int d = profile.best_times[j];
    if (d > BEST_TIME_CAP_S)
        d = BEST_TIME_CAP_S;
    const int level = j + 1;
    int16_t level_frames[3];
    digit_frames_split(level, 3, level_frames);
    list_digit_show(base + 5, LIST_LEVEL_TENS_X, y, level_frames[1]);
    list_digit_show(base + 6, LIST_LEVEL_UNITS_X, y, level_frames[2]);
    if (level >= 100)
        list_digit_show(LIST_HUNDREDS_BASE + r, LIST_LEVEL_HUNDREDS_X, y, level_frames[0]);
    else
        sprite_active_set(LIST_HUNDREDS_BASE + r, 0);
    int16_t frames[5];
    clock_frames_split(d, frames);
    for (int k = 0; k < 5; ++k)
        list_digit_show(base + k, LIST_TIME_X[k], y, frames[k]);
}

void best_times_screen()
{
    sprite_create(SPRITE_LIST_HEAD_LEVEL, level_small_image, PIC_LEVEL_SMALL, 60, 18);
    sprite_create(SPRITE_LIST_HEAD_TIME, time_small_image, PIC_TIME_SMALL, 180, 18);
    const int n = best_times_count();
    for (int i = 0; i < MENU_ROWS; ++i)
        sprite_opacity_set(SPRITE_MENU_BASE + i, 0);

    for (int first = 0; first < n; first += LIST_ROWS_PER_PAGE) {
        const int last = first + LIST_ROWS_PER_PAGE < n ? first + LIST_ROWS_PER_PAGE : n;
        for (int j = first; j < last; ++j)
            best_times_row_show(j);
        frame_step();
        tap_wait(false);
        for (int j = first; j < last; ++j) {
            const int r = j % LIST_ROWS_PER_PAGE;
            for (int k = 0; k < LIST_SPRITES_PER_ROW; ++k)
                sprite_active_set(LIST_SPRITES_PER_ROW * r + k, 0);
            sprite_active_set(LIST_HUNDREDS_BASE + r, 0);
        }
    }
    sprite_active_set(SPRITE_LIST_HEAD_LEVEL, 0);
    sprite_active_set(SPRITE_LIST_HEAD_TIME, 0);
}
