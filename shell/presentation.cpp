// Presenting the window and taking events, each under the screen lock.
#include "shell/startup.h"
#include "shell/toolkit.h"

unsigned long apresentacoes_da_tela = 0;

int apresentar_tela() {
    TravaDaTela trava;
    if (screen == nullptr) return -1;
    ++apresentacoes_da_tela;
    return SDL_Flip(screen);
}

int tirar_evento(SDL_Event* evento) {
    TravaDaTela trava;
    return SDL_PollEvent(evento);
}
