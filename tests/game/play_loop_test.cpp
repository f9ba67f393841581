// The play loop as a whole, driven frame by frame: when a level is won, when
// it is left, what is saved, and how the edge guard bends a drag.
#include "support/game_driver.h"

#include "game/level.h"
#include "game/level_clock.h"
#include "game/pause_screen.h"

namespace {

// Six creatures on a circle, joined in a ring: crossing-free.
const std::vector<std::pair<int16_t, int16_t>> RING = {{230, 160}, {175, 255}, {65, 255},
                                                       {10, 160},  {65, 65},   {175, 65}};
const std::vector<std::pair<int, int>> RING_EDGES = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}};

}  // namespace

class PlayLoopTest : public GameWorldTest {
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        game_mode = MODE_CLASSIC;
        level_file_index = 0;
        saved_elapsed = 0;
        pause_sprites_show();
    }
    void TearDown() override
    {
        pause_sprites_free();
        GameWorldTest::TearDown();
    }
    int8_t play(GameDriver& driver, uint8_t level = 1)
    {
        level_hud_show(level);
        int8_t result = 0;
        EXPECT_TRUE(driver.run_with([&] { result = play_level(level, 0); }));
        return result;
    }
    int8_t play(std::vector<Step> steps, uint8_t level = 1)
    {
        level_hud_show(level);
        int8_t result = 0;
        EXPECT_TRUE(steps_play_with(std::move(steps), [&] { result = play_level(level, 0); }));
        return result;
    }
    // Swaps two creatures of the ring, so that its edges cross.
    static void ring_tangle()
    {
        std::vector<std::pair<int16_t, int16_t>> points = RING;
        std::swap(points[0], points[2]);
        puzzle_make(points, RING_EDGES);
    }
};

TEST_F(PlayLoopTest, ATapOnAnUntangledPuzzleWinsOnRelease)
{
    puzzle_make(RING, RING_EDGES);
    int frames = 0;
    GameDriver driver([&](GameDriver& d) {
        if (frames == 1)
            d.tap(120, 300);
    });
    driver.watch = [&] { ++frames; };
    EXPECT_EQ(play(driver), 1);
    // Tapped after frame 1: seen pressed after frame 2, released after frame 3,
    // and the level ends with frame 4.
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(soft_timer_modes[LEVEL_CLOCK], TIMER_STOPPED);
    EXPECT_EQ(soft_timers[LEVEL_CLOCK], 4u * 25);
}

TEST_F(PlayLoopTest, NoWinWhileThePointerIsHeld)
{
    puzzle_make(RING, RING_EDGES);
    int frames = 0;
    GameDriver driver([&](GameDriver& d) {
        if (frames == 1)
            d.press(120, 300, 30);
        else if (frames > 30)
            d.release();
    });
    driver.watch = [&] { ++frames; };
    EXPECT_EQ(play(driver), 1);
    EXPECT_GT(frames, 31);
}

TEST_F(PlayLoopTest, ResumedClockStartsWhereItWasSaved)
{
    puzzle_make(RING, RING_EDGES);
    saved_elapsed = 12345;
    std::string first_clock;
    GameDriver driver([&](GameDriver& d) {
        if (first_clock.empty()) {
            first_clock = clock_text();
            d.tap(120, 300);
        }
    });
    EXPECT_EQ(play(driver), 1);
    EXPECT_EQ(first_clock, "00:12");
    EXPECT_EQ(soft_timers[LEVEL_CLOCK], 12345u + 4 * 25);
}

TEST_F(PlayLoopTest, CloseButtonLeavesAndSavesOnlyAfterAPick)
{
    ring_tangle();
    GameDriver untouched([&](GameDriver& d) { d.tap(CLOSE_X, CLOSE_Y); });
    EXPECT_EQ(play(untouched), -1);
    EXPECT_FALSE(file_exists("ZembrolShape0.lvl"));

    // A pick (creature 4 nudged), then the close button.
    const auto touched = [] {
        return std::vector<Step>{
            act([](GameDriver& d) { d.drag(vertices[4].x, vertices[4].y, vertices[4].x + 2, vertices[4].y + 1); }),
            tap_close(),
            wait_for_end(),
        };
    };
    ring_tangle();
    EXPECT_EQ(play(touched()), -1);
    const std::vector<uint8_t> bytes = file_bytes("ZembrolShape0.lvl");
    ASSERT_EQ(bytes.size(), size_t(200 + 6 + 14 * 6));
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(int16_t(bytes[206 + 14 * 4] | bytes[207 + 14 * 4] << 8), RING[4].first + 2);

    // Time attack never saves.
    ring_tangle();
    std::remove("ZembrolShape0.lvl");
    game_mode = MODE_TIME_ATTACK;
    EXPECT_EQ(play(touched()), -1);
    EXPECT_FALSE(file_exists("ZembrolShape0.lvl"));
}

TEST_F(PlayLoopTest, PressOnTheCloseButtonThatHitsAGlowDragsInstead)
{
    // Vertex 0's glow box (222..241, 4..23) reaches under the close button.
    std::vector<std::pair<int16_t, int16_t>> points = RING;
    points[0] = {232, 14};
    puzzle_make(points, RING_EDGES);
    ASSERT_TRUE(is_crossing_free());
    GameDriver driver([&](GameDriver& d) { d.tap(CLOSE_X, CLOSE_Y); });
    EXPECT_EQ(play(driver), 1);
}

TEST_F(PlayLoopTest, EdgeGuardKeepsADragOffTheButtonsInTheRightStrip)
{
    ring_tangle();
    std::vector<std::pair<int16_t, int16_t>> seen;
    const int16_t x0 = vertices[5].x, y0 = vertices[5].y;   // (175, 65)
    // Where the creature is after each step of the drag, then the drag on.
    const auto seen_then = [&](std::function<void(GameDriver&)> next) {
        return act([&seen, next](GameDriver& d) {
            seen.push_back({vertices[5].x, vertices[5].y});
            next(d);
        });
    };
    level_hud_show(1);
    steps_play_with(
        {
            act([&](GameDriver& d) {
                d.press(x0, y0);
                d.move(230, 5, 1);
            }),
            seen_then([](GameDriver& d) { d.move(230, 319, 1); }),
            seen_then([](GameDriver& d) { d.move(100, 319, 1); }),
            seen_then([](GameDriver& d) { d.release(); }),
        },
        [] { play_level(1, 0); });
    ASSERT_EQ(seen.size(), 3u);
    // Above the strip's top: held at y 24; below its bottom: at 284.
    EXPECT_EQ(seen[0], std::make_pair(int16_t(230), int16_t(24)));
    EXPECT_EQ(seen[1], std::make_pair(int16_t(230), int16_t(284)));
    // Out of the strip the pointer's y counts again, clamped to the play area.
    EXPECT_EQ(seen[2], std::make_pair(int16_t(100), int16_t(312)));
}
