#include "shell/window_icon.h"

#include <SDL/SDL.h>

#include "common/screen_lock.h"
#include "platform/platform.h"

namespace {

constexpr int lado = 32;

// RGBA, row by row, as the generator wrote it.
const Uint8 pixels_do_icone[lado * lado * 4] = {
#include "window_icon.inc"
};

}  // namespace

void definir_icone_da_janela() {
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    const Uint32 r = 0x000000FF, g = 0x0000FF00, b = 0x00FF0000, a = 0xFF000000;
#else
    const Uint32 r = 0xFF000000, g = 0x00FF0000, b = 0x0000FF00, a = 0x000000FF;
#endif
    TravaDaTela trava;
    SDL_Surface* icone = SDL_CreateRGBSurfaceFrom(const_cast<Uint8*>(pixels_do_icone), lado, lado,
                                                  32, lado * 4, r, g, b, a);
    if (icone == nullptr) return;
    // The mask says which pixels show, one bit each, the leftmost the highest:
    // where the icon is more opaque than not.
    Uint8 mascara[lado * lado / 8] = {};
    for (int i = 0; i < lado * lado; ++i) {
        if (pixels_do_icone[i * 4 + 3] >= 128) mascara[i / 8] |= static_cast<Uint8>(0x80 >> (i % 8));
    }
    SDL_WM_SetIcon(icone, mascara);
    SDL_FreeSurface(icone);
}

void anunciar_icone_na_janela_aberta() {
    TravaDaTela trava;
    plataforma::anunciar_icone_da_janela(pixels_do_icone, lado);
}
