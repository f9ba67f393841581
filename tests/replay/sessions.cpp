// The scripted sessions of the replays: each plays the game from a first start
// as a player would and marks the frames whose pictures its replay pins. The
// drags are worked out from the vertex table as the session runs, so an input
// made from a session solves the level its seed generates.
#include "tests/replay/sessions.h"

#include <memory>

namespace {

// Picks up the creature the solver would move first and carries it halfway
// home, marking the frame while it is held, then sets it down at home.
void carry_marked(std::vector<Step>& s, const std::string& label)
{
    auto target = std::make_shared<std::pair<int, int>>();
    s.insert(s.end(), {
        act([target](GameDriver& d) {
            int i = vertex_count - 1;
            while (i > 0 && std::pair<int, int>(circle_home(i, vertex_count)) ==
                                std::pair<int, int>(vertices[i].x, vertices[i].y))
                --i;
            const auto [hx, hy] = circle_home(i, vertex_count);
            *target = {hx, hy};
            d.press(vertices[i].x, vertices[i].y, 1);
            d.move((vertices[i].x + hx) / 2, (vertices[i].y + hy) / 2, 2);
        }),
        mark(label),
        act([target](GameDriver& d) {
            d.move(target->first, target->second, 1);
            d.release(8);
        }),
    });
}

std::vector<Step> classic_solved()
{
    std::vector<Step> s = {wait_for(title_waiting), mark("title"), tap_at(120, 200),
                           wait_for(menu_waiting), mark("menu"), menu_row(MODE_CLASSIC),
                           wait_for(in_play), mark("level1")};
    carry_marked(s, "carrying");
    s.insert(s.end(), {solve_until([] { return true; }), mark("solved"),
                       wait_for(new_record_waiting), mark("new_record"), tap_at(120, 160),
                       wait_for([] { return level_waiting(10); }), mark("level2")});
    return s;
}

std::vector<Step> sudden_death()
{
    std::vector<Step> s = {menu_choose(MODE_SUDDEN_DEATH)};
    s.insert(s.end(), {wait_for(top_scores_waiting), mark("top_scores_empty"), tap_at(120, 160),
                       solve_until([] { return true; }), solve_until([] { return true; }),
                       wait_for([] { return level_waiting(10); }), mark("level3"),
                       wait_for(times_up_waiting), settle(2), mark("times_up"), tap_at(120, 160),
                       wait_for([] { return top_scores_waiting() && sprite_on(SPRITE_YOUR_SCORE); }),
                       mark("score"), tap_at(120, 160), wait_for(title_waiting), mark("title_again")});
    return s;
}

std::vector<Step> resumed()
{
    std::vector<Step> s = {menu_choose(MODE_CLASSIC)};
    s.insert(s.end(), {
        solve_until(new_record_waiting), tap_at(120, 160),
        wait_for([] { return level_waiting(10); }),
        act([](GameDriver& d) { drag_slowly(d, vertices[0].x, vertices[0].y, vertices[0].x + 7, vertices[0].y + 5); }),
        wait_for(in_play), mark("level2_touched"), tap_close(),
    });
    s.insert(s.end(), {
        menu_choose(MODE_CLASSIC),
        wait_for(chooser_waiting), mark("chooser"),
        act([](GameDriver& d) { sprite_tap(d, chooser_digit(2)); }),
        wait_for(question_waiting), settle(2), mark("question"), tap_at(60, 200),
        wait_for(in_play), mark("resumed"),
        solve_until(new_record_waiting), mark("new_record"), tap_at(120, 160),
        wait_for([] { return level_waiting(15); }), mark("level3"),
    });
    return s;
}

struct Session {
    const char* name;
    const char* about;
    std::vector<Step> (*steps)();
};

const Session SESSIONS[] = {
    {"classic_solved", "a first start; classic level 1 solved by drags, level 2 begun", classic_solved},
    {"sudden_death", "sudden death: two levels solved, the third's time runs out, the score in the top ten",
     sudden_death},
    {"resumed", "classic level 2 touched, left with the close button, resumed from the chooser and solved",
     resumed},
};

}  // namespace

std::vector<Step> session_steps(const std::string& name, std::string* about)
{
    for (const Session& session : SESSIONS) {
        if (name == session.name) {
            *about = session.about;
            return session.steps();
        }
    }
    return {};
}
