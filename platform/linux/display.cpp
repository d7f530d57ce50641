#include <cstdlib>

#include "platform/linux/child_environment.h"
#include "platform/platform.h"

namespace plataforma {

bool escolher_tela() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && driver[0]) return true;
    const char* tela = std::getenv("DISPLAY");
    if (!(tela && tela[0])) return false;
    filhos::definir_para_o_sdl("SDL_VIDEODRIVER", "x11");
    return true;
}

const char* como_obter_tela() {
    // The same words whether it was started from its run folder or installed.
    return "Inicie o Quorvex numa sess\xe3o gr\xe1""fica (X11), ou crie uma tela virtual com o "
           "Xvfb e indique-a em DISPLAY: Xvfb :99 & export DISPLAY=:99";
}

}  // namespace plataforma
