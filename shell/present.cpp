// Presentation: puts the back buffer into our 480 x 640 video surface, at its
// own size or with every pixel doubled, and shows the part the window sees.
#include "shell/present.h"

#include <cstring>

#include "gfx/pixel.h"
#include "shell/engine.h"
#include "shell/platform.h"

// The picture the window shows, 480 x 640 RGB565; written by present_frame only.
alignas(8) uint16_t video_surface[VIDEO_WIDTH * VIDEO_HEIGHT];
// The parts of the back buffer the last present_frame sent to the window, in
// back buffer pixels (none when the frame was already shown); written by present_frame.
PlatformRect present_parts[PRESENT_PARTS_MAX];
int present_part_count = 0;

// The scale video_surface was last written at (0: never); written by present_frame.
static int presented_scale = 0;

// The back buffer as the window was last given it, kept at its own size: a
// new frame is compared with this rather than with the doubled video surface,
// four times its size. Written by present_frame.
static uint16_t presented_frame[BACK_BUFFER_PIXELS];

// Writes one rectangle of the back buffer into presented_frame, and into
// video_surface: as it is at 1x (the rest of the surface keeps whatever an
// earlier doubled frame left there, which the 240 x 320 window does not
// show), or with every pixel doubled at 2x. Each doubled pair is one 32-bit
// word holding the pixel twice, so both halves are equal and the byte order
// of the word does not matter.
static void surface_part_copy(const PlatformRect& part, int scale)
{
    for (int r = part.y; r < part.y + part.height; ++r) {
        const uint16_t* src = back_buffer + r * SCREEN_WIDTH + part.x;
        std::memcpy(presented_frame + r * SCREEN_WIDTH + part.x, src, size_t(part.width) * sizeof(uint16_t));
        uint16_t* top = video_surface + (scale * r) * VIDEO_WIDTH + scale * part.x;
        if (scale == 1) {
            std::memcpy(top, src, size_t(part.width) * sizeof(uint16_t));
            continue;
        }
        uint16_t* bottom = top + VIDEO_WIDTH;
        for (int c = 0; c < part.width; ++c) {
            const uint32_t pair = uint32_t(src[c]) * 0x10001u;
            std::memcpy(top + 2 * c, &pair, sizeof pair);
            std::memcpy(bottom + 2 * c, &pair, sizeof pair);
        }
    }
}

// Rows are compared in bands of PRESENT_BAND_ROWS, and each changed row in
// blocks of PRESENT_BLOCK_COLUMNS. In a band, every run of neighbouring blocks
// with a change becomes one part: from the band's first changed row to its
// last, and from the first changed column of the run to its last. Lines that
// cross a band far apart are sent as separate strips rather than as one wide
// rectangle, and a screen that did not change sends nothing.
static void changed_parts_find()
{
    constexpr int BLOCKS = SCREEN_WIDTH / PRESENT_BLOCK_COLUMNS;
    for (int band = 0; band < BACK_BUFFER_HEIGHT; band += PRESENT_BAND_ROWS) {
        // Per block, the first and last column that changed in any row of the band.
        int first[BLOCKS], last[BLOCKS];
        for (int b = 0; b < BLOCKS; ++b)
            first[b] = SCREEN_WIDTH, last[b] = -1;
        int top = -1, bottom = -1;
        for (int r = band; r < band + PRESENT_BAND_ROWS; ++r) {
            const uint16_t* now = back_buffer + r * SCREEN_WIDTH;
            const uint16_t* was = presented_frame + r * SCREEN_WIDTH;
            if (std::memcmp(now, was, SCREEN_WIDTH * sizeof(uint16_t)) == 0)
                continue;
            top = top < 0 ? r : top;
            bottom = r;
            for (int b = 0; b < BLOCKS; ++b) {
                const int from = b * PRESENT_BLOCK_COLUMNS, to = from + PRESENT_BLOCK_COLUMNS - 1;
                if (std::memcmp(now + from, was + from, PRESENT_BLOCK_COLUMNS * sizeof(uint16_t)) == 0)
                    continue;
                int c = from;
                while (now[c] == was[c])
                    ++c;
                first[b] = c < first[b] ? c : first[b];
                c = to;
                while (now[c] == was[c])
                    --c;
                last[b] = c > last[b] ? c : last[b];
            }
        }
        for (int b = 0; b < BLOCKS; ++b) {
            if (last[b] < 0)
                continue;
            int end = b;
            while (end + 1 < BLOCKS && last[end + 1] >= 0)
                ++end;
            present_parts[present_part_count++] = PlatformRect{first[b], top, last[end] - first[b] + 1, bottom - top + 1};
            b = end;
        }
    }
}

// Only what changed since the last frame goes to the window, and a picture the
// window already shows is not sent at all, so the screens that keep composing
// while they wait for a tap (the menu) copy and convert nothing. After anything
// happened to the window, or at a new scale, the whole picture goes. The window
// is handed the back buffer itself and doubles it while putting it into its
// own pixel format, in one pass; our copy is kept for present_show.
void present_frame()
{
    const int scale = view_doubled ? 2 : 1;
    present_part_count = 0;
    if (presented_scale == scale && platform_window_current()) {
        changed_parts_find();
        if (present_part_count == 0)
            return;
    } else {
        present_parts[present_part_count++] = PlatformRect{0, 0, SCREEN_WIDTH, BACK_BUFFER_HEIGHT};
    }
    presented_scale = scale;
    for (int k = 0; k < present_part_count; ++k)
        surface_part_copy(present_parts[k], scale);
    platform_window_show(back_buffer, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, SCREEN_WIDTH * 2, scale, present_parts,
                         present_part_count);
}

void present_show()
{
    if (view_doubled)
        platform_window_show(video_surface, VIDEO_WIDTH, VIDEO_HEIGHT, VIDEO_PITCH_BYTES, 1);
    else
        platform_window_show(video_surface, SCREEN_WIDTH, BACK_BUFFER_HEIGHT, VIDEO_PITCH_BYTES, 1);
}
