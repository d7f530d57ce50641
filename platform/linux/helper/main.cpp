// quorvex-helper: the one part of Quorvex that may hold capabilities. The
// program starts it with a socket as its standard input and output and asks it,
// in the numbers-only messages of protocol.h, for the owners of sockets and for
// processes' names and executables. It takes nothing else from its caller: no
// argument, no environment, no path, no descriptor beyond the three standard
// ones. It raises its two capabilities only around its /proc reads. The end of
// its input between two requests ends it with status 0; anything it cannot
// parse, a request cut short or too slow, or an answer that cannot be sent ends
// it with status 2 and one line on standard error.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/helper/privileges.h"
#include "platform/linux/helper/protocol.h"
#include "platform/linux/helper/seccomp.h"
#include "platform/linux/process_identity.h"
#include "platform/linux/socket_owners.h"

namespace {

using namespace plataforma;
using namespace plataforma::ajudante;

constexpr int status_de_erro = 2;

diag::socket_tcp sockets[maximo_de_sockets];
int32_t pids[maximo_de_sockets];
leitor entrada(0);
escritor saida(1);

int falhar(const char* motivo) {
    std::fprintf(stderr, "quorvex-helper: %s\n", motivo);
    return status_de_erro;
}

// Nothing from the caller's world is kept: its environment, its folder, its
// descriptors. The process cannot be traced or dumped by its user (it holds
// what the user does not), cannot gain privileges, and keeps only its two
// capabilities, as permitted.
bool preparar_o_processo() {
    clearenv();
    if (chdir("/") != 0) return false;
    umask(077);
    close_range(3, ~0U, 0);
    signal(SIGPIPE, SIG_IGN);
    if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) return false;
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
    return privilegios::manter_so_as_de_leitura() != privilegios::capacidades::falha;
}

bool responder_donos(char depois_do_tipo) {
    uint64_t n;
    char fim;
    if (depois_do_tipo != ' ' || !entrada.numero(maximo_de_sockets, n, fim)) return false;
    if (fim != (n == 0 ? '\n' : ' ')) return false;
    for (uint64_t i = 0; i < n; ++i) {
        sockets[i] = diag::socket_tcp{};
        if (!entrada.numero_e(UINT64_MAX, i + 1 == n ? '\n' : ' ', sockets[i].inode)) return false;
    }
    {
        privilegios::leitura_de_processos leitura;
        donos::resolver(sockets, pids, static_cast<int>(n));
    }
    for (uint64_t i = 0; i < n; ++i) saida.numero(static_cast<uint64_t>(pids[i]), i + 1 == n ? '\n' : ' ');
    if (n == 0) saida.bytes("\n", 1);
    return saida.enviar();
}

bool responder_identidade(char depois_do_tipo) {
    uint64_t pid;
    if (depois_do_tipo != ' ' || !entrada.numero_e(maior_pid, '\n', pid)) return false;
    static char nome[largura_do_nome];
    static char caminho[largura_do_caminho];
    proc::identidade_crua id;
    {
        privilegios::leitura_de_processos leitura;
        id = proc::ler_identidade(static_cast<int32_t>(pid), nome, sizeof nome, caminho, sizeof caminho);
    }
    std::size_t tamanho_nome = id.existe ? std::strlen(nome) : 0;
    std::size_t tamanho_caminho = id.tem_caminho ? std::strlen(caminho) : 0;
    saida.numero(id.existe, ' ');
    saida.numero(id.tem_caminho, ' ');
    saida.numero(tamanho_nome, ' ');
    saida.numero(tamanho_caminho, '\n');
    saida.bytes(nome, tamanho_nome);
    saida.bytes(caminho, tamanho_caminho);
    return saida.enviar();
}

bool responder_esquecimento(char depois_do_tipo) {
    if (depois_do_tipo != '\n') return false;
    donos::esquecer();
    saida.numero(0, '\n');
    return saida.enviar();
}

bool responder_um_pedido() {
    uint64_t tipo;
    char fim;
    if (!entrada.numero(pedido_esquecer, tipo, fim)) return false;
    if (tipo == pedido_donos) return responder_donos(fim);
    if (tipo == pedido_identidade) return responder_identidade(fim);
    if (tipo == pedido_esquecer) return responder_esquecimento(fim);
    return false;
}

}  // namespace

int main(int argc, char**) {
    if (argc != 1) return falhar("nao aceita argumentos");
    if (!preparar_o_processo()) return falhar("nao conseguiu largar o que nao precisa");
    if (!filtrar_chamadas_ao_sistema()) return falhar("nao conseguiu instalar o filtro de chamadas ao sistema");
    for (;;) {
        leitura inicio = entrada.esperar_mensagem(-1);
        if (inicio == leitura::fim) return 0;
        if (inicio == leitura::errada || !responder_um_pedido())
            return falhar("pedido malformado, incompleto ou sem resposta");
    }
}
