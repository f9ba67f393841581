// The frame pump, driven by events pushed into the window system's queue and
// the fake clock: deferred release, the keys that end the program, the resize
// snap, the pointer scale, pacing and the software timers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "shell/engine.h"
#include "shell/fake_clock.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "shell/present.h"
#include "shell/shell_harness.h"

namespace {

class FramePump : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(shell_start_once().engine_result, 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        compose_enabled = 1;
        button_held = 0;
        return_raw = 0;
        frame_step();
        frame_step();
    }

    void TearDown() override
    {
        std::memset(soft_timer_modes, 0, sizeof soft_timer_modes);
        frame_hook = nullptr;
        compose_enabled = 1;
    }

    // Snaps the view through a resize request the pump has not seen before.
    static void view_set(bool doubled)
    {
        static int serial = 0;
        int width = (doubled ? 400 : 300) + serial++ % 50;
        push_window_event(SDL_WINDOWEVENT_RESIZED, width, 500);
        frame_step();
        ASSERT_EQ(view_doubled, doubled ? 1 : 0);
    }

    static void window_size(int* w, int* h)
    {
        SDL_GetWindowSize(shell_window(), w, h);
    }
};

TEST_F(FramePump, ClickWithinOneFrameIsDownForOneFrameThenReleased)
{
    push_button(SDL_BUTTON_LEFT, true);
    push_button(SDL_BUTTON_LEFT, false);
    frame_step();
    EXPECT_EQ(pointer_down, 1);
    EXPECT_EQ(pointer_pressed, 1);
    EXPECT_EQ(pointer_released, 0);
    frame_step();
    EXPECT_EQ(pointer_down, 0);
    EXPECT_EQ(pointer_pressed, 0);
    EXPECT_EQ(pointer_released, 1);
    frame_step();
    EXPECT_EQ(pointer_released, 0);
}

TEST_F(FramePump, ReleaseInALaterFrameIsNotDeferred)
{
    push_button(SDL_BUTTON_LEFT, true);
    frame_step();
    EXPECT_EQ(pointer_pressed, 1);
    frame_step();
    EXPECT_EQ(pointer_down, 1);
    EXPECT_EQ(pointer_pressed, 0);
    push_button(SDL_BUTTON_LEFT, false);
    frame_step();
    EXPECT_EQ(pointer_down, 0);
    EXPECT_EQ(pointer_released, 1);
}

TEST_F(FramePump, OnlyTheLeftButtonCounts)
{
    push_button(SDL_BUTTON_RIGHT, true);
    push_button(SDL_BUTTON_MIDDLE, true);
    frame_step();
    EXPECT_EQ(pointer_down, 0);
    push_button(SDL_BUTTON_LEFT, true);
    push_button(SDL_BUTTON_RIGHT, false);
    frame_step();
    EXPECT_EQ(pointer_down, 1);
    push_button(SDL_BUTTON_LEFT, false);
    frame_step();
}

TEST_F(FramePump, PressTakesThePositionOfTheLastMotion)
{
    view_set(false);
    int16_t x = pointer_x, y = pointer_y;
    push_motion(30, 40);
    frame_step();
    EXPECT_EQ(pointer_x, x);
    EXPECT_EQ(pointer_y, y);
    push_motion(31, 41);
    push_button(SDL_BUTTON_LEFT, true);
    frame_step();
    EXPECT_EQ(pointer_x, 31);
    EXPECT_EQ(pointer_y, 41);
    push_button(SDL_BUTTON_LEFT, false);
    frame_step();
}

TEST_F(FramePump, MotionIsDividedByTheViewScale)
{
    view_set(true);
    push_motion(479, 639);
    frame_step();
    EXPECT_EQ(raw_pointer_x, 239);
    EXPECT_EQ(raw_pointer_y, 319);
    push_motion(101, 51);
    frame_step();
    EXPECT_EQ(raw_pointer_x, 50);
    EXPECT_EQ(raw_pointer_y, 25);

    view_set(false);
    push_motion(479, 639);
    frame_step();
    EXPECT_EQ(raw_pointer_x, 479);
    EXPECT_EQ(raw_pointer_y, 639);
}

