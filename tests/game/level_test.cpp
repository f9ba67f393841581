// Around a level: the HUD and LEVEL caption, booking a solved level, and the
// outro with its sudden-death bonus and score.
#include "support/game_driver.h"

#include <string>

#include "game/hiscores.h"
#include "game/hiscores_internal.h"
#include "game/level.h"
#include "game/level_caption.h"
#include "game/level_clock.h"
#include "game/level_internal.h"
#include "game/pause_screen.h"
#include "storage/level_file.h"

TEST_F(GameWorldTest, HudPutsTheClockAndTheLevelCaptionInPlace)
{
    puzzle_make({{60, 160}, {180, 160}}, {{0, 1}});
    level_hud_show(7);
    for (int i = 0; i < CLOCK_SPRITES; ++i) {
        const Sprite* s = sprite_get(SPRITE_CLOCK_BASE + i);
        EXPECT_EQ(s->x, 146 - 13 * i);
        EXPECT_EQ(s->y, 14);
        EXPECT_EQ(s->layer, 10);
        EXPECT_EQ(s->frame, i == 2 ? 10 : 0);
    }
    EXPECT_EQ(sprite_get(SPRITE_LEVEL_CAPTION)->x, 103);
    EXPECT_EQ(sprite_get(SPRITE_LEVEL_CAPTION)->y, 304);
    EXPECT_EQ(sprite_get(SPRITE_LEVEL_DIGITS)->x, 183);
    EXPECT_EQ(sprite_get(SPRITE_LEVEL_DIGITS)->frame, 7);
    // The creatures look at the middle.
    EXPECT_EQ(vertices[0].facing, 0);
    EXPECT_EQ(vertices[1].facing, 4);
}

TEST_F(GameWorldTest, CaptionHasOneDigitSpritePerDigitOfTheLevel)
{
    puzzle_make({}, {});
    struct Case {
        uint8_t level;
        int16_t caption_x;
        std::vector<std::pair<int16_t, int16_t>> digits;   // x, frame
    } cases[] = {
        {1, 103, {{183, 1}}},
        {9, 103, {{183, 9}}},
        {10, 91, {{171, 1}, {198, 0}}},
        {99, 91, {{171, 9}, {198, 9}}},
        {100, 79, {{159, 1}, {186, 0}, {213, 0}}},
        {123, 79, {{159, 1}, {186, 2}, {213, 3}}},
        {255, 79, {{159, 2}, {186, 5}, {213, 5}}},
    };
    for (const Case& c : cases) {
        for (int k = 0; k < 3; ++k)
            sprite_active_set(SPRITE_LEVEL_DIGITS + k, 0);
        level_hud_show(c.level);
        EXPECT_EQ(caption_sprite_count(c.level), int(c.digits.size()) + 1);
        EXPECT_EQ(sprite_get(SPRITE_LEVEL_CAPTION)->x, c.caption_x) << int(c.level);
        for (size_t k = 0; k < 3; ++k) {
            const Sprite* s = sprite_get(SPRITE_LEVEL_DIGITS + int(k));
            if (k < c.digits.size()) {
                EXPECT_TRUE(s->active);
                EXPECT_EQ(s->x, c.digits[k].first) << int(c.level) << " digit " << k;
                EXPECT_EQ(s->frame, c.digits[k].second) << int(c.level) << " digit " << k;
                // Inside the screen, green digits only.
                EXPECT_LE(s->x + 13, 240);
                EXPECT_LT(s->frame, 10);
            } else {
                EXPECT_FALSE(s && s->active) << int(c.level) << " digit " << k;
            }
        }
    }
}

TEST(ScoreArithmetic, LevelTimesTheBankPlusAHundredLevelSquared)
{
    EXPECT_EQ(score_after_level(250, 2, 15000), 950);
    EXPECT_EQ(score_after_level(0, 1, 19950), 299);
    EXPECT_EQ(score_after_level(0, 3, 199), 905);        // 597 / 100 truncates to 5
    EXPECT_EQ(score_after_level(100, 1, 0), 200);
    EXPECT_EQ(score_after_level(INT32_MAX - 10, 255, 5000000), INT32_MAX);
}

