/* Quorvex's stand-in for SDL_gfx 2.0's primitives on a Windows build whose
   library prefix has no SDL_gfx: the one call the program makes, with
   SDL_gfx's signature. */
#ifndef QUORVEX_SDL_GFXPRIMITIVES_H
#define QUORVEX_SDL_GFXPRIMITIVES_H

#include <SDL/SDL.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A one-pixel line from (x1, y1) to (x2, y2), both ends included, inside the
   surface's clip rectangle, in `color` 0xRRGGBBAA blended by its alpha.
   0 on success, -1 when the surface cannot be locked. */
int lineColor(SDL_Surface* dst, Sint16 x1, Sint16 y1, Sint16 x2, Sint16 y2, Uint32 color);

#ifdef __cplusplus
}
#endif

#endif
