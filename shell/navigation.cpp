#include "shell/navigation.h"

#include <SDL/SDL.h>

#include "shell/startup.h"
#include "shell/toolkit.h"

// Until the screens exist the splash stays up until the window is closed.
void executar_telas() {
    SDL_Event evento;
    for (;;) {
        while (tirar_evento(&evento)) {
            if (evento.type == SDL_QUIT) encerrar_processo();
        }
        SDL_Delay(20);
    }
}
