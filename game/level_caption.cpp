// The LEVEL caption at the bottom of the play screen: how many sprites it
// takes, and its fade once the player starts.
#include "game/level_caption.h"

#include "game/ui.h"
#include "gfx/pixel.h"
#include "scene/sprite.h"
#include "shell/frame.h"
#include "shell/input.h"

// Opacity of the bottom LEVEL caption; written by play_level and caption_fade_step.
int8_t caption_fade = 32;

int caption_sprite_count(uint8_t level)
{
    if (level >= 100)
        return 4;
    return level > 9 ? 3 : 2;
}

void caption_fade_step(uint8_t level)
{
    // Stops at -1 rather than counting on: the byte would wrap round after a
    // hundred frames or so and bring the caption back.
    if (caption_fade >= 0 && (pointer_pressed || caption_fade < OPACITY_FULL))
        caption_fade = int8_t(caption_fade - 1);
    const int count = caption_sprite_count(level);
    for (int k = 0; k < count; ++k) {
        if (caption_fade < 0) {
            sprite_active_set(SPRITE_LEVEL_CAPTION + k, 0);
        } else {
            sprite_opacity_set(SPRITE_LEVEL_CAPTION + k, caption_fade);
        }
    }
    if (caption_fade >= 0 && caption_fade < OPACITY_FULL)
        compose_enabled = 1;
}
