#include "platform/linux/sock_diag.h"

#include <fcntl.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/proc_parsers.h"

namespace plataforma::diag {

namespace {

// ---- netlink ------------------------------------------------------------------

// The old request form dumps both address families in one walk of the
// kernel's connection hash; the walk is most of the dump's cost, so it is
// tried first. Kernels without it get one request per family.
enum class pedido { compativel, por_familia, recusado };

pedido pedido_em_uso = pedido::compativel;
int socket_netlink = -1;
uint32_t sequencia = 0;

// The kernel fills its dump messages up to the size of the reader's buffer (at
// most 32 KiB); a larger buffer means fewer round trips.
alignas(nlmsghdr) char recebidos[64 * 1024];

void fechar_netlink() {
    if (socket_netlink >= 0) close(socket_netlink);
    socket_netlink = -1;
}

bool abrir_netlink() {
    if (socket_netlink >= 0) return true;
    socket_netlink = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    return socket_netlink >= 0;
}

struct requisicao {
    nlmsghdr cabecalho;
    union {
        inet_diag_req antiga;
        inet_diag_req_v2 nova;
    };
};

bool enviar_pedido(pedido forma, int familia) {
    requisicao r{};
    r.cabecalho.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    r.cabecalho.nlmsg_seq = ++sequencia;
    if (forma == pedido::compativel) {
        r.cabecalho.nlmsg_type = TCPDIAG_GETSOCK;
        r.cabecalho.nlmsg_len = NLMSG_LENGTH(sizeof(inet_diag_req));
        r.antiga.idiag_family = AF_INET;
        r.antiga.idiag_states = 1u << TCP_ESTABLISHED;
    } else {
        r.cabecalho.nlmsg_type = SOCK_DIAG_BY_FAMILY;
        r.cabecalho.nlmsg_len = NLMSG_LENGTH(sizeof(inet_diag_req_v2));
        r.nova.sdiag_family = static_cast<uint8_t>(familia);
        r.nova.sdiag_protocol = IPPROTO_TCP;
        r.nova.idiag_states = 1u << TCP_ESTABLISHED;
    }
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t enviado;
    do {
        enviado = sendto(socket_netlink, &r, r.cabecalho.nlmsg_len, 0,
                         reinterpret_cast<sockaddr*>(&kernel), sizeof kernel);
    } while (enviado < 0 && errno == EINTR);
    return enviado == static_cast<ssize_t>(r.cabecalho.nlmsg_len);
}

void acrescentar(const socket_tcp& s, socket_tcp* destino, int capacidade, int& total) {
    if (total < capacidade) destino[total] = s;
    ++total;
}

// The addresses of a connection on an IPv6 socket: an IPv4 connection when
// both ends are IPv4-mapped (a dual-stack socket), else an IPv6 one.
void enderecos_de_socket_ipv6(const uint32_t (&local)[4], const uint32_t (&remoto)[4],
                              socket_tcp& s) {
    if (proc::ipv4_mapeado(local, &s.ip_local) && proc::ipv4_mapeado(remoto, &s.ip_remoto)) return;
    s.ip_local = s.ip_remoto = 0;
    s.ipv6 = true;
    std::memcpy(s.ip6_local, local, sizeof s.ip6_local);
    std::memcpy(s.ip6_remoto, remoto, sizeof s.ip6_remoto);
}

void acrescentar_mensagem(const inet_diag_msg& m, socket_tcp* destino, int capacidade,
                          int& total) {
    if (m.idiag_state != TCP_ESTABLISHED) return;
    socket_tcp s{};
    if (m.idiag_family == AF_INET) {
        s.ip_local = m.id.idiag_src[0];
        s.ip_remoto = m.id.idiag_dst[0];
    } else if (m.idiag_family == AF_INET6) {
        enderecos_de_socket_ipv6(m.id.idiag_src, m.id.idiag_dst, s);
    } else {
        return;
    }
    s.porta_local = m.id.idiag_sport;
    s.porta_remota = m.id.idiag_dport;
    s.inode = m.idiag_inode;
    acrescentar(s, destino, capacidade, total);
}

enum class fim_do_dump { completo, recusado, falhou };

// Reads the answers to the request just sent until the kernel says done.
fim_do_dump receber_dump(socket_tcp* destino, int capacidade, int& total) {
    for (;;) {
        ssize_t lidos = recv(socket_netlink, recebidos, sizeof recebidos, 0);
        if (lidos < 0 && errno == EINTR) continue;
        if (lidos <= 0) return fim_do_dump::falhou;
        int restante = static_cast<int>(lidos);
        for (auto* h = reinterpret_cast<nlmsghdr*>(recebidos); NLMSG_OK(h, restante);
             h = NLMSG_NEXT(h, restante)) {
            if (h->nlmsg_seq != sequencia) continue;
            if (h->nlmsg_type == NLMSG_DONE) return fim_do_dump::completo;
            if (h->nlmsg_type == NLMSG_ERROR) return fim_do_dump::recusado;
            if (h->nlmsg_len < NLMSG_LENGTH(sizeof(inet_diag_msg))) continue;
            acrescentar_mensagem(*static_cast<const inet_diag_msg*>(NLMSG_DATA(h)), destino,
                                 capacidade, total);
        }
    }
}

fim_do_dump um_dump(pedido forma, int familia, socket_tcp* destino, int capacidade,
                    int& total) {
    if (!enviar_pedido(forma, familia)) return fim_do_dump::recusado;
    return receber_dump(destino, capacidade, total);
}

fim_do_dump dump_completo(socket_tcp* destino, int capacidade, int& total) {
    total = 0;
    if (pedido_em_uso == pedido::compativel)
        return um_dump(pedido::compativel, AF_INET, destino, capacidade, total);
    fim_do_dump fim = um_dump(pedido::por_familia, AF_INET, destino, capacidade, total);
    if (fim != fim_do_dump::completo) return fim;
    return um_dump(pedido::por_familia, AF_INET6, destino, capacidade, total);
}

// ---- /proc/net/tcp ----------------------------------------------------------

void acrescentar_linha(const proc::linha_tcp& l, socket_tcp* destino, int capacidade,
                       int& total) {
    if (l.estado_linux != proc::linux_estabelecido) return;
    socket_tcp s{};
    if (l.palavras == 1) {
        s.ip_local = l.local[0];
        s.ip_remoto = l.remoto[0];
    } else {
        enderecos_de_socket_ipv6(l.local, l.remoto, s);
    }
    // The file gives ports in host order; the table keeps network order.
    s.porta_local = htons(l.porta_local);
    s.porta_remota = htons(l.porta_remota);
    s.inode = l.inode;
    acrescentar(s, destino, capacidade, total);
}

char bloco_proc[64 * 1024];

// Reads a file of connection lines a block at a time, carrying a cut line over.
bool ler_arquivo_tcp(const char* caminho, socket_tcp* destino, int capacidade, int& total) {
    int fd = open(caminho, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::size_t guardados = 0;
    for (;;) {
        ssize_t lidos = read(fd, bloco_proc + guardados, sizeof bloco_proc - 1 - guardados);
        if (lidos < 0 && errno == EINTR) continue;
        if (lidos <= 0) break;
        std::size_t fim = guardados + static_cast<std::size_t>(lidos);
        bloco_proc[fim] = '\0';
        char* inicio = bloco_proc;
        while (char* quebra = std::strchr(inicio, '\n')) {
            *quebra = '\0';
            proc::linha_tcp l;
            if (proc::ler_linha_tcp(inicio, &l)) acrescentar_linha(l, destino, capacidade, total);
            inicio = quebra + 1;
        }
        guardados = fim - static_cast<std::size_t>(inicio - bloco_proc);
        // A line longer than the whole block cannot be a connection line.
        if (guardados == sizeof bloco_proc - 1) guardados = 0;
        std::memmove(bloco_proc, inicio, guardados);
    }
    close(fd);
    return true;
}

}  // namespace

int listar_por_netlink(socket_tcp* destino, int capacidade) {
    // An overrun of the socket's buffer spoils one dump; it is taken again once.
    int falhas = 0;
    while (pedido_em_uso != pedido::recusado && falhas < 2) {
        if (!abrir_netlink()) {
            pedido_em_uso = pedido::recusado;
            break;
        }
        int total = 0;
        fim_do_dump fim = dump_completo(destino, capacidade, total);
        if (fim == fim_do_dump::completo) return total;
        fechar_netlink();
        if (fim == fim_do_dump::recusado) {
            pedido_em_uso = pedido_em_uso == pedido::compativel ? pedido::por_familia
                                                               : pedido::recusado;
        } else {
            ++falhas;
        }
    }
    return -1;
}

int listar_por_proc(socket_tcp* destino, int capacidade) {
    int total = 0;
    if (!ler_arquivo_tcp("/proc/net/tcp", destino, capacidade, total)) return -1;
    ler_arquivo_tcp("/proc/net/tcp6", destino, capacidade, total);
    return total;
}

}  // namespace plataforma::diag
