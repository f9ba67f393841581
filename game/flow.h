// The game's main routine: start-up, then title, menu and games until the
// player quits; and the pictures every screen shares.
#pragma once
#include <cstdint>

struct Image;

// Pictures loaded once at start-up by common_images_load and kept for the run.
extern Image* title_logo_image;
extern Image* close_icon_image;
extern Image* digits_large_image;
extern Image* level_large_image;
extern Image* digits_small_image;
extern Image* level_small_image;
extern Image* time_small_image;
// The main menu's captions: loaded before the title, freed when a game starts.
extern Image* menu_captions_image;

// Returns the exit status: 0 after the player quits, 1 when start-up failed.
int game_main();

void pause_sprites_show();
void pause_sprites_free();
// Loads the shared pictures (once; later calls keep them).
void common_images_load();
// Sets up what every screen shares: the background and cache slots, the edge
// list, the font with the text slot and its score line, and the shared pictures.
void resources_build();
