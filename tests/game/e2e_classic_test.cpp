// End to end, classic play: solving level 1 books a record and opens level 2;
// leaving a level after a pick saves it, and the saved game comes back exactly;
// a saved game that will not load gives a fresh level and loses its mark.
#include "support/game_driver.h"

#include "game/level_clock.h"
#include "game/screens.h"
#include "storage/level_file.h"

namespace {

struct VertexCopy {
    int16_t x, y;
    uint8_t facing;
};

std::vector<VertexCopy> vertices_copy()
{
    std::vector<VertexCopy> out;
    for (int i = 0; i < vertex_count; ++i)
        out.push_back({vertices[i].x, vertices[i].y, vertices[i].facing});
    return out;
}

}  // namespace

TEST_F(GameTest, ClassicLevelOneSolvedBooksRecordAndOpensLevelTwo)
{
    uint32_t last_clock = 0;
    bool record_seen = false;
    Profile on_disk_at_record{};
    const Played played = steps_play(
        {
            menu_choose(MODE_CLASSIC),
            // Level 1: six creatures, dragged home one by one.
            [](GameDriver& d) {
                if (in_play()) {
                    EXPECT_EQ(vertex_count, 6);
                    EXPECT_TRUE(sprite_on(SPRITE_PAUSE_BUTTON));
                }
                return solve_until_record(d);
            },
            act([&](GameDriver& d) {
                record_seen = true;
                on_disk_at_record = profile_file_read();
                d.tap(120, 160);
            }),
            // Level 2 follows at once; leave it untouched.
            on(in_play,
               [](GameDriver& d) {
                   EXPECT_EQ(vertex_count, 10);
                   d.tap(CLOSE_X, CLOSE_Y);
               }),
            menu_choose(MODE_CLASSIC),
            on(chooser_waiting,
               [](GameDriver& d) {
                   // Levels 1 and 2 side by side in green, nothing further.
                   const int16_t frames[4] = {0, 1, 0, 2};
                   const int16_t xs[4] = {13, 37, 76, 100};
                   for (int k = 0; k < 4; ++k) {
                       const Sprite* s = sprite_get(SPRITE_CHOOSER_DIGITS + k);
                       EXPECT_TRUE(s->active);
                       EXPECT_EQ(s->frame, frames[k]) << k;
                       EXPECT_EQ(s->x, xs[k]) << k;
                       EXPECT_EQ(s->y, 64) << k;
                       EXPECT_EQ(s->w, 25);
                   }
                   const Sprite* third = sprite_get(SPRITE_CHOOSER_DIGITS + 4);
                   EXPECT_TRUE(third == nullptr || !third->active || third->opacity == 0);
                   d.tap(CLOSE_X, CLOSE_Y);
               }),
            // The chooser's close button leads back to the menu.
            wait_for(menu_waiting),
            stop_game("back at the menu"),
        },
        [&] {
            if (!record_seen && in_play())
                last_clock = soft_timers[LEVEL_CLOCK];
        });
    EXPECT_EQ(played.reason, "back at the menu");
    ASSERT_TRUE(record_seen);

    // Whole seconds, and never less than one (0 would mean no time at all).
    const uint16_t seconds = uint16_t(last_clock < 1000 ? 1 : last_clock / 1000);
    EXPECT_GT(last_clock, 0u);
    EXPECT_EQ(profile.best_times[0], seconds);
    EXPECT_EQ(profile.levels_open[0], 2u);
    for (int k = 1; k < LEVELS_OPEN_COUNT; ++k)
        EXPECT_EQ(profile.levels_open[k], 0u) << k;
    // Written before the pop-up waits for its tap.
    EXPECT_EQ(on_disk_at_record.best_times[0], seconds);
    EXPECT_EQ(on_disk_at_record.levels_open[0], 2u);
    const Profile final_disk = profile_file_read();
    EXPECT_EQ(final_disk.best_times[0], seconds);
    EXPECT_EQ(final_disk.levels_open[0], 2u);
    // Level 2 was left without a pick: nothing saved.
    EXPECT_FALSE(file_exists("ZembrolShape0.lvl"));
}

