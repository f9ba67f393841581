// Presentation: the back buffer into the 480 x 640 RGB565 video surface, then the window.
#pragma once
#include <cstdint>

#include "gfx/pixel.h"
#include "shell/platform.h"

constexpr int VIDEO_WIDTH = 480;
constexpr int VIDEO_HEIGHT = 640;
constexpr int VIDEO_PITCH_BYTES = VIDEO_WIDTH * 2;

// Our video surface: 480 x 640 RGB565, pitch 960 bytes. Written by present_frame only.
extern uint16_t video_surface[VIDEO_WIDTH * VIDEO_HEIGHT];

// The back buffer is compared with the last frame sent in bands of rows, and
// each changed row in blocks of columns; a run of changed blocks in a band is
// sent to the window as one part, so a frame sends at most PRESENT_PARTS_MAX.
constexpr int PRESENT_BAND_ROWS = 16;
constexpr int PRESENT_BLOCK_COLUMNS = 16;
constexpr int PRESENT_PARTS_MAX =
    (BACK_BUFFER_HEIGHT / PRESENT_BAND_ROWS) * ((SCREEN_WIDTH / PRESENT_BLOCK_COLUMNS + 1) / 2);
static_assert(BACK_BUFFER_HEIGHT % PRESENT_BAND_ROWS == 0 && SCREEN_WIDTH % PRESENT_BLOCK_COLUMNS == 0);
static_assert(PRESENT_PARTS_MAX <= PLATFORM_SHOW_PARTS_MAX);

// The parts of the back buffer the last present_frame sent to the window, in
// back buffer pixels; none when the window already showed the frame. Written
// by present_frame.
extern PlatformRect present_parts[PRESENT_PARTS_MAX];
extern int present_part_count;

// Copies (1x) or pixel-doubles (2x) the back buffer into video_surface and shows
// the visible part in the window. Called only by frame_step.
void present_frame();
// Shows the visible part of video_surface again without copying anything, for
// a window that lost its picture while the game keeps the screen frozen.
void present_show();
