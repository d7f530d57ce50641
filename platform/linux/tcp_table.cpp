// The TCP connection table: the kernel's established IPv4 and IPv6
// connections, each with the process that holds its socket, the IPv4 ones
// first, each family sorted by local address and port, then remote address
// and port (the kernel lists them in hash order).
#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <cstring>
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

// Addresses in network byte order compare as bytes.
int comparar_ponta(const uint8_t (&ip_a)[16], uint16_t porta_a, const uint8_t (&ip_b)[16],
                   uint16_t porta_b) {
    int ip = std::memcmp(ip_a, ip_b, sizeof ip_a);
    if (ip != 0) return ip;
    return static_cast<int>(ntohs(porta_a)) - static_cast<int>(ntohs(porta_b));
}

bool vem_antes_ipv6(const diag::socket_tcp& a, const diag::socket_tcp& b) {
    int local = comparar_ponta(a.ip6_local, a.porta_local, b.ip6_local, b.porta_local);
    if (local != 0) return local < 0;
    return comparar_ponta(a.ip6_remoto, a.porta_remota, b.ip6_remoto, b.porta_remota) < 0;
}

bool vem_antes(const diag::socket_tcp& a, const diag::socket_tcp& b) {
    if (a.ipv6 != b.ipv6) return b.ipv6;
    if (a.ipv6) return vem_antes_ipv6(a, b);
    uint64_t local_a = chave(a.ip_local, a.porta_local);
    uint64_t local_b = chave(b.ip_local, b.porta_local);
    if (local_a != local_b) return local_a < local_b;
    return chave(a.ip_remoto, a.porta_remota) < chave(b.ip_remoto, b.porta_remota);
}

conexao_tcp conexao_de(const diag::socket_tcp& s, int32_t pid) {
    conexao_tcp c{estado_estabelecido, s.ip_local, s.porta_local, s.ip_remoto, s.porta_remota, pid};
    c.ipv6 = s.ipv6;
    std::memcpy(c.ip6_local, s.ip6_local, sizeof c.ip6_local);
    std::memcpy(c.ip6_remoto, s.ip6_remoto, sizeof c.ip6_remoto);
    return c;
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
    for (int i = 0; i < escritas; ++i) linhas[i] = conexao_de(sockets[i], pids[i]);
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
