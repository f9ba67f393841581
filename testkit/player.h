// The scripted player: drives the real game through the real frame pump on the
// fake clock, pushing the kit's events from frame_hook, with probes that tell
// which screen is up and steps that read like a player's actions (wait for a
// screen, tap, drag, solve). Free of any test framework, so that the game's
// tests, the replays and the developer tools share one player.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include <unistd.h>

#include "game/flow.h"
#include "game/graph.h"
#include "game/layout.h"
#include "game/level_clock.h"
#include "game/mode.h"
#include "game/play.h"
#include "game/ui.h"
#include "geometry/random.h"
#include "geometry/trig.h"
#include "gfx/slot.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "scene/text.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "storage/profile.h"
#include "testkit/circle.h"
#include "testkit/clock.h"
#include "testkit/events.h"

// Thrown from the frame hook to end game_main from inside a script.
struct GameStop {
    std::string why;
};

// Scripted input, one batch of events per frame at most. The script is
// called once a frame while nothing is queued or settling; it looks at the game
// and queues what the player does next.
class GameDriver {
public:
    using Script = std::function<void(GameDriver&)>;

    explicit GameDriver(Script s, uint32_t seed_value = 12345, int limit = 20000)
        : script(std::move(s)), seed(seed_value), frame_limit(limit)
    {
    }

    // Frames run so far (the hook's calls).
    int frame = 0;

    bool busy() const { return settle > 0 || !pending.empty(); }

    // A click: press and release in one frame's events (the pump shows it as
    // down for one frame, released on the next).
    void tap(int x, int y)
    {
        Batch b;
        b.events.push_back(motion_event(x, y));
        b.events.push_back(button_event(true));
        b.events.push_back(button_event(false));
        b.wait = 2;
        pending.push_back(b);
    }
    void press(int x, int y, int wait = 0)
    {
        Batch b;
        b.events.push_back(motion_event(x, y));
        b.events.push_back(button_event(true));
        b.wait = wait;
        pending.push_back(b);
    }
    void move(int x, int y, int wait = 0)
    {
        Batch b;
        b.events.push_back(motion_event(x, y));
        b.wait = wait;
        pending.push_back(b);
    }
    void release(int wait = 2)
    {
        Batch b;
        b.events.push_back(button_event(false));
        b.wait = wait;
        pending.push_back(b);
    }
    // Grab at (x0, y0), move to (x1, y1) in one frame, let go.
    void drag(int x0, int y0, int x1, int y1)
    {
        press(x0, y0);
        move(x1, y1);
        release();
    }
    void key(SDL_Keycode sym, bool down, int wait = 1)
    {
        Batch b;
        b.events.push_back(event_make(down ? SDL_KEYDOWN : SDL_KEYUP, sym));
        b.wait = wait;
        pending.push_back(b);
    }
    // A key pressed and let go, a frame apart.
    void key_tap(SDL_Keycode sym)
    {
        key(sym, true);
        key(sym, false);
    }
    // Waits this many frames before the script runs again.
    void idle(int frames) { settle += frames; }

    // Runs game_main under this driver. Returns its status, or -100 when the
    // script (or the frame limit) stopped it; `stop_reason` then says why.
    int run()
    {
        current = this;
        frame_hook = hook;
        int status = -100;
        try {
            status = game_main();
        } catch (const GameStop& stop) {
            stop_reason = stop.why;
        }
        frame_hook = nullptr;
        current = nullptr;
        return status;
    }

    // Runs any piece of the game (a screen, a loop) under this driver, as run()
    // does game_main. Returns false when the script stopped it.
    template <class F>
    bool run_with(F piece)
    {
        current = this;
        frame_hook = hook;
        bool finished = true;
        try {
            piece();
        } catch (const GameStop& stop) {
            stop_reason = stop.why;
            finished = false;
        }
        frame_hook = nullptr;
        current = nullptr;
        return finished;
    }

    std::string stop_reason;
    // Called on every frame, busy or not, before the script: for tests that
    // must see each frame's state.
    std::function<void()> watch;

    static void hook()
    {
        GameDriver& d = *current;
        ++d.frame;
        // Seeded after start-up, so the levels are the same on every run.
        if (d.frame == 1)
            random_seed(d.seed);
        if (d.frame > d.frame_limit)
            throw GameStop{"frame limit"};
        if (d.watch)
            d.watch();
        if (d.settle > 0) {
            --d.settle;
            return;
        }
        if (d.pending.empty())
            d.script(d);
        if (!d.pending.empty()) {
            Batch b = d.pending.front();
            d.pending.pop_front();
            for (SDL_Event& e : b.events)
                SDL_PushEvent(&e);
            d.settle = b.wait;
        }
    }

private:
    struct Batch {
        std::vector<SDL_Event> events;
        int wait = 0;
    };

