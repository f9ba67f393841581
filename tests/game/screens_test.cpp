// The screens' own rules: where the level chooser puts its numbers (and its
// pages), the resume question, and the demonstration's moves.
#include "support/game_driver.h"

#include <string>

#include "game/screens.h"
#include "game/screens_internal.h"
#include "storage/level_file.h"

TEST(ChooserLayout, FewLevelsUseLargeDigitsFourToARow)
{
    const ChooserCell one = chooser_cell(0, 2);
    EXPECT_EQ(one.x[0], 13);
    EXPECT_EQ(one.x[1], 37);
    EXPECT_EQ(one.y, 64);
    EXPECT_EQ(one.digits, 2);
    EXPECT_EQ(one.medium, 0);
    const ChooserCell two = chooser_cell(1, 2);
    EXPECT_EQ(two.x[0], 76);
    EXPECT_EQ(two.x[1], 100);
    EXPECT_EQ(two.y, 64);
    const ChooserCell last = chooser_cell(23, 24);
    EXPECT_EQ(last.x[0], 63 * 3 + 13);
    EXPECT_EQ(last.y, 36 * 8 - 44);
}

TEST(ChooserLayout, MoreLevelsUseMediumDigitsFiveToARow)
{
    const ChooserCell c = chooser_cell(7, 25);
    EXPECT_EQ(c.medium, 1);
    EXPECT_EQ(c.x[0], 49 * 2 + 12);
    EXPECT_EQ(c.x[1], 49 * 2 + 32);
    EXPECT_EQ(c.y, 23 * 1 + 54);
    EXPECT_EQ(chooser_page_count(55), 1);
    EXPECT_EQ(chooser_cell(54, 55).y, 23 * 10 + 54);
}

TEST(ChooserLayout, PastOneScreenLevelsComeInPagesWithThreeDigitNumbers)
{
    EXPECT_EQ(chooser_page_count(56), 2);
    EXPECT_EQ(chooser_page_count(80), 2);
    EXPECT_EQ(chooser_page_count(81), 3);
    EXPECT_EQ(chooser_page_count(MAX_LEVEL), 7);
    EXPECT_LE(chooser_page_count(MAX_LEVEL), CHOOSER_PAGE_COUNT_MAX);
    // Level 100 is the twentieth of page three: row 4, column 3 of a 4 x 10 page.
    const ChooserCell hundred = chooser_cell(99, 200);
    EXPECT_EQ(hundred.digits, 3);
    EXPECT_EQ(hundred.y, 23 * 4 + 54);
    EXPECT_EQ(hundred.x[1], 60 * 3 + 30);
    EXPECT_EQ(chooser_cell(98, 200).digits, 2);
    // Each page starts again at the top left.
    EXPECT_EQ(chooser_cell(40, 200).y, chooser_cell(0, 200).y);
    EXPECT_EQ(chooser_cell(40, 200).x[0], chooser_cell(0, 200).x[0]);
}

// Every open level of every possible count lies on the screen, apart from the
// others of its page and above the page numbers.
TEST(ChooserLayout, EveryLevelFitsOnItsPageWithoutOverlap)
{
    for (int n = 2; n <= MAX_LEVEL; ++n) {
        const int pages = chooser_page_count(n);
        const int per_page = pages > 1 ? CHOOSER_PAGE_LEVELS : n;
        for (int first = 0; first < n; first += per_page) {
            std::vector<ChooserCell> cells;
            for (int i = first; i < n && i < first + per_page; ++i)
                cells.push_back(chooser_cell(i, n));
            for (size_t a = 0; a < cells.size(); ++a) {
                const ChooserCell& c = cells[a];
                const int w = c.medium ? 20 : 25, h = c.medium ? 24 : 30;
                const int bottom = pages > 1 ? 300 - 12 : 320;
                ASSERT_GE(c.y - h / 2, 0) << n << " " << first + a;
                ASSERT_LE(c.y + h / 2, bottom) << n << " " << first + a;
                for (int d = 0; d < c.digits; ++d) {
                    ASSERT_GE(c.x[d] - w / 2, 0) << n << " " << first + a;
                    ASSERT_LE(c.x[d] + w / 2, 240) << n << " " << first + a;
                }
                for (size_t b = a + 1; b < cells.size(); ++b) {
                    const ChooserCell& o = cells[b];
                    const bool same_row = o.y == c.y;
                    const bool apart = !same_row || o.x[0] - w / 2 > c.x[c.digits - 1] + w / 2 - 4;
                    ASSERT_TRUE(apart) << n << ": " << first + a << " and " << first + b;
                    ASSERT_TRUE(same_row || std::abs(o.y - c.y) >= 23) << n;
                }
            }
        }
    }
}

class ScreenTest : public GameWorldTest {
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        profile_open("Zembrolfink");
        profile_reset(&profile);
    }
};

