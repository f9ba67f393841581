// The play loop: picking and dragging creatures, keeping the edge colours and
// the clock current, and leaving a level.
#include "game/play.h"
#include "game/play_internal.h"

#include <cstring>

#include "game/graph.h"
#include "game/graph_file.h"
#include "game/level_caption.h"
#include "game/level_clock.h"
#include "game/mode.h"
#include "game/pause_screen.h"
#include "game/recolour.h"
#include "game/times_up_screen.h"
#include "game/ui.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "scene/compose.h"
#include "scene/shape.h"
#include "scene/sprite.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"

// Pulse of the dragged group; written by play_level and move_vertex_to.
uint8_t pulse_counter = PULSE_FIRST;
uint8_t pulse_opacity = 0;


static Sprite* creature(int i) { return sprite_table[i]; }
static Sprite* glow(int i) { return sprite_table[GLOW_SPRITE_BASE + i]; }

int16_t vertex_pick(int16_t x, int16_t y)
{
    int16_t picked = -1;
    int64_t best = PICK_RANGE_SQ;
    for (int i = 0; i < vertex_count; ++i) {
        // Two 16-bit coordinates can lie 65535 apart: the square needs 64 bits.
        const int64_t dx = int64_t(x) - vertices[i].x;
        const int64_t dy = int64_t(y) - vertices[i].y;
        const int64_t dist = dx * dx + dy * dy;
        // Strictly closer only: of two at the same distance the lower index stays.
        if (dist < best) {
            best = dist;
            picked = int16_t(i);
        }
    }
    return picked;
}

int16_t edge_guard_y(int16_t x, int16_t y)
{
    if (x > EDGE_STRIP_X) {
        if (y < EDGE_STRIP_TOP)
            y = EDGE_STRIP_TOP;
        if (y > screen_height - EDGE_STRIP_BOTTOM_GAP)
            y = int16_t(screen_height - EDGE_STRIP_BOTTOM_GAP);
    }
    return y;
}

void drag_cache_render(int16_t picked)
{
    for (int i = 0; i < vertex_count; ++i) {
        glow(i)->opacity = OPACITY_FULL;
        glow(i)->layer = GLOW_LAYER;
        creature(i)->opacity = OPACITY_FULL;
    }
    // The moving group's glows pulse on their own; they must not be baked in.
    glow(picked)->opacity = 0;
    for (int k = 0; k < vertices[picked].degree; ++k)
        glow(vertices[picked].neighbours[k])->opacity = 0;

    SurfaceSlot& cache = surface_slots[CACHE_SLOT];
    SurfaceSlot& background = surface_slots[BACKGROUND_SLOT];
    background.opacity = OPACITY_FULL;
    cache.opacity = 0;
    compose_frame(CACHE_SLOT, BACKGROUND_SLOT);
    if (cache.in_use && cache.pixels && cache.width * cache.height >= BACK_BUFFER_PIXELS)
        std::memcpy(cache.pixels, back_buffer, sizeof(back_buffer));
    cache.opacity = OPACITY_FULL;
    background.opacity = 0;
    surface_slots[EDGE_SLOT].opacity = OPACITY_FULL;

    for (int i = 0; i < vertex_count; ++i) {
        glow(i)->opacity = 0;
        glow(i)->layer = GLOW_LAYER;
        creature(i)->frame = int16_t(FRAME_SET_NORMAL + vertices[i].facing);
    }
}

void move_vertex(int i)
{
    move_vertex_to(i, drag_x, drag_y);
}

