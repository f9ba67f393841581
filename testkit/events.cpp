// Synthetic input events: see events.h.
#include "testkit/events.h"

SDL_Event event_make(Uint32 type, int a, int b, Uint8 detail)
{
    SDL_Event e{};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = a;
        e.key.repeat = Uint8(b);
    } else if (type == SDL_MOUSEMOTION) {
        e.motion.x = a;
        e.motion.y = b;
    } else if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) {
        e.button.button = detail;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    } else if (type == SDL_MOUSEWHEEL) {
        e.wheel.x = a;
        e.wheel.y = b;
    } else if (type == SDL_TEXTINPUT) {
        e.text.text[0] = char(a);
    } else if (type == SDL_WINDOWEVENT) {
        e.window.event = detail;
        e.window.data1 = a;
        e.window.data2 = b;
    }
    return e;
}

int event_push(Uint32 type, int a, int b, Uint8 detail)
{
    SDL_Event e = event_make(type, a, b, detail);
    return SDL_PushEvent(&e);
}
