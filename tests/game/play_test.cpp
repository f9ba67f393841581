// The play loop's pieces: picking, the edge guard, dragging with its clamp and
// pulse, the drag cache, the clock, the caption fade, the time limit and pause.
#include "support/game_driver.h"

#include "gfx/image.h"
#include "gfx/pixel.h"
#include "scene/compose.h"
#include "game/level_caption.h"
#include "game/level_clock.h"
#include "game/pause_screen.h"
#include "game/play_internal.h"
#include "game/shared_pictures.h"
#include "game/times_up_screen.h"

TEST_F(GameWorldTest, PickTakesTheNearestVertexAndTheLowerIndexOnATie)
{
    puzzle_make({{100, 100}, {120, 100}, {110, 130}, {300, 300}}, {});
    // (110, 100) is 10 from both 0 and 1: the lower index wins.
    EXPECT_EQ(vertex_pick(110, 100), 0);
    EXPECT_EQ(vertex_pick(111, 100), 1);
    EXPECT_EQ(vertex_pick(110, 125), 2);
    // Two vertices on one spot: always the lower one.
    puzzle_make({{50, 50}, {80, 80}, {80, 80}}, {});
    EXPECT_EQ(vertex_pick(80, 80), 1);
    EXPECT_EQ(vertex_pick(81, 81), 1);
}

TEST_F(GameWorldTest, PickReachesNoFurtherThanItsRange)
{
    puzzle_make({{0, 0}}, {});
    // 320^2 = 102400 is out of range, one less is in.
    EXPECT_EQ(vertex_pick(320, 0), -1);
    EXPECT_EQ(vertex_pick(0, 320), -1);
    EXPECT_EQ(vertex_pick(319, 0), 0);
    vertex_count = 0;
    EXPECT_EQ(vertex_pick(0, 0), -1);
}

// Creatures as far apart as 16 bits allow: the squares of their distances
// pass 32 bits and must still be compared exactly.
TEST_F(GameWorldTest, PickMeasuresCreaturesAtTheEndsOfTheRange)
{
    puzzle_make({{-32768, -32768}, {32767, 32767}, {100, 100}, {32767, -32768}}, {});
    EXPECT_EQ(vertex_pick(110, 100), 2);
    EXPECT_EQ(vertex_pick(-32768, -32768), 0);
    EXPECT_EQ(vertex_pick(32767, 32767), 1);
    EXPECT_EQ(vertex_pick(32700, -32700), 3);
    EXPECT_EQ(vertex_pick(0, 32767), -1);
}

TEST(EdgeGuard, KeepsTheRightStripOffTheButtons)
{
    screen_height = 320;
    struct Case {
        int16_t x, y, expected;
    } cases[] = {
        {216, 0, 0},       // the strip starts right of 216
        {216, 319, 319},
        {217, 0, 24},
        {217, 23, 24},
        {217, 24, 24},
        {230, 160, 160},
        {239, 284, 284},
        {239, 285, 284},
        {239, 319, 284},
        {-5, 400, 400},
    };
    for (const Case& c : cases)
        EXPECT_EQ(edge_guard_y(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(GameWorldTest, MoveVertexClampsToThePlayAreaAndDragsItsEdges)
{
    puzzle_make({{100, 100}, {150, 120}, {60, 200}, {200, 250}}, {{0, 1}, {0, 2}, {2, 3}});
    vertices[0].facing = 3;
    vertices[1].facing = 5;
    struct Case {
        int16_t x, y, ex, ey;
    } cases[] = {
        {0, 0, 8, 8},
        {7, 8, 8, 8},
        {239, 319, 232, 312},
        {233, 313, 232, 312},
        {232, 312, 232, 312},
        {-400, 900, 8, 312},
        {120, 160, 120, 160},
    };
    for (const Case& c : cases) {
        move_vertex_to(0, c.x, c.y);
        EXPECT_EQ(vertices[0].x, c.ex) << c.x << "," << c.y;
        EXPECT_EQ(vertices[0].y, c.ey);
        EXPECT_EQ(sprite_get(0)->x, c.ex);
        EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE)->y, c.ey);
        // Both edges of vertex 0 run from its new place to the neighbour.
        for (int k = 0; k < 2; ++k) {
            const ShapeNode* line = vertices[0].edge_lines[k];
            const Vertex& n = vertices[vertices[0].neighbours[k]];
            EXPECT_EQ(line->x0, c.ex);
            EXPECT_EQ(line->y0, c.ey);
            EXPECT_EQ(line->x1, n.x);
            EXPECT_EQ(line->y1, n.y);
        }
    }
    // Dragged orange, neighbours red, the rest untouched.
    EXPECT_EQ(sprite_get(0)->frame, FRAME_SET_DRAGGED + 3);
    EXPECT_EQ(sprite_get(1)->frame, FRAME_SET_NEIGHBOUR + 5);
    EXPECT_EQ(sprite_get(2)->frame, FRAME_SET_NEIGHBOUR + 0);
    EXPECT_EQ(sprite_get(3)->frame, FRAME_SET_NORMAL);
    // The line of the untouched edge 2-3 keeps its place.
    EXPECT_EQ(vertices[2].edge_lines[1]->x0, 60);
    EXPECT_EQ(vertices[2].edge_lines[1]->y1, 250);
}

TEST_F(GameWorldTest, DraggedGroupPulsesInATriangleWave)
{
    puzzle_make({{100, 100}, {150, 120}, {60, 200}}, {{0, 1}});
    const struct {
        uint8_t counter, opacity;
    } cases[] = {{16, 16}, {31, 31}, {32, 32}, {33, 31}, {40, 24}, {47, 17}};
    for (const auto& c : cases) {
        pulse_counter = c.counter;
        move_vertex_to(0, 100, 100);
        EXPECT_EQ(pulse_opacity, c.opacity) << int(c.counter);
        EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + 0)->opacity, c.opacity);
        EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + 1)->opacity, c.opacity);
        EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + 2)->opacity, 32);
    }
}

