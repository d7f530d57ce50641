// Requests to end the program from outside on Windows: the console's events
// (Ctrl+C, Ctrl+Break, its window closed, the user logging off, the system
// shutting down), which the system delivers on a thread of its own.
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

// After a close, log-off or shutdown event returns, the system ends the
// process (within a few seconds in any case): while the program finishes its
// work at its safe point, this thread keeps the system waiting, and the
// program's own exit ends it.
constexpr DWORD espera_pelo_programa_ms = 4500;

BOOL WINAPI ao_receber_evento(DWORD evento) {
    if (!pedidos_seguros) _exit(1);
    pedido_notado = true;
    bool fim_imposto = evento == CTRL_CLOSE_EVENT || evento == CTRL_LOGOFF_EVENT ||
                       evento == CTRL_SHUTDOWN_EVENT;
    if (fim_imposto) Sleep(espera_pelo_programa_ms);
    return TRUE;
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
}

void segurar_pedidos_de_encerramento(bool segurar) { pedidos_seguros = segurar; }

bool encerramento_pedido() { return pedido_notado; }

}  // namespace plataforma
