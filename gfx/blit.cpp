// Clipping and the blitters. Every picture reaches the back buffer through
// here, every frame, so each blit clips once up front and its inner loops run
// between precomputed bounds with no per-pixel tests beyond transparency.
#include "gfx/blit.h"

#include <cstddef>
#include <cstring>

#include "gfx/pixel.h"

// As the game asked for them; written by set_clip_rect, read by compose_frame.
ClipRect requested_clip_rects[CLIP_RECT_COUNT];
// The requested rects cut to screen_rect; written by compose_frame, read by clip_blit.
ClipRect clip_rects[CLIP_RECT_COUNT];
// Clip rect of the next blit; written by slot_draw, sprite_draw and the text draw.
uint8_t current_clip_index = 0;
// Sprite being drawn or -1; written by sprite_draw (id) and slot_draw / the text draw (-1).
int16_t current_sprite = -1;
// Source window of current_sprite; written by sprite_draw.
ClipRect sprite_window = {0, 0, 0, 0};
// Alpha plane of the next format-3 blit; written by slot_draw and sprite_draw.
const uint8_t* alpha_source = nullptr;
// Visible window of the last clip_blit, in the picture's own columns and rows.
int16_t col_start = 0, col_end = 0, row_start = 0, row_end = 0;

static inline int64_t max64(int64_t a, int64_t b) { return a > b ? a : b; }
static inline int64_t min64(int64_t a, int64_t b) { return a < b ? a : b; }

// The clip rect is also held to the back buffer's own edges, so that no rect
// the game sets (and no screen_rect) can send a blit outside the buffer; for
// rects inside the screen this changes nothing. 64-bit sums keep far-off
// positions from wrapping into view.
void clip_blit(int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (current_clip_index >= CLIP_RECT_COUNT) {
        col_start = col_end = row_start = row_end = 0;
        return;
    }
    const ClipRect& r = clip_rects[current_clip_index];
    const int64_t x0 = max64(r.x0, 0), y0 = max64(r.y0, 0);
    const int64_t x1 = min64(r.x1, SCREEN_WIDTH - 1), y1 = min64(r.y1, BACK_BUFFER_HEIGHT - 1);

    int64_t cs = x0 > x ? x0 - x : 0;
    int64_t ce = int64_t(x) + w > x1 ? x1 - x + 1 : w;
    int64_t rs = y0 > y ? y0 - y : 0;
    int64_t re = int64_t(y) + h > y1 ? y1 - y + 1 : h;
    if (current_sprite != -1) {
        cs = max64(cs, sprite_window.x0);
        rs = max64(rs, sprite_window.y0);
        ce = min64(ce, int64_t(sprite_window.x1) + 1);
        re = min64(re, int64_t(sprite_window.y1) + 1);
    }
    // An empty window is stored as all zeros, and a window that would not fit
    // the 16-bit globals is treated as empty rather than wrapped.
    if (cs >= ce || rs >= re || ce > INT16_MAX || re > INT16_MAX) {
        col_start = col_end = row_start = row_end = 0;
        return;
    }
    col_start = int16_t(cs);
    col_end = int16_t(ce);
    row_start = int16_t(rs);
    row_end = int16_t(re);
}

static inline bool window_empty()
{
    return col_start >= col_end || row_start >= row_end;
}

// Back buffer pixel under column c of picture row r, for a picture placed at (x, y).
// Only called for visible columns, so the result always lies in the buffer.
static inline uint16_t* screen_at(int32_t x, int32_t y, int r, int c)
{
    return back_buffer + ptrdiff_t(y + r) * SCREEN_WIDTH + (x + c);
}

static inline ptrdiff_t source_index(int32_t w, int r, int c)
{
    return ptrdiff_t(r) * w + c;
}

