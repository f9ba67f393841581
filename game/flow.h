// The game's main routine: start-up, then title, menu and games until the
// player quits.
#pragma once

// Returns the exit status: 0 after the player quits, 1 when start-up failed.
int game_main();

// Sets up what every screen shares: the background and cache slots, the edge
// list, the font with the text slot and its score line, and the shared pictures.
void resources_build();