TEST_F(GameTest, AbandonedLevelIsSavedShownRedAndResumedExactly)
{
    Profile record{};
    profile_reset(&record);
    record.levels_open[0] = 2;
    profile_file_write(record);

    std::vector<VertexCopy> at_abandon;
    std::set<std::pair<int, int>> edges_at_abandon;
    uint32_t clock_before_close = 0;
    const Played played = steps_play({
        menu_choose(MODE_CLASSIC),
        on(chooser_waiting,
           [](GameDriver& d) {
               EXPECT_EQ(sprite_get(chooser_digit(1))->frame, 1);  // green: nothing saved yet
               sprite_tap(d, chooser_digit(1));
           }),
        // Level 1 straight away (no saved game to ask about): one drag.
        on(in_play,
           [](GameDriver& d) {
               EXPECT_FALSE(question_waiting());
               nudge(d, vertex_count - 1, 7, 5);
           }),
        act([&](GameDriver& d) {
            if (!in_play())
                throw GameStop{"the one drag solved the level; choose another seed"};
            at_abandon = vertices_copy();
            edges_at_abandon = edge_set();
            clock_before_close = soft_timers[LEVEL_CLOCK];
            d.tap(CLOSE_X, CLOSE_Y);
        }),
        // Abandoning goes back to the title, and from there to the chooser again.
        wait_for(title_waiting),
        menu_choose(MODE_CLASSIC),
        on(chooser_waiting,
           [](GameDriver& d) {
               // Level 1 in red (frames 10 up), level 2 green.
               EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 0)->frame, 10);
               EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 1)->frame, 11);
               EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 2)->frame, 0);
               EXPECT_EQ(sprite_get(SPRITE_CHOOSER_DIGITS + 3)->frame, 2);
               sprite_tap(d, SPRITE_CHOOSER_DIGITS + 0);
           }),
        on(question_waiting,
           [](GameDriver& d) {
               EXPECT_EQ(sprite_get(SPRITE_QUESTION_DIGITS)->frame, 0);
               EXPECT_EQ(sprite_get(SPRITE_QUESTION_DIGITS + 1)->frame, 1);
               EXPECT_EQ(sprite_get(SPRITE_QUESTION_LEVEL)->x, 80);
               d.tap(60, 200);  // YES
           }),
        on(in_play,
           [&](GameDriver&) {
               EXPECT_EQ(saved_elapsed, clock_before_close + 25);
               // One fixed step of play since the saved clock.
               EXPECT_EQ(soft_timers[LEVEL_CLOCK], saved_elapsed + 25);
               ASSERT_EQ(vertex_count, at_abandon.size());
               const std::vector<VertexCopy> now = vertices_copy();
               for (size_t i = 0; i < now.size(); ++i) {
                   EXPECT_EQ(now[i].x, at_abandon[i].x) << i;
                   EXPECT_EQ(now[i].y, at_abandon[i].y) << i;
                   EXPECT_EQ(sprite_get(int(i))->x, at_abandon[i].x) << i;
                   EXPECT_EQ(sprite_get(GLOW_SPRITE_BASE + int(i))->y, at_abandon[i].y) << i;
               }
               EXPECT_EQ(edge_set(), edges_at_abandon);
           }),
        stop_game("resumed"),
    });
    EXPECT_EQ(played.reason, "resumed");

    // The level file: flag of level 1 set, then slot 0 with count, clock and records.
    const std::vector<uint8_t> bytes = file_bytes("ZembrolShape0.lvl");
    ASSERT_GE(bytes.size(), size_t(200 + 6 + 14 * 6));
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[200] | bytes[201] << 8, 6);
    const uint32_t clock = bytes[202] | bytes[203] << 8 | bytes[204] << 16 | uint32_t(bytes[205]) << 24;
    EXPECT_EQ(clock, clock_before_close + 25);
    for (int i = 0; i < 6; ++i) {
        const uint8_t* r = &bytes[206 + 14 * i];
        EXPECT_EQ(int16_t(r[0] | r[1] << 8), at_abandon[i].x) << i;
        EXPECT_EQ(int16_t(r[2] | r[3] << 8), at_abandon[i].y) << i;
    }
}

TEST_F(GameTest, UnreadableSaveGivesAFreshLevelOfTheSameNumber)
{
    Profile record{};
    profile_reset(&record);
    record.levels_open[0] = 3;
    profile_file_write(record);
    // Level 2 marked as saved, but its slot holds an impossible puzzle.
    std::vector<uint8_t> level_file(200 + 90 + 146, 0);
    level_file[1] = 1;
    level_file[290] = 0xFF;  // vertex count 0xFFFF
    level_file[291] = 0xFF;
    FILE* f = std::fopen("ZembrolShape0.lvl", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(level_file.data(), 1, level_file.size(), f);
    std::fclose(f);

    const Played played = steps_play({
        menu_choose(MODE_CLASSIC),
        on(chooser_waiting,
           [](GameDriver& d) {
               EXPECT_EQ(sprite_get(chooser_digit(2))->frame, 12);  // level 2 in red
               sprite_tap(d, chooser_digit(2));
           }),
        tap_on(question_waiting, 60, 200),
        on(in_play,
           [&](GameDriver& d) {
               EXPECT_EQ(vertex_count, 10);          // level 2's size
               EXPECT_EQ(saved_elapsed, 0u);
               EXPECT_EQ(sprite_get(SPRITE_LEVEL_DIGITS)->frame, 2);
               EXPECT_FALSE(is_crossing_free());
               // The save that will never load is no longer marked; its slot stays.
               std::vector<uint8_t> expect = level_file;
               expect[1] = 0;
               EXPECT_EQ(file_bytes("ZembrolShape0.lvl"), expect);
               d.tap(CLOSE_X, CLOSE_Y);  // left untouched: nothing saved
           }),
        wait_for(title_waiting),
        menu_choose(MODE_CLASSIC),
        on(chooser_waiting,
           [](GameDriver& d) {
               EXPECT_EQ(sprite_get(chooser_digit(2))->frame, 2);  // green now
               sprite_tap(d, chooser_digit(2));
           }),
        // Straight into a fresh level: no question asked.
        wait_watching([] { EXPECT_FALSE(question_waiting()); }, in_play),
        check([] { EXPECT_EQ(saved_elapsed, 0u); }),
        stop_game("fresh level 2 without asking"),
    });
    EXPECT_EQ(played.reason, "fresh level 2 without asking");
}