// Opaque indexed copy of n pixels, eight at a time: this is the inner loop of
// every creature on the board.
static inline void copy_indexed(uint16_t* d, const uint8_t* p, const uint16_t* palette, int n)
{
    while (n >= 8) {
        d[0] = palette[p[0]];
        d[1] = palette[p[1]];
        d[2] = palette[p[2]];
        d[3] = palette[p[3]];
        d[4] = palette[p[4]];
        d[5] = palette[p[5]];
        d[6] = palette[p[6]];
        d[7] = palette[p[7]];
        d += 8;
        p += 8;
        n -= 8;
    }
    while (n-- > 0)
        *d++ = palette[*p++];
}

// Walks the skip/run span rows of the window and hands every visible opaque
// stretch [from, to) of picture row r to draw(r, from, to). The entry into the
// window follows the counts until they reach col_start; a run that straddles
// col_start is entered part way.
template <typename Draw>
static inline void walk_pair_spans(const uint8_t* spans, const uint16_t* row_offsets, Draw draw)
{
    const int cs = col_start, ce = col_end;
    for (int r = row_start; r < row_end; ++r) {
        const uint8_t* s = spans + row_offsets[r];
        int pos = *s++;
        int run;
        if (pos < cs) {
            bool after_skip;
            for (;;) {
                pos += *s++;
                if (pos >= cs) {
                    after_skip = false;
                    break;
                }
                pos += *s++;
                if (pos >= cs) {
                    after_skip = true;
                    break;
                }
            }
            if (after_skip) {
                run = *s++;
            } else {
                run = pos - cs;
                pos = cs;
            }
        } else {
            run = *s++;
        }
        while (pos < ce) {
            const int end = pos + run < ce ? pos + run : ce;
            draw(r, pos, end);
            pos = end + s[0];
            run = s[1];
            s += 2;
        }
    }
}

// The same walk over skip/blend/copy triplets: blend(r, from, to) gets the
// stretches of partial alpha, copy(r, from, to) those of full alpha.
template <typename Blend, typename Copy>
static inline void walk_triplet_spans(const uint8_t* spans, const uint16_t* row_offsets, Blend blend_part, Copy copy_part)
{
    enum { AFTER_BLEND, AFTER_COPY, AFTER_SKIP };
    const int cs = col_start, ce = col_end;
    for (int r = row_start; r < row_end; ++r) {
        const uint8_t* s = spans + row_offsets[r];
        int pos = *s++;
        int blend;
        if (pos < cs) {
            int last;
            for (;;) {
                pos += *s++;
                if (pos >= cs) {
                    last = AFTER_BLEND;
                    break;
                }
                pos += *s++;
                if (pos >= cs) {
                    last = AFTER_COPY;
                    break;
                }
                pos += *s++;
                if (pos >= cs) {
                    last = AFTER_SKIP;
                    break;
                }
            }
            if (last == AFTER_SKIP) {
                blend = *s++;
            } else if (last == AFTER_BLEND) {
                blend = pos - cs;
                pos = cs;
            } else {
                copy_part(r, cs, pos < ce ? pos : ce);
                pos += s[0];
                blend = s[1];
                s += 2;
            }
        } else {
            blend = *s++;
        }
        while (pos < ce) {
            const int blend_end = pos + blend < ce ? pos + blend : ce;
            blend_part(r, pos, blend_end);
            const int copy_end = blend_end + s[0] < ce ? blend_end + s[0] : ce;
            copy_part(r, blend_end, copy_end);
            pos = copy_end + s[1];
            blend = s[2];
            s += 3;
        }
    }
}

void blit_indexed(const uint8_t* pixels, const uint16_t* palette, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    if (opacity <= 0 || window_empty())
        return;
    const int n = col_end - col_start;
    for (int r = row_start; r < row_end; ++r) {
        uint16_t* d = screen_at(x, y, r, col_start);
        const uint8_t* p = pixels + source_index(w, r, col_start);
        if (opacity == OPACITY_FULL) {
            copy_indexed(d, p, palette, n);
        } else {
            for (int i = 0; i < n; ++i)
                d[i] = blend565(d[i], palette[p[i]], opacity);
        }
    }
}

