// The program under test on Windows: CreateProcess, its window found among the
// top-level windows by process and title, the messages a user's click and
// close button send it, and Wine's own end of the session.
#include <windows.h>

#include "support/programa_em_janela.h"

namespace teste {

programa_iniciado::programa_iniciado(const std::string& pasta, const std::string& nome,
                                     const std::string& argumentos) {
    STARTUPINFOA inicio{};
    inicio.cb = sizeof inicio;
    PROCESS_INFORMATION processo{};
    std::string linha = "\"" + pasta + "\\" + nome + "\" " + argumentos;
    if (!CreateProcessA(nullptr, linha.data(), nullptr, nullptr, FALSE, 0, nullptr, pasta.c_str(),
                        &inicio, &processo))
        return;
    CloseHandle(processo.hThread);
    processo_ = processo.hProcess;
    pid_ = processo.dwProcessId;
}

programa_iniciado::~programa_iniciado() {
    if (processo_ == nullptr) return;
    int status;
    if (!terminou(std::chrono::milliseconds(0), status)) TerminateProcess(processo_, 99);
    CloseHandle(processo_);
}

bool programa_iniciado::terminou(std::chrono::milliseconds limite, int& status) const {
    if (processo_ == nullptr ||
        WaitForSingleObject(processo_, static_cast<DWORD>(limite.count())) != WAIT_OBJECT_0)
        return false;
    DWORD codigo = 0;
    GetExitCodeProcess(processo_, &codigo);
    status = static_cast<int>(codigo);
    return true;
}

janela_do_programa::janela_do_programa(const programa_iniciado& programa, const char* titulo)
    : pid_(programa.pid()), titulo_(titulo) {}

bool janela_do_programa::procurar() {
    HWND janela = nullptr;
    while ((janela = FindWindowExA(nullptr, janela, nullptr, titulo_.c_str())) != nullptr) {
        DWORD dono = 0;
        GetWindowThreadProcessId(janela, &dono);
        if (dono == pid_ && IsWindowVisible(janela)) break;
    }
    janela_ = janela;
    return janela_ != nullptr;
}

void janela_do_programa::clicar(int x, int y) const {
    HWND janela = static_cast<HWND>(janela_);
    const LPARAM ponto = MAKELPARAM(x, y);
    PostMessageA(janela, WM_MOUSEMOVE, 0, ponto);
    PostMessageA(janela, WM_LBUTTONDOWN, MK_LBUTTON, ponto);
    PostMessageA(janela, WM_LBUTTONUP, 0, ponto);
}

void janela_do_programa::pedir_fechamento() const {
    PostMessageA(static_cast<HWND>(janela_), WM_CLOSE, 0, 0);
}

bool encerrar_sessao_do_usuario() {
    char sistema[MAX_PATH] = "";
    if (GetSystemDirectoryA(sistema, sizeof sistema) == 0) return false;
    programa_iniciado gerente(sistema, "wineboot.exe", "--end-session");
    int status = -1;
    return gerente.terminou(std::chrono::seconds(60), status) && status == 0;
}

}  // namespace teste
