// The frame pump: composes the scene, reads the window system's events, keeps
// the window at 1x or 2x, paces the game to 40 frames a second, presents the
// picture, advances the software timers and computes the input view.
#include "shell/frame.h"

#include <cstdlib>

#include "gfx/pixel.h"
#include "scene/compose.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/present.h"

// Compose and present while set; written by the game (and forced on by the first frame).
uint8_t compose_enabled = 1;
// Millisecond timers advanced once per frame by their mode; read and written by the game.
uint32_t soft_timers[SOFT_TIMER_COUNT];
// TIMER_STOPPED, TIMER_REAL or TIMER_FIXED per timer (other values run as real); written by the game.
uint8_t soft_timer_modes[SOFT_TIMER_COUNT];
// The left button as the event stream last left it; written by frame_step, read by input_update.
uint8_t button_held;
// Pointer position of the last motion event in logical pixels; written by frame_step.
int16_t raw_pointer_x;
int16_t raw_pointer_y;
// Set by a Return key-down, cleared by its key-up; consumed every frame by input_update.
uint8_t return_raw;
// Called at the very end of every frame_step; set by tests only.
void (*frame_hook)() = nullptr;

// A window at least this wide (as the user asked for it) shows the doubled view.
constexpr int32_t SNAP_WIDTH = 360;
// Our own snap is answered by the window system within a few frames; a repeat
// of the last request this soon after it is that answer.
constexpr uint32_t SNAP_ANSWER_FRAMES = 8;
// The first frame waits a little longer, so the shrunken window can settle.
constexpr uint32_t FIRST_FRAME_DELAY_MS = 32;
// Timers take at most this much time from one frame. A frame held up for more
// than half a minute (the window system stuck in a move loop, a debugger) is
// counted as 32767 ms, so a real-time timer never wraps backwards.
constexpr uint32_t FRAME_TIME_MAX_MS = 32767;

enum PressLatch : uint8_t { LATCH_NONE = 0, LATCH_PRESSED = 1, LATCH_RELEASE_DEFERRED = 2 };

// Pump state, all written by frame_step only.
static bool first_frame_done = false;
static uint8_t press_latch = LATCH_NONE;
static uint32_t next_tick = 0;             // earliest time the next frame may be released
static uint32_t last_frame_tick = 0;       // when the previous frame was released
// The client size of the last resize request; the window was created at the doubled size.
static int32_t requested_width = VIDEO_WIDTH;
static int32_t requested_height = VIDEO_HEIGHT;
static uint32_t frames_run = 0;            // frame_step calls so far (wraps harmlessly)
static uint32_t last_snap_frame = 0;       // the frame in which the pump last resized the window

constexpr uint32_t US_PER_MS = 1000;

// The clock as the pump counts it: milliseconds that wrap around at 32 bits.
static uint32_t ms_of(uint64_t us)
{
    return uint32_t(us / US_PER_MS);
}

// Event coordinates as the window reports them, kept to the video surface, so
// that a pointer captured outside the window while the button is held still
// gives a position on the screen's edge.
static uint16_t event_coordinate(int32_t value, int32_t limit)
{
    if (value < 0)
        return 0;
    if (value > limit - 1)
        return uint16_t(limit - 1);
    return uint16_t(value);
}

struct EventOutcome {
    bool resized;
    bool exposed;
};

