// The screens' layout numbers and inner steps, for their tests.
#pragma once
#include <cstdint>

constexpr int16_t MENU_PITCH = 44;
constexpr int PREVIEW_COUNT = 5;
constexpr int PREVIEW_POINTS = 15;
constexpr int32_t PREVIEW_RADIUS_SQ = 45 * 45;
constexpr int CHOOSER_LARGE_MAX = 24;        // up to this many levels: large digits, four a row
constexpr int CHOOSER_MEDIUM_MAX = 55;       // up to this many: medium digits, five a row
constexpr int CHOOSER_PAGE_LEVELS = 40;      // beyond: pages of four columns by ten rows
constexpr int CHOOSER_PAGE_COUNT_MAX = 7;    // enough pages for MAX_LEVEL levels

// The order in which the demonstration slides the creatures home.
extern const uint8_t DEMO_ORDER[5];

// The instructions page and its demonstration, from the main menu.
void instructions_screen();
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
