// The radar's frame drawn the way it used to be: a fresh turn of the radar
// and a fresh copy of the map at every frame, blitted by SDL, and the whole
// window presented. The frame test and the radar benchmark hold today's frame
// against it.
#pragma once
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_rotozoom.h>

#include "common/screen_lock.h"
#include "output/radar.h"
#include "platform/platform.h"
#include "shell/startup.h"
#include "shell/toolkit.h"

namespace radar_antigo {

struct imagens {
    SDL_Surface* radar = nullptr;
    SDL_Surface* referencia = nullptr;
    SDL_Surface* mapa = nullptr;
};

inline imagens carregar() {
    TravaDaTela trava;
    imagens im;
    SDL_Surface* bruto = IMG_Load("bin/A0044.bin");
    im.referencia = SDL_DisplayFormat(bruto);
    SDL_FreeSurface(bruto);
    im.radar = IMG_Load("bin/A0044.bin");
    im.mapa = IMG_Load("bin/A0034.bin");
    return im;
}

inline void liberar(imagens& im) {
    SDL_FreeSurface(im.radar);
    SDL_FreeSurface(im.referencia);
    SDL_FreeSurface(im.mapa);
    im = imagens{};
}

inline void quadro(const imagens& im, double angulo, bool com_marcadores) {
    TravaDaTela trava;
    SDL_Surface* girado = rotozoomSurface(im.radar, angulo, 1.0, 0);
    SDL_Surface* fundo = rotozoomSurface(im.mapa, 0.0, 1.0, 0);
    apply_surface(0, 100, fundo, screen, nullptr);
    if (com_marcadores) {
        exib_locais_no_mapa(1);
        plataforma::dormir_ms(20);
        SDL_FreeSurface(locais_copia);
        locais_copia = flip_surface(screen, FLIP_NORMAL);
    }
    if (locais_copia) {
        SDL_Rect area_do_mapa = {0, 100, 400, 500};
        apply_surface(0, 100, locais_copia, screen, &area_do_mapa);
    }
    int d = girado->h / 2 - im.referencia->h / 2;
    apply_surface(0 - d, 100 - d, girado, screen, nullptr);
    apresentar_tela();
    SDL_FreeSurface(girado);
    SDL_FreeSurface(fundo);
}

}  // namespace radar_antigo
