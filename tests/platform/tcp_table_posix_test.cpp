// The Linux connection table: IPv4 connections on IPv6 sockets, the time-wait
// state /proc/net/tcp lists, netlink and /proc/net/tcp giving the same rows,
// and owners found through the sockets processes hold (passed to a child,
// in transit in a message, cached).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/linux/proc_parsers.h"
#include "platform/platform.h"
#include "platform/tcp_loopback.h"
#include "platform/tcp_table_system.h"
#include "support/test_support.h"

using plataforma::conexao_tcp;

namespace tabela_do_sistema {

int32_t dono_das_conexoes_deste_processo() { return getpid(); }
bool segunda_via_disponivel() { return true; }
const char* fonte(bool segunda_via) { return segunda_via ? "/proc/net/tcp" : "netlink sock_diag"; }

}  // namespace tabela_do_sistema

namespace {

std::vector<conexao_tcp> ler_tabela() {
    static conexao_tcp linhas[plataforma::maximo_conexoes_tcp];
    int n = plataforma::ler_tabela_tcp(linhas, plataforma::maximo_conexoes_tcp);
    EXPECT_GE(n, 0);
    return std::vector<conexao_tcp>(linhas, linhas + std::max(n, 0));
}

// The row whose local and remote ports (host order) are these, or nullptr.
const conexao_tcp* achar(const std::vector<conexao_tcp>& linhas, uint16_t local,
                         uint16_t remota) {
    for (const conexao_tcp& c : linhas) {
        if (ntohs(c.porta_local) == local && ntohs(c.porta_remota) == remota) return &c;
    }
    return nullptr;
}

// Every field of a row, for comparing two rows (their padding holds nothing).
std::tuple<int, uint32_t, uint16_t, uint32_t, uint16_t, int32_t> campos(const conexao_tcp& c) {
    return {c.estado, c.ip_local, c.porta_local, c.ip_remoto, c.porta_remota, c.pid};
}

int linhas_com_porta_local(const std::vector<conexao_tcp>& linhas, uint16_t porta) {
    int n = 0;
    for (const conexao_tcp& c : linhas) n += ntohs(c.porta_local) == porta;
    return n;
}

// True when /proc/net/tcp lists a connection at local port `porta` in the
// kernel's state `estado` (6 time-wait).
bool kernel_tem(uint16_t porta, int estado) {
    std::ifstream arquivo("/proc/net/tcp");
    std::string linha;
    while (std::getline(arquivo, linha)) {
        plataforma::proc::linha_tcp l;
        if (plataforma::proc::ler_linha_tcp(linha.c_str(), &l) && l.porta_local == porta &&
            l.estado_linux == estado)
            return true;
    }
    return false;
}

// A child process that keeps only `fd` open and waits until told to end.
struct filho_com_socket {
    pid_t pid = -1;
    int aviso = -1;
    explicit filho_com_socket(int fd) {
        int tubo[2];
        if (pipe(tubo) != 0) return;
        pid = fork();
        if (pid == 0) {
            for (int outro = 3; outro < 1024; ++outro) {
                if (outro != fd && outro != tubo[0]) close(outro);
            }
            char c;
            while (read(tubo[0], &c, 1) < 0) {
            }
            _exit(0);
        }
        close(tubo[0]);
        aviso = tubo[1];
    }
    void encerrar() {
        if (pid <= 0) return;
        close(aviso);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~filho_com_socket() { encerrar(); }
};

TEST(TabelaTcp, DuplaPilhaApareceComoIPv4) {
    EXIGIR_REDE_PRIVADA();
    auto ouvinte = loopback::ouvinte::dupla_pilha();
    ASSERT_TRUE(ouvinte.pronto());
    auto par = loopback::conectar(ouvinte, "127.0.0.2");
    ASSERT_TRUE(par.pronto());
    auto linhas = ler_tabela();
    const conexao_tcp* aceito = achar(linhas, par.porta_servidor, par.porta_cliente);
    ASSERT_NE(aceito, nullptr);
    EXPECT_EQ(aceito->ip_local, loopback::endereco("127.0.0.2"));
    EXPECT_EQ(aceito->ip_remoto, loopback::endereco("127.0.0.1"));
    EXPECT_EQ(aceito->pid, getpid());
    EXPECT_EQ(linhas_com_porta_local(linhas, par.porta_servidor), 1);
}

// A program that always opens IPv6 sockets reaches an IPv4 server through a
// mapped address; that is an IPv4 connection.
TEST(TabelaTcp, ClienteIPv6ParaEnderecoMapeado) {
    EXIGIR_REDE_PRIVADA();
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.2");
    ASSERT_TRUE(ouvinte.pronto());
    loopback::descritor cliente(socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in6 destino{};
    destino.sin6_family = AF_INET6;
    destino.sin6_port = htons(ouvinte.porta());
    ASSERT_EQ(inet_pton(AF_INET6, "::ffff:127.0.0.2", &destino.sin6_addr), 1);
    ASSERT_EQ(connect(cliente.fd(), reinterpret_cast<sockaddr*>(&destino), sizeof destino), 0);
    loopback::descritor servidor(accept4(ouvinte.fd(), nullptr, nullptr, SOCK_CLOEXEC));
    uint16_t porta_cliente = loopback::porta_local(cliente.fd());
    for (bool por_proc : {false, true}) {
        plataforma::usar_segunda_via_da_tabela(por_proc);
        auto linhas = ler_tabela();
        plataforma::usar_segunda_via_da_tabela(false);
        const conexao_tcp* c = achar(linhas, porta_cliente, ouvinte.porta());
        ASSERT_NE(c, nullptr) << por_proc;
        EXPECT_EQ(c->ip_local, loopback::endereco("127.0.0.1"));
        EXPECT_EQ(c->ip_remoto, loopback::endereco("127.0.0.2"));
        EXPECT_EQ(c->pid, getpid());
    }
}

// Both sources: netlink asks the kernel for established connections only,
// /proc/net/tcp lists every state and is filtered here.
TEST(TabelaTcp, OuvinteETimeWaitNaoEntram) {
    EXIGIR_REDE_PRIVADA();
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto par = loopback::conectar(ouvinte, "127.0.0.1");
    ASSERT_TRUE(par.pronto());
    uint16_t porta_fechada = par.porta_cliente;
    par.cliente.fechar();
    par.servidor.fechar();
    for (int i = 0; i < 100 && !kernel_tem(porta_fechada, 6); ++i) usleep(10000);
    ASSERT_TRUE(kernel_tem(porta_fechada, 6)) << "no time-wait to look at";
    for (bool por_proc : {false, true}) {
        plataforma::usar_segunda_via_da_tabela(por_proc);
        auto linhas = ler_tabela();
        plataforma::usar_segunda_via_da_tabela(false);
        EXPECT_EQ(linhas_com_porta_local(linhas, porta_fechada), 0) << por_proc;
        EXPECT_EQ(linhas_com_porta_local(linhas, ouvinte.porta()), 0) << por_proc;
        for (const conexao_tcp& c : linhas) EXPECT_EQ(c.estado, plataforma::estado_estabelecido);
    }
}

TEST(TabelaTcp, SemNetlinkLeDoProcComOMesmoResultado) {
    EXIGIR_REDE_PRIVADA();
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto par4 = loopback::conectar(ouvinte, "127.0.0.1");
    auto dupla = loopback::ouvinte::dupla_pilha();
    auto par6 = loopback::conectar(dupla, "127.0.0.1");
    ASSERT_TRUE(par4.pronto() && par6.pronto());
    auto por_netlink = ler_tabela();
    plataforma::usar_segunda_via_da_tabela(true);
    auto por_proc = ler_tabela();
    std::string fonte = plataforma::fonte_da_tabela_tcp();
    plataforma::usar_segunda_via_da_tabela(false);
    EXPECT_EQ(fonte, "/proc/net/tcp");
    for (const auto* par : {&par4, &par6}) {
        const conexao_tcp* a = achar(por_netlink, par->porta_servidor, par->porta_cliente);
        const conexao_tcp* b = achar(por_proc, par->porta_servidor, par->porta_cliente);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(campos(*a), campos(*b));
        EXPECT_EQ(b->pid, getpid());
    }
    ler_tabela();
    EXPECT_EQ(plataforma::fonte_da_tabela_tcp(), std::string("netlink sock_diag"));
}

TEST(DonosDeSockets, SocketPassadoAOutroProcessoMudaDeDono) {
    EXIGIR_REDE_PRIVADA();
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto par = loopback::conectar(ouvinte, "127.0.0.1");
    ASSERT_TRUE(par.pronto());
    EXPECT_EQ(achar(ler_tabela(), par.porta_cliente, par.porta_servidor)->pid, getpid());
    filho_com_socket filho(par.cliente.fd());
    ASSERT_GT(filho.pid, 0);
    par.cliente.fechar();
    // Cached owners are checked a few at a time; within a few dozen readings
    // the new owner shows.
    int32_t dono = 0;
    for (int i = 0; i < 60 && dono != filho.pid; ++i) {
        auto linhas = ler_tabela();
        const conexao_tcp* c = achar(linhas, par.porta_cliente, par.porta_servidor);
        ASSERT_NE(c, nullptr);
        dono = c->pid;
    }
    EXPECT_EQ(dono, filho.pid);
    filho.encerrar();
    for (int i = 0; i < 100 && achar(ler_tabela(), par.porta_cliente, par.porta_servidor); ++i)
        usleep(10000);
    EXPECT_EQ(achar(ler_tabela(), par.porta_cliente, par.porta_servidor), nullptr)
        << "the connection closed with its last owner";
}

// A socket that no process holds (it travels in a message on a local socket)
// has no owner to read; once a process holds it again it is found, after the
// second the cache waits before looking again.
TEST(DonosDeSockets, SemDonoLegivelDaZeroEDepoisReencontra) {
    EXIGIR_REDE_PRIVADA();
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto par = loopback::conectar(ouvinte, "127.0.0.1");
    ASSERT_TRUE(par.pronto());
    int local[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, local), 0);
    char byte = 'x';
    iovec iov{&byte, 1};
    alignas(cmsghdr) char controle[CMSG_SPACE(sizeof(int))];
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = controle;
    msg.msg_controllen = sizeof controle;
    cmsghdr* c = CMSG_FIRSTHDR(&msg);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int));
    int enviado = par.cliente.fd();
    std::memcpy(CMSG_DATA(c), &enviado, sizeof enviado);
    ASSERT_EQ(sendmsg(local[0], &msg, 0), 1);
    par.cliente.fechar();

