// What the browser test reads of the running game: where the creatures and
// the buttons are, so that it can drag and tap like a player. A few numbers
// out of the game's own tables; nothing here changes the game.
#include <emscripten.h>

#include "game/graph.h"
#include "game/level_clock.h"
#include "game/play.h"
#include "geometry/trig.h"
#include "scene/sprite.h"
#include "shell/frame.h"
#include "shell/input.h"
#include "shell/platform_web.h"

extern "C" {

// Frames run so far: everything the page delivered before a frame's drain
// has been seen by the game once it returns.
EMSCRIPTEN_KEEPALIVE int zf_probe_frames()
{
    return int(web_drains);
}

EMSCRIPTEN_KEEPALIVE int zf_probe_vertex_count()
{
    return vertex_count;
}

// x in the low 16 bits, y in the high 16 bits.
EMSCRIPTEN_KEEPALIVE int zf_probe_vertex(int i)
{
    return (vertices[i].x & 0xFFFF) | (int(vertices[i].y) << 16);
}

// Where vertex i stands in the crossing-free drawing the level was built
// from: the building circle, in index order.
EMSCRIPTEN_KEEPALIVE int zf_probe_home(int i)
{
    const int n = vertex_count;
    const int32_t a = (512 * i) / n;
    const int x = 120 + ((110 * cos512(a)) >> 8);
    const int y = 160 + ((110 * sin512(a)) >> 8);
    return (x & 0xFFFF) | (y << 16);
}

// A sprite's centre as above, or -1 when it is not on the screen.
EMSCRIPTEN_KEEPALIVE int zf_probe_sprite(int id)
{
    const Sprite* s = id >= 0 && id < SPRITE_TABLE_SIZE ? sprite_table[id] : nullptr;
    if (!s || !s->active || s->opacity == 0)
        return -1;
    return (s->x & 0xFFFF) | (int(s->y) << 16);
}

// A sprite's drawn size, width low, height high; 0 when there is no sprite.
EMSCRIPTEN_KEEPALIVE int zf_probe_sprite_size(int id)
{
    const Sprite* s = id >= 0 && id < SPRITE_TABLE_SIZE ? sprite_table[id] : nullptr;
    if (!s || !s->active)
        return 0;
    return (s->w & 0xFFFF) | (int(s->h) << 16);
}

// The opacity a sprite is drawn with; -1 when there is no sprite.
EMSCRIPTEN_KEEPALIVE int zf_probe_sprite_opacity(int id)
{
    const Sprite* s = id >= 0 && id < SPRITE_TABLE_SIZE ? sprite_table[id] : nullptr;
    return s && s->active ? s->opacity : -1;
}

// The pointer (button or finger) is down as the game sees it.
EMSCRIPTEN_KEEPALIVE int zf_probe_pointer_down()
{
    return pointer_down;
}

// The screen is recomposed every frame (0 while the game waits for a tap on
// a picture that does not change).
EMSCRIPTEN_KEEPALIVE int zf_probe_compose()
{
    return compose_enabled;
}

// The level clock runs: a level is being played (or paused).
EMSCRIPTEN_KEEPALIVE int zf_probe_level_clock_runs()
{
    return soft_timer_modes[LEVEL_CLOCK] != TIMER_STOPPED;
}

}
