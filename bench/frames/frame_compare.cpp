// The worst frames of the largest level, timed the same way natively and in
// the browser (scripts/bench-web builds this file both ways): the press that
// picks a creature and renders the drag cache, the drag frame that recolours
// every edge, and the release that recolours them once more and puts the
// background back; each one moved, recoloured, composed and presented
// through the platform layer, as play_level and frame_step do it.
//
// Prints one line "frames press=US drag=US release=US" with the quickest of
// SAMPLES samples, each the mean of REPEATS frames of that kind (a browser's
// clock is too coarse to time one frame on its own), in microseconds.
#include <chrono>
#include <cstdio>

#include "game/flow.h"
#include "game/graph.h"
#include "game/graph_generate.h"
#include "game/layout.h"
#include "game/level.h"
#include "game/mode.h"
#include "game/pause_screen.h"
#include "game/play.h"
#include "game/play_internal.h"
#include "game/recolour.h"
#include "game/ui.h"
#include "geometry/random.h"
#include "geometry/trig.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/compose.h"
#include "scene/shape.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "shell/present.h"

constexpr int VERTICES = 510;
constexpr int LEVEL = 102;                 // the level with 510 creatures
constexpr uint32_t SEED = 4242;
constexpr int SAMPLES = 40;
constexpr int REPEATS = 20;
constexpr int16_t DRAG_STEP = 3;

static double now_us()
{
    using namespace std::chrono;
    return double(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count()) / 1000.0;
}

// The level as a player meets it near the end: every creature on the
// building circle but the one about to be dragged, so no crossing search can
// stop early.
static void level_ready()
{
    resources_build();
    layout_centre_y = 160;
    game_mode = MODE_CLASSIC;
    shape_list_clear(EDGE_SLOT);
    random_seed(SEED);
    vertex_count = VERTICES;
    build_graph(VERTICES);
    scatter_on_layout(VERTICES, LAYOUT_CIRCLE);
    for (int i = 0; i < VERTICES; ++i) {
        const int32_t a = (512 * i) / VERTICES;
        vertex_place(i, int16_t(120 + ((110 * cos512(a)) >> 8)), int16_t(160 + ((110 * sin512(a)) >> 8)));
    }
    level_hud_show(LEVEL);
    pause_sprites_show();
    smooth_lines = 0;
    colour_edges();
    release_reset();
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, int16_t(screen_height - 1));
    view_doubled = 0;
}

static void frame_finish()
{
    compose_frame(0, LAYER_COUNT - 1);
    present_frame();
}

static int16_t picked = -1;
static int16_t home_x = 0, home_y = 0;
static int step = 0;

static void press_frame()
{
    picked = vertex_pick(home_x, home_y);
    drag_cache_render(picked);
    drag_x = home_x;
    drag_y = home_y;
    move_vertex(picked);
    frame_finish();
}

static void drag_frame()
{
    ++step;
    drag_x = int16_t(home_x + ((step & 1) ? DRAG_STEP : 0));
    drag_y = int16_t(home_y + ((step & 1) ? DRAG_STEP : 0));
    move_vertex(picked);
    recolour_edges();
    frame_finish();
}

static void release_frame()
{
    recolour_edges();
    release_reset();
    frame_finish();
}

// The quickest of SAMPLES means of REPEATS calls of frame.
static double quickest(void (*frame)())
{
    double best = 1e30;
    for (int s = 0; s < SAMPLES; ++s) {
        const double start = now_us();
        for (int r = 0; r < REPEATS; ++r)
            frame();
        const double mean = (now_us() - start) / REPEATS;
        if (mean < best)
            best = mean;
    }
    return best;
}

int main()
{
    if (engine_start() != 0)
        return 1;
    level_ready();
    const int chosen = VERTICES / 3;
    home_x = vertices[chosen].x;
    home_y = vertices[chosen].y;
    press_frame();
    // Warm up every path once before timing.
    drag_frame();
    release_frame();
    const double press = quickest(press_frame);
    press_frame();
    const double drag = quickest(drag_frame);
    const double release = quickest(release_frame);
    std::printf("frames press=%.1f drag=%.1f release=%.1f\n", press, drag, release);
    return 0;
}
