/* Quorvex's stand-in for SDL_ttf 2.0 on a Windows build whose library prefix
   has no SDL_ttf: the calls the program and its tests make, with SDL_ttf's
   signatures, over freetype. Text is Latin-1 (one byte, one character) and
   rendered blended: the text's colour with the glyphs' coverage as alpha. */
#ifndef QUORVEX_SDL_TTF_H
#define QUORVEX_SDL_TTF_H

#include <SDL/SDL.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _TTF_Font TTF_Font;

/* 0 on success, -1 when freetype cannot start. Counts its callers. */
int TTF_Init(void);
/* How many TTF_Init calls are in force. */
int TTF_WasInit(void);
void TTF_Quit(void);

/* The TrueType font in `file` at `ptsize` points (pixels per em at 72 dpi). */
TTF_Font* TTF_OpenFont(const char* file, int ptsize);
void TTF_CloseFont(TTF_Font* font);

/* Height of every rendered line: from the highest ascent to the lowest
   descent of the face at its size. */
int TTF_FontHeight(const TTF_Font* font);
/* Non-zero when the font has a glyph for the character. */
int TTF_GlyphIsProvided(const TTF_Font* font, Uint16 ch);
/* Width and height the text would be rendered at. 0 on success. */
int TTF_SizeText(TTF_Font* font, const char* text, int* w, int* h);

/* A new 32-bit surface with an alpha channel holding the text; NULL for an
   empty text or on failure. */
SDL_Surface* TTF_RenderText_Blended(TTF_Font* font, const char* text, SDL_Color fg);
SDL_Surface* TTF_RenderUNICODE_Blended(TTF_Font* font, const Uint16* text, SDL_Color fg);

#define TTF_SetError SDL_SetError
#define TTF_GetError SDL_GetError

#ifdef __cplusplus
}
#endif

#endif
