// The frame pump under floods of input: SDL's event queue filled to its limit
// in one frame, storms of window resizes, pointers far outside the window and
// buttons let go outside it. The input view must come out as one frame of
// ordinary input would leave it.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gfx/image.h"
#include "gfx/pixel.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "shell/present.h"
#include "shell/shell_harness.h"

namespace {

const Image BLANK{};        // sprite_drag reads only the sprite's box
constexpr int GRABBED = 1030;

// Keys the game has no use for (Escape and Return left out).
const SDL_Keycode OTHER_KEYS[] = {SDLK_a, SDLK_q, SDLK_SPACE, SDLK_LEFT, SDLK_F1, SDLK_TAB,
                                  SDLK_BACKSPACE, SDLK_LSHIFT, SDLK_0, SDLK_KP_5};

class Flood : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(shell_start_once().result, 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        compose_enabled = 1;
        button_held = 0;
        frame_step();
        frame_step();
        ASSERT_EQ(pointer_down, 0);
        // Every case starts at 1x, whatever the one before left.
        view_set(false);
    }
    void TearDown() override
    {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        button_held = 0;
        frame_step();
        frame_step();
        if (sprite_table[GRABBED])
            sprite_table[GRABBED]->active = 0;
    }

    // One event that means nothing to the game, or a pointer motion somewhere
    // (far outside the window too); 0 when SDL's queue is full.
    int filler_push()
    {
        switch (rng() % 6) {
        case 0:
        case 1: {
            const int x = int(rng() % 200001) - 100000;
            const int y = int(rng() % 200001) - 100000;
            return event_push(SDL_MOUSEMOTION, x, y) == 1;
        }
        case 2: {
            const Uint32 type = rng() % 2 ? SDL_KEYDOWN : SDL_KEYUP;
            return event_push(type, OTHER_KEYS[rng() % std::size(OTHER_KEYS)]) == 1;
        }
        case 3: {
            const Uint32 type = rng() % 2 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            return event_push(type, 0, 0, rng() % 2 ? SDL_BUTTON_RIGHT : SDL_BUTTON_MIDDLE) == 1;
        }
        case 4:
            return event_push(SDL_MOUSEWHEEL, 0, int(rng() % 5) - 2) == 1;
        default:
            return event_push(SDL_WINDOWEVENT, int(rng() % 1000), 0, SDL_WINDOWEVENT_MOVED) == 1;
        }
    }
    // As event_push, but the event must find room in SDL's queue.
    static void push(Uint32 type, int a = 0, int b = 0, Uint8 detail = 0)
    {
        ASSERT_EQ(event_push(type, a, b, detail), 1);
    }
    // Our kinds of event still waiting after a frame: none, the pump reads all.
    static int input_left()
    {
        return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_MOUSEWHEEL);
    }
    static void window_size(int* w, int* h) { SDL_GetWindowSize(shell_window(), w, h); }
    // The window at one of its two sizes, and the view scale the one it shows.
    static void window_snapped_check(const char* when)
    {
        int w = 0, h = 0;
        window_size(&w, &h);
        if (view_doubled) {
            EXPECT_EQ(w, 480) << when;
            EXPECT_EQ(h, 640) << when;
        } else {
            EXPECT_EQ(w, 240) << when;
            EXPECT_EQ(h, 320) << when;
        }
    }
    // The user makes the window w x h; the window system tells the program.
    static void user_resize(int w, int h)
    {
        SDL_SetWindowSize(shell_window(), w, h);
        push(SDL_WINDOWEVENT, w, h, SDL_WINDOWEVENT_RESIZED);
    }
    static void view_set(bool doubled)
    {
        static int serial = 0;
        user_resize((doubled ? 600 : 250) + serial++ % 50, 500);
        frame_step();
        ASSERT_EQ(view_doubled, doubled ? 1 : 0);
    }

    std::mt19937 rng{20240611};
};

