// Shared set-up of the shell's tests: one engine start per test process with
// the fake clock and the dummy video driver, and helpers that feed the frame
// pump synthetic window-system events.
#pragma once
#include <SDL.h>

#include <cstdint>

// What the one start-up looked like, recorded before any test could disturb it.
struct StartRecord {
    int engine_result;
    int created_w, created_h;              // client size right after engine_start
    uint8_t doubled_before_first_frame;
    int first_frame_w, first_frame_h;      // client size after the first frame_step
    uint8_t doubled_after_first_frame;
    uint8_t compose_after_first_frame;
    uint32_t first_frame_delay;            // the one sleep of the first frame
    int32_t first_random;                  // first value drawn after start-up
    uint32_t seconds_before, seconds_after;// calendar time around engine_start
    char caption[256];
};

// Starts the engine once per process (later calls only return the record).
const StartRecord& shell_start_once();
// The game's window.
SDL_Window* shell_window();

void push_key(SDL_Keycode sym, bool down);
void push_motion(int x, int y);
void push_button(uint8_t button, bool down);
void push_window_event(uint8_t event, int data1 = 0, int data2 = 0);
void push_quit();

// Reads one pixel of the window surface as 8-bit channels packed 0xRRGGBB.
uint32_t window_pixel(int x, int y);
