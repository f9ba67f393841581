// The circle the graph is built on, where no edge crosses: the scripted
// player solves a level by bringing every creature back to it, and the
// differential tests and the benchmarks lay out their worst cases on it.
#pragma once
#include <cstdint>
#include <utility>

#include "game/graph.h"
#include "geometry/trig.h"

// Where vertex i of n stood when the graph was built.
inline std::pair<int16_t, int16_t> circle_home(int i, int n)
{
    const int32_t a = (512 * i) / n;
    return {int16_t(120 + ((110 * cos512(a)) >> 8)), int16_t(160 + ((110 * sin512(a)) >> 8))};
}

// Every vertex back on the circle in index order: a drawing in which no edge
// crosses, so no search for a crossing can stop early.
inline void circle_place(int n)
{
    for (int i = 0; i < n; ++i) {
        const auto [x, y] = circle_home(i, n);
        vertex_place(i, x, y);
    }
}
