// End to end: the first start in an empty directory, the title and the menu,
// and the ways out of the program (close button, Escape).
#include "support/game_driver.h"

using ::testing::ExitedWithCode;

TEST_F(GameTest, FirstStartWritesFreshProfileAndTapLeadsToSixRowMenu)
{
    std::vector<uint8_t> profile_at_title;
    bool menu_checked = false;
    const Played played = steps_play({
        on(title_waiting,
           [&](GameDriver& d) {
               profile_at_title = file_bytes("Zembrolfink.sav");
               EXPECT_EQ(sprite_get(SPRITE_TITLE)->x, 120);
               EXPECT_EQ(sprite_get(SPRITE_TITLE)->y, 154);
               EXPECT_TRUE(sprite_on(SPRITE_CLOSE));
               d.tap(120, 200);
           }),
        on(menu_waiting,
           [&](GameDriver&) {
               // Six rows centred on the middle; HISCORES waits for a first best time.
               for (int i = 0; i < 6; ++i) {
                   const Sprite* s = sprite_get(SPRITE_MENU_BASE + i);
                   EXPECT_TRUE(s->active) << i;
                   EXPECT_EQ(s->opacity, 32) << i;
                   EXPECT_EQ(s->frame, i);
                   EXPECT_EQ(s->x, 120);
                   EXPECT_EQ(s->y, 160 + (i - 3) * 44 + 22) << i;
               }
               EXPECT_FALSE(sprite_get(SPRITE_MENU_BASE + 6)->active);
               // The title logo has faded out behind the menu.
               EXPECT_EQ(sprite_get(SPRITE_TITLE)->opacity, 0);
               menu_checked = true;
           }),
        stop_game("menu seen"),
    });
    EXPECT_EQ(played.status, -100);
    EXPECT_EQ(played.reason, "menu seen");
    EXPECT_TRUE(menu_checked);

    std::vector<uint8_t> fresh(PROFILE_SIZE, 0);
    fresh[0] = 2;
    EXPECT_EQ(profile_at_title, fresh);
    EXPECT_EQ(file_bytes("Zembrolfink.sav"), fresh);
}

TEST_F(GameTest, CloseButtonOnTitleEndsTheGameWithStatusZero)
{
    EXPECT_EQ(steps_play({tap_on(title_waiting, CLOSE_X, CLOSE_Y), wait_for_end()}).status, 0);
}

TEST_F(GameTest, CloseButtonOnMenuEndsTheGame)
{
    const Played played = steps_play({menu_reach(), tap_close(), wait_for_end()});
    EXPECT_EQ(played.status, 0);
    EXPECT_EQ(played.step, 2u);   // ended by the close button, not before it
}

TEST_F(GameTest, ExistingProfileIsKeptAndSevenRowsShowOnceLevelOneHasATime)
{
    Profile record{};
    profile_reset(&record);
    record.best_times[0] = 42;
    record.levels_open[0] = 2;
    record.top_scores[0] = 777;
    profile_file_write(record);
    const std::vector<uint8_t> before = file_bytes("Zembrolfink.sav");

    const Played played = steps_play({
        menu_reach(),
        check([] {
            for (int i = 0; i < MENU_ROWS; ++i) {
                const Sprite* s = sprite_get(SPRITE_MENU_BASE + i);
                EXPECT_TRUE(s->active);
                EXPECT_EQ(s->y, 160 + (i - 3) * 44) << i;
            }
        }),
        stop_game("menu seen"),
    });
    EXPECT_EQ(played.reason, "menu seen");
    EXPECT_EQ(profile.best_times[0], 42);
    EXPECT_EQ(profile.top_scores[0], 777);
    EXPECT_EQ(file_bytes("Zembrolfink.sav"), before);
}

// Escape ends the program at once, with status 0, from any screen.
static void escape_on(std::vector<Step> steps)
{
    steps.push_back(act([](GameDriver& d) { d.key(SDLK_ESCAPE, true); }));
    steps.push_back(wait_for_end());
    steps_play(std::move(steps));
    std::exit(3);   // not reached: Escape ends the process inside the frame pump
}

TEST_F(GameTest, EscapeEndsTheProgramWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(escape_on({wait_for(title_waiting)}), ExitedWithCode(0), "");
    EXPECT_EXIT(escape_on({menu_choose(MODE_CLASSIC), wait_for(in_play)}), ExitedWithCode(0), "");
}
