// The catalogue of the game's pictures and of the screen's fixed places: each
// picture's kind, size, frame cell and frame count, written once. The game
// places its sprites by these records, the tests recognise screens by them,
// and the art generator (tools/make_art.py) reads this file to check what it
// writes, so a picture's size is changed here and nowhere else. Keep each
// record on one line in the form below: the generator parses it.
#pragma once
#include <cstdint>

enum PictureKind : uint8_t {
    PICTURE_PALETTE = 0,   // PNG with a palette, no transparency
    PICTURE_RGBA = 1,      // PNG, 8-bit RGBA
    PICTURE_GIF = 2,       // GIF89a, 256-colour table, magenta key at entry 0
};

// A picture's frames are cells of cell_w x cell_h stacked from the top (the
// font sheet's run along rows, 32 to a row).
struct Picture {
    PictureKind kind;
    int16_t width;
    int16_t height;
    int16_t cell_w;
    int16_t cell_h;
    int16_t frames;
};

constexpr Picture PIC_TITLE_LOGO = {PICTURE_PALETTE, 240, 125, 240, 125, 1};
constexpr Picture PIC_BACKGROUND = {PICTURE_PALETTE, 240, 321, 240, 321, 1};
constexpr Picture PIC_MENU_CAPTIONS = {PICTURE_RGBA, 217, 154, 217, 22, 7};
constexpr Picture PIC_INSTRUCTIONS = {PICTURE_RGBA, 240, 320, 240, 320, 1};
constexpr Picture PIC_TUTORIAL_FREE_LINE = {PICTURE_RGBA, 184, 64, 184, 64, 1};
constexpr Picture PIC_TUTORIAL_CROSS = {PICTURE_RGBA, 216, 65, 216, 65, 1};
constexpr Picture PIC_TUTORIAL_DEMO = {PICTURE_RGBA, 240, 67, 240, 67, 1};
constexpr Picture PIC_SELECT_SHAPE = {PICTURE_RGBA, 207, 23, 207, 23, 1};
constexpr Picture PIC_LOAD_QUESTION = {PICTURE_RGBA, 238, 20, 238, 20, 1};
constexpr Picture PIC_YES_NO = {PICTURE_RGBA, 54, 44, 54, 22, 2};
constexpr Picture PIC_PAUSE_BUTTON = {PICTURE_RGBA, 44, 44, 44, 44, 1};
constexpr Picture PIC_PAUSE_CAPTION = {PICTURE_RGBA, 174, 43, 174, 43, 1};
constexpr Picture PIC_LEVEL_SMALL = {PICTURE_RGBA, 75, 19, 75, 19, 1};
constexpr Picture PIC_TIME_SMALL = {PICTURE_RGBA, 61, 19, 61, 19, 1};
constexpr Picture PIC_LEVEL_LARGE = {PICTURE_RGBA, 119, 28, 119, 28, 1};
constexpr Picture PIC_TIMES_UP = {PICTURE_RGBA, 209, 26, 209, 26, 1};
constexpr Picture PIC_GAME_OVER = {PICTURE_RGBA, 155, 91, 155, 91, 1};
constexpr Picture PIC_NEW_RECORD = {PICTURE_RGBA, 224, 76, 224, 76, 1};
constexpr Picture PIC_SCORES_CAPTIONS = {PICTURE_RGBA, 181, 46, 181, 23, 2};
constexpr Picture PIC_DIGITS_LARGE = {PICTURE_RGBA, 25, 600, 25, 30, 20};
constexpr Picture PIC_DIGITS_MEDIUM = {PICTURE_RGBA, 20, 480, 20, 24, 20};
constexpr Picture PIC_DIGITS_SMALL = {PICTURE_RGBA, 12, 154, 12, 14, 11};
constexpr Picture PIC_FONT_GRID = {PICTURE_RGBA, 512, 128, 16, 16, 256};
constexpr Picture PIC_SQUARE = {PICTURE_RGBA, 20, 20, 20, 20, 1};
constexpr Picture PIC_CLOSE_ICON = {PICTURE_RGBA, 16, 16, 16, 16, 1};
constexpr Picture PIC_VERTEX_STRIP = {PICTURE_GIF, 14, 336, 14, 14, 24};

// Frames within the digit strips.
constexpr int16_t SMALL_COLON_FRAME = 10;  // the colon after the small digits 0..9
constexpr int16_t RED_DIGITS = 10;         // offset of the red digits in the large and medium strips

// The screen's fixed places. The play area's centre is where the graph is
// built, the layouts are drawn and the creatures look; 110 is the radius of
// the graph's circle and of every layout shape.
constexpr int16_t SCREEN_CENTRE_X = 120;
constexpr int16_t SCREEN_CENTRE_Y = 160;
constexpr int16_t LAYOUT_RADIUS = 110;
constexpr int16_t CLOSE_X = 232, CLOSE_Y = 9;        // centre of the close button
constexpr int16_t PAUSE_BUTTON_X = 226;              // centre of the pause button...
constexpr int16_t PAUSE_BUTTON_BOTTOM_GAP = 14;      // ...this far above the screen's bottom
