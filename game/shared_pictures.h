// The pictures every screen shares, loaded once at start-up and kept for the
// run, and the main menu's captions, which come and go with the menu.
#pragma once

struct Image;

// Loaded once by common_images_load and kept for the run.
extern Image* title_logo_image;
extern Image* close_icon_image;
extern Image* digits_large_image;
extern Image* level_large_image;
extern Image* digits_small_image;
extern Image* level_small_image;
extern Image* time_small_image;
// The main menu's captions: loaded before the title, freed when a game starts.
extern Image* menu_captions_image;

// Loads the shared pictures (once; later calls keep them) and hands the
// creature strip and the glow square to the graph's picture pointers.
void common_images_load();
