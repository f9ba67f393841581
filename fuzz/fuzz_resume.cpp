// Fuzz target: resuming a saved game and playing it. The input is a short
// script followed by a classic-play level file. The slot the script names is
// resumed through graph_load as the level chooser's YES does; when it loads,
// the real play loop runs through the real frame pump (with a fake clock and
// no window) while the script presses near a creature, drags it twice, lets
// go and leaves with the close button, and the outro walks the creatures off.
// Whatever the file holds: the sanitizers stay quiet, a resumed puzzle stands
// on the screen, play and the walk-off end within their frames, every
// creature ends beyond its edge, and a level the game saved on leaving
// resumes again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "fuzz_support.h"
#include "game/flow.h"
#include "game/graph.h"
#include "game/graph_file.h"
#include "game/layout.h"
#include "game/level.h"
#include "game/mode.h"
#include "game/play.h"
#include "game/shared_pictures.h"
#include "game/ui.h"
#include "gfx/pixel.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "storage/level_file.h"
#include "storage/profile.h"
#include "testkit/clock.h"

static const char* const LEVEL_FILE = "ZembrolShape0.lvl";

// The script before the file: the slot to resume, the creature pressed, the
// press's offset from it, and two drag moves (signed bytes, doubled).
constexpr size_t SCRIPT_SIZE = 8;
// A 4 KB input reaches the first nine slots.
constexpr int SLOTS_TRIED = 9;
// Play ends within these frames even when creatures sit under the close
// button (each round of the leave script drags one of them away). The outro
// takes 17 fade frames and at most 33 of walk-off, and a NEW RECORD pop-up
// about 25 more.
constexpr int PLAY_FRAMES_MAX = 3 * MAX_VERTICES + 16;
constexpr int OUTRO_FRAMES_MAX = 100;
constexpr int16_t WALK_LEFT_END = -9, WALK_RIGHT_END = 249;

// The running script, read by the frame hook.
static const uint8_t* script;
static int script_frame;
static int16_t press_x, press_y;

static int16_t on_screen_x(int v) { return int16_t(v < 0 ? 0 : v > SCREEN_WIDTH - 1 ? SCREEN_WIDTH - 1 : v); }
static int16_t on_screen_y(int v) { return int16_t(v < 0 ? 0 : v > screen_height - 1 ? screen_height - 1 : v); }

// The pointer as the pump would report it next frame.
static void pointer_set(bool held, int x, int y)
{
    button_held = held ? 1 : 0;
    raw_pointer_x = on_screen_x(x);
    raw_pointer_y = on_screen_y(y);
}

// Press, two moves, release; then, for as long as the level goes on, a press on
// the close button that drags away whatever it picked, and a release.
static void play_script()
{
    const int f = script_frame++;
    FUZZ_CHECK(f < PLAY_FRAMES_MAX, "the level does not end");
    const int dx1 = 2 * int8_t(script[4]), dy1 = 2 * int8_t(script[5]);
    const int dx2 = 2 * int8_t(script[6]), dy2 = 2 * int8_t(script[7]);
    switch (f) {
    case 0:
        pointer_set(true, press_x, press_y);
        return;
    case 1:
        pointer_set(true, press_x + dx1, press_y + dy1);
        return;
    case 2:
        pointer_set(true, press_x + dx1 + dx2, press_y + dy1 + dy2);
        return;
    case 3:
        pointer_set(false, raw_pointer_x, raw_pointer_y);
        return;
    default:
        break;
    }
    switch ((f - 4) % 3) {
    case 0:
        pointer_set(true, CLOSE_X, CLOSE_Y);
        return;
    case 1:
        pointer_set(true, SCREEN_WIDTH / 2, screen_height / 2);
        return;
    default:
        pointer_set(false, SCREEN_WIDTH / 2, screen_height / 2);
        return;
    }
}