// Opacity is kept 1..32 by the callers; 0 or less is refused here, which draws
// exactly what a blend of weight 0 would.
void blit_indexed_spans(const uint8_t* pixels, const uint16_t* palette, const uint8_t* spans, const uint16_t* row_offsets,
                        int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    if (opacity <= 0 || window_empty())
        return;
    if (opacity == OPACITY_FULL) {
        walk_pair_spans(spans, row_offsets, [&](int r, int from, int to) {
            copy_indexed(screen_at(x, y, r, from), pixels + source_index(w, r, from), palette, to - from);
        });
    } else {
        walk_pair_spans(spans, row_offsets, [&](int r, int from, int to) {
            uint16_t* d = screen_at(x, y, r, from);
            const uint8_t* p = pixels + source_index(w, r, from);
            for (int i = 0; i < to - from; ++i)
                d[i] = blend565(d[i], palette[p[i]], opacity);
        });
    }
}

// A full-width picture at x = 0 (backgrounds, the drag cache) is one block move.
void blit_rgb565(const uint16_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    if (opacity <= 0 || window_empty())
        return;
    const int n = col_end - col_start;
    if (opacity == OPACITY_FULL) {
        if (col_start == 0 && col_end == SCREEN_WIDTH && w == SCREEN_WIDTH) {
            std::memcpy(screen_at(x, y, row_start, 0), pixels + source_index(w, row_start, 0),
                        size_t(row_end - row_start) * SCREEN_WIDTH * sizeof(uint16_t));
            return;
        }
        for (int r = row_start; r < row_end; ++r)
            std::memcpy(screen_at(x, y, r, col_start), pixels + source_index(w, r, col_start), size_t(n) * sizeof(uint16_t));
        return;
    }
    for (int r = row_start; r < row_end; ++r) {
        uint16_t* d = screen_at(x, y, r, col_start);
        const uint16_t* p = pixels + source_index(w, r, col_start);
        for (int i = 0; i < n; ++i)
            d[i] = blend565(d[i], p[i], opacity);
    }
}

void blit_rgb565_keyed(const uint16_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    if (opacity <= 0 || window_empty())
        return;
    const int n = col_end - col_start;
    for (int r = row_start; r < row_end; ++r) {
        uint16_t* d = screen_at(x, y, r, col_start);
        const uint16_t* p = pixels + source_index(w, r, col_start);
        if (opacity == OPACITY_FULL) {
            for (int i = 0; i < n; ++i)
                if (p[i] != COLOUR_KEY)
                    d[i] = p[i];
        } else {
            for (int i = 0; i < n; ++i)
                if (p[i] != COLOUR_KEY)
                    d[i] = blend565(d[i], p[i], opacity);
        }
    }
}

void blit_rgb565_spans(const uint16_t* pixels, const uint8_t* spans, const uint16_t* row_offsets,
                       int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    if (opacity <= 0 || window_empty())
        return;
    if (opacity == OPACITY_FULL) {
        walk_pair_spans(spans, row_offsets, [&](int r, int from, int to) {
            std::memcpy(screen_at(x, y, r, from), pixels + source_index(w, r, from), size_t(to - from) * sizeof(uint16_t));
        });
    } else {
        walk_pair_spans(spans, row_offsets, [&](int r, int from, int to) {
            uint16_t* d = screen_at(x, y, r, from);
            const uint16_t* p = pixels + source_index(w, r, from);
            for (int i = 0; i < to - from; ++i)
                d[i] = blend565(d[i], p[i], opacity);
        });
    }
}

