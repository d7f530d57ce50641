/* Quorvex's stand-in for SDL_gfx 2.0's rotozoom on a Windows build whose
   library prefix has no SDL_gfx: the one call the program makes, with
   SDL_gfx's signature. */
#ifndef QUORVEX_SDL_ROTOZOOM_H
#define QUORVEX_SDL_ROTOZOOM_H

#include <SDL/SDL.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SMOOTHING_OFF 0
#define SMOOTHING_ON 1

/* A new 32-bit surface holding `src` turned counter-clockwise by `angle`
   degrees about its centre and scaled by `zoom` (> 0), sized to hold the
   whole turned image; pixels outside it are transparent (or black when the
   source is 32-bit without alpha). Pixels are taken by nearest neighbour:
   `smooth` is accepted and not applied. NULL on failure. */
SDL_Surface* rotozoomSurface(SDL_Surface* src, double angle, double zoom, int smooth);

#ifdef __cplusplus
}
#endif

#endif