TEST_F(GameWorldTest, DragCacheHoldsTheStillGlowsButNotTheMovingGroup)
{
    puzzle_make({{60, 100}, {180, 100}, {120, 220}}, {{0, 1}});
    drag_cache_render(0);
    const SurfaceSlot& cache = surface_slots[CACHE_SLOT];
    const SurfaceSlot& background = surface_slots[BACKGROUND_SLOT];
    auto at = [](const SurfaceSlot& slot, int x, int y) { return slot.pixels[y * slot.width + x]; };
    // Vertices 0 and 1 will move: only the background lies under them.
    EXPECT_EQ(at(cache, 60, 100), at(background, 60, 100));
    EXPECT_EQ(at(cache, 180, 100), at(background, 180, 100));
    // Vertex 2's glow is baked in: its opaque middle exactly.
    ASSERT_NE(glow_image, nullptr);
    ASSERT_EQ(glow_image->format, FORMAT_RGB565_ALPHA);
    ASSERT_EQ(glow_image->alpha[10 * 20 + 10], 32);
    EXPECT_EQ(at(cache, 120, 220), static_cast<const uint16_t*>(glow_image->pixels)[10 * 20 + 10]);
    // Far from every glow the cache is the background.
    EXPECT_EQ(at(cache, 5, 300), at(background, 5, 300));
    // The cache now stands in for the background and every glow is hidden.
    EXPECT_EQ(cache.opacity, 32);
    EXPECT_EQ(background.opacity, 0);
    EXPECT_EQ(surface_slots[EDGE_SLOT].opacity, 32);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + i)->opacity, 0);
        EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + i)->layer, GLOW_LAYER);
    }

    release_reset();
    EXPECT_EQ(cache.opacity, 0);
    EXPECT_EQ(background.opacity, 32);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + i)->opacity, 32);
        EXPECT_EQ(sprite_get(i)->frame, vertices[i].facing);
    }
}

class ClockTest : public GameWorldTest {
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        for (int i = 0; i < CLOCK_SPRITES; ++i) {
            Sprite* s = sprite_create(SPRITE_CLOCK_BASE + i, digits_small_image, PIC_DIGITS_SMALL, int16_t(146 - 13 * i), 14);
            s->frame = i == 2 ? 10 : 0;
        }
    }
    std::string show(uint8_t mode, uint32_t clock, uint16_t count = 6, int32_t bank = 0)
    {
        game_mode = mode;
        vertex_count = count;
        time_bank = bank;
        soft_timers[LEVEL_CLOCK] = clock;
        clock_show();
        return clock_text();
    }
};