void move_vertex_to(int i, int16_t x, int16_t y)
{
    Vertex& v = vertices[i];
    creature(i)->frame = int16_t(FRAME_SET_DRAGGED + v.facing);
    pulse_opacity = pulse_counter <= OPACITY_FULL ? pulse_counter : uint8_t(2 * OPACITY_FULL - pulse_counter);

    const int16_t right = int16_t(SCREEN_WIDTH - PLAY_MARGIN);
    const int16_t bottom = int16_t(screen_height - PLAY_MARGIN);
    if (x < PLAY_MARGIN)
        x = PLAY_MARGIN;
    if (x > right)
        x = right;
    if (y < PLAY_MARGIN)
        y = PLAY_MARGIN;
    if (y > bottom)
        y = bottom;
    // Both sprites go to the clamped place, so the next relative drag starts there.
    vertex_place(i, x, y);
    glow(i)->opacity = pulse_opacity;

    for (int k = 0; k < v.degree; ++k) {
        const int j = v.neighbours[k];
        creature(j)->frame = int16_t(FRAME_SET_NEIGHBOUR + vertices[j].facing);
        glow(j)->opacity = pulse_opacity;
        ShapeNode* line = v.edge_lines[k];
        line->x0 = v.x;
        line->y0 = v.y;
        line->x1 = vertices[j].x;
        line->y1 = vertices[j].y;
    }
}

void release_reset()
{
    for (int i = 0; i < vertex_count; ++i) {
        glow(i)->opacity = OPACITY_FULL;
        creature(i)->opacity = OPACITY_FULL;
        creature(i)->frame = int16_t(FRAME_SET_NORMAL + vertices[i].facing);
    }
    surface_slots[CACHE_SLOT].opacity = 0;
    surface_slots[BACKGROUND_SLOT].opacity = OPACITY_FULL;
}

void set_puzzle_opacity(int16_t opacity)
{
    for (int i = 0; i < vertex_count; ++i) {
        creature(i)->opacity = opacity;
        glow(i)->opacity = opacity;
        for (int k = 0; k < vertices[i].degree; ++k)
            vertices[i].edge_lines[k]->opacity = uint8_t(opacity);
    }
}

static bool mode_saves_games()
{
    return game_mode != MODE_TIME_ATTACK && game_mode != MODE_SUDDEN_DEATH;
}

int8_t play_level(uint8_t level, int8_t /*shape: the level file goes by level_file_index*/)
{
    caption_fade = game_mode == MODE_SUDDEN_DEATH ? 0 : OPACITY_FULL;
    pulse_counter = PULSE_FIRST;
    pulse_opacity = 0;
    soft_timer_modes[LEVEL_CLOCK] = TIMER_FIXED;
    soft_timers[LEVEL_CLOCK] = saved_elapsed;
    bool touched = false;
    int16_t picked = -1;
    uint8_t drag_frames = 0;
    int8_t result = 0;

    for (;;) {
        screen_rect_full();
        // Nobody touching the screen: nothing is recomposed unless a step asks.
        compose_enabled = (pointer_down || pointer_released) ? 1 : 0;

        if (pointer_pressed || (picked == -1 && pointer_down)) {
            picked = vertex_pick(pointer_x, pointer_y);
            if (picked != -1 && sprite_hit(GLOW_SPRITE_BASE + picked)) {
                touched = true;
                drag_cache_render(picked);
            }
        }

        const int16_t held_y = pointer_y;
        pointer_y = edge_guard_y(pointer_x, pointer_y);
        if (picked != -1 && sprite_drag(GLOW_SPRITE_BASE + picked)) {
            move_vertex(picked);
            drag_frames = uint8_t((drag_frames + 1) & 3);
            if (drag_frames == 0)
                recolour_edges();
        } else {
            picked = -1;
        }
        pointer_y = held_y;

        caption_fade_step(level);
        if (pointer_released) {
            result = recolour_edges() ? 1 : 0;
            release_reset();
        }
        pause_check(picked);
        if (++pulse_counter >= PULSE_END)
            pulse_counter = PULSE_FIRST;
        result = time_check(result);

        if (picked == -1 && pointer_pressed && sprite_hit(SPRITE_CLOSE)) {
            result = -1;
            if (touched && mode_saves_games())
                graph_save(level, level_file_index);
        }
        frame_step();
        if (result != 0)
            break;
    }

    soft_timer_modes[LEVEL_CLOCK] = TIMER_STOPPED;
    if (game_mode == MODE_SUDDEN_DEATH) {
        time_bank -= int32_t(soft_timers[LEVEL_CLOCK]);
        soft_timers[LEVEL_CLOCK] = 0;
    }
    release_reset();
    return result;
}
