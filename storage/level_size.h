// How many vertices a level has: one rule for the game that builds each level
// and for the level files whose slots are sized by it.
#pragma once
#include <cstdint>

// The most vertices a level ever has: the size of the vertex table and of a slot.
constexpr int LEVEL_MAX_VERTICES = 512;

// Vertices of level t (from 1): 6, then 5t; in sudden death 2t + 4.
constexpr int32_t level_size(bool sudden_death, int32_t t)
{
    if (sudden_death)
        return 2 * t + 4;
    return t == 1 ? 6 : 5 * t;
}

// level_size, never more than LEVEL_MAX_VERTICES: past the largest level that
// fits, levels keep that level's size.
constexpr int32_t level_size_capped(bool sudden_death, int32_t t)
{
    // Sizes grow with the level, so the largest level that fits is found by
    // stepping back; nothing indexes past the vertex table.
    while (t > 1 && level_size(sudden_death, t) > LEVEL_MAX_VERTICES)
        --t;
    return level_size(sudden_death, t);
}
