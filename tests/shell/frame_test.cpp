// The frame pump, driven by pushed events and the fake clock: deferred
// release, the ways out, the resize snap, the pointer scale, pacing, timers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "gfx/pixel.h"
#include "shell/engine.h"
#include "testkit/clock.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "shell/present.h"
#include "shell/shell_harness.h"

namespace {

class FramePump : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(shell_start_once().result, 0);
        compose_enabled = 1;
        button_held = 0;
        frame_step();
    }
    void TearDown() override
    {
        std::memset(soft_timer_modes, 0, sizeof soft_timer_modes);
        compose_enabled = 1;
    }
    // Snaps the view through a resize request the pump has not seen before.
    static void view_set(bool doubled)
    {
        static int serial = 0;
        event_push(SDL_WINDOWEVENT, (doubled ? 400 : 300) + serial++ % 50, 500, SDL_WINDOWEVENT_RESIZED);
        frame_step();
    }
    static void resize_expect(int request_w, int w, int h, uint8_t doubled)
    {
        event_push(SDL_WINDOWEVENT, request_w, 555, SDL_WINDOWEVENT_RESIZED);
        frame_step();
        int real_w = 0, real_h = 0;
        SDL_GetWindowSize(shell_window(), &real_w, &real_h);
        EXPECT_EQ(real_w, w) << "request " << request_w;
        EXPECT_EQ(real_h, h) << "request " << request_w;
        EXPECT_EQ(view_doubled, doubled) << "request " << request_w;
    }
};

TEST_F(FramePump, ClickWithinOneFrameIsDownForOneFrameThenReleased)
{
    event_push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_LEFT);
    event_push(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
    event_push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_RIGHT);
    frame_step();
    EXPECT_EQ(pointer_down, 1);
    EXPECT_EQ(pointer_pressed, 1);
    frame_step();
    EXPECT_EQ(pointer_down, 0);
    EXPECT_EQ(pointer_released, 1);
    // Only the left button counts.
    EXPECT_EQ(button_held, 0);
}

TEST_F(FramePump, ReturnGivesOnePressPerKeyDown)
{
    event_push(SDL_KEYDOWN, SDLK_RETURN);
    frame_step();
    EXPECT_EQ(return_pressed, 1);
    event_push(SDL_KEYDOWN, SDLK_RETURN, 1);   // key repeat
    frame_step();
    EXPECT_EQ(return_pressed, 0);
    event_push(SDL_KEYUP, SDLK_RETURN);
    frame_step();
}

TEST_F(FramePump, KeypadEnterIsNotReturn)
{
    event_push(SDL_KEYDOWN, SDLK_KP_ENTER);
    frame_step();
    EXPECT_EQ(return_pressed, 0);
    EXPECT_EQ(return_raw, 0);
    event_push(SDL_KEYUP, SDLK_KP_ENTER);
    frame_step();
    EXPECT_EQ(return_pressed, 0);
}

using FramePumpDeathTest = FramePump;

