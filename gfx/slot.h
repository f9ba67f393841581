// The 16 surface slots: large pictures, text tables and line lists that the
// compositor draws by layer.
#pragma once
#include <cstdint>

enum SlotKind : uint8_t {
    SLOT_TEXT_ROW = 2,
    SLOT_BUFFER = 3,
    SLOT_SHAPE_LIST = 0xFF,
};

// Pixel formats shared by slots and images.
enum PixelFormat : uint8_t {
    FORMAT_INDEXED8 = 1,
    FORMAT_RGB565 = 2,
    FORMAT_RGB565_ALPHA = 3,   // RGB565 pixels followed in the same block by one alpha byte (0..32) each
};

struct ShapeNode;

struct SurfaceSlot {
    uint8_t in_use;
    uint8_t kind;              // SlotKind
    uint8_t format;            // PixelFormat of pixels (buffer slots: 2 or 3)
    uint16_t* pixels;          // width * height pixels, then the alpha plane for format 3; malloc'd
    int32_t width;
    int32_t height;
    int16_t layer;             // 0..1023, larger is further back
    int32_t x;
    int32_t y;
    int16_t opacity;           // 0..32; 0 or less: not drawn
    uint8_t solid;             // buffer slots: no transparent pixel, copy without a key test
    uint8_t clip_index;        // which clip rectangle clips the slot
    ShapeNode* shape_list;     // SLOT_SHAPE_LIST only: first line node
};

constexpr int SLOT_COUNT = 16;

// The slot table; slots are created and changed by the game and the text and
// shape-list code, drawn by the compositor.
extern SurfaceSlot surface_slots[SLOT_COUNT];

// Called by slot_draw after every slot it draws (installed by the shape-list code).
extern void (*after_draw_hook)(uint8_t slot);
// Text slots are drawn and emptied by the scene's text code, which installs these.
extern void (*text_slot_draw_hook)(uint8_t slot);
extern void (*text_slot_clear_hook)(uint8_t slot);

// Releases what the slot holds (a buffer's pixels, a text table's glyphs) and marks it free.
void slot_free(uint8_t slot);
// Makes the slot a buffer slot that owns pixels (allocated with malloc): format 2, or 3 with has_alpha.
void slot_adopt_buffer(uint8_t slot, uint16_t* pixels, int16_t width, int16_t height, uint8_t solid, uint8_t has_alpha);
// Allocates an uninitialised width x height RGB565 buffer and adopts it.
void slot_create_rgb565(uint8_t slot, int16_t width, int16_t height, uint8_t solid);
// Draws one slot into the back buffer, then calls after_draw_hook. Compositor only.
void slot_draw(uint8_t slot);
