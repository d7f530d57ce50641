// Start-up: the directories the program works in, the per-user settings file,
// the asset check and the window.
#pragma once
#include <SDL/SDL.h>

#include "common/folders.h"
#include "common/routines.h"

// The whole start-up; does not return while the program runs.
int SDL_main(int argc, char** argv);