TEST_F(ClockTest, DigitsReadMinutesAndSecondsOfEachMode)
{
    EXPECT_EQ(show(MODE_CLASSIC, 0), "00:00");
    EXPECT_EQ(show(MODE_CLASSIC, 754321), "12:34");
    EXPECT_EQ(show(MODE_FUNKY_SHAPES, 12345), "00:12");
    EXPECT_EQ(show(MODE_BABY_BRAINS, 59999), "00:59");
    EXPECT_EQ(show(MODE_CLASSIC, 60000), "01:00");
    // Time attack counts down from 5 s a vertex.
    EXPECT_EQ(show(MODE_TIME_ATTACK, 0, 6), "00:30");
    EXPECT_EQ(show(MODE_TIME_ATTACK, 0, 10), "00:50");
    EXPECT_EQ(show(MODE_TIME_ATTACK, 29975, 6), "00:00");
    EXPECT_EQ(show(MODE_TIME_ATTACK, 1001, 6), "00:28");
    // Sudden death shows the bank less the level's clock.
    EXPECT_EQ(show(MODE_SUDDEN_DEATH, 0, 6, 35010), "00:35");
    EXPECT_EQ(show(MODE_SUDDEN_DEATH, 5000, 6, 35010), "00:30");
    // Never below zero, never beyond 99:59.
    EXPECT_EQ(show(MODE_SUDDEN_DEATH, 5000, 6, 1000), "00:00");
    EXPECT_EQ(show(MODE_SUDDEN_DEATH, 0, 6, 7000000), "99:59");
}

TEST_F(ClockTest, LevelClockIsCappedAtNinetyNineMinutes)
{
    EXPECT_EQ(show(MODE_CLASSIC, 5999000), "99:59");
    EXPECT_EQ(soft_timers[LEVEL_CLOCK], 5999000u);
    EXPECT_EQ(show(MODE_CLASSIC, 7000000), "99:59");
    EXPECT_EQ(soft_timers[LEVEL_CLOCK], 5999000u);
}

TEST_F(ClockTest, OnlyTheClockStripIsRecomposedWhenNothingElseMoves)
{
    show(MODE_CLASSIC, 4000);
    set_screen_rect(0, 0, 239, 319);
    compose_enabled = 0;
    // Same second: nothing to do.
    show(MODE_CLASSIC, 4999);
    EXPECT_EQ(compose_enabled, 0);
    EXPECT_EQ(screen_rect.x0, 0);
    // A new second with the screen frozen: just the strip.
    show(MODE_CLASSIC, 5000);
    EXPECT_EQ(compose_enabled, 1);
    EXPECT_EQ(screen_rect.x0, 80);
    EXPECT_EQ(screen_rect.y0, 0);
    EXPECT_EQ(screen_rect.x1, 160);
    EXPECT_EQ(screen_rect.y1, 24);
    // Already composing (someone is dragging): the whole screen stays.
    set_screen_rect(0, 0, 239, 319);
    show(MODE_CLASSIC, 6000);
    EXPECT_EQ(screen_rect.x1, 239);
}

TEST_F(GameWorldTest, CaptionStaysUntilTheFirstTouchThenFadesAndStaysGone)
{
    for (int k = 0; k < 3; ++k)
        sprite_create(SPRITE_LEVEL_CAPTION + k, digits_large_image, PIC_DIGITS_LARGE, 100, 300);
    caption_fade = 32;
    pointer_pressed = 0;
    compose_enabled = 0;
    caption_fade_step(12);
    EXPECT_EQ(caption_fade, 32);
    EXPECT_EQ(compose_enabled, 0);

    pointer_pressed = 1;
    caption_fade_step(12);
    pointer_pressed = 0;
    EXPECT_EQ(caption_fade, 31);
    EXPECT_EQ(compose_enabled, 1);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(sprite_get(SPRITE_LEVEL_CAPTION + k)->opacity, 31);
    for (int f = 0; f < 31; ++f)
        caption_fade_step(12);
    EXPECT_EQ(caption_fade, 0);
    EXPECT_TRUE(sprite_get(SPRITE_LEVEL_CAPTION + 2)->active);
    caption_fade_step(12);
    EXPECT_EQ(caption_fade, -1);
    for (int k = 0; k < 3; ++k)
        EXPECT_FALSE(sprite_get(SPRITE_LEVEL_CAPTION + k)->active);
    // However long the level lasts, the caption does not come back.
    for (int f = 0; f < 400; ++f)
        caption_fade_step(12);
    EXPECT_EQ(caption_fade, -1);
    EXPECT_FALSE(sprite_get(SPRITE_LEVEL_CAPTION)->active);
}

