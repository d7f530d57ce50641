// Another program's window on Windows, driven as the system and a user drive
// it: found among the top-level windows by process and title, and sent the
// messages a click and the close button send.
#include <windows.h>

#include "platform/platform.h"

namespace plataforma {

std::uintptr_t janela_do_processo(const processo_filho& processo, const char* titulo) {
    HWND janela = nullptr;
    while ((janela = FindWindowExA(nullptr, janela, nullptr, titulo)) != nullptr) {
        DWORD dono = 0;
        GetWindowThreadProcessId(janela, &dono);
        if (static_cast<long>(dono) == processo.pid && IsWindowVisible(janela)) break;
    }
    return reinterpret_cast<std::uintptr_t>(janela);
}

void clicar_na_janela(std::uintptr_t janela, int x, int y) {
    HWND destino = reinterpret_cast<HWND>(janela);
    const LPARAM ponto = MAKELPARAM(x, y);
    PostMessageA(destino, WM_MOUSEMOVE, 0, ponto);
    PostMessageA(destino, WM_LBUTTONDOWN, MK_LBUTTON, ponto);
    PostMessageA(destino, WM_LBUTTONUP, 0, ponto);
}

void fechar_janela(std::uintptr_t janela) {
    PostMessageA(reinterpret_cast<HWND>(janela), WM_CLOSE, 0, 0);
}

}  // namespace plataforma
