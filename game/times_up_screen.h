// The TIME'S UP screen that ends a timed game.
#pragma once
#include <cstdint>

// Returns solved, or -1 after the TIME'S UP screen when the time has run out.
int8_t time_check(int8_t solved);
