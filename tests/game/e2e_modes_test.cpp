// End to end, the other modes and screens: baby brains, funky shapes with each
// of the five shapes, the instructions with their demonstration, and the
// best-times list.
#include "support/game_driver.h"

#include <string>

#include "game/hiscores.h"
#include "game/level_clock.h"
#include "game/screens.h"
#include "game/screens_internal.h"
#include "storage/level_file.h"

namespace {

// Level 2 of a track left after a pick: creature 0 moved a little, then the
// close button, and the title back.
std::vector<Step> level_two_left_after_pick()
{
    return {
        on(in_play,
           [](GameDriver& d) {
               EXPECT_EQ(vertex_count, 10);
               nudge(d, 0, 3, 3);
           }),
        act([](GameDriver& d) {
            if (!in_play())
                throw GameStop{"the one drag solved the level"};
            d.tap(CLOSE_X, CLOSE_Y);
        }),
        wait_for(title_waiting),
    };
}

}  // namespace

TEST_F(GameTest, BabyBrainsIsARingAndBooksItsOwnTrack)
{
    bool level_one_on = false;
    uint32_t last_clock = 0;
    const Played played = steps_play(
        steps_join({
            {
                menu_choose(MODE_BABY_BRAINS),
                on(in_play,
                   [&](GameDriver&) {
                       // A plain ring: 0-1-2-3-4-5-0 and nothing else.
                       EXPECT_EQ(vertex_count, 6);
                       const std::set<std::pair<int, int>> ring = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {0, 5}};
                       EXPECT_EQ(edge_set(), ring);
                       level_one_on = true;
                   }),
                solve_then(new_record_waiting),
                act([&](GameDriver& d) {
                    level_one_on = false;
                    d.tap(120, 160);
                }),
            },
            level_two_left_after_pick(),
            {stop_game("back at the title")},
        }),
        [&] {
            if (level_one_on && in_play())
                last_clock = soft_timers[LEVEL_CLOCK];
        });
    EXPECT_EQ(played.reason, "back at the title");
    EXPECT_EQ(profile.levels_open[7], 2u);
    EXPECT_EQ(profile.levels_open[0], 0u);
    // One table of best times serves every track.
    EXPECT_GT(last_clock, 0u);
    EXPECT_EQ(profile.best_times[0], last_clock < 1000 ? 1 : last_clock / 1000);
    // Baby brains saves into level file 6; level 2 was left after a pick.
    const std::vector<uint8_t> bytes = file_bytes("ZembrolShape6.lvl");
    ASSERT_GE(bytes.size(), 200u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 1);
}

TEST_F(GameTest, FunkyShapesPlaysEachOfTheFiveShapesOnItsOwnTrack)
{
    std::vector<Step> steps;
    for (int shape = 1; shape <= 5; ++shape) {   // the LayoutShape played
        steps = steps_join({
            steps,
            {
                menu_choose(MODE_FUNKY_SHAPES),
                on(shapes_waiting,
                   [shape](GameDriver& d) {
                       const auto [cx, cy] = shape_preview_centre(shape);
                       const Sprite* first = sprite_get(PREVIEW_POINTS * (shape - 1));
                       EXPECT_TRUE(first->active);
                       EXPECT_LT(std::abs(first->x - cx), 45);
                       d.tap(cx, cy);
                   }),
                on(in_play,
                   [shape](GameDriver&) {
                       EXPECT_EQ(game_shape, shape);
                       EXPECT_EQ(progress_slot, shape + 1);
                       EXPECT_EQ(level_file_index, shape);
                       // The creatures stand on the points of the chosen shape.
                       layout_radius = 110;
                       layout_generators[shape](vertex_count);
                       for (int i = 0; i < vertex_count; ++i) {
                           bool found = false;
                           for (int p = 0; p < vertex_count; ++p)
                               found |= layout_points[p].x == vertices[i].x && layout_points[p].y == vertices[i].y;
                           EXPECT_TRUE(found) << "shape " << shape << " vertex " << i;
                       }
                   }),
                // Level 1 solved and its record tapped away, until level 2 is being set up.
                [](GameDriver& d) {
                    if (solve_while_in_play(d))
                        return false;
                    if (new_record_waiting())
                        d.tap(120, 160);
                    else if (soft_timer_modes[LEVEL_CLOCK] == TIMER_STOPPED && vertex_count == 10)
                        return true;
                    return false;
                },
            },
            level_two_left_after_pick(),
        });
    }
    steps.push_back(stop_game("all five shapes played"));
    EXPECT_EQ(steps_play(steps).reason, "all five shapes played");
    for (int s = 1; s <= 5; ++s) {
        EXPECT_EQ(profile.levels_open[s + 1], 2u) << s;
        const std::string name = "ZembrolShape" + std::to_string(s) + ".lvl";
        const std::vector<uint8_t> bytes = file_bytes(name.c_str());
        ASSERT_GE(bytes.size(), 200u) << name;
        EXPECT_EQ(bytes[1], 1) << name;
    }
    EXPECT_EQ(profile.levels_open[0], 0u);
    EXPECT_EQ(profile.levels_open[7], 0u);
    EXPECT_FALSE(file_exists("ZembrolShape0.lvl"));
}

