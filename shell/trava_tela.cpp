#include <mutex>

#include "shell/startup.h"
#include "shell/toolkit.h"

namespace {
std::recursive_mutex& trava_da_tela() {
    // Never destroyed: a thread may still wait on it while the process exits.
    static auto* trava = new std::recursive_mutex;
    return *trava;
}
}  // namespace

unsigned long apresentacoes_da_tela = 0;

TravaDaTela::TravaDaTela() { trava_da_tela().lock(); }
TravaDaTela::~TravaDaTela() { trava_da_tela().unlock(); }

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
