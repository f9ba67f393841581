// Program start-up: opens the window system and the window, names the window
// after the program file, and gives the shell, the scene and the random
// generator their first state.
#include "shell/engine.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "geometry/random.h"
#include "gfx/pixel.h"
#include "scene/compose.h"
#include "scene/sprite.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/present.h"

// Logical screen height; written by platform_open, read by game and scene code.
int16_t screen_height = BACK_BUFFER_HEIGHT;
// 1 while the window shows the back buffer doubled; written by platform_open and frame_step.
uint8_t view_doubled = 1;

// Room for the program file's path, as the window system gives it.
constexpr int PROGRAM_PATH_SIZE = 1024;

void caption_from_path(const char* path, char* out, int size)
{
    if (size <= 0)
        return;
    // One pass: where the file name starts and how long the path is.
    int name_start = 0;
    int length = 0;
    for (; path[length] != '\0'; ++length) {
        if (path[length] == '\\' || path[length] == '/')
            name_start = length + 1;
    }
    // The last '.' ends the name. One found in a directory part lies before
    // the name and leaves it whole, as does a path with no '.' at all.
    int name_end = length;
    for (int i = length - 1; i >= 1; --i) {
        if (path[i] == '.') {
            if (i >= name_start)
                name_end = i;
            break;
        }
    }
    int count = name_end - name_start;
    if (count > size - 1)
        count = size - 1;
    for (int i = 0; i < count; ++i)
        out[i] = path[name_start + i];
    out[count] = '\0';
}

int platform_open()
{
    screen_height = BACK_BUFFER_HEIGHT;
    view_doubled = 1;
    std::puts("Loading...");
    if (!platform_video_init()) {
        std::printf("Unable to init SDL: %s\n", platform_error());
        return 1;
    }
    // Registered once even if start-up is repeated, so the window system is
    // shut down once on every way out, exit() from the frame pump included.
    static bool quit_registered = false;
    if (!quit_registered) {
        std::atexit(platform_quit);
        quit_registered = true;
    }
    // Created at the doubled size; the first frame shrinks it to 1x.
    if (!platform_window_open(VIDEO_WIDTH, VIDEO_HEIGHT)) {
        std::printf("Unable to set 480x640 video: %s\n", platform_error());
        return 1;
    }
    char path[PROGRAM_PATH_SIZE];
    platform_program_path(path, PROGRAM_PATH_SIZE);
    char caption[PROGRAM_PATH_SIZE];
    caption_from_path(path, caption, PROGRAM_PATH_SIZE);
    platform_window_caption_set(caption);
    return 0;
}

int engine_start()
{
    int result = platform_open();
    if (result != 0)
        return result;
    input_reset();
    sprite_table_clear();
    random_seed(uint32_t(std::time(nullptr)));
    set_clip_rect(0, 0, 0, SCREEN_WIDTH - 1, int16_t(screen_height - 1));
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, int16_t(screen_height - 1));
    compose_enabled = 1;
    return 0;
}
