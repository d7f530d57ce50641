#include <cstdlib>

#include "platform/platform.h"

namespace plataforma {

bool tela_disponivel() {
    const char* tela = std::getenv("DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return (tela && tela[0]) || (driver && driver[0]);
}

const char* como_obter_tela() {
    return "Inicie o Quorvex numa sess\xe3o gr\xe1""fica (X11), ou crie uma tela virtual: "
           "Xvfb :99 & DISPLAY=:99 ./quorvex";
}

}  // namespace plataforma
