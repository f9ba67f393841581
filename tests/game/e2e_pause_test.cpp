// End to end, the pause screen: the pause button and the Return key both
// pause a level and resume it; the clock stands still in between.
#include "support/game_driver.h"

#include <cstring>

#include "gfx/pixel.h"
#include "scene/compose.h"
#include "game/level_clock.h"

// The picture on show is the scene as it now stands: the puzzle hidden and
// PAUSE up, whichever way the pause was entered.
static bool shown_picture_is_the_scene()
{
    static uint16_t shown[BACK_BUFFER_PIXELS];
    std::memcpy(shown, back_buffer, sizeof shown);
    set_screen_rect(0, 0, 239, 319);
    compose_frame(0, 1023);
    return std::memcmp(shown, back_buffer, sizeof shown) == 0;
}

TEST_F(GameTest, PauseButtonAndReturnKeyPauseAndResume)
{
    uint32_t clock_paused = 0;
    int pauses = 0;
    const auto pause_seen = [&](GameDriver& d) {
        ++pauses;
        clock_paused = soft_timers[LEVEL_CLOCK];
        d.idle(20);
    };
    // Frozen: nothing recomposed, the clock stands, the puzzle hidden.
    const auto frozen = [&](const char* how) {
        EXPECT_EQ(compose_enabled, 0);
        EXPECT_EQ(soft_timers[LEVEL_CLOCK], clock_paused);
        for (int i = 0; i < vertex_count; ++i) {
            EXPECT_EQ(sprite_get(i)->opacity, 0);
            EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + i)->opacity, 0);
        }
        EXPECT_TRUE(shown_picture_is_the_scene()) << how;
    };
    // Back in play; from now on the clock runs in real time.
    const auto resumed = [&](GameDriver&) {
        EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_REAL);
        EXPECT_EQ(sprite_get(0)->opacity, 32);
        EXPECT_GE(soft_timers[LEVEL_CLOCK], clock_paused);
    };
    const Played played = steps_play({
        menu_choose(MODE_CLASSIC),
        // Into the pause by the button, out of it by a tap.
        on(in_play,
           [](GameDriver& d) {
               EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_FIXED);
               d.tap(226, 306);
           }),
        on(paused, pause_seen),
        act([&](GameDriver& d) {
            frozen("paused by the button");
            d.tap(120, 40);
        }),
        on(in_play, resumed),
        // The level left alone until nothing is recomposed any more, then into
        // the pause by the Return key and out of it by Return again.
        settle(100),
        act([](GameDriver& d) { d.key_tap(SDLK_RETURN); }),
        on(paused, pause_seen),
        act([&](GameDriver& d) {
            frozen("paused by Return");
            d.key_tap(SDLK_RETURN);
        }),
        on(in_play, resumed),
        stop_game("paused twice"),
    });
    EXPECT_EQ(played.reason, "paused twice");
    EXPECT_EQ(pauses, 2);
}
