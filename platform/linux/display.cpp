#include <cstdlib>

#include "platform/platform.h"

namespace plataforma {

bool escolher_tela() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && driver[0]) return true;
    const char* tela = std::getenv("DISPLAY");
    if (!(tela && tela[0])) return false;
    setenv("SDL_VIDEODRIVER", "x11", 1);
    return true;
}

const char* como_obter_tela() {
    return "Inicie o Quorvex numa sess\xe3o gr\xe1""fica (X11), ou crie uma tela virtual: "
           "Xvfb :99 & DISPLAY=:99 ./quorvex";
}

}  // namespace plataforma
