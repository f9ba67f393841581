// Plays the whole game headless, as a player would, and writes a picture of
// every screen: the real game_main runs through the real frame pump with a fake
// clock and a seeded random generator, in a fresh temporary directory, while a
// scripted player taps and drags through the title, the menu, the
// instructions, the shape selection, classic play, the level chooser, the
// resume question, time attack, sudden death and the record screens. Each
// picture is the back buffer as the player sees it at that moment (240 x 320,
// RGB565 widened to 8 bits a channel), at 1x.
//
//   screenshots [out_dir [seed]]   (default: docs/screenshots, run from the
//                                   repository root, and the seed below)
//
// The run is deterministic: the same build and seed write the same pictures.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "testkit/back_buffer_png.h"
#include "testkit/player.h"

namespace {

std::filesystem::path out_dir;
std::vector<std::string> written;

Step shoot(const std::string& name)
{
    return [name](GameDriver&) {
        if (!back_buffer_png_write(out_dir / (name + ".png")))
            throw GameStop{"cannot write " + name + ".png"};
        written.push_back(name);
        std::printf("  %s.png\n", name.c_str());
        return true;
    };
}

// The creature with the most neighbours (the lowest index of equals).
int busiest_vertex()
{
    int best = 0;
    for (int i = 1; i < vertex_count; ++i) {
        if (vertices[i].degree > vertices[best].degree)
            best = i;
    }
    return best;
}

// Picks up the busiest creature and carries it a third of the way towards the
// middle of the screen, still held when the step is done.
void drag_begin(GameDriver& d)
{
    const int i = busiest_vertex();
    const int x0 = vertices[i].x, y0 = vertices[i].y;
    const int dx = (120 - x0) / 3, dy = (160 - y0) / 3;
    d.press(x0, y0);
    for (int k = 1; k <= 6; ++k)
        d.move(x0 + dx * k / 6, y0 + dy * k / 6, k < 6 ? 1 : 2);
}

bool dragging()
{
    return pointer_down && surface_slots[CACHE_SLOT].opacity == OPACITY_FULL &&
           surface_slots[BACKGROUND_SLOT].opacity == 0;
}

std::vector<Step> session()
{
    const int DEMO_SLIDE = 40;   // frames each creature of the demonstration takes
    std::vector<Step> s = {
        // A first start: the title, then the menu of six rows.
        wait_for(title_waiting), shoot("title"), tap_at(120, 200),
        wait_for(menu_waiting), shoot("menu"), menu_row(5),

        // The instructions: the knotted demonstration, the lines coming free, the page.
        wait_for([] { return sprite_is(SPRITE_DEMO_CAPTION, PIC_TUTORIAL_DEMO); }), settle(2),
        shoot("instructions_knotted"), tap_at(120, 100),
        wait_for([] { return sprite_is(SPRITE_DEMO_CAPTION, PIC_TUTORIAL_CROSS); }),
        settle(2 * DEMO_SLIDE + DEMO_SLIDE / 2), shoot("instructions_demo"),
        wait_for([] { return sprite_is(SPRITE_DEMO_CAPTION, PIC_TUTORIAL_FREE_LINE) && !compose_enabled; }),
        shoot("instructions_untangled"), tap_at(120, 100),
        wait_for([] {
            return surface_slots[PICTURE_SLOT].in_use && surface_slots[PICTURE_SLOT].opacity == OPACITY_FULL &&
                   !compose_enabled;
        }),
        shoot("instructions_page"), tap_at(120, 100),

        // Funky shapes' selection, left with the close button.
        wait_for(menu_waiting), menu_row(MODE_FUNKY_SHAPES),
        wait_for(shapes_waiting), shoot("shapes"), tap_close(),

        // Classic play: level 1 solved; level 2 at its start, dragged, paused, solved.
        wait_for(menu_waiting), menu_row(MODE_CLASSIC),
        solve_until(new_record_waiting), tap_at(120, 160),
        wait_for([] { return level_waiting(10); }), shoot("level_start"),
        settle(100), act(drag_begin), wait_for(dragging), shoot("dragging"), act([](GameDriver& d) { d.release(); }),
        wait_for(in_play), settle(60), tap_at(226, 306), wait_for(paused), shoot("paused"), tap_at(120, 40),
        solve_until(new_record_waiting), settle(2), shoot("new_record"), tap_at(120, 160),
        // Level 3 solved too; level 4 touched once and left, so that it is kept.
        solve_until(new_record_waiting), tap_at(120, 160),
        wait_for([] { return level_waiting(20); }),
        act([](GameDriver& d) {
            drag_slowly(d, vertices[0].x, vertices[0].y, vertices[0].x + 7, vertices[0].y + 5);
        }),
        wait_for(in_play), tap_close(),

        // Back at the title: the menu has its seventh row now.
        wait_for(title_waiting), tap_at(120, 200),
        wait_for(menu_waiting), shoot("menu_hiscores"), menu_row(6),
        wait_for([] { return sprite_is(SPRITE_LIST_HEAD_LEVEL, PIC_LEVEL_SMALL) && !sprite_on(SPRITE_MENU_BASE); }),
        settle(2), shoot("best_times"), tap_at(120, 160),

        // Classic again: the chooser with level 4 in red, and the question.
        wait_for(menu_waiting), menu_row(MODE_CLASSIC),
        wait_for(chooser_waiting), shoot("chooser"),
        act([](GameDriver& d) {
            const Sprite* s = sprite_get(SPRITE_CHOOSER_DIGITS + 2 * 3 + 1);
            d.tap(s->x, s->y);
        }),
        wait_for(question_waiting), settle(2), shoot("resume"), tap_at(60, 200),
        wait_for(in_play), tap_close(),

        // Time attack's first level left alone until the time is up.
        wait_for(title_waiting), tap_at(120, 200),
        wait_for(menu_waiting), menu_row(MODE_TIME_ATTACK),
        wait_for(times_up_waiting), settle(2), shoot("times_up"), tap_at(120, 160),

        // Sudden death: the empty top ten, two levels solved, the third left.
        wait_for(title_waiting), tap_at(120, 200),
        wait_for(menu_waiting), menu_row(MODE_SUDDEN_DEATH),
        wait_for(top_scores_waiting), tap_at(120, 160),
        solve_until([] { return true; }),
        solve_until([] { return true; }),
        wait_for([] { return level_waiting(10); }), shoot("sudden_death"), tap_close(),
        wait_for([] { return top_scores_waiting() && sprite_on(SPRITE_YOUR_SCORE); }), shoot("top_scores"),
    };
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    std::error_code error;
    out_dir = std::filesystem::absolute(argc > 1 ? argv[1] : "docs/screenshots", error);
    std::filesystem::create_directories(out_dir, error);
    if (error) {
        std::printf("screenshots: cannot make %s\n", out_dir.c_str());
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);

    // The game keeps its profile and level files in the working directory:
    // start from none, as a player's first run does.
    char pattern[] = "/tmp/zf_shots_XXXXXX";
    if (!mkdtemp(pattern)) {
        std::printf("screenshots: no temporary directory\n");
        return 1;
    }
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(pattern);
    FakeClock::install();

    // The seed of the committed pictures: its demonstration starts well knotted.
    uint32_t seed = 6;
    if (argc > 2)
        seed = uint32_t(std::strtoul(argv[2], nullptr, 10));

    StepList session_steps{session()};
    GameDriver driver([&](GameDriver& d) { session_steps.run(d); }, seed, 200000);
    std::printf("screenshots into %s\n", out_dir.c_str());
    const int status = driver.run();

    std::filesystem::current_path(home);
    std::filesystem::remove_all(pattern, error);
    if (driver.stop_reason != "done") {
        std::printf("screenshots: stopped at step %zu (%s), game status %d\n", session_steps.at,
                    driver.stop_reason.c_str(), status);
        return 1;
    }
    std::printf("%zu pictures\n", written.size());
    return 0;
}