// Per pixel alpha from alpha_source; below full opacity the two weights
// multiply, so a faint pixel of a faded picture can drop to nothing.
void blit_rgb565_alpha(const uint16_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    if (opacity <= 0 || window_empty())
        return;
    const int n = col_end - col_start;
    for (int r = row_start; r < row_end; ++r) {
        uint16_t* d = screen_at(x, y, r, col_start);
        const uint16_t* p = pixels + source_index(w, r, col_start);
        const uint8_t* a = alpha_source + source_index(w, r, col_start);
        for (int i = 0; i < n; ++i) {
            const int weight = opacity == OPACITY_FULL ? a[i] : int16_t((opacity * a[i]) >> 5);
            if (weight == OPACITY_FULL)
                d[i] = p[i];
            else if (weight != 0)
                d[i] = blend565(d[i], p[i], weight);
        }
    }
}

void blit_rgb565_alpha_spans(const uint16_t* pixels, const uint8_t* spans, const uint16_t* row_offsets,
                             int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    if (opacity <= 0 || window_empty())
        return;
    const uint8_t* alpha = alpha_source;
    auto blend_part = [&](int r, int from, int to) {
        uint16_t* d = screen_at(x, y, r, from);
        const uint16_t* p = pixels + source_index(w, r, from);
        const uint8_t* a = alpha + source_index(w, r, from);
        for (int i = 0; i < to - from; ++i) {
            const int weight = opacity == OPACITY_FULL ? a[i] : (opacity * a[i]) >> 5;
            d[i] = blend565(d[i], p[i], weight);
        }
    };
    if (opacity == OPACITY_FULL) {
        walk_triplet_spans(spans, row_offsets, blend_part, [&](int r, int from, int to) {
            if (to > from)
                std::memcpy(screen_at(x, y, r, from), pixels + source_index(w, r, from), size_t(to - from) * sizeof(uint16_t));
        });
    } else {
        walk_triplet_spans(spans, row_offsets, blend_part, [&](int r, int from, int to) {
            uint16_t* d = screen_at(x, y, r, from);
            const uint16_t* p = pixels + source_index(w, r, from);
            for (int i = 0; i < to - from; ++i)
                d[i] = blend565(d[i], p[i], opacity);
        });
    }
}

// Glyph opacity is a byte: text rows carry it as one, so a value that does not
// fit wraps exactly as it does when stored there. The second plane follows the
// glyph's w x h pixels.
void blit_glyph_masked(const uint16_t* pixels, int32_t ignored, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    const uint8_t op = uint8_t(opacity);
    if (op == 0 || window_empty())
        return;
    const uint16_t* masks = pixels + ptrdiff_t(w) * h;
    const int n = col_end - col_start;
    for (int r = row_start; r < row_end; ++r) {
        uint16_t* d = screen_at(x, y, r, col_start);
        const uint16_t* p = pixels + source_index(w, r, col_start);
        const uint16_t* m = masks + source_index(w, r, col_start);
        if (op == OPACITY_FULL) {
            for (int i = 0; i < n; ++i)
                d[i] = uint16_t((d[i] & ~m[i]) | (m[i] & p[i]));
        } else {
            for (int i = 0; i < n; ++i)
                if (m[i] != 0)
                    d[i] = blend565(d[i], p[i], op);
        }
    }
}

void blit_glyph_alpha(const uint16_t* pixels, int32_t ignored, int32_t w, int32_t h, int32_t x, int32_t y, int32_t opacity)
{
    clip_blit(x, y, w, h);
    const uint8_t op = uint8_t(opacity);
    if (op == 0 || window_empty())
        return;
    const uint16_t* alphas = pixels + ptrdiff_t(w) * h;
    const int n = col_end - col_start;
    for (int r = row_start; r < row_end; ++r) {
        uint16_t* d = screen_at(x, y, r, col_start);
        const uint16_t* p = pixels + source_index(w, r, col_start);
        const uint16_t* a = alphas + source_index(w, r, col_start);
        for (int i = 0; i < n; ++i) {
            const int weight = int16_t((op * a[i]) >> 5);
            d[i] = weight == OPACITY_FULL ? p[i] : blend565(d[i], p[i], weight);
        }
    }
}
