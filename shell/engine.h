// Program start-up: the platform, the window and the shell-level state the rest
// of the game reads.
#pragma once
#include <cstdint>

// Logical screen height (320); game and scene code read it.
extern int16_t screen_height;
// 1 while the window shows the back buffer at 2x (480 x 640), 0 at 1x.
extern uint8_t view_doubled;

// Opens the platform and sets the shell's initial state; 0 on success, 1 when
// the platform could not be opened (the message has been printed).
int engine_start();
// Prints "Loading...", starts SDL and opens the window; 0 or 1 as above.
int platform_open();

// The window caption cut from a program path: the file name after the last
// '/' or '\', without its last extension. Writes into out (size bytes).
void caption_from_path(const char* path, char* out, int size);