TEST_F(FramePump, MotionOutsideTheWindowIsKeptToTheSurface)
{
    // A captured pointer can report positions left of or far below the window.
    view_set(true);
    push_motion(-5, 700);
    frame_step();
    EXPECT_EQ(raw_pointer_x, 0);
    EXPECT_EQ(raw_pointer_y, 319);
    view_set(false);
    push_motion(70000, -1);
    frame_step();
    EXPECT_EQ(raw_pointer_x, 479);
    EXPECT_EQ(raw_pointer_y, 0);
}

TEST_F(FramePump, ResizeSnapsAtWidth360)
{
    int w = 0, h = 0;
    view_set(true);
    push_window_event(SDL_WINDOWEVENT_RESIZED, 359, 700);
    frame_step();
    window_size(&w, &h);
    EXPECT_EQ(w, 240);
    EXPECT_EQ(h, 320);
    EXPECT_EQ(view_doubled, 0);

    push_window_event(SDL_WINDOWEVENT_RESIZED, 360, 100);
    frame_step();
    window_size(&w, &h);
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 640);
    EXPECT_EQ(view_doubled, 1);

    // The last request of a batch is the one that counts.
    push_window_event(SDL_WINDOWEVENT_RESIZED, 900, 900);
    push_window_event(SDL_WINDOWEVENT_RESIZED, 250, 300);
    frame_step();
    window_size(&w, &h);
    EXPECT_EQ(w, 240);
    EXPECT_EQ(view_doubled, 0);
}

TEST_F(FramePump, TheSameRequestTwiceIsNotSnappedAgain)
{
    int w = 0, h = 0;
    push_window_event(SDL_WINDOWEVENT_RESIZED, 333, 444);
    frame_step();
    window_size(&w, &h);
    ASSERT_EQ(w, 240);
    // A window manager that will not give the exact size answers with the
    // request it was given; acting on it again would chase it for ever.
    SDL_SetWindowSize(shell_window(), 250, 330);
    push_window_event(SDL_WINDOWEVENT_RESIZED, 333, 444);
    frame_step();
    window_size(&w, &h);
    EXPECT_EQ(w, 250);
    EXPECT_EQ(h, 330);
    push_window_event(SDL_WINDOWEVENT_RESIZED, 250, 330);
    frame_step();
    window_size(&w, &h);
    EXPECT_EQ(w, 240);
    EXPECT_EQ(h, 320);
}

TEST_F(FramePump, PresentsOnlyWhileComposingOrAfterAResize)
{
    view_set(false);
    compose_enabled = 0;
    back_buffer[0] = 0x1234;
    frame_step();
    EXPECT_NE(video_surface[0], 0x1234);

    // A resize shows the frozen picture once at the new scale.
    push_window_event(SDL_WINDOWEVENT_RESIZED, 479, 600);
    frame_step();
    EXPECT_EQ(video_surface[0], 0x1234);
    EXPECT_EQ(video_surface[1], 0x1234);
    EXPECT_EQ(video_surface[VIDEO_WIDTH], 0x1234);

    back_buffer[0] = 0x4321;
    frame_step();
    EXPECT_EQ(video_surface[0], 0x1234);
    compose_enabled = 1;
    frame_step();
    EXPECT_EQ(video_surface[0], 0x4321);
    EXPECT_EQ(video_surface[VIDEO_WIDTH + 1], 0x4321);
}

TEST_F(FramePump, ComposesTheWholeLayerRangeOnlyWhileEnabled)
{
    view_set(false);
    constexpr uint8_t SLOT = 15;
    slot_create_rgb565(SLOT, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, 1);
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i)
        surface_slots[SLOT].pixels[i] = 0x07E0;
    surface_slots[SLOT].layer = 1023;

    compose_enabled = 0;
    back_buffer[5] = 0;
    frame_step();
    EXPECT_EQ(back_buffer[5], 0);

    compose_enabled = 1;
    frame_step();
    EXPECT_EQ(back_buffer[5], 0x07E0);
    EXPECT_EQ(video_surface[5], 0x07E0);
    EXPECT_EQ(video_surface[319 * VIDEO_WIDTH + 239], 0x07E0);
    slot_free(SLOT);
}