    // The pump halves window coordinates while the view is doubled.
    static SDL_Event motion_event(int x, int y)
    {
        return event_make(SDL_MOUSEMOTION, x << view_doubled, y << view_doubled);
    }
    static SDL_Event button_event(bool down)
    {
        return event_make(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
    }

    static inline GameDriver* current = nullptr;
    Script script;
    uint32_t seed;
    int frame_limit;
    int settle = 0;
    std::deque<Batch> pending;
};

// A puzzle of the given vertices and edges, coloured, as a level would start.
inline void puzzle_make(const std::vector<std::pair<int16_t, int16_t>>& points,
                        const std::vector<std::pair<int, int>>& edges)
{
    shape_list_clear(EDGE_SLOT);
    vertex_count = uint16_t(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        vertex_create(int(i), points[i].first, points[i].second);
    for (const auto& [a, b] : edges)
        add_edge(uint16_t(a), uint16_t(b));
    colour_edges();
}

// ---- Files --------------------------------------------------------------

inline std::vector<uint8_t> file_bytes(const char* name)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(name, "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            bytes.push_back(uint8_t(c));
        std::fclose(f);
    }
    return bytes;
}

inline bool file_exists(const char* name)
{
    return std::filesystem::exists(name);
}

inline Profile profile_file_read()
{
    std::vector<uint8_t> bytes = file_bytes("Zembrolfink.sav");
    Profile record{};
    profile_decode(bytes.data(), int32_t(bytes.size()), &record);
    return record;
}

// ---- What is on screen ----------------------------------------------------

inline const Sprite* sprite_get(int id)
{
    return sprite_table[id];
}
inline bool sprite_on(int id)
{
    const Sprite* s = sprite_table[id];
    return s && s->active && s->opacity > 0;
}
// Whether sprite id is up showing a frame of the catalogued picture.
inline bool sprite_is(int id, const Picture& picture)
{
    const Sprite* s = sprite_table[id];
    return s && s->active && s->w == picture.cell_w && s->h == picture.cell_h;
}

inline bool title_waiting()
{
    return sprite_is(SPRITE_TITLE, PIC_TITLE_LOGO) && sprite_table[SPRITE_TITLE]->opacity == 32 && !compose_enabled;
}
inline bool menu_waiting()
{
    return sprite_is(SPRITE_MENU_BASE, PIC_MENU_CAPTIONS) && sprite_table[SPRITE_MENU_BASE]->opacity == 32;
}
// The menu's rows after the five modes'.
constexpr int MENU_ROW_INSTRUCTIONS = 5;
constexpr int MENU_ROW_BEST_TIMES = 6;

// The instructions' demonstration: the knot before the first tap, and the
// circle once every creature has landed.
inline bool demo_knotted_waiting()
{
    return sprite_is(SPRITE_DEMO_CAPTION, PIC_TUTORIAL_DEMO);
}
inline bool demo_untangled_waiting()
{
    return sprite_is(SPRITE_DEMO_CAPTION, PIC_TUTORIAL_FREE_LINE) && !compose_enabled;
}

// A tap on a sprite where it stands.
inline void sprite_tap(GameDriver& d, int id)
{
    const Sprite* s = sprite_table[id];
    d.tap(s->x, s->y);
}
inline void menu_row_tap(GameDriver& d, int row)
{
    sprite_tap(d, SPRITE_MENU_BASE + row);
}

// From the title to a row of the menu: a tap on the title, then one on the
// row. Call it from a script until it answers true, which it does from the
// call that taps the row; set step back to 0 to walk again.
struct MenuWalk {
    int step = 0;
    bool operator()(GameDriver& d, int row)
    {
        if (step < 2 && at_menu(d)) {
            menu_row_tap(d, row);
            step = 2;
        }
        return step == 2;
    }
    // The first half of the walk: true once the title has been tapped and the
    // menu waits for a row.
    bool at_menu(GameDriver& d)
    {
        if (step == 0 && title_waiting()) {
            d.tap(120, 200);
            step = 1;
            return false;
        }
        return step == 1 && menu_waiting();
    }
};

// Where the preview of shape 1..5 stands on the shape selection: on an
// ellipse round the middle, a fifth of a turn apart.
inline std::pair<int, int> shape_preview_centre(int shape)
{
    const int32_t u = (512 * (shape - 1)) / 5;
    return {int(120.0 + sine_table[(u + 256) & 511] / 3.2), int(190 - cos512(u) / 2.5)};
}

// The sprite of the ones digit of a level on the chooser (two digits a level).
inline int chooser_digit(int level)
{
    return SPRITE_CHOOSER_DIGITS + 2 * (level - 1) + 1;
}
// The play loop is running and not paused.
inline bool in_play()
{
    return soft_timer_modes[LEVEL_CLOCK] != TIMER_STOPPED &&
           (!sprite_table[SPRITE_PAUSE_CAPTION] || sprite_table[SPRITE_PAUSE_CAPTION]->opacity == 0);
}
inline bool paused()
{
    return soft_timer_modes[LEVEL_CLOCK] == TIMER_STOPPED && sprite_is(SPRITE_PAUSE_CAPTION, PIC_PAUSE_CAPTION) &&
           sprite_table[SPRITE_PAUSE_CAPTION]->opacity == 32;
}
inline bool new_record_waiting()
{
    return sprite_is(SPRITE_POPUP, PIC_NEW_RECORD) && sprite_table[SPRITE_POPUP]->opacity == 32;
}
inline bool times_up_waiting()
{
    return sprite_is(SPRITE_POPUP, PIC_TIMES_UP) && sprite_is(SPRITE_POPUP_LOWER, PIC_GAME_OVER) &&
           sprite_table[SPRITE_POPUP_LOWER]->opacity == 32;
}
inline bool top_scores_waiting()
{
    return sprite_is(SPRITE_SCORES_CAPTION, PIC_SCORES_CAPTIONS) && sprite_table[SPRITE_SCORES_CAPTION]->opacity == 28 &&
           !compose_enabled;
}
inline bool chooser_waiting()
{
    return sprite_is(SPRITE_CHOOSER_CAPTION, PIC_LEVEL_LARGE) && sprite_table[SPRITE_CHOOSER_CAPTION]->y == 24 &&
           sprite_table[SPRITE_CHOOSER_CAPTION]->opacity == 32;
}
inline bool question_waiting()
{
    return sprite_is(SPRITE_ANSWER_YES, PIC_YES_NO) && sprite_is(SPRITE_QUESTION, PIC_LOAD_QUESTION);
}
inline bool shapes_waiting()
{
    return sprite_is(SPRITE_SELECT_CAPTION, PIC_SELECT_SHAPE) && sprite_table[SPRITE_SELECT_CAPTION]->opacity == 32 &&
           !compose_enabled;
}

// The text of a text row of the game's text slot.
inline std::string text_row_text(int entry)
{
    std::string s;
    const TextRow& row = text_row_tables[TEXT_SLOT][entry];
    for (int i = 0; i < row.glyph_count; ++i)
        s += char(row.glyphs[i].code);
    return s;
}

// The clock as it reads on screen, "MM:SS".
inline std::string clock_text()
{
    std::string s;
    for (int i = CLOCK_SPRITES - 1; i >= 0; --i) {
        const int16_t f = sprite_table[SPRITE_CLOCK_BASE + i]->frame;
        s += f == SMALL_COLON_FRAME ? ':' : char('0' + f);
    }
    return s;
}

// ---- Solving --------------------------------------------------------------

// Queues one drag that brings a vertex home; false when all are home. Highest
// index first: a vertex standing on a home already taken is still picked,
// since of two at one spot the lower index wins.
inline bool solve_step(GameDriver& d)
{
    for (int i = vertex_count - 1; i >= 0; --i) {
        const auto [hx, hy] = circle_home(i, vertex_count);
        if (vertices[i].x != hx || vertices[i].y != hy) {
            d.drag(vertices[i].x, vertices[i].y, hx, hy);
            return true;
        }
    }
    return false;
}

// As solve_step, but a level that goes on with every creature home stops the game.
inline void solve_or_stop(GameDriver& d)
{
    if (!solve_step(d))
        throw GameStop{"every creature home but the level goes on"};
}

// While play is on, queues the next drag home (as solve_or_stop) and answers
// true; false once play is over, when the script looks for what comes next.
inline bool solve_while_in_play(GameDriver& d)
{
    if (!in_play())
        return false;
    solve_or_stop(d);
    return true;
}

// Solves the level a drag a call; true once play is over and the new record
// pop-up waits for its tap.
inline bool solve_until_record(GameDriver& d)
{
    return !solve_while_in_play(d) && new_record_waiting();
}

// Picks creature i up and sets it down (dx, dy) from where it stood: a pick
// that leaves the level unsolved.
inline void nudge(GameDriver& d, int i, int dx, int dy)
{
    d.drag(vertices[i].x, vertices[i].y, vertices[i].x + dx, vertices[i].y + dy);
}

// The edges of the puzzle as index pairs, smaller index first.
inline std::set<std::pair<int, int>> edge_set()
{
    std::set<std::pair<int, int>> edges;
    for (int i = 0; i < vertex_count; ++i) {
        for (int k = 0; k < vertices[i].degree; ++k) {
            const int j = vertices[i].neighbours[k];
            edges.insert({i < j ? i : j, i < j ? j : i});
        }
    }
    return edges;
}

// ---- Sessions as step lists -------------------------------------------------

// A player's session, one step after another. A step is called once each time
// the driver asks for input; it returns true when it is done, and the next
// step then runs at once unless the step queued input.
using Step = std::function<bool(GameDriver&)>;

struct StepList {
    std::vector<Step> steps;
    size_t at = 0;   // the step running now; steps.size() once all are done

