// Fuzz target: laying out any text in any box, with any alignment, gaps and
// glyph limit, in a text slot using the game's own font 5, then drawing the
// slot. The layout must keep within its buffer and the row's glyph array,
// place the text's own characters in their order, and draw inside the screen.
#include <cstdint>
#include <cstring>
#include <vector>

#include "assets/assets.h"
#include "fuzz_support.h"
#include "gfx/blit.h"
#include "gfx/font.h"
#include "gfx/pixel.h"
#include "scene/text.h"

constexpr uint8_t TEXT_SLOT = 5;
constexpr uint8_t TEXT_FONT = 5;
constexpr size_t HEADER_BYTES = 18;

static int16_t get16(const uint8_t* p)
{
    return int16_t(p[0] | p[1] << 8);
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FUZZ_CHECK(build_font(TEXT_FONT, img_font_grid.data, img_font_grid.size) != nullptr, "font 5 did not build");
    text_slot_open(TEXT_SLOT);
    for (ClipRect& r : clip_rects)
        r = ClipRect{0, 0, SCREEN_WIDTH - 1, BACK_BUFFER_HEIGHT - 1};
    return 0;
}

// Input: box x0, y0, x1, y1 (16-bit little-endian), align, letter gap, line
// gap, glyph limit (32-bit), entry, opacity, clip index, then the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < HEADER_BYTES)
        return 0;
    const int16_t x0 = get16(data), y0 = get16(data + 2), x1 = get16(data + 4), y1 = get16(data + 6);
    const uint8_t align = data[8];
    const uint8_t letter_gap = data[9];
    const uint8_t line_gap = data[10];
    int32_t max_glyphs;
    std::memcpy(&max_glyphs, data + 11, sizeof max_glyphs);
    const uint8_t entry = data[15];
    // Opacity is 0..32 wherever the game sets it; the draw trusts that.
    const uint8_t opacity = uint8_t(data[16] % (OPACITY_FULL + 1));
    const uint8_t clip_index = data[17];
    std::vector<char> text(data + HEADER_BYTES, data + size);
    text.push_back('\0');

    const int32_t kept = text_row_set(TEXT_SLOT, entry, x0, y0, x1, y1, text.data(), 0, TEXT_FONT, opacity,
                                      letter_gap, line_gap, align, clip_index, max_glyphs);
    FUZZ_CHECK(kept >= 0 && kept <= layout_count && kept < LAYOUT_BUFFER_SIZE, "kept more glyphs than were laid out");
    FUZZ_CHECK(max_glyphs < 0 || kept <= max_glyphs, "kept more glyphs than allowed");
    const TextRow& row = text_row_tables[TEXT_SLOT][entry];
    FUZZ_CHECK(row.glyph_count == kept && (kept == 0 || row.capacity >= kept), "the row does not hold what it kept");

    // Every placed glyph is one of the text's characters, in the text's order.
    size_t at = 0;
    for (int32_t g = 0; g < layout_count; ++g) {
        while (at < text.size() && uint8_t(text[at]) != layout_buffer[g].code)
            ++at;
        FUZZ_CHECK(at < text.size() - 1, "placed a glyph the text does not hold there");
        ++at;
    }

    text_slot_draw(TEXT_SLOT);
    return 0;
}
