// The level clock: a soft timer of the engine counting the level's game time,
// shown as MM:SS (or, in the timed modes, as what is left of the time).
#include "game/level_clock.h"

#include "game/digit_frames.h"
#include "game/graph.h"
#include "game/mode.h"
#include "game/ui.h"
#include "scene/compose.h"
#include "scene/sprite.h"
#include "shell/frame.h"
#include "storage/profile.h"

// The clock's digits' strip: recomposed alone when nothing else changes.
constexpr int16_t CLOCK_AREA_X0 = 80, CLOCK_AREA_X1 = 160, CLOCK_AREA_Y1 = 24;

void level_clock_cap()
{
    uint32_t& clock = soft_timers[LEVEL_CLOCK];
    if (clock > CLOCK_CAP_MS)
        clock = CLOCK_CAP_MS;
}

void clock_show()
{
    level_clock_cap();
    const uint32_t clock = soft_timers[LEVEL_CLOCK];
    int32_t v;
    if (game_mode == MODE_TIME_ATTACK)
        v = int32_t(vertex_count) * int32_t(TIME_ATTACK_MS_PER_VERTEX) - int32_t(clock);
    else if (game_mode == MODE_SUDDEN_DEATH)
        v = time_bank - int32_t(clock);
    else
        v = int32_t(clock);
    // The digits have frames 0..9 only: what is shown stays within 00:00..99:59.
    if (v < 0)
        v = 0;
    if (v > int32_t(CLOCK_CAP_MS))
        v = int32_t(CLOCK_CAP_MS);

    int16_t frames[5];
    clock_frames_split(v / 1000, frames);
    sprite_frame_set(SPRITE_CLOCK_BASE + 4, frames[4]);
    sprite_frame_set(SPRITE_CLOCK_BASE + 3, frames[3]);
    sprite_frame_set(SPRITE_CLOCK_BASE + 1, frames[1]);
    const int16_t s = frames[0];
    Sprite* units = sprite_table[SPRITE_CLOCK_BASE];
    if (units && units->frame != s) {
        // Nothing else changing: recompose only the clock's strip.
        if (!compose_enabled)
            set_screen_rect(CLOCK_AREA_X0, 0, CLOCK_AREA_X1, CLOCK_AREA_Y1);
        compose_enabled = 1;
        units->frame = s;
    }
}

bool level_time_is_up()
{
    const uint32_t clock = soft_timers[LEVEL_CLOCK];
    if (game_mode == MODE_TIME_ATTACK)
        return clock >= uint32_t(vertex_count) * TIME_ATTACK_MS_PER_VERTEX;
    if (game_mode == MODE_SUDDEN_DEATH)
        return int64_t(time_bank) - int64_t(clock) < 0;
    return false;
}
