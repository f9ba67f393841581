// The real game under floods of input during play: thousands of events in one
// frame while a creature is held, storms of window resizes, a pointer far
// outside the window and a button let go out there. Every frame the input view
// must be sane, no grab may outlive the button, every creature must stay on
// the board with its sprites and lines, and afterwards the level must still be
// solvable.
#include "support/game_driver.h"

#include <random>
#include <string>
#include <vector>

#include "shell/present.h"

namespace {

// Keys the game has no use for (Escape and Return left out).
const SDL_Keycode OTHER_KEYS[] = {SDLK_a, SDLK_p, SDLK_SPACE, SDLK_UP, SDLK_F5, SDLK_TAB,
                                  SDLK_DELETE, SDLK_RCTRL, SDLK_9, SDLK_KP_PLUS};

void push(Uint32 type, int a = 0, int b = 0, Uint8 detail = 0)
{
    ASSERT_EQ(event_push(type, a, b, detail), 1);
}

// A motion to logical (x, y) at the scale the window shows now.
void push_motion(int x, int y)
{
    push(SDL_MOUSEMOTION, x << view_doubled, y << view_doubled);
}

// A motion in window coordinates, as far outside as it likes.
void push_window_motion(int x, int y)
{
    push(SDL_MOUSEMOTION, x, y);
}

void push_left(bool down)
{
    push(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
}

void push_resize(int w, int h)
{
    push(SDL_WINDOWEVENT, w, h, SDL_WINDOWEVENT_RESIZED);
}

// The one window game_main opened last.
SDL_Window* game_window()
{
    SDL_Window* last = nullptr;
    for (Uint32 id = 1; id < 4096; ++id) {
        if (SDL_Window* w = SDL_GetWindowFromID(id))
            last = w;
    }
    return last;
}

// An event the game has no use for; with_motion adds pointer motions anywhere,
// far outside the window too.
void push_filler(std::mt19937& rng, bool with_motion)
{
    switch (rng() % (with_motion ? 5 : 4)) {
    case 0: {
        const Uint32 type = rng() % 2 ? SDL_KEYDOWN : SDL_KEYUP;
        push(type, OTHER_KEYS[rng() % std::size(OTHER_KEYS)]);
        break;
    }
    case 1: {
        const Uint32 type = rng() % 2 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        push(type, 0, 0, rng() % 2 ? SDL_BUTTON_RIGHT : SDL_BUTTON_MIDDLE);
        break;
    }
    case 2:
        push(SDL_MOUSEWHEEL, 0, int(rng() % 7) - 3);
        break;
    case 3:
        push(SDL_TEXTINPUT, 'x');
        break;
    default: {
        const int x = int(rng() % 40001) - 20000;
        const int y = int(rng() % 40001) - 20000;
        push(SDL_MOUSEMOTION, x, y);
        break;
    }
    }
}

// That many fillers, pointer motions among them.
void push_fillers(std::mt19937& rng, int count)
{
    for (int i = 0; i < count; ++i)
        push_filler(rng, true);
}

bool in_board(int16_t x, int16_t y)
{
    return x >= 8 && x <= 232 && y >= 8 && y <= 312;
}

// Every frame: the input view as the shell may leave it, no grab without the
// button, and during play every creature on the board with both its sprites
// on it and every line between its two ends; at rest, every colour the
// crossing test's.
void frame_check()
{
    ASSERT_LE(pointer_down, 1);
    ASSERT_LE(pointer_pressed, 1);
    ASSERT_LE(pointer_released, 1);
    if (pointer_pressed) {
        ASSERT_EQ(pointer_down, 1);
    }
    if (pointer_released) {
        ASSERT_EQ(pointer_down, 0);
    }
    if (!pointer_down) {
        ASSERT_EQ(drag_active, 0) << "a grab outlived the button";
    }
    // Positions are kept to the 480 x 640 surface, halved while doubled.
    ASSERT_TRUE(pointer_x >= 0 && pointer_x < 480 && pointer_y >= 0 && pointer_y < 640)
        << pointer_x << "," << pointer_y;
    ASSERT_TRUE(raw_pointer_x >= 0 && raw_pointer_x < 480 && raw_pointer_y >= 0 && raw_pointer_y < 640);
    if (!in_play())
        return;
    for (int i = 0; i < vertex_count; ++i) {
        const Vertex& v = vertices[i];
        ASSERT_TRUE(in_board(v.x, v.y)) << "vertex " << i << " at " << v.x << "," << v.y;
        ASSERT_EQ(sprite_get(i)->x, v.x);
        ASSERT_EQ(sprite_get(i)->y, v.y);
        ASSERT_EQ(sprite_get(GLOW_SPRITE_BASE + i)->x, v.x);
        ASSERT_EQ(sprite_get(GLOW_SPRITE_BASE + i)->y, v.y);
        for (int k = 0; k < v.degree; ++k) {
            const Vertex& w = vertices[v.neighbours[k]];
            const ShapeNode* line = v.edge_lines[k];
            const bool forward = line->x0 == v.x && line->y0 == v.y && line->x1 == w.x && line->y1 == w.y;
            const bool backward = line->x0 == w.x && line->y0 == w.y && line->x1 == v.x && line->y1 == v.y;
            ASSERT_TRUE(forward || backward) << "line " << i << "-" << v.neighbours[k];
            // At rest since the last frame the game has recoloured after the last move.
            if (!pointer_down && !pointer_released) {
                const bool crossing = edge_crosses_any(uint16_t(i), uint16_t(v.neighbours[k]));
                ASSERT_EQ(line->colour, crossing ? colour_edge_crossing : COLOUR_EDGE_FREE)
                    << "line " << i << "-" << v.neighbours[k];
            }
        }
    }
}

// frame_check as a driver's watch: the first failure stops the game.
void frame_check_or_stop()
{
    frame_check();
    if (::testing::Test::HasFatalFailure())
        throw GameStop{"frame check failed"};
}

// The relative drag as the play loop does it: the creature moves by the
// pointer's steps, the pointer kept off the buttons in the right-hand strip,
// the creature kept on the board.
struct DragModel {
    int16_t x, y;            // where the creature should be
    int16_t last_x, last_y;  // the pointer at the last step, as the drag used it

    static int16_t guard_y(int16_t px, int16_t py)
    {
        if (px > 216)
            return py < 24 ? 24 : py > 284 ? 284 : py;
        return py;
    }
    void grab(int16_t px, int16_t py)
    {
        last_x = px;
        last_y = guard_y(px, py);
    }
    // The creature at (x, y) pressed on, for the next frame, and the model of it.
    static DragModel press(GameDriver& d, int16_t x, int16_t y)
    {
        DragModel m{x, y, 0, 0};
        m.grab(x, y);
        d.press(x, y, 1);
        return m;
    }
    void step(int16_t px, int16_t py)
    {
        const int16_t gy = guard_y(px, py);
        const int nx = x + px - last_x, ny = y + gy - last_y;
        x = int16_t(nx < 8 ? 8 : nx > 232 ? 232 : nx);
        y = int16_t(ny < 8 ? 8 : ny > 312 ? 312 : ny);
        last_x = px;
        last_y = gy;
    }
};

// Where the shell puts a window coordinate: kept to the surface, then scaled.
int16_t shell_coordinate(int64_t v, int limit)
{
    const int64_t kept = v < 0 ? 0 : v >= limit ? limit - 1 : v;
    return int16_t(kept >> view_doubled);
}

}  // namespace

TEST_F(GameTest, ThousandsOfEventsInOneFrameDuringPlayLoseNothingThatMatters)
{
    std::mt19937 rng(99);
    int v = 0, u = 0;
    int16_t u_x = 0, u_y = 0;
    std::vector<int16_t> before_idle;
    std::vector<std::string> log;   // down/pressed/released per frame while watched
    bool logging = false;
    const Played played = steps_play(
        {
            menu_choose(MODE_CLASSIC),
            on(in_play,
               [&](GameDriver& d) {
                   v = vertex_count - 1;
                   d.press(vertices[v].x, vertices[v].y);
               }),
            // Held on v: twenty thousand events, the last motion to (100, 150).
            act([&](GameDriver& d) {
                ASSERT_EQ(pointer_pressed, 1);
                push_fillers(rng, 20000);
                push_motion(100, 150);
                d.idle(1);
            }),
            // v followed the last motion only, and is still held.
            act([&](GameDriver& d) {
                EXPECT_EQ(vertices[v].x, 100);
                EXPECT_EQ(vertices[v].y, 150);
                EXPECT_EQ(drag_active, 1);
                EXPECT_EQ(drag_sprite, GLOW_SPRITE_BASE + v);
                // Let go, grab again and let go a thousand times in one frame.
                logging = true;
                for (int i = 0; i < 1000; ++i) {
                    push_filler(rng, true);
                    push_left(false);
                    push_left(true);
                }
                push_motion(60, 200);
                push_left(false);
                d.idle(4);
            }),
            act([&](GameDriver& d) {
                logging = false;
                // Held for the frame of the flood, let go on the next: v went to
                // (60, 200) and stayed there; the grab ended with the button.
                ASSERT_GE(log.size(), 3u);
                EXPECT_EQ(log[0], "down");
                EXPECT_EQ(log[1], "released");
                EXPECT_EQ(log[2], "up");
                log.clear();
                EXPECT_EQ(vertices[v].x, 60);
                EXPECT_EQ(vertices[v].y, 200);
                EXPECT_EQ(drag_active, 0);
                // A click on u in the middle of a flood: one frame down, then released.
                u = v == 0 ? 1 : 0;
                u_x = vertices[u].x;
                u_y = vertices[u].y;
                logging = true;
                push_fillers(rng, 5000);
                push_left(true);
                push_fillers(rng, 5000);
                push_motion(u_x, u_y);
                push_left(false);
                d.idle(4);
            }),
            act([&](GameDriver& d) {
                logging = false;
                ASSERT_GE(log.size(), 3u);
                EXPECT_EQ(log[0], "pressed");
                EXPECT_EQ(log[1], "released");
                EXPECT_EQ(log[2], "up");
                EXPECT_EQ(pointer_x, u_x);
                EXPECT_EQ(pointer_y, u_y);
                EXPECT_EQ(vertices[u].x, u_x);
                EXPECT_EQ(vertices[u].y, u_y);
                EXPECT_EQ(drag_active, 0);
                // With the button up, floods of motion move nothing.
                before_idle.clear();
                for (int i = 0; i < vertex_count; ++i) {
                    before_idle.push_back(vertices[i].x);
                    before_idle.push_back(vertices[i].y);
                }
                push_fillers(rng, 3000);
                d.idle(2);
            }),
            check([&] {
                for (int i = 0; i < vertex_count; ++i) {
                    EXPECT_EQ(vertices[i].x, before_idle[2 * i]) << i;
                    EXPECT_EQ(vertices[i].y, before_idle[2 * i + 1]) << i;
                }
                EXPECT_EQ(pointer_x, u_x);
                EXPECT_EQ(pointer_y, u_y);
            }),
            // The level can still be won.
            solve_then(new_record_waiting),
            tap_at(120, 160),
            wait_for([] { return in_play() && vertex_count == 10; }),
            stop_game("level 2"),
        },
        [&] {
            frame_check_or_stop();
            if (logging)
                log.push_back(pointer_pressed ? "pressed" : pointer_released ? "released" : pointer_down ? "down" : "up");
        });
    EXPECT_EQ(played.reason, "level 2");
    EXPECT_EQ(profile.levels_open[0], 2u);
}

TEST_F(GameTest, PointerFarOutsideWhileDraggingKeepsTheCreatureOnTheBoard)
{
    // Window coordinates of the pointer's trip, at either scale.
    const int64_t trip[][2] = {{-100000, -100000}, {100000, 100000}, {INT32_MIN, INT32_MAX},
                               {INT32_MAX, INT32_MIN}, {-1, 300}, {200, 100000},
                               {479, 639}, {480, 640}, {-7, -7}, {230, 330}};
    int v = 0, step = 0, scale_round = 0;
    int16_t x0 = 0, y0 = 0;
    DragModel model{};
    std::vector<Step> steps = {menu_choose(MODE_CLASSIC)};
    for (int round = 0; round < 2; ++round) {
        const std::vector<Step> trip_steps = {
            // Grab the last creature.
            on(in_play,
               [&](GameDriver& d) {
                   v = vertex_count - 1 - scale_round;
                   model = DragModel::press(d, vertices[v].x, vertices[v].y);
                   step = 0;
               }),
            // One step of the trip every other frame.
            [&](GameDriver& d) {
                if (step > 0) {
                    // The pointer where the shell keeps it, the creature where the drag puts it.
                    const int16_t px = shell_coordinate(trip[step - 1][0], VIDEO_WIDTH);
                    const int16_t py = shell_coordinate(trip[step - 1][1], VIDEO_HEIGHT);
                    EXPECT_EQ(pointer_x, px) << "step " << step;
                    EXPECT_EQ(pointer_y, py) << "step " << step;
                    model.step(px, py);
                    EXPECT_EQ(vertices[v].x, model.x) << "step " << step;
                    EXPECT_EQ(vertices[v].y, model.y) << "step " << step;
                    EXPECT_EQ(drag_active, 1);
                }
                if (step == int(std::size(trip))) {
                    // Let go out there: the motion that goes with the release moves nothing.
                    push_window_motion(-50, 900);
                    push_left(false);
                    d.idle(2);
                    return true;
                }
                push_window_motion(int(trip[step][0]), int(trip[step][1]));
                ++step;
                d.idle(1);
                return false;
            },
            act([&](GameDriver& d) {
                EXPECT_EQ(drag_active, 0);
                EXPECT_EQ(pointer_down, 0);
                EXPECT_EQ(vertices[v].x, model.x);
                EXPECT_EQ(vertices[v].y, model.y);
                EXPECT_TRUE(in_play()) << "the level is not stuck";
                // Another creature: pressed inside, a step, then a release with no motion.
                v = 0;
                x0 = vertices[v].x;
                y0 = vertices[v].y;
                model = DragModel::press(d, x0, y0);
                d.move(x0 + 5, y0 - 4, 1);
                d.release(2);
            }),
            check([&] {
                model.step(int16_t(x0 + 5), int16_t(y0 - 4));
                EXPECT_EQ(vertices[v].x, model.x);
                EXPECT_EQ(vertices[v].y, model.y);
                EXPECT_EQ(drag_active, 0);
                EXPECT_EQ(pointer_down, 0);
            }),
        };
        steps = steps_join({steps, trip_steps});
        if (round == 0) {
            // Again with the window doubled.
            steps = steps_join({steps,
                                {
                                    act([&](GameDriver& d) {
                                        push_resize(700, 900);
                                        d.idle(2);
                                        scale_round = 1;
                                    }),
                                    check([] { EXPECT_EQ(view_doubled, 1); }),
                                }});
        }
    }
    // The level can still be won.
    steps = steps_join({steps, {solve_then(new_record_waiting), stop_game("solved")}});
    const Played played = steps_play(steps, frame_check_or_stop);
    EXPECT_EQ(played.reason, "solved");
    EXPECT_EQ(scale_round, 1);
}

TEST_F(GameTest, ResizeStormsWhileDraggingKeepTheWindowTheScaleAndTheDragInStep)
{
    std::mt19937 rng(4242);
    int v = 0, frames = 0, previous_w = 0;
    DragModel model{};
    int16_t last_px = 0, last_py = 0;
    SDL_Window* window = nullptr;
    auto window_matches = [&](const char* when) {
        int w = 0, h = 0;
        SDL_GetWindowSize(window, &w, &h);
        EXPECT_EQ(w, view_doubled ? 480 : 240) << when << " " << frames;
        EXPECT_EQ(h, view_doubled ? 640 : 320) << when << " " << frames;
    };
    const Played played = steps_play(
        {
            menu_choose(MODE_CLASSIC),
            on(in_play,
               [&](GameDriver& d) {
                   window = game_window();
                   ASSERT_NE(window, nullptr);
                   v = vertex_count - 1;
                   last_px = vertices[v].x;
                   last_py = vertices[v].y;
                   model = DragModel::press(d, last_px, last_py);
               }),
            // A hundred and twenty frames of storms while the creature is held.
            [&](GameDriver& d) {
                if (frames > 0) {
                    window_matches("storm");
                    model.step(last_px, last_py);
                    EXPECT_EQ(vertices[v].x, model.x) << frames;
                    EXPECT_EQ(vertices[v].y, model.y) << frames;
                    EXPECT_EQ(drag_active, 1);
                }
                if (frames == 120) {
                    push_left(false);
                    d.idle(3);
                    return true;
                }
                // A storm of requests, the window system showing the last one,
                // and the pointer somewhere on the board.
                int w = 0, h = 0;
                for (int i = 0; i < 300; ++i) {
                    w = int(rng() % 3000) - 500;
                    h = int(rng() % 3000) - 500;
                    push_resize(w, h);
                }
                w = 100 + int(rng() % 900);
                if (w == previous_w)
                    ++w;
                previous_w = w;
                h = 100 + int(rng() % 900);
                SDL_SetWindowSize(window, w, h);
                push_resize(w, h);
                last_px = int16_t(rng() % 240);
                last_py = int16_t(rng() % 320);
                push_motion(last_px, last_py);
                ++frames;
                d.idle(1);
                return false;
            },
            check([&] {
                window_matches("after the storm");
                EXPECT_EQ(drag_active, 0);
                EXPECT_EQ(vertices[v].x, model.x);
                EXPECT_EQ(vertices[v].y, model.y);
            }),
            // The level can still be won, at whatever scale the storm left.
            solve_then(new_record_waiting),
            stop_game("solved"),
        },
        frame_check_or_stop);
    EXPECT_EQ(played.reason, "solved");
    EXPECT_EQ(frames, 120);
}
