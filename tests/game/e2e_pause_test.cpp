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
    int phase = 0;
    MenuWalk walk;
    uint32_t clock_paused = 0;
    int pauses = 0;
    GameDriver driver([&](GameDriver& d) {
        switch (phase) {
        case 0:
            if (walk(d, MODE_CLASSIC))
                phase = 1;
            break;
        case 1:  // into the pause by the button
            if (in_play()) {
                EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_FIXED);
                d.tap(226, 306);
                phase = 2;
            }
            break;
        case 2:
        case 6:
            if (paused()) {
                ++pauses;
                clock_paused = soft_timers[LEVEL_CLOCK];
                d.idle(20);
                phase += 1;
            }
            break;
        case 3:
        case 7:  // frozen: nothing recomposed, the clock stands, the puzzle hidden
            EXPECT_EQ(compose_enabled, 0);
            EXPECT_EQ(soft_timers[LEVEL_CLOCK], clock_paused);
            for (int i = 0; i < vertex_count; ++i) {
                EXPECT_EQ(sprite_get(i)->opacity, 0);
                EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + i)->opacity, 0);
            }
            EXPECT_TRUE(shown_picture_is_the_scene()) << (phase == 3 ? "paused by the button" : "paused by Return");
            if (phase == 3)
                d.tap(120, 40);
            else
                d.key_tap(SDLK_RETURN);
            phase += 1;
            break;
        case 4:
        case 8:
            if (in_play()) {
                // Back in play; from now on the clock runs in real time.
                EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_REAL);
                EXPECT_EQ(sprite_get(0)->opacity, 32);
                EXPECT_GE(soft_timers[LEVEL_CLOCK], clock_paused);
                if (phase == 8)
                    throw GameStop{"paused twice"};
                phase = 5;
            }
            break;
        case 5:  // leave the level alone until nothing is recomposed any more
            d.idle(100);
            phase = 9;
            break;
        case 9:  // then into the pause by the Return key
            d.key_tap(SDLK_RETURN);
            phase = 6;
            break;
        }
    });
    driver.run();
    EXPECT_EQ(driver.stop_reason, "paused twice");
    EXPECT_EQ(pauses, 2);
}
