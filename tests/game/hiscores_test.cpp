// The record screens: rows of the best-times list and entering a score into
// the top ten.
#include "support/game_driver.h"

#include <string>

#include "game/hiscores.h"
#include "game/hiscores_internal.h"

class HiscoresTest : public GameWorldTest {
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        profile_start_fresh();
    }
    // The row's time as MM:SS and its level as digits, read off its sprites.
    static std::string row_time(int r)
    {
        std::string s;
        for (int k = 4; k >= 0; --k) {
            const int16_t f = sprite_get(7 * r + k)->frame;
            s += f == 10 ? ':' : char('0' + f);
        }
        return s;
    }
    static std::string row_level(int r)
    {
        std::string s;
        const Sprite* hundreds = sprite_get(LIST_HUNDREDS_BASE + r);
        if (hundreds && hundreds->active)
            s += char('0' + hundreds->frame);
        s += char('0' + sprite_get(7 * r + 5)->frame);
        s += char('0' + sprite_get(7 * r + 6)->frame);
        return s;
    }
};

TEST_F(HiscoresTest, RowsShowTheLevelAndTheTimeAsMinutesAndSeconds)
{
    const struct {
        int j;
        uint16_t seconds;
        const char* level;
        const char* time;
    } cases[] = {
        {0, 42, "01", "00:42"},
        {1, 75, "02", "01:15"},
        {17, 600, "18", "10:00"},
        {18, 3599, "19", "59:59"},
        {20, 5999, "21", "99:59"},
        {21, 65535, "22", "99:59"},   // more than the clock can show
        {99, 61, "100", "01:01"},
    };
    for (const auto& c : cases) {
        profile.best_times[c.j] = c.seconds;
        best_times_row_show(c.j);
        const int r = c.j % LIST_ROWS_PER_PAGE;
        EXPECT_EQ(row_level(r), c.level) << c.j;
        EXPECT_EQ(row_time(r), c.time) << c.j;
        EXPECT_EQ(sprite_get(7 * r)->y, 16 * r + 40);
        EXPECT_EQ(sprite_get(7 * r + 0)->x, 206);
        EXPECT_EQ(sprite_get(7 * r + 4)->x, 154);
        EXPECT_EQ(sprite_get(7 * r + 5)->x, 53);
        EXPECT_EQ(sprite_get(7 * r + 6)->x, 67);
    }
}

TEST_F(HiscoresTest, NewScoreGoesBelowAnEqualOneAndIsWritten)
{
    const int32_t table[TOP_SCORE_COUNT] = {900, 500, 300};
    for (int i = 0; i < TOP_SCORE_COUNT; ++i)
        profile.top_scores[i] = table[i];
    score = 500;
    bool your_score_shown = false;
    std::vector<std::string> lines;
    GameDriver driver([&](GameDriver& d) {
        if (top_scores_waiting()) {
            your_score_shown = sprite_on(SPRITE_YOUR_SCORE) && sprite_get(SPRITE_YOUR_SCORE)->frame == 1 &&
                               sprite_get(SPRITE_YOUR_SCORE)->y == 288;
            for (int i = 1; i <= 10; ++i)
                lines.push_back(text_row_text(i));
            d.tap(120, 160);
        }
    });
    int16_t result = 1;
    ASSERT_TRUE(driver.run_with([&] { result = top_scores_screen(); }));
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(your_score_shown);
    const std::vector<std::string> expected = {"900", "500", "500", "300", "0", "0", "0", "0", "0", "0"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(text_row_tables[TEXT_SLOT][1].y0, 48);
    EXPECT_EQ(text_row_tables[TEXT_SLOT][10].y0, 48 + 20 * 9);
    EXPECT_EQ(profile_file_read().top_scores[2], 500);
    EXPECT_EQ(profile_file_read().top_scores[3], 300);
    // Faded out again, captions hidden.
    EXPECT_EQ(text_row_tables[TEXT_SLOT][1].opacity, 0);
    EXPECT_FALSE(sprite_get(SPRITE_SCORES_CAPTION)->active);
    EXPECT_FALSE(sprite_get(SPRITE_YOUR_SCORE)->active);
}

TEST_F(HiscoresTest, ScoreNotAboveTheTenthIsNotEnteredAndCloseIsReported)
{
    for (int i = 0; i < TOP_SCORE_COUNT; ++i)
        profile.top_scores[i] = 100 - 10 * i;
    profile_write();
    const std::vector<uint8_t> before = file_bytes("Zembrolfink.sav");
    score = 10;
    GameDriver driver([&](GameDriver& d) {
        if (top_scores_waiting())
            d.tap(CLOSE_X, CLOSE_Y);
    });
    int16_t result = 0;
    ASSERT_TRUE(driver.run_with([&] { result = top_scores_screen(); }));
    EXPECT_EQ(result, -1);
    EXPECT_EQ(profile.top_scores[9], 10);
    EXPECT_EQ(file_bytes("Zembrolfink.sav"), before);

    // At the start of a game there is no score to enter and no YOUR SCORE.
    score = -1;
    bool your_score_shown = true;
    GameDriver start([&](GameDriver& d) {
        if (top_scores_waiting()) {
            your_score_shown = sprite_on(SPRITE_YOUR_SCORE);
            d.tap(120, 160);
        }
    });
    ASSERT_TRUE(start.run_with([&] { result = top_scores_screen(); }));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(your_score_shown);
    EXPECT_EQ(file_bytes("Zembrolfink.sav"), before);
}