TEST_F(GameWorldTest, TimeRunsOutOnlyInTheTimedModes)
{
    puzzle_make({{60, 100}, {180, 100}, {120, 220}, {100, 100}, {30, 30}, {200, 200}}, {});
    for (int i = 0; i < CLOCK_SPRITES; ++i)
        sprite_create(SPRITE_CLOCK_BASE + i, digits_small_image, PIC_DIGITS_SMALL, int16_t(146 - 13 * i), 14);
    game_mode = MODE_CLASSIC;
    soft_timers[LEVEL_CLOCK] = 5999000;
    EXPECT_EQ(time_check(1), 1);
    EXPECT_EQ(time_check(0), 0);

    game_mode = MODE_TIME_ATTACK;
    soft_timers[LEVEL_CLOCK] = 29999;
    EXPECT_EQ(time_check(1), 1);
    game_mode = MODE_SUDDEN_DEATH;
    time_bank = 1000;
    soft_timers[LEVEL_CLOCK] = 1000;
    EXPECT_EQ(time_check(0), 0);

    // Out of time: TIME'S UP, then GAME OVER, then a tap; even a solve does not count.
    int frames_to_wait = 0;
    GameDriver driver([&](GameDriver& d) {
        // 11 frames of TIME'S UP fading in, then 32 of GAME OVER, then the wait.
        if (times_up_waiting()) {
            EXPECT_EQ(sprite_get(SPRITE_POPUP)->opacity, 32);
            EXPECT_EQ(sprite_get(SPRITE_POPUP)->y, 120);
            EXPECT_EQ(sprite_get(SPRITE_POPUP_LOWER)->y, 200);
            frames_to_wait = d.frame;
            d.tap(120, 160);
        }
    });
    for (uint8_t mode : {MODE_TIME_ATTACK, MODE_SUDDEN_DEATH}) {
        game_mode = mode;
        soft_timers[LEVEL_CLOCK] = mode == MODE_TIME_ATTACK ? 30000 : 1001;
        frames_to_wait = 0;
        driver.frame = 0;
        int8_t result = 0;
        ASSERT_TRUE(driver.run_with([&] { result = time_check(1); }));
        EXPECT_EQ(result, -1) << int(mode);
        EXPECT_EQ(frames_to_wait, 43);
        EXPECT_FALSE(sprite_get(SPRITE_POPUP)->active);
        EXPECT_FALSE(sprite_get(SPRITE_POPUP_LOWER)->active);
    }
}

TEST_F(GameWorldTest, PauseStartsNearTheButtonOrWithReturnOnlyWhenNothingIsHeld)
{
    puzzle_make({{60, 100}, {180, 100}}, {{0, 1}});
    pause_sprites_show();
    soft_timer_modes[LEVEL_CLOCK] = TIMER_FIXED;
    // Held vertex: never.
    pointer_pressed = 1;
    pointer_x = 226;
    pointer_y = 306;
    pause_check(0);
    EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_FIXED);
    // 14 pixels away is too far (196 > 195).
    pointer_x = 240;
    pause_check(-1);
    EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_FIXED);
    pointer_x = 226;
    pointer_y = 320;
    pause_check(-1);
    EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_FIXED);

    int pauses = 0;
    bool hidden_while_paused = false;
    GameDriver driver([&](GameDriver& d) {
        if (paused()) {
            ++pauses;
            hidden_while_paused = sprite_get(0)->opacity == 0 && sprite_get(GLOW_SPRITE_BASE + 1)->opacity == 0 &&
                                  vertices[0].edge_lines[0]->opacity == 0;
            d.tap(30, 30);
        }
    });
    // 13 and 5 pixels off: 169 + 25 = 194, close enough.
    pointer_pressed = 1;
    pointer_x = 239;
    pointer_y = 311;
    uint32_t clock_before = soft_timers[LEVEL_CLOCK] = 5000;
    ASSERT_TRUE(driver.run_with([] { pause_check(-1); }));
    EXPECT_EQ(pauses, 1);
    EXPECT_TRUE(hidden_while_paused);
    EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_REAL);
    EXPECT_EQ(soft_timers[LEVEL_CLOCK], clock_before);   // stopped throughout
    EXPECT_EQ(sprite_get(0)->opacity, 32);
    EXPECT_EQ(vertices[0].edge_lines[0]->opacity, 32);
    EXPECT_EQ(sprite_get(SPRITE_PAUSE_CAPTION)->opacity, 0);

    pointer_pressed = 0;
    return_pressed = 1;
    ASSERT_TRUE(driver.run_with([] { pause_check(-1); }));
    EXPECT_EQ(pauses, 2);
    pause_sprites_free();
}
