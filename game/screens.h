// The screens between games: title, main menu, instructions with their
// demonstration, shape selection, level chooser and the resume question.
#pragma once
#include <cstdint>

constexpr int16_t MENU_PITCH = 44;
constexpr int16_t RESUME_OFFSET = 200;       // a level index plus this means: resume the saved game
constexpr int PREVIEW_COUNT = 5;
constexpr int PREVIEW_POINTS = 15;
constexpr int32_t PREVIEW_RADIUS_SQ = 45 * 45;
constexpr int CHOOSER_LARGE_MAX = 24;        // up to this many levels: large digits, four a row
constexpr int CHOOSER_MEDIUM_MAX = 55;       // up to this many: medium digits, five a row
constexpr int CHOOSER_PAGE_LEVELS = 40;      // beyond: pages of four columns by ten rows
constexpr int CHOOSER_PAGE_COUNT_MAX = 7;    // enough pages for MAX_LEVEL levels

// The order in which the demonstration slides the creatures home.
extern const uint8_t DEMO_ORDER[5];

// Each returns true when the close button ended it (the program then ends).
bool title_screen();
// Sets game_mode; first is true when the title logo is still to be faded out.
bool main_menu(bool first);
void instructions_screen();
// 1..5: the LayoutShape chosen; -1 after close.
int8_t shape_select_screen();
// The chosen level index (level - 1), or -2 after close.
int16_t level_chooser(uint8_t file);
// index, index + RESUME_OFFSET to resume the saved game, or -1 after close.
int16_t resume_question(uint8_t index, uint8_t file);
// Moves vertex i to (x, y) as a drag would, then recolours every edge.
void demo_move(int i, int16_t x, int16_t y);

// Where the level chooser puts the digits of level index i when n levels are open
// (page layout when n > CHOOSER_MEDIUM_MAX); digits counts 2 or 3.
struct ChooserCell {
    int16_t x[3];
    int16_t y;
    uint8_t digits;
    uint8_t medium;     // medium digits rather than large
};
ChooserCell chooser_cell(int i, int n);
// Number of chooser pages for n open levels (1 when everything fits on one screen).
int chooser_page_count(int n);
