// The shell's window system layer in the browser: the page's canvas is the
// window, its mouse and touch events are the pointer, the page's clock is the
// clock, and the frame wait sleeps by handing control back to the browser
// (the game's loops block; the build suspends them while the page runs).
// The desktop build compiles shell/platform.cpp instead; no SDL here.
#include "shell/platform.h"
#include "shell/platform_web.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "storage/save_file.h"

// The page's canvas, as html5.h names event targets.
static const char CANVAS[] = "#screen";

// Set when the game has slept since it last drained the event queue; see
// platform_event_poll.
static bool slept_since_drain = false;

static uint64_t web_ticks_us()
{
    return uint64_t(emscripten_get_now() * 1000.0);
}

// The browser sleeps in whole milliseconds; rounding up keeps the sleep from
// ending early, which the pump would only answer with another sleep.
static void web_delay_us(uint32_t us)
{
    slept_since_drain = true;
    emscripten_sleep((us + 999) / 1000);
}

uint64_t (*platform_ticks_us)() = web_ticks_us;
void (*platform_delay_us)(uint32_t us) = web_delay_us;
bool platform_convert_by_sdl = false;

// Events as the browser delivers them, until the frame pump drains them. The
// browser only runs its handlers while the game sleeps, so a frame's worth is
// small. Should the ring fill all the same, a new motion is dropped (the next
// one brings the pointer's place again) and any other event makes room by
// dropping the oldest.
constexpr int EVENT_RING_SIZE = 256;
static PlatformEvent event_ring[EVENT_RING_SIZE];
static int ring_head = 0;   // next to take
static int ring_count = 0;

static void event_push(const PlatformEvent& event)
{
    if (ring_count == EVENT_RING_SIZE) {
        if (event.kind == EVENT_POINTER_MOTION)
            return;
        // Make room by forgetting the oldest event.
        ring_head = (ring_head + 1) % EVENT_RING_SIZE;
        --ring_count;
    }
    event_ring[(ring_head + ring_count) % EVENT_RING_SIZE] = event;
    ++ring_count;
}

// The canvas's place on the page, for turning page coordinates into the
// 240 x 320 picture's pixels whatever size the page shows it at.
EM_JS(void, canvas_point, (double client_x, double client_y, int32_t* out), {
    var canvas = document.getElementById('screen');
    var r = canvas.getBoundingClientRect();
    var w = r.width > 0 ? r.width : canvas.width;
    var h = r.height > 0 ? r.height : canvas.height;
    HEAP32[out >> 2] = Math.floor((client_x - r.left) * canvas.width / w);
    HEAP32[(out >> 2) + 1] = Math.floor((client_y - r.top) * canvas.height / h);
});

static void pointer_push(uint8_t kind, double client_x, double client_y)
{
    int32_t at[2];
    canvas_point(client_x, client_y, at);
    PlatformEvent event = {};
    event.kind = EVENT_POINTER_MOTION;
    event.x = at[0];
    event.y = at[1];
    event_push(event);
    if (kind != EVENT_POINTER_MOTION) {
        event.kind = kind;
        event.button = BUTTON_LEFT;
        event_push(event);
    }
}

// The finger that acts as the stylus, or -1; later fingers are ignored.
static long stylus_touch = -1;
// The left mouse button is down (pressed on the canvas).
static bool mouse_held = false;

static EM_BOOL mouse_down(int, const EmscriptenMouseEvent* e, void*)
{
    if (e->button != 0 || stylus_touch != -1)
        return EM_FALSE;
    mouse_held = true;
    pointer_push(EVENT_BUTTON_DOWN, double(e->clientX), double(e->clientY));
    return EM_TRUE;
}

// Motion and release are watched on the whole page, so a drag that leaves the
// canvas still moves and still ends.
static EM_BOOL mouse_move(int, const EmscriptenMouseEvent* e, void*)
{
    if (stylus_touch != -1)
        return EM_FALSE;
    pointer_push(EVENT_POINTER_MOTION, double(e->clientX), double(e->clientY));
    return EM_FALSE;
}

static EM_BOOL mouse_up(int, const EmscriptenMouseEvent* e, void*)
{
    if (e->button != 0 || !mouse_held)
        return EM_FALSE;
    mouse_held = false;
    pointer_push(EVENT_BUTTON_UP, double(e->clientX), double(e->clientY));
    return EM_FALSE;
}

