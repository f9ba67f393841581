// Numbers shown with the digit strips: which frame each digit sprite shows.
#pragma once
#include <cstdint>

// The lowest `count` decimal digits of value, most significant first, as
// frames 0..9 of a digit strip.
void digit_frames_split(int32_t value, int count, int16_t* frames);
// seconds as MM:SS in the order the clock's sprites are numbered: seconds'
// units, seconds' tens, the colon (SMALL_COLON_FRAME), minutes' units,
// minutes' tens. The caller keeps seconds within 0..5999.
void clock_frames_split(int32_t seconds, int16_t frames[5]);
