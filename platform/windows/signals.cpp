// Requests to end the program from outside on Windows. Two ways in, one
// answer:
// - the console's events (Ctrl+C, Ctrl+Break, its window closed), which the
//   system delivers on a thread of its own;
// - the end of the user's session (log-off, shutdown, restart). A program that
//   loads user32, as every SDL program does, never gets the console's log-off
//   and shutdown events: the session's end reaches it only as
//   WM_QUERYENDSESSION and WM_ENDSESSION sent to its top-level windows. A
//   hidden top-level window of our own, on a thread of its own, takes them
//   (a message-only window would get no broadcasts), so the program's main
//   thread, which pumps SDL's window, never waits inside a window procedure.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace plataforma {
namespace {

std::atomic<bool> pedidos_seguros{false};
std::atomic<bool> pedido_notado{false};

// After a close, log-off or shutdown is answered, the system ends the process
// (within about five seconds in any case): while the program finishes its
// work at its safe point, the thread that took the request keeps the system
// waiting, and the program's own exit ends it.
constexpr DWORD espera_pelo_programa_ms = 4500;

// A request ends the program at once unless requests are held; held, it is
// noted, and a request the system will enforce is kept waiting for the
// program's own orderly end.
void atender_pedido(bool fim_imposto) {
    if (!pedidos_seguros) _exit(1);
    pedido_notado = true;
    if (fim_imposto) Sleep(espera_pelo_programa_ms);
}

BOOL WINAPI ao_receber_evento(DWORD evento) {
    atender_pedido(evento == CTRL_CLOSE_EVENT || evento == CTRL_LOGOFF_EVENT ||
                   evento == CTRL_SHUTDOWN_EVENT);
    return TRUE;
}

// The session's end is agreed to at once (TRUE). Refusing it (FALSE, with
// ShutdownBlockReasonCreate giving the reason) is not done: it would cancel
// the user's log-off or shutdown, or leave it to the user on the system's
// blocking screen, for a report that takes well under the five seconds the
// system grants a program answering WM_ENDSESSION; and Windows lets no
// program without a visible window refuse. The report is written while
// WM_ENDSESSION waits. A close request to this window is the program's own
// window's business, so this window is never destroyed.
LRESULT CALLBACK procedimento_da_sessao(HWND janela, UINT mensagem, WPARAM w, LPARAM l) {
    switch (mensagem) {
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (w) atender_pedido(true);
        return 0;
    case WM_CLOSE:
        return 0;
    default:
        return DefWindowProcA(janela, mensagem, w, l);
    }
}

const char* const classe_da_sessao = "QuorvexFimDaSessao";

HWND criar_janela_da_sessao() {
    WNDCLASSA classe{};
    classe.lpfnWndProc = procedimento_da_sessao;
    classe.hInstance = GetModuleHandleA(nullptr);
    classe.lpszClassName = classe_da_sessao;
    RegisterClassA(&classe);
    // Top-level and never shown.
    return CreateWindowExA(0, classe_da_sessao, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           classe.hInstance, nullptr);
}

// The thread of the session's window: it makes the window, says so, and
// dispatches the window's messages for the rest of the program's life.
DWORD WINAPI fio_da_sessao(LPVOID pronta) {
    HWND janela = criar_janela_da_sessao();
    SetEvent(static_cast<HANDLE>(pronta));
    if (janela == nullptr) return 1;
    MSG mensagem;
    while (GetMessageA(&mensagem, nullptr, 0, 0) > 0) DispatchMessageA(&mensagem);
    return 0;
}

// Returns once the window exists, so the session's end is taken from then on.
void iniciar_janela_da_sessao() {
    HANDLE pronta = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (pronta == nullptr) return;
    HANDLE fio = CreateThread(nullptr, 0, fio_da_sessao, pronta, 0, nullptr);
    if (fio != nullptr) {
        WaitForSingleObject(pronta, INFINITE);
        CloseHandle(fio);
    }
    CloseHandle(pronta);
}

// A program without a console has no standard descriptors; the next file the
// C runtime opens would take their numbers and diagnostics would land in it.
void reabrir_saidas_fechadas() {
    std::FILE* fluxos[] = {stdin, stdout, stderr};
    for (int padrao = 0; padrao <= 2; ++padrao) {
        if (_get_osfhandle(padrao) != -1) continue;
        std::freopen("NUL", padrao == 0 ? "rb" : "wb", fluxos[padrao]);
    }
}

}  // namespace

void preparar_pedidos_de_encerramento() {
    reabrir_saidas_fechadas();
    SetConsoleCtrlHandler(ao_receber_evento, TRUE);
    iniciar_janela_da_sessao();
}

void segurar_pedidos_de_encerramento(bool segurar) { pedidos_seguros = segurar; }

bool encerramento_pedido() { return pedido_notado; }

}  // namespace plataforma
