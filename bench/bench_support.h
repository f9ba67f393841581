// What the benchmarks share: the level sizes measured, the game's resources
// loaded once, levels made the way the game makes them, and the "min"
// statistic, since on a shared machine the quickest of several runs is the
// one least disturbed by others.
#pragma once
#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

#include "testkit/circle.h"   // circle_place: the worst case of a crossing search

// The level sizes measured: the first level, three on the way, and the
// largest level that fits the 512-entry vertex table.
constexpr int BENCH_SIZES[] = {6, 50, 100, 250, 510};

// The pictures, slots, font and edge list every screen shares, built once;
// and the clip and screen rectangles engine_start sets, every time.
void resources_ready();
// A fresh level of n vertices thrown onto the shape, from a fixed seed, as
// the level sequence makes it (edge list emptied, graph built and thrown).
void level_make(int n, int shape, uint32_t seed);
// Registers fn under name with the game's usual unit and the "min" statistic.
benchmark::internal::Benchmark* bench_register(const char* name, void (*fn)(benchmark::State&, int, int, int),
                                               int a, int b, int c);