// A solved level may put up its NEW RECORD pop-up, which waits for a tap:
// the outro's script taps every other frame.
static void outro_script()
{
    const int f = script_frame++;
    FUZZ_CHECK(f < OUTRO_FRAMES_MAX, "the walk-off does not end");
    pointer_set(f % 2 == 0, SCREEN_WIDTH / 2, screen_height / 2);
}

static bool puzzle_on_screen()
{
    for (int i = 0; i < vertex_count; ++i) {
        if (vertices[i].x < 0 || vertices[i].x >= SCREEN_WIDTH || vertices[i].y < 0 || vertices[i].y >= screen_height)
            return false;
    }
    return true;
}

// Nothing of the previous input may steer this one: every creature and glow
// goes, and the pointer and the timers start as at a level's start.
static void world_reset()
{
    for (int i = 0; i < MAX_VERTICES; ++i) {
        for (int id : {i, GLOW_SPRITE_BASE + i}) {
            if (sprite_table[id])
                sprite_active_set(id, 0);
        }
    }
    vertex_count = 0;
    profile_reset(&profile);
    button_held = 0;
    return_raw = 0;
    input_reset();
    for (int i = 0; i < SOFT_TIMER_COUNT; ++i) {
        soft_timers[i] = 0;
        soft_timer_modes[i] = TIMER_STOPPED;
    }
    frame_hook = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_directory_enter();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // The kit's clock: frames cost no real time.
    FakeClock::install();
    FUZZ_CHECK(engine_start() == 0, "the engine does not start");
    layout_centre_y = 160;
    resources_build();
    frame_step();
    sprite_create(SPRITE_CLOSE, close_icon_image, PIC_CLOSE_ICON, CLOSE_X, CLOSE_Y);
    game_mode = MODE_CLASSIC;
    game_shape = 0;
    mode_tracks_set();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < SCRIPT_SIZE)
        return 0;
    world_reset();
    script = data;
    fuzz_file_put(LEVEL_FILE, data + SCRIPT_SIZE, size - SCRIPT_SIZE);
    const uint8_t slot = uint8_t(data[0] % SLOTS_TRIED);
    if (!graph_load(slot, level_file_index)) {
        FUZZ_CHECK(vertex_count == 0, "a refused save changed the puzzle");
        return 0;
    }
    FUZZ_CHECK(vertex_count == saved_slot_vertices(slot), "resumed the wrong number of creatures");
    FUZZ_CHECK(puzzle_on_screen(), "resumed a creature off the screen");

    const uint8_t level = uint8_t(slot + 1);
    const int pressed = data[1] % vertex_count;
    press_x = on_screen_x(vertices[pressed].x + int8_t(data[2]) / 8);
    press_y = on_screen_y(vertices[pressed].y + int8_t(data[3]) / 8);
    level_hud_show(level);
    colour_edges();

    script_frame = 0;
    frame_hook = play_script;
    const int8_t result = play_level(level, 0);
    // Nothing is solved while the pointer is held, and the script only lets go
    // once before it starts leaving; either way the outro follows.
    FUZZ_CHECK(result == 1 || result == -1, "play ended without a result");
    script_frame = 0;
    frame_hook = outro_script;
    level_end(level, level_file_index, result);
    frame_hook = nullptr;
    for (int i = 0; i < vertex_count; ++i) {
        const bool left = vertices[i].x < WALK_LEFT_END, right = vertices[i].x > WALK_RIGHT_END;
        FUZZ_CHECK(left || right, "a creature stayed on the screen after the walk-off");
    }

    // Left after a pick: the game saved the level, and it resumes on the screen.
    saved_flags_read(level_file_index);
    if (result == -1 && saved_flags[slot]) {
        FUZZ_CHECK(graph_load(slot, level_file_index) == 1, "a level the game saved does not resume");
        FUZZ_CHECK(puzzle_on_screen(), "a level the game saved resumes off the screen");
    }
    // The lines go now rather than at the next input, so that an input frees
    // what it allocated and libFuzzer has no leak to look for.
    shape_list_clear(EDGE_SLOT);
    vertex_count = 0;
    return 0;
}