    // The driver's script: runs the steps, and stops the game with "done"
    // after the last.
    void run(GameDriver& d)
    {
        while (at < steps.size()) {
            if (!steps[at](d))
                return;
            ++at;
            if (d.busy())
                return;
        }
        throw GameStop{"done"};
    }
};

inline Step wait_for(std::function<bool()> ready)
{
    return [ready](GameDriver&) { return ready(); };
}

inline Step act(std::function<void(GameDriver&)> what)
{
    return [what](GameDriver& d) {
        what(d);
        return true;
    };
}

// Lets the screen run this many frames before the next step.
inline Step settle(int frames)
{
    return act([frames](GameDriver& d) { d.idle(frames); });
}

inline Step tap_at(int x, int y)
{
    return act([x, y](GameDriver& d) { d.tap(x, y); });
}

inline Step menu_row(int row)
{
    return act([row](GameDriver& d) { menu_row_tap(d, row); });
}

inline Step tap_close()
{
    return tap_at(CLOSE_X, CLOSE_Y);
}

// Once the screen is up, what the player does there (and what a test checks
// there), in the frame it is first seen.
inline Step on(std::function<bool()> ready, std::function<void(GameDriver&)> what)
{
    return [ready, what](GameDriver& d) {
        if (!ready())
            return false;
        what(d);
        return true;
    };
}

inline Step tap_on(std::function<bool()> ready, int x, int y)
{
    return on(ready, [x, y](GameDriver& d) { d.tap(x, y); });
}

// From the title through the menu to its row (a mode, or one of the rows
// after the modes'), a tap on each.
inline Step menu_choose(int row)
{
    auto walk = std::make_shared<MenuWalk>();
    return [walk, row](GameDriver& d) { return (*walk)(d, row); };
}

// From the title to the menu, which then waits for a row.
inline Step menu_reach()
{
    auto walk = std::make_shared<MenuWalk>();
    return [walk](GameDriver& d) { return walk->at_menu(d); };
}

// Solves the level a fast drag a call (as solve_step); done once play is over
// and the given screen is up.
inline Step solve_then(std::function<bool()> after)
{
    return [after](GameDriver& d) { return !solve_while_in_play(d) && after(); };
}

// What a test looks at, then on at once to the next step.
inline Step check(std::function<void()> what)
{
    return [what](GameDriver&) {
        what();
        return true;
    };
}

// Waits for the game to end the run itself (game_main returning, or the
// process ending); only the frame limit stops it otherwise.
inline Step wait_for_end()
{
    return [](GameDriver&) { return false; };
}

// Waits for the screen, looking at every frame on the way (what a test holds
// must not show meanwhile).
inline Step wait_watching(std::function<void()> each, std::function<bool()> ready)
{
    return [each, ready](GameDriver&) {
        each();
        return ready();
    };
}

// Step lists one after another, as one list.
inline std::vector<Step> steps_join(std::initializer_list<std::vector<Step>> parts)
{
    std::vector<Step> all;
    for (const std::vector<Step>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Ends the game here, for the given reason.
inline Step stop_game(const std::string& why)
{
    return [why](GameDriver&) -> bool { throw GameStop{why}; };
}

// Play is on in a level of this many creatures.
inline bool level_waiting(int count)
{
    return in_play() && vertex_count == count;
}

// A drag at a player's pace: picked up, carried over four frames, let go, and
// a short look before the next one.
inline void drag_slowly(GameDriver& d, int x0, int y0, int x1, int y1)
{
    d.press(x0, y0, 1);
    for (int k = 1; k <= 4; ++k)
        d.move(x0 + (x1 - x0) * k / 4, y0 + (y1 - y0) * k / 4, 1);
    d.release(8);
}

// Brings every creature of the level home, one slow drag at a time (highest
// index first, as solve_step does); done when the level has ended and the
// given screen is up.
inline Step solve_until(std::function<bool()> after)
{
    bool started = false;
    return [started, after](GameDriver& d) mutable {
        if (in_play()) {
            started = true;
            for (int i = vertex_count - 1; i >= 0; --i) {
                const auto [hx, hy] = circle_home(i, vertex_count);
                if (vertices[i].x != hx || vertices[i].y != hy) {
                    drag_slowly(d, vertices[i].x, vertices[i].y, hx, hy);
                    return false;
                }
            }
            throw GameStop{"every creature home but the level goes on"};
        }
        return started && after();
    };
}
