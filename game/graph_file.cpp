// Saving the puzzle into a level file and rebuilding it from one: the glue
// between the vertex table and the storage records, which know nothing of sprites
// or lines.
#include "game/graph_file.h"

#include "game/graph.h"
#include "game/mode.h"
#include "gfx/pixel.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "storage/level_file.h"

// A whole saved game is several kilobytes; one scratch record serves both
// directions, as the game only ever does one file operation at a time.
static SavedGame scratch_game;

uint8_t graph_save(uint8_t level, uint8_t file)
{
    if (vertex_count > SAVED_MAX_VERTICES)
        return 0;
    SavedGame& game = scratch_game;
    game.vertex_count = vertex_count;
    game.clock_ms = soft_timers[0];
    for (int i = 0; i < vertex_count; ++i) {
        const Vertex& v = vertices[i];
        SavedVertex& s = game.vertices[i];
        s.x = v.x;
        s.y = v.y;
        s.facing = v.facing;
        s.degree = v.degree;
        for (int k = 0; k < SAVED_MAX_DEGREE; ++k)
            s.neighbours[k] = k < v.degree ? v.neighbours[k] : int16_t(0);
    }
    return saved_game_write(level, file, game);
}

// The game only ever saves creatures it could show, so one standing off the
// screen comes from a damaged or hand-made file. Picking, dragging and the
// walk-off all assume creatures on the screen; such a save is refused whole.
static bool saved_game_on_screen(const SavedGame& game)
{
    for (int i = 0; i < game.vertex_count; ++i) {
        const SavedVertex& s = game.vertices[i];
        if (s.x < 0 || s.x >= SCREEN_WIDTH || s.y < 0 || s.y >= screen_height)
            return false;
    }
    return true;
}

// saved_game_read has already checked the record (counts, degrees, indices, and
// that every edge is listed once by each end), so nothing here can overrun the
// tables or give a vertex a fifth edge.
uint8_t graph_load(uint8_t slot, uint8_t file)
{
    SavedGame& game = scratch_game;
    if (!saved_game_read(slot, file, &game) || !saved_game_on_screen(game))
        return 0;
    const int n = game.vertex_count;
    shape_list_clear(EDGE_SLOT);
    for (int i = 0; i < n; ++i) {
        const SavedVertex& s = game.vertices[i];
        vertex_create(i, s.x, s.y);
        vertices[i].facing = s.facing;
        sprite_table[i]->frame = int16_t(FRAME_SET_NORMAL + s.facing);
    }
    // Each edge is stored by both ends; it is added from whichever end comes first.
    for (int m = 0; m < n; ++m) {
        const SavedVertex& s = game.vertices[m];
        for (int k = 0; k < s.degree; ++k) {
            const int16_t j = s.neighbours[k];
            bool listed = false;
            for (int e = 0; e < vertices[m].degree; ++e)
                listed |= vertices[m].neighbours[e] == j;
            if (!listed)
                add_edge(uint16_t(m), uint16_t(j));
        }
    }
    vertex_count = uint16_t(n);
    saved_elapsed = game.clock_ms;
    return 1;
}
