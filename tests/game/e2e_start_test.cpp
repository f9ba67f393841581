// End to end: the first start in an empty directory, the title and the menu,
// and the ways out of the program (close button, Escape).
#include "support/game_driver.h"

using ::testing::ExitedWithCode;

TEST_F(GameTest, FirstStartWritesFreshProfileAndTapLeadsToSixRowMenu)
{
    std::vector<uint8_t> profile_at_title;
    bool title_seen = false;
    bool menu_checked = false;
    GameDriver driver([&](GameDriver& d) {
        if (!title_seen && title_waiting()) {
            title_seen = true;
            profile_at_title = file_bytes("Zembrolfink.sav");
            EXPECT_EQ(sprite_get(SPRITE_TITLE)->x, 120);
            EXPECT_EQ(sprite_get(SPRITE_TITLE)->y, 154);
            EXPECT_TRUE(sprite_on(SPRITE_CLOSE));
            d.tap(120, 200);
            return;
        }
        if (title_seen && menu_waiting()) {
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
            throw GameStop{"menu seen"};
        }
    });
    EXPECT_EQ(driver.run(), -100);
    EXPECT_EQ(driver.stop_reason, "menu seen");
    EXPECT_TRUE(menu_checked);

    std::vector<uint8_t> fresh(PROFILE_SIZE, 0);
    fresh[0] = 2;
    EXPECT_EQ(profile_at_title, fresh);
    EXPECT_EQ(file_bytes("Zembrolfink.sav"), fresh);
}

TEST_F(GameTest, CloseButtonOnTitleEndsTheGameWithStatusZero)
{
    GameDriver driver([&](GameDriver& d) {
        if (title_waiting())
            d.tap(CLOSE_X, CLOSE_Y);
    });
    EXPECT_EQ(driver.run(), 0);
}

TEST_F(GameTest, CloseButtonOnMenuEndsTheGame)
{
    MenuWalk walk;
    GameDriver driver([&](GameDriver& d) {
        if (walk.at_menu(d)) {
            d.tap(CLOSE_X, CLOSE_Y);
            walk.step = 2;
        }
    });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_EQ(walk.step, 2);
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

    MenuWalk walk;
    GameDriver driver([&](GameDriver& d) {
        if (walk.at_menu(d)) {
            for (int i = 0; i < MENU_ROWS; ++i) {
                const Sprite* s = sprite_get(SPRITE_MENU_BASE + i);
                EXPECT_TRUE(s->active);
                EXPECT_EQ(s->y, 160 + (i - 3) * 44) << i;
            }
            throw GameStop{"menu seen"};
        }
    });
    driver.run();
    EXPECT_EQ(driver.stop_reason, "menu seen");
    EXPECT_EQ(profile.best_times[0], 42);
    EXPECT_EQ(profile.top_scores[0], 777);
    EXPECT_EQ(file_bytes("Zembrolfink.sav"), before);
}

// Escape ends the program at once, with status 0, from any screen.
static void escape_at_title()
{
    GameDriver driver([](GameDriver& d) {
        if (title_waiting())
            d.key(SDLK_ESCAPE, true);
    });
    driver.run();
    std::exit(3);   // not reached: Escape ends the process inside the frame pump
}

static void escape_in_play()
{
    MenuWalk walk;
    GameDriver driver([&](GameDriver& d) {
        if (walk(d, MODE_CLASSIC) && in_play())
            d.key(SDLK_ESCAPE, true);
    });
    driver.run();
    std::exit(3);
}

TEST_F(GameTest, EscapeEndsTheProgramWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(escape_at_title(), ExitedWithCode(0), "");
    EXPECT_EXIT(escape_in_play(), ExitedWithCode(0), "");
}
