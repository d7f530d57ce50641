// Presenting the window and taking events, each under the screen lock.
#include "shell/startup.h"
#include "shell/toolkit.h"

unsigned long apresentacoes_da_tela = 0;
SDL_Rect ultima_area_apresentada = {0, 0, 0, 0};

namespace {
SDL_Rect janela_inteira() {
    SDL_Rect tudo = {0, 0, static_cast<Uint16>(screen->w), static_cast<Uint16>(screen->h)};
    return tudo;
}
}  // namespace

int apresentar_tela() {
    TravaDaTela trava;
    if (screen == nullptr) return -1;
    ++apresentacoes_da_tela;
    ultima_area_apresentada = janela_inteira();
    return SDL_Flip(screen);
}

int apresentar_area(SDL_Rect area) {
    TravaDaTela trava;
    if (screen == nullptr) return -1;
    if ((screen->flags & SDL_DOUBLEBUF) == SDL_DOUBLEBUF) return apresentar_tela();
    ++apresentacoes_da_tela;
    ultima_area_apresentada = area;
    SDL_UpdateRect(screen, area.x, area.y, area.w, area.h);
    return 0;
}

int tirar_evento(SDL_Event* evento) {
    TravaDaTela trava;
    return SDL_PollEvent(evento);
}
