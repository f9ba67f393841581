// The game's main routine: start-up, then title, menu and games until the player quits.
#pragma once

// Returns the exit status: 0 after the player quits, 1 when start-up failed.
int game_main();
