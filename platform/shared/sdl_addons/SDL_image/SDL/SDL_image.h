/* Quorvex's stand-in for SDL_image 1.2 on a Windows build whose library prefix
   has no SDL_image: the one call the program makes, with SDL_image's
   signature. Loads PNG files (the format of the program's images). */
#ifndef QUORVEX_SDL_IMAGE_H
#define QUORVEX_SDL_IMAGE_H

#include <SDL/SDL.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The image in `file`, recognised by its content; NULL with the reason in
   IMG_GetError() when it is not a PNG image or cannot be read. */
SDL_Surface* IMG_Load(const char* file);

#define IMG_SetError SDL_SetError
#define IMG_GetError SDL_GetError

#ifdef __cplusplus
}
#endif

#endif
