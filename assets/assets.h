// The game's pictures, compiled into the program. Each is a complete PNG or GIF
// file, addressed by its first byte and its length; gfx/image.h decodes them.
#pragma once
#include <cstdint>

struct EmbeddedFile {
    const uint8_t* data;
    int32_t size;
};

extern const EmbeddedFile img_title_logo;        // PNG palette, 240 x 125
extern const EmbeddedFile img_background;        // PNG palette, 240 x 321
extern const EmbeddedFile img_menu_captions;     // RGBA 217 x 154, 7 rows of 22
extern const EmbeddedFile img_instructions;      // RGBA 240 x 320
extern const EmbeddedFile img_tutorial_free_line;// RGBA 184 x 64
extern const EmbeddedFile img_tutorial_cross;    // RGBA 216 x 65
extern const EmbeddedFile img_tutorial_demo;     // RGBA 240 x 67
extern const EmbeddedFile img_select_shape;      // RGBA 207 x 23
extern const EmbeddedFile img_load_question;     // RGBA 238 x 20
extern const EmbeddedFile img_yes_no;            // RGBA 54 x 44, 2 rows of 22
extern const EmbeddedFile img_pause_button;      // RGBA 44 x 44
extern const EmbeddedFile img_pause_caption;     // RGBA 174 x 43
extern const EmbeddedFile img_level_small;       // RGBA 75 x 19
extern const EmbeddedFile img_time_small;        // RGBA 61 x 19
extern const EmbeddedFile img_level_large;       // RGBA 119 x 28
extern const EmbeddedFile img_times_up;          // RGBA 209 x 26
extern const EmbeddedFile img_game_over;         // RGBA 155 x 91
extern const EmbeddedFile img_new_record;        // RGBA 224 x 76
extern const EmbeddedFile img_scores_captions;   // RGBA 181 x 46, 2 rows of 23
extern const EmbeddedFile img_digits_large;      // RGBA 25 x 600, 20 cells of 30
extern const EmbeddedFile img_digits_medium;     // RGBA 20 x 480, 20 cells of 24
extern const EmbeddedFile img_digits_small;      // RGBA 12 x 154, 11 cells of 14
extern const EmbeddedFile img_font_grid;         // RGBA 512 x 128, 16 x 16 cells
extern const EmbeddedFile img_square;            // RGBA 20 x 20
extern const EmbeddedFile img_close_icon;        // RGBA 16 x 16
extern const EmbeddedFile img_vertex_strip;      // GIF89a 14 x 336, 24 cells of 14