// Drains the event queue into the raw input facts; Escape and every request to
// close end the program here and now.
static EventOutcome events_drain()
{
    EventOutcome outcome = {false, false};
    PlatformEvent event;
    while (platform_event_poll(&event)) {
        switch (event.kind) {
        case EVENT_KEY_DOWN:
            if (event.key == KEY_ESCAPE)
                std::exit(0);
            if (event.key == KEY_RETURN)
                return_raw = 1;
            break;
        case EVENT_KEY_UP:
            if (event.key == KEY_RETURN)
                return_raw = 0;
            break;
        case EVENT_POINTER_MOTION:
            raw_pointer_x = int16_t(event_coordinate(event.x, VIDEO_WIDTH) >> view_doubled);
            raw_pointer_y = int16_t(event_coordinate(event.y, VIDEO_HEIGHT) >> view_doubled);
            break;
        case EVENT_BUTTON_DOWN:
            if (event.button == BUTTON_LEFT) {
                button_held = 1;
                press_latch = LATCH_PRESSED;
            }
            break;
        case EVENT_BUTTON_UP:
            if (event.button == BUTTON_LEFT) {
                // A release in the same batch as its press waits a frame, so
                // the game sees the click as down for one frame, then up.
                if (press_latch != LATCH_NONE)
                    press_latch = LATCH_RELEASE_DEFERRED;
                else
                    button_held = 0;
            }
            break;
        case EVENT_QUIT:
        case EVENT_WINDOW_CLOSE:
            std::exit(0);
        case EVENT_WINDOW_RESIZED: {
            // A window manager that will not give the exact size answers our
            // snap at once with the size it insists on, the one it reported
            // before; acting on that answer would chase it for ever, so it is
            // left to stand. The same size reported again later is the user
            // asking once more (maximising the window a second time) and is
            // snapped like any other request.
            const bool repeat = event.x == requested_width && event.y == requested_height;
            if (!repeat || frames_run - last_snap_frame > SNAP_ANSWER_FRAMES)
                outcome.resized = true;
            requested_width = event.x;
            requested_height = event.y;
            break;
        }
        case EVENT_WINDOW_EXPOSED:
            outcome.exposed = true;
            break;
        default:
            break;
        }
    }
    return outcome;
}

// Sleeps until the frame is due and returns the time it was released. The
// frame is due on the first microsecond of millisecond next_tick, and one
// sleep reaches it: a wake-up a little late still lands in that millisecond,
// so frames keep their 25 ms exactly and nothing is spent reading the clock
// in a loop. A sleep cut short is followed by another for what is left.
static uint32_t frame_wait()
{
    for (;;) {
        const uint64_t now_us = platform_ticks_us();
        const uint32_t now = ms_of(now_us);
        const int32_t remaining = int32_t(next_tick - now);
        if (remaining <= 0) {
            // Measured from the release, not from the deadline: a late frame
            // does not hurry the ones after it.
            next_tick = now + FRAME_PERIOD_MS;
            return now;
        }
        const uint64_t wait_us = uint64_t(remaining) * US_PER_MS - now_us % US_PER_MS;
        platform_delay_us(wait_us < UINT32_MAX ? uint32_t(wait_us) : UINT32_MAX);
    }
}

static void timers_advance(uint32_t frame_time)
{
    for (int i = 0; i < SOFT_TIMER_COUNT; ++i) {
        if (soft_timer_modes[i] == TIMER_STOPPED)
            continue;
        soft_timers[i] += soft_timer_modes[i] == TIMER_FIXED ? uint32_t(FRAME_PERIOD_MS) : frame_time;
    }
}

void frame_step()
{
    ++frames_run;
    if (!first_frame_done) {
        first_frame_done = true;
        compose_enabled = 1;
        next_tick = ms_of(platform_ticks_us()) + FIRST_FRAME_DELAY_MS;
        platform_window_resize(SCREEN_WIDTH, BACK_BUFFER_HEIGHT);
        view_doubled = 0;
        last_snap_frame = frames_run;
    }

    if (compose_enabled)
        compose_frame(0, LAYER_COUNT - 1);

    if (press_latch == LATCH_RELEASE_DEFERRED)
        button_held = 0;
    press_latch = LATCH_NONE;

    EventOutcome outcome = events_drain();

    if (outcome.resized) {
        last_snap_frame = frames_run;
        if (requested_width >= SNAP_WIDTH) {
            platform_window_resize(VIDEO_WIDTH, VIDEO_HEIGHT);
            view_doubled = 1;
        } else {
            platform_window_resize(SCREEN_WIDTH, BACK_BUFFER_HEIGHT);
            view_doubled = 0;
        }
    }

    uint32_t now = frame_wait();
    if (compose_enabled || outcome.resized)
        present_frame();
    else if (outcome.exposed)
        present_show();

    uint32_t elapsed = now - last_frame_tick;
    last_frame_tick = now;
    timers_advance(elapsed > FRAME_TIME_MAX_MS ? FRAME_TIME_MAX_MS : elapsed);

    input_update();

    if (frame_hook)
        frame_hook();
}