    plataforma::esquecer_donos_das_conexoes();
    auto linhas = ler_tabela();
    const conexao_tcp* em_transito = achar(linhas, par.porta_cliente, par.porta_servidor);
    ASSERT_NE(em_transito, nullptr);
    EXPECT_EQ(em_transito->pid, 0);

    ASSERT_EQ(recvmsg(local[1], &msg, 0), 1);
    int recebido;
    std::memcpy(&recebido, CMSG_DATA(CMSG_FIRSTHDR(&msg)), sizeof recebido);
    loopback::descritor de_volta(recebido);
    EXPECT_EQ(achar(ler_tabela(), par.porta_cliente, par.porta_servidor)->pid, 0)
        << "looked for again only after a second";
    usleep(1100 * 1000);
    EXPECT_EQ(achar(ler_tabela(), par.porta_cliente, par.porta_servidor)->pid, getpid());
    close(local[0]);
    close(local[1]);
}

TEST(DonosDeSockets, CacheFrioEQuenteDaoOsMesmosDonos) {
    EXIGIR_REDE_PRIVADA();
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto pares = loopback::conectar_varios(ouvinte, "127.0.0.1", 10);
    ASSERT_EQ(pares.size(), 10u);
    filho_com_socket filho(pares[3].cliente.fd());
    pares[3].cliente.fechar();
    plataforma::esquecer_donos_das_conexoes();
    auto frio = ler_tabela();
    auto quente = ler_tabela();
    for (const auto& par : pares) {
        const conexao_tcp* a = achar(frio, par.porta_cliente, par.porta_servidor);
        const conexao_tcp* b = achar(quente, par.porta_cliente, par.porta_servidor);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(a->pid, b->pid);
    }
    EXPECT_EQ(achar(frio, pares[3].porta_cliente, pares[3].porta_servidor)->pid, filho.pid);
    EXPECT_EQ(achar(frio, pares[4].porta_cliente, pares[4].porta_servidor)->pid, getpid());
}

}  // namespace