TEST_F(FramePump, ExposedWindowGetsItsFrozenPictureBack)
{
    view_set(false);
    back_buffer[0] = 0xF800;
    frame_step();
    ASSERT_EQ(window_pixel(0, 0), 0xFF0000u);
    compose_enabled = 0;

    SDL_Surface* surface = SDL_GetWindowSurface(shell_window());
    SDL_FillRect(surface, nullptr, 0);
    frame_step();
    EXPECT_EQ(window_pixel(0, 0), 0u);

    push_window_event(SDL_WINDOWEVENT_EXPOSED);
    frame_step();
    EXPECT_EQ(window_pixel(0, 0), 0xFF0000u);
}

TEST_F(FramePump, ReturnIsSeenForOneFrame)
{
    push_key(SDLK_RETURN, true);
    frame_step();
    EXPECT_EQ(return_pressed, 1);
    frame_step();
    EXPECT_EQ(return_pressed, 0);
    push_key(SDLK_RETURN, false);
    frame_step();
    EXPECT_EQ(return_pressed, 0);

    // Down and up in one frame is not seen.
    push_key(SDLK_RETURN, true);
    push_key(SDLK_RETURN, false);
    frame_step();
    EXPECT_EQ(return_pressed, 0);

    push_key(SDLK_KP_ENTER, true);
    frame_step();
    EXPECT_EQ(return_pressed, 1);
    push_key(SDLK_KP_ENTER, false);
    push_key(SDLK_a, true);
    frame_step();
    EXPECT_EQ(return_pressed, 0);
}

TEST_F(FramePump, KeyRepeatIsNotAPress)
{
    push_key(SDLK_RETURN, true);
    frame_step();
    EXPECT_EQ(return_pressed, 1);
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.repeat = 1;
    e.key.keysym.sym = SDLK_RETURN;
    SDL_PushEvent(&e);
    frame_step();
    EXPECT_EQ(return_pressed, 0);
    push_key(SDLK_RETURN, false);
    frame_step();
}

using FramePumpDeathTest = FramePump;