static EM_BOOL touch_start(int, const EmscriptenTouchEvent* e, void*)
{
    for (int i = 0; i < e->numTouches; ++i) {
        const EmscriptenTouchPoint& t = e->touches[i];
        if (t.isChanged && stylus_touch == -1 && !mouse_held) {
            stylus_touch = t.identifier;
            pointer_push(EVENT_BUTTON_DOWN, double(t.clientX), double(t.clientY));
        }
    }
    // Taken: no mouse events made up from the touch, no page gesture.
    return EM_TRUE;
}

// Watched on the whole page, whose listeners the browser makes passive: they
// cannot cancel anything, and need not, since the canvas's touchstart already
// did and the page's style forbids scrolling and zooming.
static EM_BOOL touch_move(int, const EmscriptenTouchEvent* e, void*)
{
    for (int i = 0; i < e->numTouches; ++i) {
        const EmscriptenTouchPoint& t = e->touches[i];
        if (t.isChanged && t.identifier == stylus_touch)
            pointer_push(EVENT_POINTER_MOTION, double(t.clientX), double(t.clientY));
    }
    return EM_FALSE;
}

static EM_BOOL touch_end(int, const EmscriptenTouchEvent* e, void*)
{
    for (int i = 0; i < e->numTouches; ++i) {
        const EmscriptenTouchPoint& t = e->touches[i];
        if (t.isChanged && t.identifier == stylus_touch) {
            stylus_touch = -1;
            pointer_push(EVENT_BUTTON_UP, double(t.clientX), double(t.clientY));
        }
    }
    return EM_FALSE;
}

// Only the main Return key pauses and Escape ends the game, as on the
// desktop; the keypad's Enter and every other key are passed on as keys the
// game ignores.
static int32_t key_code(const EmscriptenKeyboardEvent* e)
{
    if (std::strcmp(e->code, "Escape") == 0)
        return KEY_ESCAPE;
    if (std::strcmp(e->code, "Enter") == 0)
        return KEY_RETURN;
    return 0x10000 + int32_t(e->keyCode);
}

static EM_BOOL key_event(int type, const EmscriptenKeyboardEvent* e, void*)
{
    const int32_t key = key_code(e);
    if (type == EMSCRIPTEN_EVENT_KEYDOWN && e->repeat)
        return key == KEY_RETURN || key == KEY_ESCAPE;
    PlatformEvent event = {};
    event.kind = type == EMSCRIPTEN_EVENT_KEYDOWN ? EVENT_KEY_DOWN : EVENT_KEY_UP;
    event.key = key;
    event_push(event);
    // The game's own keys do nothing else on the page.
    return key == KEY_RETURN || key == KEY_ESCAPE;
}

// The page keeps the files in its lasting storage; see web/pre.js.
EM_JS(void, saves_keep, (), {
    if (Module.zfSavesKeep)
        Module.zfSavesKeep();
});

static void save_written()
{
    saves_keep();
}

bool platform_video_init()
{
    const char* doc = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    bool ok = emscripten_set_mousedown_callback(CANVAS, nullptr, EM_TRUE, mouse_down) == EMSCRIPTEN_RESULT_SUCCESS;
    emscripten_set_mousemove_callback(doc, nullptr, EM_TRUE, mouse_move);
    emscripten_set_mouseup_callback(doc, nullptr, EM_TRUE, mouse_up);
    emscripten_set_touchstart_callback(CANVAS, nullptr, EM_TRUE, touch_start);
    emscripten_set_touchmove_callback(doc, nullptr, EM_TRUE, touch_move);
    emscripten_set_touchend_callback(doc, nullptr, EM_TRUE, touch_end);
    emscripten_set_touchcancel_callback(doc, nullptr, EM_TRUE, touch_end);
    emscripten_set_keydown_callback(doc, nullptr, EM_TRUE, key_event);
    emscripten_set_keyup_callback(doc, nullptr, EM_TRUE, key_event);
    save_written_hook = save_written;
    return ok;
}

const char* platform_error()
{
    return "the page has no canvas named screen";
}

// The game has ended (Escape, or the close button on the title): the page
// stops listening, keeps the saves and shows its closing screen.
EM_JS(void, page_end, (), {
    if (Module.zfGameEnded)
        Module.zfGameEnded();
});

void platform_quit()
{
    emscripten_html5_remove_all_event_listeners();
    save_written_hook = nullptr;
    ring_head = ring_count = 0;
    stylus_touch = -1;
    mouse_held = false;
    page_end();
}

// The canvas is the one window; it is always there.
bool platform_window_open(int32_t width, int32_t height)
{
    return emscripten_set_canvas_element_size(CANVAS, width, height) == EMSCRIPTEN_RESULT_SUCCESS;
}

