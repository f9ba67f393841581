// Saved games for the level-file tests: rings of any size with distinctive
// fields, and the exact bytes a slot holding one must contain, spelled out here
// independently of the writer.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>
#include "storage/level_file.h"

// A ring of n vertices with distinctive fields; vertex i is (i*10 - 50, 300 - i).
inline SavedGame ring_game(int n, uint32_t clock)
{
    SavedGame g;
    std::memset(&g, 0, sizeof g);
    g.vertex_count = uint16_t(n);
    g.clock_ms = clock;
    for (int i = 0; i < n; ++i) {
        SavedVertex& v = g.vertices[i];
        v.x = int16_t(i * 10 - 50);
        v.y = int16_t(300 - i);
        v.facing = uint8_t(i % 8);
        v.degree = 2;
        v.neighbours[0] = int16_t((i + 1) % n);
        v.neighbours[1] = int16_t((i + n - 1) % n);
    }
    return g;
}

inline std::vector<uint8_t> slot_bytes(const SavedGame& g)
{
    std::vector<uint8_t> b;
    auto put16 = [&b](uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
    put16(g.vertex_count);
    put16(g.clock_ms);
    put16(g.clock_ms >> 16);
    for (int i = 0; i < g.vertex_count; ++i) {
        const SavedVertex& v = g.vertices[i];
        put16(uint16_t(v.x));
        put16(uint16_t(v.y));
        b.push_back(v.facing);
        b.push_back(v.degree);
        for (int k = 0; k < 4; ++k)
            put16(k < v.degree ? uint16_t(v.neighbours[k]) : 0);
    }
    return b;
}

