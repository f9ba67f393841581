// The one way the tests, the tools and the replays make input: SDL events
// built here and pushed into SDL's queue, which the pump then reads through
// its ordinary polling, as it reads a real player's.
#pragma once
#include <SDL.h>

// The meaning of a, b and detail follows the type: keys (a = symbol, b =
// repeat), motion (a, b = window x, y), the wheel (a, b = x, y), text (a = its one character), buttons (detail = which button),
// window events (a, b = data1, data2, detail = which window event). Buttons
// and keys carry the pressed or released state their type says.
SDL_Event event_make(Uint32 type, int a = 0, int b = 0, Uint8 detail = 0);
// Makes the event and queues it; SDL_PushEvent's answer (1 when queued).
int event_push(Uint32 type, int a = 0, int b = 0, Uint8 detail = 0);