TEST_F(FramePumpDeathTest, EscapeCloseAndQuitEndTheProgramWithStatusZero)
{
    EXPECT_EXIT((event_push(SDL_KEYDOWN, SDLK_ESCAPE), frame_step(), std::exit(3)), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT((event_push(SDL_WINDOWEVENT, 0, 0, SDL_WINDOWEVENT_CLOSE), frame_step(), std::exit(3)),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT((event_push(SDL_QUIT), frame_step(), std::exit(3)), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT((event_push(SDL_KEYDOWN, SDLK_q), frame_step(), std::exit(3)), ::testing::ExitedWithCode(3), "");
}

TEST_F(FramePump, ResizeSnapsAtWidth360)
{
    view_set(true);
    resize_expect(359, 240, 320, 0);
    resize_expect(360, 480, 640, 1);
    resize_expect(250, 240, 320, 0);
    // A window manager that refuses the exact size repeats the request it
    // was given; acting on it again would chase it for ever.
    SDL_SetWindowSize(shell_window(), 250, 330);
    resize_expect(250, 250, 330, 0);
}

TEST_F(FramePump, MotionIsDividedByTheViewScaleAndKeptToTheSurface)
{
    const int cases[][5] = {
        // doubled, event x, y, raw x, y
        {1, 479, 639, 239, 319},
        {1, 101, 51, 50, 25},
        {1, -5, 700, 0, 319},
        {0, 479, 639, 479, 639},
        {0, 70000, -1, 479, 0},
    };
    for (auto& c : cases) {
        view_set(c[0]);
        event_push(SDL_MOUSEMOTION, c[1], c[2]);
        frame_step();
        EXPECT_EQ(raw_pointer_x, c[3]) << c[1];
        EXPECT_EQ(raw_pointer_y, c[4]) << c[2];
    }
}

TEST_F(FramePump, PresentsWhileComposingOrOnceAfterAResize)
{
    view_set(false);
    compose_enabled = 0;
    back_buffer[0] = 0x1234;
    frame_step();
    EXPECT_NE(video_surface[0], 0x1234);
    view_set(true);
    EXPECT_EQ(video_surface[VIDEO_WIDTH + 1], 0x1234);
    compose_enabled = 1;
    back_buffer[0] = 0x4321;
    frame_step();
    EXPECT_EQ(video_surface[0], 0x4321);
}

TEST_F(FramePump, PacesTo25msFromEachReleaseSleepingRightUpToTheDeadline)
{
    soft_timer_modes[1] = TIMER_REAL;
    // { game work before the frame (us), its sleep (us; -1: none), its measured time (ms) }
    const int cases[][3] = {{0, 25000, 25}, {0, 25000, 25}, {10000, 15000, 25}, {24000, 1000, 25},
                            // the sleep ends on the very microsecond the frame is due
                            {24600, 400, 25},
                            // work that fills the frame, or more: it goes at once, and the
                            // next frame still gets its full 25 ms from that release
                            {25000, -1, 25}, {40000, -1, 40}, {0, 25000, 25},
                            // released 0.3 ms into its millisecond: the next one is due
                            // 25 whole milliseconds later, not 25.3
                            {25300, -1, 25}, {0, 24700, 25}};
    for (auto& c : cases) {
        FakeClock::delays.clear();
        FakeClock::reads = 0;
        uint32_t before = soft_timers[1];
        FakeClock::advance_us(uint32_t(c[0]));
        frame_step();
        EXPECT_EQ(soft_timers[1] - before, uint32_t(c[2])) << "work " << c[0];
        if (c[1] < 0) {
            EXPECT_TRUE(FakeClock::delays.empty()) << "work " << c[0];
        } else {
            ASSERT_EQ(FakeClock::delays.size(), 1u) << "work " << c[0];
            EXPECT_EQ(FakeClock::delays[0], uint32_t(c[1])) << "work " << c[0];
        }
        // The clock is read before the sleep and once after it, never polled.
        EXPECT_LE(FakeClock::reads, 2) << "work " << c[0];
    }
}

TEST_F(FramePump, ASleepCutShortIsSleptOnWithoutPolling)
{
    // A platform whose sleep ends halfway (a signal, a coarse timer).
    static const auto short_sleep = [](uint32_t us) { FakeClock::delay(us / 2 + 1); };
    platform_delay_us = short_sleep;
    frame_step();
    FakeClock::advance_us(5000);
    FakeClock::reads = 0;
    FakeClock::delays.clear();
    const uint64_t start = FakeClock::now_us;
    frame_step();
    // Released on the deadline all the same, 25 ms after the last release.
    EXPECT_EQ(FakeClock::now_us - start, 20000u);
    EXPECT_EQ(FakeClock::reads, int(FakeClock::delays.size()) + 1);
    EXPECT_LE(FakeClock::delays.size(), 16u);
    platform_delay_us = FakeClock::delay;
}

TEST_F(FramePump, TimersAdvanceByTheirModeWithTheFrameTimeBounded)
{
    const uint8_t modes[4] = {TIMER_STOPPED, TIMER_REAL, TIMER_FIXED, 7};
    std::memcpy(soft_timer_modes, modes, sizeof modes);
    std::memset(soft_timers, 0, sizeof soft_timers);
    // { game work, then timers 0..3 }: fixed time is 25 a frame however long
    // it took; a frame of over 32767 ms counts as 32767, so a real-time timer
    // never runs backwards or wraps to a small step.
    const uint32_t cases[][5] = {
        {40, 0, 40, 25, 40}, {0, 0, 65, 50, 65}, {40000, 0, 32832, 75, 32832},
        {70000, 0, 65599, 100, 65599}, {32767, 0, 98366, 125, 98366},
    };
    for (auto& c : cases) {
        FakeClock::advance_ms(c[0]);
        frame_step();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(soft_timers[i], c[i + 1]) << "work " << c[0] << " timer " << i;
    }
    soft_timers[2] = 0xFFFFFFF0u;
    frame_step();
    EXPECT_EQ(soft_timers[2], 9u);
}

TEST_F(FramePump, HookRunsLastInEveryFrame)
{
    static int calls;
    static uint8_t saw_pressed;
    calls = 0;
    frame_hook = [] { ++calls, saw_pressed = pointer_pressed; };
    event_push(SDL_MOUSEBUTTONDOWN, 0, 0, SDL_BUTTON_LEFT);
    frame_step();
    event_push(SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
    frame_hook = nullptr;
    frame_step();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(saw_pressed, 1);
}

} // namespace
