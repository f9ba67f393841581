// The game's pictures, compiled into the program. Each is a complete PNG or GIF
// file, addressed by its first byte and its length; gfx/image.h decodes them.
// What each holds (kind, size, frames) is in assets/catalogue.h.
#pragma once
#include <cstdint>

struct EmbeddedFile {
    const uint8_t* data;
    int32_t size;
};

extern const EmbeddedFile img_title_logo;
extern const EmbeddedFile img_background;
extern const EmbeddedFile img_menu_captions;
extern const EmbeddedFile img_instructions;
extern const EmbeddedFile img_tutorial_free_line;
extern const EmbeddedFile img_tutorial_cross;
extern const EmbeddedFile img_tutorial_demo;
extern const EmbeddedFile img_select_shape;
extern const EmbeddedFile img_load_question;
extern const EmbeddedFile img_yes_no;
extern const EmbeddedFile img_pause_button;
extern const EmbeddedFile img_pause_caption;
extern const EmbeddedFile img_level_small;
extern const EmbeddedFile img_time_small;
extern const EmbeddedFile img_level_large;
extern const EmbeddedFile img_times_up;
extern const EmbeddedFile img_game_over;
extern const EmbeddedFile img_new_record;
extern const EmbeddedFile img_scores_captions;
extern const EmbeddedFile img_digits_large;
extern const EmbeddedFile img_digits_medium;
extern const EmbeddedFile img_digits_small;
extern const EmbeddedFile img_font_grid;
extern const EmbeddedFile img_square;
extern const EmbeddedFile img_close_icon;
extern const EmbeddedFile img_vertex_strip;
