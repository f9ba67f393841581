// Shared set-up of the benchmarks: the game's own resources and levels.
#include "bench_support.h"

#include <algorithm>
#include <string>

#include "game/flow.h"
#include "game/graph.h"
#include "game/graph_generate.h"
#include "game/layout.h"
#include "game/mode.h"
#include "game/ui.h"
#include "geometry/random.h"
#include "geometry/trig.h"
#include "gfx/pixel.h"
#include "scene/compose.h"
#include "scene/shape.h"

void resources_ready()
{
    static bool built = false;
    if (!built) {
        resources_build();
        layout_centre_y = 160;
        built = true;
    }
    // What engine_start sets: without it every blit is clipped to pixel (0, 0).
    set_clip_rect(0, 0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1);
}

void level_make(int n, int shape, uint32_t seed)
{
    game_mode = MODE_CLASSIC;
    shape_list_clear(EDGE_SLOT);
    random_seed(seed);
    build_graph(n);
    scatter_on_layout(n, shape);
}

static double min_of(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

benchmark::internal::Benchmark* bench_register(const char* name, void (*fn)(benchmark::State&, int, int, int),
                                               int a, int b, int c)
{
    return benchmark::RegisterBenchmark(name, fn, a, b, c)
        ->Unit(benchmark::kMicrosecond)
        ->ComputeStatistics("min", min_of);
}
