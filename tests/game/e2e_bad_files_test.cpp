// End to end, save files the game never wrote itself: a saved game whose
// creatures stand far off the screen, and named pipes under the names of the
// profile and a level file. The game starts, offers, plays and leaves levels
// as if they were missing or damaged, and the files stay as they were.
#include "support/game_driver.h"

#include <signal.h>
#include <sys/stat.h>

#include "game/graph_file.h"
#include "gfx/pixel.h"
#include "storage/level_file.h"
#include "storage/ring_game.h"

namespace {

// A start-up or level chooser that waits on a pipe never comes back; the
// alarm ends the test program instead, which fails the test.
constexpr unsigned HANG_SECONDS = 30;

bool is_fifo(const char* name)
{
    struct stat st;
    return lstat(name, &st) == 0 && S_ISFIFO(st.st_mode);
}

bool on_screen(int16_t x, int16_t y)
{
    return x >= 0 && x < SCREEN_WIDTH && y >= 0 && y < screen_height;
}

}  // namespace

// Level 2 saved as a sound ring whose creatures stand at the ends of the 16-bit
// range. Answering YES gives a fresh level 2 and the saved mark goes; the
// player picks a creature, drags it, lets go, leaves with the close button,
// and the creatures walk off as usual. The level saved then is one the game
// can resume.
TEST_F(GameTest, SavedCreaturesOffTheScreenAreRefusedAndTheFreshLevelPlays)
{
    Profile record{};
    profile_reset(&record);
    record.levels_open[0] = 3;
    profile_file_write(record);
    SavedGame crafted = ring_game(saved_slot_vertices(1), 4000);
    const int16_t far[4][2] = {{-32768, -32768}, {32767, 32767}, {-32768, 160}, {120, 32767}};
    for (int i = 0; i < crafted.vertex_count; ++i) {
        crafted.vertices[i].x = int16_t(40 + 16 * i);
        crafted.vertices[i].y = 100;
    }
    for (int k = 0; k < 4; ++k) {
        crafted.vertices[2 * k].x = far[k][0];
        crafted.vertices[2 * k].y = far[k][1];
    }
    ASSERT_EQ(saved_game_write(2, 0, crafted), 1);
    const std::vector<uint8_t> crafted_file = file_bytes("ZembrolShape0.lvl");

    const Played played = steps_play({
        menu_choose(MODE_CLASSIC),
        on(chooser_waiting,
           [](GameDriver& d) {
               EXPECT_EQ(sprite_get(chooser_digit(2))->frame, 12);  // level 2 in red: saved
               sprite_tap(d, chooser_digit(2));
           }),
        tap_on(question_waiting, 60, 200),  // YES
        on(in_play,
           [&](GameDriver& d) {
               EXPECT_EQ(vertex_count, 10);
               EXPECT_EQ(saved_elapsed, 0u);
               for (int i = 0; i < vertex_count; ++i)
                   EXPECT_TRUE(on_screen(vertices[i].x, vertices[i].y)) << i;
               // The mark went before the fresh level was made; nothing else changed.
               std::vector<uint8_t> expect = crafted_file;
               expect[1] = 0;
               EXPECT_EQ(file_bytes("ZembrolShape0.lvl"), expect);
               nudge(d, 0, 9, 6);
           }),
        tap_on(in_play, CLOSE_X, CLOSE_Y),
        wait_for(title_waiting),
        stop_game("title again"),
    });
    EXPECT_EQ(played.reason, "title again");

    // Left after a pick: saved again, and this time it reads back.
    const std::vector<uint8_t> bytes = file_bytes("ZembrolShape0.lvl");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[1], 1);
    EXPECT_EQ(graph_load(1, 0), 1);
    for (int i = 0; i < vertex_count; ++i)
        EXPECT_TRUE(on_screen(vertices[i].x, vertices[i].y)) << i;
}

// A pipe under the profile's name: the game starts with a fresh profile in
// memory, cannot save it, and leaves the pipe alone.
TEST_F(GameTest, PipeForAProfileDoesNotHoldUpStartUp)
{
    ASSERT_EQ(mkfifo("Zembrolfink.sav", 0666), 0);
    alarm(HANG_SECONDS);
    EXPECT_EQ(steps_play({tap_on(title_waiting, CLOSE_X, CLOSE_Y), wait_for_end()}).status, 0);
    alarm(0);
    EXPECT_TRUE(is_fifo("Zembrolfink.sav"));
    EXPECT_EQ(profile.profile_version, 2);
    EXPECT_EQ(profile.levels_open[0], 0u);
}

// A pipe under a level file's name: the chooser shows no saved level, the
// level is played fresh, and leaving it after a pick saves nothing.
TEST_F(GameTest, PipeForALevelFileDoesNotHoldUpTheChooser)
{
    Profile record{};
    profile_reset(&record);
    record.levels_open[0] = 3;
    profile_file_write(record);
    ASSERT_EQ(mkfifo("ZembrolShape0.lvl", 0666), 0);
    alarm(HANG_SECONDS);

    const Played played = steps_play({
        menu_choose(MODE_CLASSIC),
        on(chooser_waiting,
           [](GameDriver& d) {
               for (int level = 1; level <= 3; ++level)
                   EXPECT_EQ(sprite_get(chooser_digit(level))->frame, level) << level;  // green
               sprite_tap(d, chooser_digit(2));
           }),
        wait_watching([] { EXPECT_FALSE(question_waiting()); }, in_play),
        act([](GameDriver& d) {
            EXPECT_EQ(vertex_count, 10);
            nudge(d, 0, 9, 6);
        }),
        tap_on(in_play, CLOSE_X, CLOSE_Y),
        wait_for(title_waiting),
        stop_game("title again"),
    });
    alarm(0);
    EXPECT_EQ(played.reason, "title again");
    EXPECT_TRUE(is_fifo("ZembrolShape0.lvl"));
}
