// The drawing toolkit every screen uses: images, coloured Latin-1 text, blits
// and pixel copies, on the window surface `screen`.
//
// Two threads draw during a scan (the sweep and the radar), and SDL 1.2's video
// and event calls are not safe to run concurrently. Every toolkit operation,
// every presentation of `screen` and every other SDL video or event call in the
// program therefore runs under the one screen lock (TravaDaTela).
#pragma once
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <string>

#include "common/screen_lock.h"

extern SDL_Surface* screen;  // the window surface

// SDL_Flip(screen) under the screen lock. Every presentation of the window goes
// through here; `apresentacoes_da_tela` counts them (tests read it).
int apresentar_tela();
extern unsigned long apresentacoes_da_tela;

// Presents only `area` of the window, for a drawing step that changed nothing
// else (the whole window on a page-flipped screen, which has no partial update).
// Counts as a presentation. `ultima_area_apresentada` is the area the last
// presentation showed, the whole window for apresentar_tela (tests read it).
int apresentar_area(SDL_Rect area);
extern SDL_Rect ultima_area_apresentada;

// SDL_PollEvent under the screen lock.
int tirar_evento(SDL_Event* evento);

extern TTF_Font* my_font_25;         // "fontes/Fonte_01.ttf" at 25 points: map labels
extern TTF_Font* my_font_10_painel;  // "fontes/Fonte_03.ttf" at 10 points: panel rows

constexpr int FLIP_VERTICAL = 1;
constexpr int FLIP_HORIZONTAL = 2;
constexpr int FLIP_NORMAL = 1;

// Draws the image file whole at (x, y) on screen and presents the window.
void apenas_exibir_imagem(const char* arquivo, int x, int y);

// Opens the font, draws the text (not presented), closes the font. -1 when the
// text engine cannot start.
int desenha_texto_cores(const char* texto, const char* arquivo_fonte, int tamanho,
                        SDL_Surface* destino, int x, int y, int vermelho, int verde,
                        int azul);

// Draws the text with a font the caller keeps open. Not presented.
void desenha_texto_cores_loop(const char* texto, TTF_Font* fonte, SDL_Surface* destino,
                              int x, int y, int vermelho, int verde, int azul);

// The image converted to the window's format (colour key kept, per-pixel alpha
// dropped); nullptr when it cannot be loaded. Owned by the caller.
SDL_Surface* load_image(std::string arquivo);

void apply_surface(int x, int y, SDL_Surface* origem, SDL_Surface* destino,
                   SDL_Rect* recorte);

Uint32 get_pixel32(SDL_Surface* superficie, int x, int y);
void put_pixel32(SDL_Surface* superficie, int x, int y, Uint32 pixel);

// A pixel-for-pixel (unmirrored) software copy, owned by the caller.
SDL_Surface* flip_surface(SDL_Surface* superficie, int flags);

// Draws `origem`, a surface with per-pixel alpha, onto `destino` at (x, y),
// giving the pixels of SDL's general per-pixel alpha blit (the one SDL_BlitSurface
// uses for an image decoded with its channels in another order than the
// window's), rounding included, without its decoding of both pixel formats at
// every pixel. Blends directly an image made by preparar_para_misturar onto
// the window; any other pair is blitted by SDL. `pixel_frequente`, a source
// pixel that covers much of the image (0 for none), is blended through tables
// made once per call. Returns the part of `destino` it may have changed (w 0
// when none).
SDL_Rect misturar_superficie(SDL_Surface* origem, SDL_Surface* destino, int x, int y,
                             Uint32 pixel_frequente = 0);

// An image with alpha, decoded with its channels in another order than the
// window's (as IMG_Load decodes PNG images), converted once to the window's
// layout so that misturar_superficie needs no conversion at every frame; the
// image itself when the window is not 32-bit 0xRRGGBB, and SDL then blits it
// as before. Takes ownership of `imagem`.
SDL_Surface* preparar_para_misturar(SDL_Surface* imagem);
