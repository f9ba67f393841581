// The process entry: the game's main routine decides everything, including
// the exit status.
#include "game/flow.h"

int main()
{
    return game_main();
}
