// The solved test and level generation, the plain forms beside the game's own
// in one run: colour_edges on a freshly thrown level and on a drawing with no
// crossing (the worst case, where every search runs to the end), the
// recolouring of a drag frame, and making a whole level (build_graph and
// scatter_on_layout).
#include <string>

#include "bench_support.h"
#include "game/graph.h"
#include "testkit/graph_oracle.h"
#include "game/graph_generate.h"
#include "game/layout.h"
#include "game/mode.h"
#include "game/play.h"
#include "game/recolour.h"
#include "geometry/random.h"
#include "scene/shape.h"
#include "game/ui.h"

constexpr uint32_t LEVEL_SEED = 20240611;

enum Layout { THROWN = 0, UNCROSSED = 1 };
enum Version { LITERAL = 0, FAST = 1 };

static void colour_bench(benchmark::State& state, int n, int layout_and_shape, int version)
{
    resources_ready();
    const int shape = layout_and_shape % LAYOUT_SHAPE_COUNT;
    level_make(n, shape, LEVEL_SEED + uint32_t(shape));
    if (layout_and_shape / LAYOUT_SHAPE_COUNT == UNCROSSED)
        circle_place(n);
    static uint16_t colours[MAX_VERTICES][MAX_DEGREE];
    for (auto _ : state) {
        const bool solved = version == LITERAL ? literal_colour_edges(colours) : colour_edges();
        benchmark::DoNotOptimize(solved);
    }
    int edges = 0;
    for (int i = 0; i < n; ++i)
        edges += vertices[i].degree;
    state.counters["edges"] = edges / 2;
}

// The recolouring of a drag frame: the vertex with the most edges moves by a
// few pixels and back, as the pointer drags it, and the edges are recoloured.
// The plain form colours the whole graph by the rule, as every recolouring
// once did.
static void drag_bench(benchmark::State& state, int n, int layout, int version)
{
    resources_ready();
    level_make(n, LAYOUT_CIRCLE, LEVEL_SEED);
    if (layout == UNCROSSED)
        circle_place(n);
    colour_edges();
    int picked = 0;
    for (int i = 0; i < n; ++i) {
        if (vertices[i].degree > vertices[picked].degree)
            picked = i;
    }
    const int16_t x = vertices[picked].x, y = vertices[picked].y;
    static uint16_t colours[MAX_VERTICES][MAX_DEGREE];
    int step = 0;
    for (auto _ : state) {
        ++step;
        move_vertex_to(picked, int16_t(x + ((step & 1) ? 3 : 0)), int16_t(y + ((step & 2) ? 2 : 0)));
        const bool solved = version == LITERAL ? literal_colour_edges(colours) : recolour_edges();
        benchmark::DoNotOptimize(solved);
    }
    state.counters["degree"] = vertices[picked].degree;
}

static void generate_bench(benchmark::State& state, int n, int shape, int version)
{
    resources_ready();
    game_mode = MODE_CLASSIC;
    for (auto _ : state) {
        shape_list_clear(EDGE_SLOT);
        random_seed(LEVEL_SEED + uint32_t(shape));
        if (version == LITERAL) {
            literal_build_graph(n);
            literal_scatter_on_layout(n, shape);
        } else {
            build_graph(n);
            scatter_on_layout(n, shape);
        }
    }
}

static const char* const VERSION_NAMES[] = {"literal", "fast"};

static bool graph_benchmarks_register()
{
    for (int n : BENCH_SIZES) {
        for (int shape = 0; shape < LAYOUT_SHAPE_COUNT; ++shape) {
            for (int version : {LITERAL, FAST}) {
                const std::string name = "colour_edges/thrown/n:" + std::to_string(n) + "/shape:" +
                                         std::to_string(shape) + "/" + VERSION_NAMES[version];
                bench_register(name.c_str(), colour_bench, n, THROWN * LAYOUT_SHAPE_COUNT + shape, version);
            }
        }
        for (int version : {LITERAL, FAST}) {
            const std::string name = "colour_edges/uncrossed/n:" + std::to_string(n) + "/" + VERSION_NAMES[version];
            bench_register(name.c_str(), colour_bench, n, UNCROSSED * LAYOUT_SHAPE_COUNT, version);
        }
        for (int layout : {THROWN, UNCROSSED}) {
            for (int version : {LITERAL, FAST}) {
                const std::string name = std::string("recolour_drag/") + (layout == THROWN ? "thrown" : "uncrossed") +
                                         "/n:" + std::to_string(n) + "/" + VERSION_NAMES[version];
                bench_register(name.c_str(), drag_bench, n, layout, version);
            }
        }
        for (int shape = 0; shape < LAYOUT_SHAPE_COUNT; ++shape) {
            for (int version : {LITERAL, FAST}) {
                const std::string name = "generate_level/n:" + std::to_string(n) + "/shape:" +
                                         std::to_string(shape) + "/" + VERSION_NAMES[version];
                bench_register(name.c_str(), generate_bench, n, shape, version);
            }
        }
    }
    return true;
}

static const bool graph_benchmarks = graph_benchmarks_register();
