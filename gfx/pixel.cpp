// The back buffer: the one picture every blitter and line drawer writes into and
// the presenter shows. Static storage, so drawing a frame allocates nothing.
#include "gfx/pixel.h"

// The frame being built; written by the blitters and the line drawers, read by present_frame.
uint16_t back_buffer[BACK_BUFFER_PIXELS];