void platform_window_caption_set(const char* caption)
{
    emscripten_set_window_title(caption);
}

// The canvas's own size in pixels; the page decides how large it is shown.
void platform_window_resize(int32_t width, int32_t height)
{
    emscripten_set_canvas_element_size(CANVAS, width, height);
}

// The picture as the canvas takes it, 8 bits a channel, at most 480 x 640.
static uint32_t rgba[480 * 640];
// Set once a picture has been put on the canvas; see platform_window_current.
static bool canvas_shown = false;

// Puts the part (x, y, w, h) of the RGBA picture on the canvas; the rest of
// the canvas keeps what it had.
EM_JS(void, canvas_put, (const uint32_t* pixels, int32_t width, int32_t height, int32_t x, int32_t y, int32_t w, int32_t h), {
    var canvas = document.getElementById('screen');
    if (canvas.width != width || canvas.height != height) {
        canvas.width = width;
        canvas.height = height;
    }
    if (!Module.zfContext)
        Module.zfContext = canvas.getContext('2d', {alpha: false});
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
    Module.zfContext.putImageData(new ImageData(bytes, width, height), 0, 0, x, y, w, h);
    if (Module.zfFramePresented)
        Module.zfFramePresented();
});

void platform_window_show(const uint16_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t scale,
                          const PlatformRect* parts, int32_t part_count)
{
    if (scale < 1 || width * scale > 480 || height * scale > 640)
        return;
    const PlatformRect whole = {0, 0, width, height};
    if (part_count <= 0 || part_count > PLATFORM_SHOW_PARTS_MAX) {
        parts = &whole;
        part_count = 1;
    }
    // RGB565 widened with the top bits repeated into the low ones, so that
    // full intensity stays full; red first in memory, opaque. At 2x each
    // pixel fills a 2 x 2 block. Only the parts are converted; the canvas is
    // given the rectangle around them all.
    const int32_t out_width = width * scale;
    int32_t left = width, top = height, right = 0, bottom = 0;
    for (int32_t k = 0; k < part_count; ++k) {
        const PlatformRect part = platform_rect_clip(parts[k], width, height);
        if (part.width == 0)
            continue;
        const int32_t x0 = part.x, x1 = part.x + part.width;
        left = x0 < left ? x0 : left;
        top = part.y < top ? part.y : top;
        right = x1 > right ? x1 : right;
        bottom = part.y + part.height > bottom ? part.y + part.height : bottom;
        for (int32_t y = part.y; y < part.y + part.height; ++y) {
            const uint16_t* row = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) + y * pitch);
            uint32_t* out = rgba + y * scale * out_width;
            for (int32_t x = x0; x < x1; ++x) {
                const uint32_t p = row[x];
                const uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
                const uint32_t wide = 0xFF000000u | (((b << 3) | (b >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((r << 3) | (r >> 2));
                for (int32_t twin = 0; twin < scale; ++twin)
                    out[x * scale + twin] = wide;
            }
            for (int32_t twin = 1; twin < scale; ++twin)
                std::memcpy(out + twin * out_width + x0 * scale, out + x0 * scale, size_t(part.width) * scale * sizeof(uint32_t));
        }
    }
    if (left < right)
        canvas_put(rgba, out_width, height * scale, left * scale, top * scale, (right - left) * scale, (bottom - top) * scale);
    canvas_shown = true;
}

// The canvas keeps its pixels until it is drawn again: once a picture is on
// it, an unchanged frame need not be converted and put there again.
bool platform_window_current()
{
    return canvas_shown;
}

uint32_t web_drains = 0;

bool platform_event_poll(PlatformEvent* event)
{
    if (ring_count == 0) {
        ++web_drains;
        // The browser delivers events, and shows what was drawn, only while
        // the game sleeps. A frame too slow to sleep before its deadline
        // still gives the page one turn here, so the game never shuts it out.
        if (!slept_since_drain)
            emscripten_sleep(0);
        slept_since_drain = false;
        if (ring_count == 0)
            return false;
    }
    *event = event_ring[ring_head];
    ring_head = (ring_head + 1) % EVENT_RING_SIZE;
    --ring_count;
    return true;
}

// The program's name, which the frame pump turns into the page's title.
void platform_program_path(char* out, int32_t size)
{
    if (size <= 0)
        return;
    std::strncpy(out, "Zembrolfink", size_t(size - 1));
    out[size - 1] = '\0';
}
