// Requests to end the program from outside on Windows: the console's Ctrl+C
// and Ctrl+Break, its closing, the user's logoff and the system's shutdown.
#include <winsock2.h>
#include <windows.h>

#include "platform/platform.h"

namespace plataforma {
namespace {

volatile LONG pedidos_seguros = 0;
volatile LONG pedido_notado = 0;

BOOL WINAPI ao_receber_pedido(DWORD) {
    if (InterlockedCompareExchange(&pedidos_seguros, 0, 0) == 0) ExitProcess(1);
    InterlockedExchange(&pedido_notado, 1);
    return TRUE;
}

}  // namespace

// Windows has no SIGPIPE: a write to a closed pipe already fails with an error.
void preparar_pedidos_de_encerramento() { SetConsoleCtrlHandler(ao_receber_pedido, TRUE); }

void segurar_pedidos_de_encerramento(bool segurar) {
    InterlockedExchange(&pedidos_seguros, segurar ? 1 : 0);
}

bool encerramento_pedido() { return InterlockedCompareExchange(&pedido_notado, 0, 0) != 0; }

}  // namespace plataforma
