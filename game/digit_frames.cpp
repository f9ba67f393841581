// Splitting numbers into the frames of the digit strips, for the clock, the
// LEVEL caption, the chooser, the resume question and the best-times list.
#include "game/digit_frames.h"

#include "assets/catalogue.h"

void digit_frames_split(int32_t value, int count, int16_t* frames)
{
    for (int k = count - 1; k >= 0; --k) {
        frames[k] = int16_t(value % 10);
        value /= 10;
    }
}

void clock_frames_split(int32_t seconds, int16_t frames[5])
{
    frames[0] = int16_t(seconds % 10);
    frames[1] = int16_t((seconds % 60) / 10);
    frames[2] = SMALL_COLON_FRAME;
    frames[3] = int16_t((seconds / 60) % 10);
    frames[4] = int16_t(seconds / 600);
}
