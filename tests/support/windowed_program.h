// The program under test as a process of its own with its window, driven the
// way the system and a user drive it.
//
// Windows only (tests/support/windowed_program_windows.cpp), for the
// Windows suite under Wine: the Linux suites start programs with executar()
// and drive the window through X11 (tests/e2e/window.h).
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "support/platform_services.h"

namespace teste {

// `nome` in the folder `pasta` started there, ended at destruction if it
// still runs, whatever the test did.
class programa_iniciado {
public:
    programa_iniciado(const std::string& pasta, const std::string& nome);
    ~programa_iniciado();
    programa_iniciado(const programa_iniciado&) = delete;
    programa_iniciado& operator=(const programa_iniciado&) = delete;

    bool iniciado() const { return processo_.alca != 0; }
    const plataforma::processo_filho& processo() const { return processo_; }
    // True, with the exit status, once the program ended within `limite`.
    bool terminou(std::chrono::milliseconds limite, int& status);

private:
    plataforma::processo_filho processo_;
};

// The program's visible top-level window titled `titulo`, once it has one.
class janela_do_programa {
public:
    janela_do_programa(const programa_iniciado& programa, const char* titulo);

    // Looks for the window again; true once found.
    bool procurar();
    // A left click at (x, y) of the drawing area, as the system posts it.
    void clicar(int x, int y) const;
    // The close request of the window's close button.
    void pedir_fechamento() const;

private:
    const programa_iniciado& programa_;
    std::string titulo_;
    std::uintptr_t janela_ = 0;
};

// The end of the user's session, from Wine's own session manager (wineboot
// --end-session): every program's top-level windows, shown or hidden, get
// WM_QUERYENDSESSION, then WM_ENDSESSION with TRUE, and a program still
// running once its windows answered is ended. This test program has no
// windows, so it is left alone. True once that delivery is over.
bool encerrar_sessao_do_usuario();

}  // namespace teste
