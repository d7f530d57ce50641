#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <cstdlib>
#include <vector>

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

// _NET_WM_ICON: width, height, then one ARGB pixel per long.
void anunciar_icone_da_janela(const unsigned char* rgba, int lado) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) return;
    std::vector<unsigned long> dados{static_cast<unsigned long>(lado), static_cast<unsigned long>(lado)};
    for (int i = 0; i < lado * lado; ++i) {
        const unsigned char* p = rgba + 4 * i;
        dados.push_back(static_cast<unsigned long>(p[3]) << 24 | static_cast<unsigned long>(p[0]) << 16 |
                        static_cast<unsigned long>(p[1]) << 8 | p[2]);
    }
    info.info.x11.lock_func();
    Display* tela = info.info.x11.display;
    XChangeProperty(tela, info.info.x11.wmwindow, XInternAtom(tela, "_NET_WM_ICON", False),
                    XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(dados.data()),
                    static_cast<int>(dados.size()));
    XFlush(tela);
    info.info.x11.unlock_func();
}

void esperar_a_janela(int limite_ms) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) {
        SDL_Delay(10);
        return;
    }
    // SDL read everything Xlib had queued when it last looked for events, so
    // whatever comes next comes through the connection.
    pollfd conexao{ConnectionNumber(info.info.x11.display), POLLIN, 0};
    poll(&conexao, 1, limite_ms);
}

}  // namespace plataforma
