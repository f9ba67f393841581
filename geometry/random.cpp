// The game's random generator: a 32-bit linear congruential generator whose
// high bits give values 0..32767, like the classic library rand().
#include "geometry/random.h"

// Generator state; written by random_seed and random_next only.
static uint32_t random_state = 1;

void random_seed(uint32_t seed)
{
    random_state = seed;
}

int32_t random_next()
{
    random_state = random_state * 1103515245u + 12345u;
    return int32_t((random_state >> 16) & RANDOM_MAX);
}