TEST_F(ScreenTest, PagedChooserReachesEveryLevelAndShowsSavedOnesInRed)
{
    profile.levels_open[0] = 255;
    progress_slot = 0;
    // Level 150 has a saved game.
    std::vector<uint8_t> bytes(200, 0);
    bytes[149] = 1;
    FILE* f = std::fopen("ZembrolShape0.lvl", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    int16_t result = 0;
    const bool returned = steps_play_with(
        {
            on(chooser_waiting,
               [](GameDriver& d) {
                   // Opens on the last page: levels 241..255, and seven page numbers.
                   EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 0)->frame, 2);
                   EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 1)->frame, 4);
                   EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 2)->frame, 1);
                   EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 3 * 14 + 2)->frame, 5);
                   EXPECT_FALSE(sprite_on(SPRITE_CHOOSER_DIGITS + 3 * 15));
                   for (int p = 0; p < 7; ++p)
                       EXPECT_EQ(sprite_get(SPRITE_CHOOSER_PAGES + p)->frame, p + 1 + (p == 6 ? 10 : 0));
                   sprite_tap(d, SPRITE_CHOOSER_PAGES + 3);
               }),
            act([](GameDriver& d) {
                // Page four: levels 121..160; level 150 is slot 29 of the page, in red.
                EXPECT_EQ(sprite_get(SPRITE_CHOOSER_PAGES + 3)->frame, 14);
                EXPECT_EQ(sprite_get(SPRITE_CHOOSER_PAGES + 6)->frame, 7);
                EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 0)->frame, 1);
                EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 1)->frame, 2);
                EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 2)->frame, 1);
                const int base = SPRITE_CHOOSER_DIGITS + 3 * 29;
                EXPECT_EQ(sprite_get(base + 0)->frame, 11);
                EXPECT_EQ(sprite_get(base + 1)->frame, 15);
                EXPECT_EQ(sprite_get(base + 2)->frame, 10);
                EXPECT_TRUE(sprite_get(SPRITE_CHOOSER_DIGITS + 3 * 39)->active);
                sprite_tap(d, base + 1);
            }),
            wait_for_end(),
        },
        [&] { result = level_chooser(0); });
    ASSERT_TRUE(returned);
    EXPECT_EQ(result, 149);
    EXPECT_FALSE(sprite_get(SPRITE_CHOOSER_CAPTION)->active);
}

TEST_F(ScreenTest, ChooserNeverOffersMoreThanTheLastLevel)
{
    // A profile from elsewhere: a count the game could never have written.
    profile.levels_open[0] = 70000;   // low half 4464
    progress_slot = 0;
    int pages = 0;
    int16_t result = 0;
    const bool returned = steps_play_with(
        {
            on(chooser_waiting,
               [&](GameDriver& d) {
                   for (int p = 0; p < 10; ++p)
                       pages += sprite_get(SPRITE_CHOOSER_PAGES + p) && sprite_get(SPRITE_CHOOSER_PAGES + p)->active;
                   // The last page ends with level 255.
                   EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 3 * 14 + 2)->frame, 5);
                   EXPECT_FALSE(sprite_on(SPRITE_CHOOSER_DIGITS + 3 * 15));
                   d.tap(CLOSE_X, CLOSE_Y);
               }),
            wait_for_end(),
        },
        [&] { result = level_chooser(0); });
    ASSERT_TRUE(returned);
    EXPECT_EQ(result, -2);
    EXPECT_EQ(pages, 7);
}

TEST_F(ScreenTest, ResumeQuestionOnlyForSavedLevelsOutsideTimeAttack)
{
    std::fill(saved_flags, saved_flags + SAVED_FLAG_COUNT, 0);
    saved_flags[3] = 1;
    saved_flags[149] = 1;
    game_mode = MODE_CLASSIC;
    EXPECT_EQ(resume_question(2, 0), 2);           // nothing saved: no question
    game_mode = MODE_TIME_ATTACK;
    EXPECT_EQ(resume_question(3, 0), 3);           // never in time attack
    EXPECT_EQ(resume_question(250, 0), 250);       // beyond the saved marks

    game_mode = MODE_CLASSIC;
    int16_t answers[3] = {};
    const int points[3][2] = {{60, 200}, {180, 200}, {CLOSE_X, CLOSE_Y}};
    for (int k = 0; k < 3; ++k) {
        const bool returned = steps_play_with(
            {
                on(question_waiting,
                   [&](GameDriver& d) {
                       // LEVEL 150 in three digits.
                       EXPECT_EQ(sprite_get(SPRITE_QUESTION_DIGITS)->frame, 1);
                       EXPECT_EQ(sprite_get(SPRITE_QUESTION_DIGITS + 1)->frame, 5);
                       EXPECT_EQ(sprite_get(SPRITE_QUESTION_DIGITS + 2)->frame, 0);
                       d.tap(points[k][0], points[k][1]);
                   }),
                wait_for_end(),
            },
            [&] { answers[k] = resume_question(149, 0); });
        ASSERT_TRUE(returned);
        EXPECT_FALSE(sprite_get(SPRITE_ANSWER_YES)->active);
    }
    EXPECT_EQ(answers[0], 149 + RESUME_OFFSET);
    EXPECT_EQ(answers[1], 149);
    EXPECT_EQ(answers[2], -1);
}

TEST_F(ScreenTest, DemoMoveClampsAndRecoloursEveryEdge)
{
    // 0-1 and 2-3 cross until vertex 3 moves past vertex 1.
    puzzle_make({{50, 100}, {150, 100}, {100, 50}, {100, 150}}, {{0, 1}, {2, 3}});
    EXPECT_EQ(vertices[0].edge_lines[0]->colour, 0xFFFF);
    demo_move(3, 300, 40);
    EXPECT_EQ(vertices[3].x, 232);
    EXPECT_EQ(vertices[3].y, 40);
    EXPECT_EQ(vertices[0].edge_lines[0]->colour, COLOUR_EDGE_FREE);
    EXPECT_EQ(vertices[2].edge_lines[0]->colour, COLOUR_EDGE_FREE);
    // The shared line now runs from the moved vertex to its neighbour.
    EXPECT_EQ(vertices[2].edge_lines[0]->x0, 232);
    EXPECT_EQ(vertices[2].edge_lines[0]->x1, 100);
    demo_move(3, 100, 150);
    EXPECT_EQ(vertices[2].edge_lines[0]->colour, 0xFFFF);
}
