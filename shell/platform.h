// The thin layer between the shell and the window system: clock, sleep, events,
// the window and showing our own RGB565 video surface in it. Only
// shell/platform.cpp talks to SDL; everything above it sees these functions.
#pragma once
#include <cstdint>

// The clock and the sleep the frame pump paces itself with, in microseconds.
// The clock is steady (never set back) and counts from about the time the
// platform was started; the pump counts whole milliseconds of it. The sleep
// returns no earlier than asked, as far as the system allows; should it
// return early, the pump simply sleeps again for what is left. Tests put a
// fake clock here so that thousands of frames run without real waiting; the
// pump reads the clock once or twice a frame and otherwise only sleeps, so a
// fake clock need move only when it is asked to sleep.
extern uint64_t (*platform_ticks_us)();
extern void (*platform_delay_us)(uint32_t us);

enum PlatformEventKind : uint8_t {
    EVENT_NONE = 0,
    EVENT_KEY_DOWN,            // key: KEY_ESCAPE, KEY_RETURN or another code; repeats are not reported
    EVENT_KEY_UP,
    EVENT_POINTER_MOTION,      // x, y: position in the window's client area
    EVENT_BUTTON_DOWN,         // button: 1 is the left button
    EVENT_BUTTON_UP,
    EVENT_QUIT,                // the window system asks the program to end
    EVENT_WINDOW_CLOSE,        // the window's close button
    EVENT_WINDOW_RESIZED,      // x, y: the client size the user asked for
    EVENT_WINDOW_EXPOSED,      // the window lost its picture and wants it again
};

constexpr int32_t KEY_RETURN = 13;
constexpr int32_t KEY_ESCAPE = 27;
constexpr uint8_t BUTTON_LEFT = 1;

struct PlatformEvent {
    uint8_t kind;              // PlatformEventKind
    uint8_t button;
    int32_t key;
    int32_t x;
    int32_t y;
};

// Starts the video part of the window system; false on failure (see platform_error).
bool platform_video_init();
// The window system's last error message; never null.
const char* platform_error();
// Shuts the window system down; registered with atexit by platform_open.
void platform_quit();

// Opens the one resizable window with the given client size, closing the one
// an earlier call opened; false on failure.
bool platform_window_open(int32_t width, int32_t height);
void platform_window_caption_set(const char* caption);
// Sets the client size; the window keeps its top-left corner.
void platform_window_resize(int32_t width, int32_t height);
// A rectangle of a picture, in its own pixels.
struct PlatformRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
// The most parts one platform_window_show may name.
constexpr int32_t PLATFORM_SHOW_PARTS_MAX = 160;

// A part cut to a width x height picture; empty (width 0) when nothing is left.
inline PlatformRect platform_rect_clip(const PlatformRect& part, int32_t width, int32_t height)
{
    const int32_t x0 = part.x > 0 ? part.x : 0;
    const int32_t y0 = part.y > 0 ? part.y : 0;
    const int32_t x1 = part.x + part.width < width ? part.x + part.width : width;
    const int32_t y1 = part.y + part.height < height ? part.y + part.height : height;
    if (x0 >= x1 || y0 >= y1)
        return PlatformRect{0, 0, 0, 0};
    return PlatformRect{x0, y0, x1 - x0, y1 - y0};
}

// Shows the top-left width x height pixels of an RGB565 picture (pitch in
// bytes) in the window's top-left corner, each pixel as a scale x scale block
// (scale 1 or 2). With parts, only those rectangles of the picture are put
// into the window and the rest of it is left as it is: the caller knows that
// they are all that changed since the window was last shown the picture
// (platform_window_current). Without parts (count 0), the whole picture goes.
// Allocates nothing once the window's pixel format is known.
void platform_window_show(const uint16_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t scale,
                          const PlatformRect* parts = nullptr, int32_t part_count = 0);
// True while the window still shows, untouched, the last picture given to
// platform_window_show: no window event has come since and the window's
// pixels are where they were.
bool platform_window_current();
// Test builds only: when set, every picture goes through SDL's own pixel
// converter instead of the game's faster one. The game never sets it.
extern bool platform_convert_by_sdl;

// Takes the next pending event, if any, into event; false when none is left.
bool platform_event_poll(PlatformEvent* event);

// The full path of the program file, terminated, cut to fit size bytes;
// an empty string when it cannot be found.
void platform_program_path(char* out, int32_t size);