TEST_F(GameWorldTest, SuddenDeathOutroCountsBonusAndScoreAndTheCreaturesWalkOff)
{
    game_mode = MODE_SUDDEN_DEATH;
    puzzle_make({{119, 100}, {120, 140}, {10, 300}}, {{0, 1}, {1, 2}});
    level_hud_show(2);
    vertices[0].facing = 0;
    vertices[1].facing = 4;
    vertices[2].facing = 6;
    score = 250;
    time_bank = 15000;
    soft_timers[LEVEL_CLOCK] = 0;
    score_show(250);

    std::vector<int> shown_scores;
    std::vector<int32_t> banks;
    std::vector<uint8_t> facings0, facings1;
    int frames = 0;
    GameDriver driver([](GameDriver&) {});
    driver.watch = [&] {
        ++frames;
        shown_scores.push_back(std::stoi(text_row_text(SCORE_ROW)));
        banks.push_back(time_bank);
        facings0.push_back(vertices[0].facing);
        facings1.push_back(vertices[1].facing);
    };
    ASSERT_TRUE(driver.run_with([] { level_outro(2, -1, 1); }));

    EXPECT_EQ(score, 950);
    EXPECT_EQ(time_bank, 35010);
    EXPECT_EQ(text_row_text(SCORE_ROW), "950");
    // Nine fade frames: the score climbs from 250 to 950, four bonus steps a frame.
    ASSERT_GE(shown_scores.size(), 9u);
    const int fade[9] = {250, 337, 425, 512, 600, 687, 775, 862, 950};
    for (int f = 0; f < 9; ++f) {
        EXPECT_EQ(shown_scores[f], fade[f]) << f;
        EXPECT_EQ(banks[f], 15000 + 667 * (f < 7 ? 4 * (f + 1) : 30)) << f;
    }
    // Left of the middle turns left (4), right of it turns right (0).
    EXPECT_EQ(facings0[0], 1);
    EXPECT_EQ(facings0[3], 4);
    EXPECT_EQ(facings1[0], 3);
    EXPECT_EQ(facings1[3], 0);
    EXPECT_EQ(vertices[2].facing, 4);
    // Walking at 8 pixels a frame until out of sight.
    EXPECT_LT(vertices[0].x, -9);
    EXPECT_GT(vertices[1].x, 249);
    EXPECT_LT(vertices[2].x, -9);
    EXPECT_EQ(vertices[0].x, 119 - 8 * (frames - 9));
    EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + 1)->x, vertices[1].x);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < vertices[i].degree; ++k)
            EXPECT_EQ(vertices[i].edge_lines[k]->opacity, 0);
}

// Wherever the creatures stand, even at the ends of the 16-bit range, each
// walks away from the middle, stops at the end of the range rather than
// wrapping round, and the walk-off ends once the last one leaves the screen.
TEST_F(GameWorldTest, WalkOffEndsWhereverTheCreaturesStand)
{
    game_mode = MODE_CLASSIC;
    puzzle_make({{32767, 0}, {-32768, 10}, {32765, 20}, {-32766, 30}, {119, 160}, {120, 160}, {250, 300}, {-10, 310}},
                {{4, 5}});
    level_hud_show(1);
    int frames = 0;
    GameDriver driver([](GameDriver&) {}, 12345, 1000);
    driver.watch = [&] { ++frames; };
    ASSERT_TRUE(driver.run_with([] { level_outro(1, 32, -1); })) << driver.stop_reason;
    // 17 fade frames, then 33 steps of 4 take x = 119 below -9 and x = 120 past 249.
    EXPECT_EQ(frames, 17 + 33);
    const int16_t expect_x[8] = {32767, -32768, 32767, -32768, 119 - 4 * 33, 120 + 4 * 33, 250 + 4 * 33, -10 - 4 * 33};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(vertices[i].x, expect_x[i]) << i;
        EXPECT_EQ(sprite_get(i)->x, expect_x[i]) << i;
        EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + i)->x, expect_x[i]) << i;
    }
}

TEST_F(GameWorldTest, OutroOfALostLevelBooksNothingAndFadesThePauseButton)
{
    game_mode = MODE_CLASSIC;
    puzzle_make({{60, 100}, {180, 100}}, {{0, 1}});
    pause_sprites_show();
    level_hud_show(12);
    score = 0;
    time_bank = 20000;
    int frames = 0;
    GameDriver driver([](GameDriver&) {});
    driver.watch = [&] { ++frames; };
    ASSERT_TRUE(driver.run_with([] { level_outro(12, 20, -1); }));
    EXPECT_EQ(score, 0);
    EXPECT_EQ(time_bank, 20000);
    EXPECT_EQ(sprite_get(SPRITE_PAUSE_BUTTON)->opacity, 0);
    // The caption (faded to 20 when play ended) goes on fading and is gone.
    for (int k = 0; k < 3; ++k)
        EXPECT_FALSE(sprite_get(SPRITE_LEVEL_CAPTION + k)->active);
    // 17 fade frames at step 2, then 4 pixels a frame: 60 to -12 and 180 to 252 take 18.
    EXPECT_EQ(frames, 17 + 18);
    EXPECT_EQ(vertices[0].x, -12);
    EXPECT_EQ(vertices[1].x, 252);
    pause_sprites_free();
}

