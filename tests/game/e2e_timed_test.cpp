// End to end, the timed modes: time attack running out, and sudden death with
// its time bank, bonus and score carried over from level to level.
#include "support/game_driver.h"

#include <string>

#include "game/level.h"
#include "game/level_clock.h"

TEST_F(GameTest, TimeAttackLevelOneLeftAloneRunsOutAfterThirtySeconds)
{
    std::string clock_at_start, clock_at_ten;
    uint32_t clock_at_popup = 0;
    std::string clock_at_popup_text;
    // Nobody touches anything: the clock read as it runs down, every frame.
    const auto clock_watch = [&] {
        if (in_play() && soft_timers[LEVEL_CLOCK] == 10025)
            clock_at_ten = clock_text();
        if (sprite_is(SPRITE_POPUP, PIC_TIMES_UP) && clock_at_popup == 0) {
            clock_at_popup = soft_timers[LEVEL_CLOCK];
            clock_at_popup_text = clock_text();
        }
    };
    const Played played = steps_play(
        {
            menu_choose(MODE_TIME_ATTACK),
            // The intro: the clock already says what the level allows.
            on([] { return sprite_on(SPRITE_CLOCK_BASE); },
               [&](GameDriver&) {
                   EXPECT_EQ(vertex_count, 6);
                   clock_at_start = clock_text();
               }),
            tap_on(times_up_waiting, 120, 160),
            wait_for(title_waiting),
            stop_game("back at the title"),
        },
        clock_watch);
    EXPECT_EQ(played.reason, "back at the title");
    EXPECT_EQ(clock_at_start, "00:30");
    EXPECT_EQ(clock_at_ten, "00:20");
    // Time is up on the frame the clock reaches 30 s; the pop-up's first frame is one step later.
    EXPECT_EQ(clock_at_popup, 30025u);
    EXPECT_EQ(clock_at_popup_text, "00:00");
    // Nothing booked, nothing saved.
    for (int k = 0; k < LEVELS_OPEN_COUNT; ++k)
        EXPECT_EQ(profile.levels_open[k], 0u);
    EXPECT_EQ(profile.best_times[0], 0);
    std::vector<uint8_t> fresh(PROFILE_SIZE, 0);
    fresh[0] = 2;
    EXPECT_EQ(file_bytes("Zembrolfink.sav"), fresh);
    EXPECT_FALSE(file_exists("ZembrolShape0.lvl"));
}

TEST_F(GameTest, SuddenDeathBankAndScoreCarryOverAndEnterTheTopTen)
{
    int level = 0;
    bool levels_on = false;
    uint32_t last_clock = 0;
    int32_t last_bank = 0;
    int32_t expected_score = 0;
    int32_t expected_bank = SD_START_BANK_MS;
    bool checked_level[4] = {};
    // Levels 1 and 2 solved, level 3 left with the close button.
    const Step two_solved_third_left = [&](GameDriver& d) {
        if (in_play()) {
            if (!checked_level[level]) {
                checked_level[level] = true;
                EXPECT_EQ(vertex_count, 2 * level + 4) << level;
                EXPECT_EQ(time_bank, expected_bank) << level;
                EXPECT_EQ(score, expected_score) << level;
                EXPECT_EQ(text_row_text(SCORE_ROW), std::to_string(expected_score)) << level;
                // The LEVEL caption is gone at once in sudden death.
                EXPECT_FALSE(sprite_on(SPRITE_LEVEL_CAPTION));
            }
            if (level == 3) {
                d.tap(CLOSE_X, CLOSE_Y);
                levels_on = false;
                return true;
            }
            solve_or_stop(d);
        } else if (last_clock != 0) {
            // Play has ended: the time left and the score it earns.
            const int32_t left = last_bank - int32_t(last_clock);
            EXPECT_GT(left, 0);
            expected_score += level * left / 100 + 100 * level * level;
            expected_bank = left + 30 * 667;
            last_clock = 0;
            ++level;
        }
        return false;
    };
    // The clock and bank of the last frame of play, whatever the player is doing.
    const auto bank_watch = [&] {
        if (levels_on && in_play()) {
            last_clock = soft_timers[LEVEL_CLOCK];
            last_bank = time_bank;
        }
    };
    const Played played = steps_play(
        {
            menu_choose(MODE_SUDDEN_DEATH),
            // The top ten first, all zero, no score of ours yet.
            on(top_scores_waiting,
               [&](GameDriver& d) {
                   for (int i = 1; i <= 10; ++i)
                       EXPECT_EQ(text_row_text(i), "0") << i;
                   EXPECT_FALSE(sprite_on(SPRITE_YOUR_SCORE));
                   d.tap(120, 160);
                   level = 1;
                   levels_on = true;
               }),
            two_solved_third_left,
            on(top_scores_waiting,
               [&](GameDriver& d) {
                   EXPECT_TRUE(sprite_on(SPRITE_YOUR_SCORE));
                   EXPECT_EQ(text_row_text(1), std::to_string(expected_score));
                   EXPECT_EQ(text_row_text(2), "0");
                   d.tap(120, 160);
               }),
            wait_for(title_waiting),
            stop_game("back at the title"),
        },
        bank_watch);
    EXPECT_EQ(played.reason, "back at the title");
    EXPECT_TRUE(checked_level[3]);
    EXPECT_EQ(score, expected_score);
    EXPECT_EQ(profile.top_scores[0], expected_score);
    for (int i = 1; i < TOP_SCORE_COUNT; ++i)
        EXPECT_EQ(profile.top_scores[i], 0);
    EXPECT_EQ(profile_file_read().top_scores[0], expected_score);
    // The score line is hidden again once the game is over.
    EXPECT_EQ(text_row_tables[TEXT_SLOT][SCORE_ROW].opacity, 0);
    // Sudden death books no progress.
    for (int k = 0; k < LEVELS_OPEN_COUNT; ++k)
        EXPECT_EQ(profile.levels_open[k], 0u);
    EXPECT_FALSE(file_exists("ZembrolShape0.lvl"));
}
