// Requests to end the program from outside on Linux: SIGTERM, SIGINT and
// SIGHUP. The handler does only what is safe in a signal handler: it ends the
// process at once, or, while requests are held, notes the request.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "platform/platform.h"

namespace plataforma {
namespace {

volatile sig_atomic_t pedidos_seguros = 0;
volatile sig_atomic_t pedido_notado = 0;

void ao_receber_pedido(int) {
    if (pedidos_seguros) {
        pedido_notado = 1;
        return;
    }
    _exit(1);
}

// A standard descriptor closed at start would be taken by the next file the
// program opens, and diagnostics would then land in that file.
void reabrir_saidas_fechadas() {
    for (int padrao = 0; padrao <= 2; ++padrao) {
        if (fcntl(padrao, F_GETFD) != -1) continue;
        int nulo = open("/dev/null", padrao == 0 ? O_RDONLY : O_WRONLY);
        if (nulo >= 0 && nulo != padrao) {
            dup2(nulo, padrao);
            close(nulo);
        }
    }
}

}  // namespace

void preparar_pedidos_de_encerramento() {
    reabrir_saidas_fechadas();
    signal(SIGPIPE, SIG_IGN);
    struct sigaction acao {};
    acao.sa_handler = ao_receber_pedido;
    sigemptyset(&acao.sa_mask);
    acao.sa_flags = SA_RESTART;
    const int sinais[] = {SIGTERM, SIGINT, SIGHUP};
    for (int sinal : sinais) sigaction(sinal, &acao, nullptr);
}

void segurar_pedidos_de_encerramento(bool segurar) { pedidos_seguros = segurar ? 1 : 0; }

bool encerramento_pedido() { return pedido_notado != 0; }

}  // namespace plataforma
