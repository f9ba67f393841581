// The frame pump: the one place where time passes, events are read, the window
// is serviced and the back buffer reaches the screen.
#pragma once
#include <cstdint>

enum TimerMode : uint8_t { TIMER_STOPPED = 0, TIMER_REAL = 1, TIMER_FIXED = 2 };

constexpr int SOFT_TIMER_COUNT = 16;
constexpr int FRAME_PERIOD_MS = 25;

// Compose at the start of each frame and present at its end while set; written by the game.
extern uint8_t compose_enabled;
// Software timers in ms (timer 0 is the level clock) and their modes; read and written by the game.
extern uint32_t soft_timers[SOFT_TIMER_COUNT];
extern uint8_t soft_timer_modes[SOFT_TIMER_COUNT];

// Raw facts from the event stream, turned into the input view by input_update.
extern uint8_t button_held;
extern int16_t raw_pointer_x;
extern int16_t raw_pointer_y;
extern uint8_t return_raw;

// Runs one frame: compose, events, resize snap, pacing, present, timers, input.
void frame_step();

// Test builds only: called at the very end of every frame_step. The game never sets it.
extern void (*frame_hook)();
