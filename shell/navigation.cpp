#include "shell/navigation.h"

#include "monitor/home.h"
#include "shell/menu.h"
#include "shell/screens.h"

namespace {

int entrar_na_tela(tela escolhida) {
    switch (escolhida) {
        case TELA_FERRAMENTAS:
            return exib_tolls(1);
        case TELA_CONFIGURACOES:
            return exib_conf(1);
        case TELA_CURSO:
            return exib_tavrel(1);
        case TELA_HOME:
            break;
    }
    return exib_home(1);
}

}  // namespace

// Every screen returns here after a tab click, and the chosen screen is
// entered afresh from here: moving between screens never nests calls.
void executar_telas() {
    tela_escolhida = TELA_HOME;
    for (;;) {
        // Only the home screen returns -1 (no text engine); the tab-only menu
        // then waits for the next tab.
        if (entrar_na_tela(tela_escolhida) == -1) menu_principal(MENU_SO_ABAS);
    }
}
