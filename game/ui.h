// The user interface's fixed numbers: which sprite id shows what, which surface
// slot holds what, and the few shared steps every screen takes (loading its
// pictures, waiting for a tap).
#pragma once
#include <cstdint>

#include "assets/catalogue.h"

struct Image;
struct EmbeddedFile;

// Surface slots.
constexpr uint8_t PICTURE_SLOT = 0;     // a full-screen picture that is faded (instructions page)
constexpr uint8_t TEXT_SLOT = 5;        // the game's text rows
constexpr uint8_t CACHE_SLOT = 14;      // the unmoving part of the puzzle while dragging
constexpr uint8_t BACKGROUND_SLOT = 15; // the jungle backdrop

constexpr uint8_t GAME_FONT = 5;        // the one bitmap font
constexpr uint8_t SCORE_ROW = 0;        // text entry of the score line
constexpr uint8_t SCORE_LINE_FIRST = 1; // text entries 1..10: the top-score lines

// Sprite ids from 2048 up belong to the user interface; an id is re-created
// freely by whichever screen needs it next.
constexpr int SPRITE_CLOSE = 2048;          // close button, on every screen
constexpr int SPRITE_TITLE = 2049;          // title logo
constexpr int SPRITE_CLOCK_BASE = 2050;     // 2050..2054: clock digits, 2052 the colon
constexpr int CLOCK_SPRITES = 5;
constexpr int SPRITE_CLOCK_COLON = 2052;
constexpr int SPRITE_LEVEL_CAPTION = 2060;  // LEVEL caption during play
constexpr int SPRITE_LEVEL_DIGITS = 2061;   // 2061..2063: its digits, most significant first
constexpr int SPRITE_POPUP = 2100;          // TIME'S UP, NEW RECORD
constexpr int SPRITE_POPUP_LOWER = 2101;    // GAME OVER
constexpr int SPRITE_MENU_BASE = 2100;      // 2100..2106: the main menu rows
constexpr int MENU_ROWS = 7;
constexpr int SPRITE_SELECT_CAPTION = 2100; // SELECT SHAPE
constexpr int SPRITE_DEMO_CAPTION = 2107;   // captions of the instructions demonstration
constexpr int SPRITE_PAUSE_BUTTON = 2110;
constexpr int SPRITE_PAUSE_CAPTION = 2111;
constexpr int SPRITE_LIST_HEAD_LEVEL = 2110; // column heads of the best-times list
constexpr int SPRITE_LIST_HEAD_TIME = 2111;
constexpr int SPRITE_SCORES_CAPTION = 2120; // TOP SCORES
constexpr int SPRITE_YOUR_SCORE = 2121;     // YOUR SCORE
constexpr int SPRITE_CHOOSER_CAPTION = 2060;
constexpr int SPRITE_CHOOSER_DIGITS = 2061; // two (or three, when paged) per level
constexpr int SPRITE_CHOOSER_PAGES = 2200;  // page numbers of a paged chooser
constexpr int SPRITE_QUESTION = 2060;       // LOAD SAVED GAME ?
constexpr int SPRITE_ANSWER_YES = 2061;
constexpr int SPRITE_ANSWER_NO = 2062;
constexpr int SPRITE_QUESTION_LEVEL = 2063;
constexpr int SPRITE_QUESTION_DIGITS = 2064; // 2064..2066

constexpr int16_t UI_LAYER_CLOCK = 10;
constexpr int16_t UI_LAYER_TITLE = 1;

// Level numbers travel as bytes; the game never goes past this level.
constexpr int MAX_LEVEL = 255;

// Frees *image (if any) and loads the embedded picture in its place. A screen
// keeps its pictures in file globals rather than locals, so that nothing is
// lost if the program ends in the middle of the screen.
void image_reload(Image*& image, const EmbeddedFile& file);
// Frees *image (if any) and clears the pointer.
void image_release(Image*& image);

// The whole screen is recomposed at the next frame (not just a changed strip).
void screen_rect_full();
// frame_step until the pointer is pressed. With freeze, the screen is not
// recomposed while waiting (nothing on it changes).
void tap_wait(bool freeze);
