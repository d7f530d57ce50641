#include <SDL/SDL.h>

#include <cstdlib>

#include "shell/startup.h"

// Where SDL has an entry wrapper of its own (Windows), its header renames main
// to SDL_main and the wrapper starts SDL and calls the start-up itself; this
// main must stay itself there, or it would stand in for the start-up and call
// itself. Elsewhere it is the program's entry and does what the wrapper does.
#undef main

int main(int argc, char** argv) {
    // Every exit of the program, whatever its status, closes the window cleanly.
    if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) return 1;
    std::atexit(SDL_Quit);
    return SDL_main(argc, argv);
}
