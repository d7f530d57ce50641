// Where the window goes on Windows: SDL's windib driver (the plain Win32 GDI
// window), unless a driver was chosen explicitly. A Windows session always has
// a desktop to draw on.
#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <windows.h>

#include <cstdlib>

#include "platform/platform.h"

namespace plataforma {

bool escolher_tela() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && driver[0]) return true;
    return _putenv("SDL_VIDEODRIVER=windib") == 0;
}

const char* como_obter_tela() {
    return "Inicie o Quorvex numa sess\xe3o do Windows com \xe1rea de trabalho.";
}

void anunciar_icone_da_janela(const unsigned char*, int) {}

void esperar_a_janela(int limite_ms) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1) {
        SDL_Delay(10);
        return;
    }
    // The window's messages come to this thread's queue; one left there
    // unread counts too.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(limite_ms), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
}

}  // namespace plataforma