TEST_F(GameTest, ShapeSelectionIgnoresStrayTapsAndItsCloseLeadsBackToTheMenu)
{
    const Played played = steps_play({
        menu_choose(MODE_FUNKY_SHAPES),
        tap_on(shapes_waiting, 5, 315),   // outside every preview and off the close button
        act([](GameDriver& d) {
            EXPECT_TRUE(shapes_waiting());
            d.tap(CLOSE_X, CLOSE_Y);
        }),
        wait_watching([] { EXPECT_FALSE(in_play()); }, menu_waiting),
        stop_game("back at the menu"),
    });
    EXPECT_EQ(played.reason, "back at the menu");
    EXPECT_EQ(game_shape, -1);
}

TEST_F(GameTest, InstructionsDemonstrationUntanglesTheFiveCreatures)
{
    const Played played = steps_play({
        menu_choose(MENU_ROW_INSTRUCTIONS),
        on(demo_knotted_waiting,
           [](GameDriver& d) {
               EXPECT_FALSE(sprite_get(SPRITE_CLOSE)->active);
               EXPECT_EQ(vertex_count, 5);
               d.tap(120, 100);
           }),
        on(demo_untangled_waiting,
           [](GameDriver& d) {
               // Every creature close to its place on the mirrored circle, no crossing left.
               for (int c = 0; c < 5; ++c) {
                   const int32_t u = (512 * c) / 5;
                   const int tx = 120 + ((-cos512(u) * 110) >> 8);
                   const int ty = 192 + ((-sin512(u) * 110) >> 8);
                   EXPECT_LE(std::abs(vertices[c].x - tx), 1) << c;
                   EXPECT_LE(std::abs(vertices[c].y - ty), 1) << c;
               }
               EXPECT_TRUE(is_crossing_free());
               for (int i = 0; i < 5; ++i)
                   for (int k = 0; k < vertices[i].degree; ++k)
                       EXPECT_EQ(vertices[i].edge_lines[k]->colour, COLOUR_EDGE_FREE);
               d.tap(120, 100);
           }),
        // The instructions' page.
        on([] {
               return surface_slots[PICTURE_SLOT].in_use && surface_slots[PICTURE_SLOT].opacity == 32 &&
                      !compose_enabled;
           },
           [](GameDriver& d) {
               EXPECT_FALSE(sprite_get(SPRITE_DEMO_CAPTION)->active);
               d.tap(120, 100);
           }),
        on(menu_waiting,
           [](GameDriver&) {
               EXPECT_TRUE(sprite_get(SPRITE_CLOSE)->active);
               EXPECT_FALSE(surface_slots[PICTURE_SLOT].in_use);
               EXPECT_EQ(surface_slots[EDGE_SLOT].shape_list, nullptr);
           }),
        stop_game("back at the menu"),
    });
    EXPECT_EQ(played.reason, "back at the menu");
}

TEST_F(GameTest, BestTimesListPagesThroughEveryRecordedLevel)
{
    Profile record{};
    profile_reset(&record);
    for (int j = 0; j < 25; ++j)
        record.best_times[j] = uint16_t(40 + 7 * j);
    record.best_times[26] = 99;   // after the first gap: never listed
    profile_file_write(record);

    const Played played = steps_play({
        menu_choose(MENU_ROW_BEST_TIMES),
        on([] { return sprite_is(SPRITE_LIST_HEAD_LEVEL, PIC_LEVEL_SMALL) && !sprite_on(SPRITE_MENU_BASE); },
           [](GameDriver& d) {
               // Page one: levels 1..18; level 1 took 40 s, level 18 took 159 s.
               EXPECT_EQ(sprite_get(5)->frame, 0);
               EXPECT_EQ(sprite_get(6)->frame, 1);
               EXPECT_EQ(sprite_get(4)->frame, 0);
               EXPECT_EQ(sprite_get(3)->frame, 0);
               EXPECT_EQ(sprite_get(1)->frame, 4);
               EXPECT_EQ(sprite_get(0)->frame, 0);
               const int last = 7 * 17;
               EXPECT_TRUE(sprite_get(last + 6)->active);
               EXPECT_EQ(sprite_get(last + 6)->y, 16 * 17 + 40);
               EXPECT_EQ(sprite_get(last + 5)->frame, 1);
               EXPECT_EQ(sprite_get(last + 6)->frame, 8);
               EXPECT_EQ(sprite_get(last + 3)->frame, 2);
               EXPECT_EQ(sprite_get(last + 1)->frame, 3);
               EXPECT_EQ(sprite_get(last + 0)->frame, 9);
               d.tap(120, 160);
           }),
        on([] { return sprite_get(6)->active && sprite_get(6)->frame == 9; },
           [](GameDriver& d) {
               // Page two: levels 19..25 only.
               EXPECT_EQ(sprite_get(5)->frame, 1);
               EXPECT_TRUE(sprite_get(7 * 6 + 6)->active);
               EXPECT_EQ(sprite_get(7 * 6 + 5)->frame, 2);
               EXPECT_EQ(sprite_get(7 * 6 + 6)->frame, 5);
               EXPECT_FALSE(sprite_get(7 * 7 + 6)->active);
               d.tap(120, 160);
           }),
        on(menu_waiting,
           [](GameDriver&) {
               EXPECT_FALSE(sprite_get(SPRITE_LIST_HEAD_LEVEL)->active);
               EXPECT_FALSE(sprite_get(6)->active);
           }),
        stop_game("back at the menu"),
    });
    EXPECT_EQ(played.reason, "back at the menu");
}