class LevelEndTest : public GameWorldTest {
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        profile_start_fresh();
        puzzle_make({{60, 100}, {180, 100}}, {{0, 1}});
        pause_sprites_show();
    }
    void TearDown() override
    {
        pause_sprites_free();
        GameWorldTest::TearDown();
    }
    // Books the level; returns how many NEW RECORD pop-ups were tapped away.
    int solve(uint8_t mode, uint8_t level, uint32_t clock_ms, uint8_t slot, uint8_t file = 0)
    {
        game_mode = mode;
        progress_slot = slot;
        level_hud_show(level);
        soft_timers[LEVEL_CLOCK] = clock_ms;
        caption_fade = -1;
        int popups = 0;
        GameDriver driver([&](GameDriver& d) {
            if (new_record_waiting()) {
                ++popups;
                d.tap(120, 160);
            }
        });
        EXPECT_TRUE(driver.run_with([&] { level_end(level, file, 1); }));
        return popups;
    }
};

TEST_F(LevelEndTest, RecordIsWholeSecondsAndAnEqualTimeIsNoRecord)
{
    EXPECT_EQ(solve(MODE_CLASSIC, 3, 42900, 0), 1);
    EXPECT_EQ(profile.best_times[2], 42);
    EXPECT_EQ(profile.levels_open[0], 4u);
    EXPECT_EQ(profile_file_read().best_times[2], 42);

    EXPECT_EQ(solve(MODE_CLASSIC, 3, 42000, 0), 0);
    EXPECT_EQ(profile.best_times[2], 42);
    EXPECT_EQ(solve(MODE_CLASSIC, 3, 41999, 0), 1);
    EXPECT_EQ(profile.best_times[2], 41);
}

TEST_F(LevelEndTest, LevelSolvedWithinItsFirstSecondBooksOneSecond)
{
    // 0 would read as "no time yet": shown as a record on every solve and never listed.
    EXPECT_EQ(solve(MODE_CLASSIC, 1, 600, 0), 1);
    EXPECT_EQ(profile.best_times[0], 1);
    EXPECT_EQ(profile_file_read().best_times[0], 1);
    EXPECT_EQ(best_times_count(), 1);
    EXPECT_EQ(solve(MODE_CLASSIC, 1, 0, 0), 0);
    EXPECT_EQ(solve(MODE_CLASSIC, 1, 1999, 0), 0);
    EXPECT_EQ(profile.best_times[0], 1);
}

TEST_F(LevelEndTest, TimeAttackOpensClassicPlayToo)
{
    EXPECT_EQ(solve(MODE_TIME_ATTACK, 1, 20000, 1), 1);
    EXPECT_EQ(profile.levels_open[1], 2u);
    EXPECT_EQ(profile.levels_open[0], 2u);
    EXPECT_EQ(solve(MODE_CLASSIC, 2, 20000, 0), 1);
    EXPECT_EQ(profile.levels_open[0], 3u);
    EXPECT_EQ(profile.levels_open[1], 2u);
}

TEST_F(LevelEndTest, TimeIsCappedAndLevelsPastTheTableBookNoTime)
{
    EXPECT_EQ(solve(MODE_CLASSIC, 5, 7000000, 0), 1);
    EXPECT_EQ(profile.best_times[4], 5999);
    EXPECT_EQ(soft_timers[LEVEL_CLOCK], 5999000u);

    const Profile before = profile;
    EXPECT_EQ(solve(MODE_CLASSIC, 150, 30000, 0), 0);
    EXPECT_EQ(profile.levels_open[0], 151u);
    for (int i = 0; i < BEST_TIME_LEVELS; ++i)
        EXPECT_EQ(profile.best_times[i], before.best_times[i]) << i;
    for (int i = 0; i < TOP_SCORE_COUNT; ++i)
        EXPECT_EQ(profile.top_scores[i], before.top_scores[i]) << i;
    EXPECT_EQ(solve(MODE_CLASSIC, 100, 30000, 0), 1);
    EXPECT_EQ(profile.best_times[99], 30);
}

TEST_F(LevelEndTest, SolvingClearsTheSavedMarkExceptInTimeAttack)
{
    // A level file with levels 1 and 2 marked as saved.
    std::vector<uint8_t> bytes(200 + 90 + 146, 0);
    bytes[0] = 1;
    bytes[1] = 1;
    FILE* f = std::fopen("ZembrolShape0.lvl", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    solve(MODE_TIME_ATTACK, 1, 5000, 1);
    EXPECT_EQ(file_bytes("ZembrolShape0.lvl")[0], 1);
    solve(MODE_CLASSIC, 1, 5000, 0);
    EXPECT_EQ(file_bytes("ZembrolShape0.lvl")[0], 0);
    EXPECT_EQ(file_bytes("ZembrolShape0.lvl")[1], 1);
    EXPECT_EQ(file_bytes("ZembrolShape0.lvl").size(), bytes.size());
}