TEST_F(FramePumpDeathTest, EscapeEndsTheProgramWithStatusZero)
{
    EXPECT_EXIT(
        {
            push_motion(10, 10);
            push_key(SDLK_ESCAPE, true);
            frame_step();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(FramePumpDeathTest, WindowCloseEndsTheProgramWithStatusZero)
{
    EXPECT_EXIT(
        {
            push_window_event(SDL_WINDOWEVENT_CLOSE);
            frame_step();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(FramePumpDeathTest, QuitRequestEndsTheProgramWithStatusZero)
{
    EXPECT_EXIT(
        {
            push_quit();
            frame_step();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(FramePumpDeathTest, OtherKeysDoNotEndTheProgram)
{
    EXPECT_EXIT(
        {
            push_key(SDLK_q, true);
            push_key(SDLK_SPACE, true);
            frame_step();
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(FramePump, TimersAdvanceByTheirMode)
{
    soft_timer_modes[0] = TIMER_STOPPED;
    soft_timer_modes[1] = TIMER_REAL;
    soft_timer_modes[2] = TIMER_FIXED;
    soft_timer_modes[3] = 7;       // unknown modes run as real time
    soft_timers[0] = 1000;
    soft_timers[1] = soft_timers[2] = soft_timers[3] = 0;

    // Frames that take 40 ms of game work: real time sees 40, fixed time 25.
    for (int i = 0; i < 3; ++i) {
        FakeClock::advance_ms(40);
        frame_step();
    }
    EXPECT_EQ(soft_timers[0], 1000u);
    EXPECT_EQ(soft_timers[1], 120u);
    EXPECT_EQ(soft_timers[2], 75u);
    EXPECT_EQ(soft_timers[3], 120u);

    // Quick frames are paced, and both agree.
    frame_step();
    EXPECT_EQ(soft_timers[1], 145u);
    EXPECT_EQ(soft_timers[2], 100u);

    // The pump never resets a timer; it wraps like any 32-bit count.
    soft_timers[2] = 0xFFFFFFF0u;
    frame_step();
    EXPECT_EQ(soft_timers[2], 9u);
}

TEST_F(FramePump, PacesTo25msSleepingAllButTheLastMillisecond)
{
    soft_timer_modes[1] = TIMER_REAL;
    FakeClock::delays.clear();
    uint32_t before = soft_timers[1];
    uint64_t start = FakeClock::now_ms();
    for (int i = 0; i < 8; ++i)
        frame_step();
    EXPECT_EQ(soft_timers[1] - before, 200u);
    EXPECT_EQ(FakeClock::now_ms() - start, 200u);
    ASSERT_EQ(FakeClock::delays.size(), 8u);
    for (uint32_t d : FakeClock::delays)
        EXPECT_EQ(d, 24u);

    // Work between frames shortens the sleep, not the frame.
    FakeClock::delays.clear();
    before = soft_timers[1];
    FakeClock::advance_ms(10);
    frame_step();
    EXPECT_EQ(soft_timers[1] - before, 25u);
    ASSERT_EQ(FakeClock::delays.size(), 1u);
    EXPECT_EQ(FakeClock::delays[0], 14u);

    // With one millisecond left there is nothing to sleep: it is all polling.
    FakeClock::delays.clear();
    before = soft_timers[1];
    FakeClock::advance_ms(24);
    frame_step();
    EXPECT_EQ(soft_timers[1] - before, 25u);
    EXPECT_TRUE(FakeClock::delays.empty());
}

TEST_F(FramePump, NextFrameIsMeasuredFromTheRelease)
{
    soft_timer_modes[1] = TIMER_REAL;
    frame_step();
    FakeClock::delays.clear();
    uint32_t before = soft_timers[1];
    // A late frame goes at once...
    FakeClock::advance_ms(40);
    frame_step();
    EXPECT_EQ(soft_timers[1] - before, 40u);
    EXPECT_TRUE(FakeClock::delays.empty());
    // ...and the one after it still gets its full 25 ms rather than catching up.
    before = soft_timers[1];
    frame_step();
    EXPECT_EQ(soft_timers[1] - before, 25u);
    ASSERT_EQ(FakeClock::delays.size(), 1u);
    EXPECT_EQ(FakeClock::delays[0], 24u);
}

TEST_F(FramePump, FrameTimeIsBoundedSoRealTimersNeverRunBackwards)
{
    soft_timer_modes[1] = TIMER_REAL;
    soft_timer_modes[2] = TIMER_FIXED;
    soft_timers[1] = soft_timers[2] = 0;
    // 40 s taken as a signed 16-bit time would be negative.
    FakeClock::advance_ms(40000);
    frame_step();
    EXPECT_EQ(soft_timers[1], 32767u);
    EXPECT_EQ(soft_timers[2], 25u);
    // 70 s would wrap to a small positive time.
    FakeClock::advance_ms(70000);
    frame_step();
    EXPECT_EQ(soft_timers[1], 65534u);
    // Just inside the bound it counts in full.
    FakeClock::advance_ms(32767);
    frame_step();
    EXPECT_EQ(soft_timers[1], 98301u);
    frame_step();
    EXPECT_EQ(soft_timers[1], 98326u);
}

static int hook_calls;
static uint8_t hook_saw_pressed;
static void hook_record()
{
    ++hook_calls;
    hook_saw_pressed = pointer_pressed;
}

TEST_F(FramePump, HookRunsOncePerFrameAfterTheInputView)
{
    hook_calls = 0;
    hook_saw_pressed = 0;
    frame_hook = hook_record;
    push_button(SDL_BUTTON_LEFT, true);
    frame_step();
    EXPECT_EQ(hook_calls, 1);
    EXPECT_EQ(hook_saw_pressed, 1);
    push_button(SDL_BUTTON_LEFT, false);
    frame_step();
    EXPECT_EQ(hook_calls, 2);
    EXPECT_EQ(hook_saw_pressed, 0);
}

} // namespace
