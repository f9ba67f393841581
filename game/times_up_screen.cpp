// The TIME'S UP screen of the timed modes: TIME'S UP and GAME OVER fade in
// over the puzzle and stay until the player taps.
#include "game/times_up_screen.h"

#include <initializer_list>

#include "assets/assets.h"
#include "assets/catalogue.h"
#include "game/fade.h"
#include "game/layout.h"
#include "game/level_clock.h"
#include "game/ui.h"
#include "gfx/pixel.h"
#include "scene/sprite.h"
#include "shell/frame.h"

// The TIME'S UP and GAME OVER pictures while their screen is up.
static Image* times_up_image;
static Image* game_over_image;

int8_t time_check(int8_t solved)
{
    if (!level_time_is_up()) {
        clock_show();
        return solved;
    }
    image_reload(times_up_image, img_times_up);
    image_reload(game_over_image, img_game_over);
    compose_enabled = 1;
    screen_rect_full();
    const int16_t cy = layout_centre_y;
    if (times_up_image) {
        Sprite* s = sprite_create(SPRITE_POPUP, times_up_image, PIC_TIMES_UP, SCREEN_CENTRE_X, int16_t(cy - 40));
        fade_run(2, OPACITY_FULL, 3, [&](int16_t o) {
            s->opacity = o;
        });
    }
    if (game_over_image) {
        Sprite* s = sprite_create(SPRITE_POPUP_LOWER, game_over_image, PIC_GAME_OVER, SCREEN_CENTRE_X, int16_t(cy + 40));
        fade_run(1, OPACITY_FULL, 1, [&](int16_t o) {
            s->opacity = o;
        });
    }
    tap_wait(false);
    for (int id : {SPRITE_POPUP, SPRITE_POPUP_LOWER}) {
        sprite_opacity_set(id, 0);
        sprite_active_set(id, 0);
    }
    image_release(times_up_image);
    image_release(game_over_image);
    return -1;
}
