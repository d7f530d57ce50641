// The IPv4 TCP connection table: the kernel's established connections, each
// with the process that holds its socket, sorted by local address and port,
// then remote address and port (the kernel lists them in hash order).
#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/linux/helper_client.h"
#include "platform/linux/sock_diag.h"
#include "platform/linux/socket_owners.h"
#include "platform/platform.h"
#include "platform/seams.h"

namespace plataforma {

namespace {

std::mutex trava_da_leitura;
diag::socket_tcp sockets[maximo_conexoes_tcp];
int32_t pids[maximo_conexoes_tcp];
std::atomic<bool> netlink_recusado{false};
std::atomic<const char*> fonte_atual{"nenhuma"};

uint64_t chave(uint32_t ip, uint16_t porta) {
    return static_cast<uint64_t>(ntohl(ip)) << 16 | ntohs(porta);
}

bool vem_antes(const diag::socket_tcp& a, const diag::socket_tcp& b) {
    uint64_t local_a = chave(a.ip_local, a.porta_local);
    uint64_t local_b = chave(b.ip_local, b.porta_local);
    if (local_a != local_b) return local_a < local_b;
    return chave(a.ip_remoto, a.porta_remota) < chave(b.ip_remoto, b.porta_remota);
}

int listar_sockets() {
    int total = netlink_recusado ? -1 : diag::listar_por_netlink(sockets, maximo_conexoes_tcp);
    if (total >= 0) {
        fonte_atual = "netlink sock_diag";
        return total;
    }
    total = diag::listar_por_proc(sockets, maximo_conexoes_tcp);
    fonte_atual = total >= 0 ? "/proc/net/tcp" : "nenhuma";
    return total;
}

}  // namespace

int ler_tabela_tcp(conexao_tcp* linhas, int capacidade) {
    std::lock_guard<std::mutex> guarda(trava_da_leitura);
    int total = listar_sockets();
    if (total < 0) return -1;
    int n = std::min(total, maximo_conexoes_tcp);
    std::sort(sockets, sockets + n, vem_antes);
    if (!ajudante::pedir_donos(sockets, pids, n)) donos::resolver(sockets, pids, n);
    int escritas = std::min(n, capacidade);
    for (int i = 0; i < escritas; ++i) {
        const diag::socket_tcp& s = sockets[i];
        linhas[i] = conexao_tcp{estado_estabelecido, s.ip_local, s.porta_local,
                                s.ip_remoto, s.porta_remota, pids[i]};
    }
    return total;
}

const char* fonte_da_tabela_tcp() { return fonte_atual; }

void usar_segunda_via_da_tabela(bool usar) { netlink_recusado = usar; }

void esquecer_donos_das_conexoes() {
    std::lock_guard<std::mutex> guarda(trava_da_leitura);
    ajudante::pedir_esquecimento();
    donos::esquecer();
}

}  // namespace plataforma
