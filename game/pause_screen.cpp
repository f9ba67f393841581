// The pause screen: the level clock stops, the puzzle fades out behind the
// PAUSE caption, and a tap (or Return) brings it back.
#include "game/pause_screen.h"

#include "assets/assets.h"
#include "assets/catalogue.h"
#include "game/fade.h"
#include "game/level_clock.h"
#include "game/play.h"
#include "game/ui.h"
#include "gfx/pixel.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"

// The pause button and PAUSE caption while a game is on.
static Image* pause_caption_image;
static Image* pause_button_image;

void pause_sprites_show()
{
    image_reload(pause_caption_image, img_pause_caption);
    image_reload(pause_button_image, img_pause_button);
    const int16_t h = screen_height;
    if (pause_button_image)
        sprite_create(SPRITE_PAUSE_BUTTON, pause_button_image, PIC_PAUSE_BUTTON, PAUSE_BUTTON_X,
                      int16_t(h - PAUSE_BUTTON_BOTTOM_GAP));
    if (pause_caption_image) {
        Sprite* s = sprite_create(SPRITE_PAUSE_CAPTION, pause_caption_image, PIC_PAUSE_CAPTION, SCREEN_CENTRE_X, int16_t(h / 2));
        s->opacity = 0;
    }
}

void pause_sprites_free()
{
    sprite_active_set(SPRITE_PAUSE_BUTTON, 0);
    sprite_active_set(SPRITE_PAUSE_CAPTION, 0);
    image_release(pause_caption_image);
    image_release(pause_button_image);
}

void pause_check(int16_t picked)
{
    if (picked != -1)
        return;
    const int32_t dx = int32_t(pointer_x) - PAUSE_BUTTON_X;
    const int32_t dy = int32_t(pointer_y) - (screen_height - PAUSE_BUTTON_BOTTOM_GAP);
    const bool on_button = pointer_pressed && dx * dx + dy * dy <= PAUSE_HIT_RANGE_SQ;
    if (!on_button && !return_pressed)
        return;

    soft_timer_modes[LEVEL_CLOCK] = TIMER_STOPPED;
    // Return can arrive while nobody touches the screen, when this frame was
    // not going to be recomposed: the fade must be seen, over the whole screen.
    compose_enabled = 1;
    screen_rect_full();
    fade_run(4, OPACITY_FULL, 4, [&](int16_t o) {
        set_puzzle_opacity(int16_t(OPACITY_FULL - o));
        sprite_opacity_set(SPRITE_PAUSE_CAPTION, o);
    });
    compose_enabled = 0;
    while (!pointer_pressed && !return_pressed)
        frame_step();
    compose_enabled = 1;
    fade_run(28, 0, -4, [&](int16_t o) {
        set_puzzle_opacity(int16_t(OPACITY_FULL - o));
        sprite_opacity_set(SPRITE_PAUSE_CAPTION, o);
    });
    soft_timer_modes[LEVEL_CLOCK] = TIMER_REAL;
}
