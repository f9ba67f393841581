// The game's one random generator: seeded from the clock at start-up, seedable by tests.
#pragma once
#include <cstdint>

constexpr int RANDOM_MAX = 32767;

void random_seed(uint32_t seed);
// Next value, 0..32767.
int32_t random_next();
