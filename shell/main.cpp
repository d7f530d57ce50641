#include <SDL/SDL.h>

#include <cstdlib>

#include "shell/startup.h"

int main(int argc, char** argv) {
    // Every exit of the program, whatever its status, closes the window cleanly.
    if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) return 1;
    std::atexit(SDL_Quit);
    return SDL_main(argc, argv);
}