TEST_F(Flood, QueueFilledToItsLimitInOneFrameKeepsTheLastMotionAndTheClick)
{
    for (int doubled = 0; doubled <= 1; ++doubled) {
        view_set(doubled);
        int pushed = 0;
        while (filler_push())
            ++pushed;
        // SDL holds tens of thousands; make room at the front for our three.
        ASSERT_GT(pushed, 10000);
        SDL_Event dropped[3];
        ASSERT_EQ(SDL_PeepEvents(dropped, 3, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 3);
        push(SDL_MOUSEMOTION, 201 << doubled, 303 << doubled);
        push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_LEFT);
        push(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
        frame_step();
        EXPECT_EQ(input_left(), 0);
        EXPECT_EQ(pointer_down, 1);
        EXPECT_EQ(pointer_pressed, 1);
        EXPECT_EQ(pointer_x, 201);
        EXPECT_EQ(pointer_y, 303);
        EXPECT_EQ(return_pressed, 0);
        frame_step();
        EXPECT_EQ(pointer_down, 0);
        EXPECT_EQ(pointer_released, 1);
        frame_step();
        EXPECT_EQ(pointer_released, 0);
        // The right and middle buttons in the flood held nothing down.
        EXPECT_EQ(button_held, 0);
    }
}

TEST_F(Flood, ManyClicksInOneFrameAreOneClickAndAHeldButtonStaysHeld)
{
    // { left button held before the frame, down/up pairs in it, ends with a
    //   down }: seen as held through the frame; a frame ending with its
    //   release lets go on the next frame, never within it.
    const int cases[][3] = {{0, 1, 0}, {0, 2000, 0}, {0, 2000, 1}, {1, 2000, 0}, {1, 2000, 1}};
    for (auto& c : cases) {
        if (c[0]) {
            push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_LEFT);
            frame_step();
            ASSERT_EQ(pointer_down, 1);
        }
        for (int i = 0; i < c[1]; ++i) {
            if (c[0] && i == 0)
                push(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);   // held: the frame starts with a release
            push(SDL_MOUSEMOTION, int(rng() % 240), int(rng() % 320));
            push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_LEFT);
            filler_push();
            if (!(c[2] && i == c[1] - 1))
                push(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
        }
        push(SDL_MOUSEMOTION, 17, 29);
        frame_step();
        const char* what = c[0] ? "held before" : "up before";
        EXPECT_EQ(pointer_down, 1) << what << ", " << c[1];
        EXPECT_EQ(pointer_pressed, c[0] ? 0 : 1) << what << ", " << c[1];
        EXPECT_EQ(pointer_released, 0) << what << ", " << c[1];
        EXPECT_EQ(pointer_x, 17);
        EXPECT_EQ(pointer_y, 29);
        frame_step();
        EXPECT_EQ(pointer_down, c[2]) << what << ", " << c[1];
        EXPECT_EQ(pointer_released, 1 - c[2]) << what << ", " << c[1];
        if (c[2]) {
            push(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
            frame_step();
            EXPECT_EQ(pointer_released, 1);
        }
        frame_step();
        ASSERT_EQ(pointer_down, 0);
    }
}

TEST_F(Flood, ReturnFloodGivesOnePressAndOtherKeysNone)
{
    // { Return events of the flood, the last a key-down }: a flood that ends
    // with Return let go is a tap within one frame, which is not seen; one
    // that ends with it held gives one press, and holding it gives no more.
    const int cases[][2] = {{3000, 0}, {3001, 1}};
    for (auto& c : cases) {
        for (int i = 0; i < c[0]; ++i) {
            filler_push();
            push(i % 2 == 0 ? SDL_KEYDOWN : SDL_KEYUP, SDLK_RETURN);
        }
        frame_step();
        EXPECT_EQ(return_pressed, c[1]) << c[0];
        for (int i = 0; i < 3000; ++i)
            filler_push();
        frame_step();
        EXPECT_EQ(return_pressed, 0) << c[0];
    }
    push(SDL_KEYUP, SDLK_RETURN);
    frame_step();
    EXPECT_EQ(return_pressed, 0);
    EXPECT_EQ(pointer_down, 0);
}

TEST_F(Flood, ResizeStormsEndAtOneOfTheTwoSizesWithTheMatchingScale)
{
    // Many requests in one frame: the last one decides.
    for (int round = 0; round < 40; ++round) {
        int last_w = 0;
        for (int i = 0; i < 500; ++i) {
            last_w = int(rng() % 4000) - 1000;
            push(SDL_WINDOWEVENT, last_w, int(rng() % 4000) - 1000, SDL_WINDOWEVENT_RESIZED);
            filler_push();
        }
        frame_step();
        EXPECT_EQ(view_doubled, last_w >= 360 ? 1 : 0) << "round " << round;
        window_snapped_check("one-frame storm");
    }
    // A user dragging the window's edge about, the window system reporting
    // every size, over many frames.
    int previous_w = 0;
    for (int frame = 0; frame < 300; ++frame) {
        int w = 100 + int(rng() % 800);
        if (w == previous_w)
            ++w;
        previous_w = w;
        user_resize(w, 100 + int(rng() % 900));
        frame_step();
        EXPECT_EQ(view_doubled, w >= 360 ? 1 : 0) << "frame " << frame;
        window_snapped_check("drag");
    }
    // Presented at the scale it shows: the top-left pixel of the back buffer
    // fills the top-left 2 x 2 of the video surface only when doubled.
    back_buffer[0] = 0x1234;
    back_buffer[1] = 0x4321;
    frame_step();
    EXPECT_EQ(video_surface[1], view_doubled ? 0x1234 : 0x4321);
    back_buffer[0] = back_buffer[1] = 0;
    frame_step();
}

TEST_F(Flood, TheSameSizeAskedForAgainLaterIsSnappedAgain)
{
    // Maximising the window, twice: both times the window system reports the
    // same size, and both times the window must come back to 480 x 640.
    for (int i = 0; i < 3; ++i) {
        user_resize(1600, 900);
        frame_step();
        window_snapped_check("maximised");
        EXPECT_EQ(view_doubled, 1);
        for (int k = 0; k < 40; ++k)
            frame_step();
        user_resize(300, 400);
        frame_step();
        window_snapped_check("made small");
        EXPECT_EQ(view_doubled, 0);
        for (int k = 0; k < 40; ++k)
            frame_step();
    }
    // And the other way round: the same small size twice.
    for (int i = 0; i < 2; ++i) {
        user_resize(300, 400);
        frame_step();
        for (int k = 0; k < 40; ++k)
            frame_step();
        window_snapped_check("small again");
        user_resize(700, 700);
        frame_step();
        window_snapped_check("large");
        for (int k = 0; k < 40; ++k)
            frame_step();
    }
}

TEST_F(Flood, AWindowSystemInsistingOnItsSizeIsNotChased)
{
    // A window manager that answers every snap with the size it insists on:
    // the pump snaps once for the request and lets the answer stand.
    int snaps = 0;
    user_resize(800, 1000);
    for (int frame = 0; frame < 100; ++frame) {
        int w = 0, h = 0;
        frame_step();
        window_size(&w, &h);
        if (w != 800) {
            ++snaps;
            user_resize(800, 1000);   // the manager's answer
        }
    }
    EXPECT_EQ(snaps, 1);
    EXPECT_EQ(view_doubled, 1);
}

TEST_F(Flood, PointerFarOutsideStaysOnTheSurfaceAndDragsBySurfaceSteps)
{
    for (int doubled = 0; doubled <= 1; ++doubled) {
        view_set(doubled);
        const int16_t max_x = int16_t((VIDEO_WIDTH - 1) >> doubled);
        const int16_t max_y = int16_t((VIDEO_HEIGHT - 1) >> doubled);
        Sprite* s = sprite_create(GRABBED, &BLANK, 20, 20, 100, 100);
        push(SDL_MOUSEMOTION, 100 << doubled, 100 << doubled);
        push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_LEFT);
        frame_step();
        ASSERT_EQ(sprite_drag(GRABBED), 1);
        const int far[][2] = {{-100000, -100000}, {100000, 100000}, {INT32_MIN, INT32_MAX},
                              {INT32_MAX, INT32_MIN}, {-1, 639}, {480, -1}, {70000, 70000}};
        for (auto& f : far) {
            for (int i = 0; i < 1000; ++i)
                filler_push();
            push(SDL_MOUSEMOTION, f[0], f[1]);
            frame_step();
            const int16_t want_x = f[0] < 0 ? 0 : f[0] >= VIDEO_WIDTH ? max_x : int16_t(f[0] >> doubled);
            const int16_t want_y = f[1] < 0 ? 0 : f[1] >= VIDEO_HEIGHT ? max_y : int16_t(f[1] >> doubled);
            EXPECT_EQ(pointer_x, want_x) << f[0];
            EXPECT_EQ(pointer_y, want_y) << f[1];
            ASSERT_EQ(sprite_drag(GRABBED), 1);
            // The sprite keeps its offset from the pointer: it was grabbed at its centre.
            EXPECT_EQ(s->x, want_x);
            EXPECT_EQ(s->y, want_y);
            EXPECT_EQ(drag_active, 1);
        }
        // Let go out there: the grab ends with the button.
        push(SDL_MOUSEMOTION, -50, 5000);
        push(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
        frame_step();
        EXPECT_EQ(pointer_released, 1);
        EXPECT_EQ(drag_active, 0);
        EXPECT_EQ(sprite_drag(GRABBED), 0);
        s->active = 0;
    }
}

TEST_F(Flood, ReleaseWithoutMotionEndsTheGrab)
{
    sprite_create(GRABBED, &BLANK, 20, 20, 60, 60);
    push(SDL_MOUSEMOTION, 60, 60);
    push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_LEFT);
    frame_step();
    ASSERT_EQ(sprite_drag(GRABBED), 1);
    push(SDL_MOUSEMOTION, 70, 65);
    frame_step();
    ASSERT_EQ(sprite_drag(GRABBED), 1);
    // The button comes up somewhere the window never saw the pointer go.
    push(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
    frame_step();
    EXPECT_EQ(pointer_released, 1);
    EXPECT_EQ(pointer_down, 0);
    EXPECT_EQ(drag_active, 0);
    EXPECT_EQ(sprite_drag(GRABBED), 0);
    EXPECT_EQ(sprite_table[GRABBED]->x, 70);
    // The next press elsewhere grabs nothing; one on the sprite grabs it again.
    push(SDL_MOUSEMOTION, 200, 200);
    push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_LEFT);
    frame_step();
    EXPECT_EQ(sprite_drag(GRABBED), 0);
    push(SDL_MOUSEMOTION, 70, 65);
    frame_step();
    EXPECT_EQ(sprite_drag(GRABBED), 1);
}

}  // namespace
