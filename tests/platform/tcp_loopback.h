// Real TCP connections over the loopback interface for the tests: listeners
// (IPv4, or dual-stack IPv6 that accepts IPv4 clients) and connected pairs,
// closed when they go out of scope.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace loopback {

inline uint32_t endereco(const char* ip) {
    in_addr a{};
    inet_pton(AF_INET, ip, &a);
    return a.s_addr;
}

class descritor {
public:
    descritor() = default;
    explicit descritor(int fd) : fd_(fd) {}
    descritor(descritor&& outro) noexcept : fd_(outro.fd_) { outro.fd_ = -1; }
    descritor& operator=(descritor&& outro) noexcept {
        fechar();
        fd_ = outro.fd_;
        outro.fd_ = -1;
        return *this;
    }
    ~descritor() { fechar(); }
    int fd() const { return fd_; }
    void fechar() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

inline uint16_t porta_local(int fd) {
    sockaddr_storage a{};
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    if (a.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&a)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&a)->sin_port);
}

// A listening socket on `ip` (IPv4) or on [::] accepting IPv4 too, at `porta`
// (0: any free port).
class ouvinte {
public:
    static ouvinte ipv4(const char* ip, uint16_t porta = 0) {
        ouvinte o;
        o.fd_ = descritor(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        int sim = 1;
        setsockopt(o.fd_.fd(), SOL_SOCKET, SO_REUSEADDR, &sim, sizeof sim);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(porta);
        a.sin_addr.s_addr = endereco(ip);
        o.pronto_ = bind(o.fd_.fd(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                    listen(o.fd_.fd(), 1024) == 0;
        o.porta_ = porta_local(o.fd_.fd());
        return o;
    }
    static ouvinte dupla_pilha() {
        ouvinte o;
        o.fd_ = descritor(socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0));
        int nao = 0;
        setsockopt(o.fd_.fd(), IPPROTO_IPV6, IPV6_V6ONLY, &nao, sizeof nao);
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_any;
        o.pronto_ = bind(o.fd_.fd(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                    listen(o.fd_.fd(), 1024) == 0;
        o.porta_ = porta_local(o.fd_.fd());
        return o;
    }
    bool pronto() const { return pronto_; }
    uint16_t porta() const { return porta_; }
    int fd() const { return fd_.fd(); }

private:
    descritor fd_;
    uint16_t porta_ = 0;
    bool pronto_ = false;
};

// Both ends of one established connection (host-order ports).
struct par {
    descritor cliente;
    descritor servidor;
    uint16_t porta_cliente = 0;
    uint16_t porta_servidor = 0;
    bool pronto() const { return cliente.fd() >= 0 && servidor.fd() >= 0; }
};

// Connects an IPv4 client to `ip`:`o.porta()` and accepts it.
inline par conectar(const ouvinte& o, const char* ip, int flags_socket = SOCK_CLOEXEC) {
    par p;
    p.cliente = descritor(socket(AF_INET, SOCK_STREAM | flags_socket, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(o.porta());
    a.sin_addr.s_addr = endereco(ip);
    if (connect(p.cliente.fd(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return par();
    p.servidor = descritor(accept4(o.fd(), nullptr, nullptr, SOCK_CLOEXEC));
    p.porta_cliente = porta_local(p.cliente.fd());
    p.porta_servidor = o.porta();
    return p;
}

// A connection over IPv6 to `ip`, put on the loopback link first (only in a
// network namespace of the test's own, EXIGIR_REDE_PRIVADA); not ready when
// any step failed. Its listener is closed once the connection is accepted.
inline par par_ipv6(const std::string& ip) {
    if (ip != "::1" && std::system(("ip -6 addr replace " + ip + "/128 dev lo nodad").c_str()) != 0)
        return par();
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    inet_pton(AF_INET6, ip.c_str(), &a.sin6_addr);
    descritor ouvinte(socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0));
    socklen_t n = sizeof a;
    if (bind(ouvinte.fd(), reinterpret_cast<sockaddr*>(&a), n) != 0 || listen(ouvinte.fd(), 1) != 0 ||
        getsockname(ouvinte.fd(), reinterpret_cast<sockaddr*>(&a), &n) != 0)
        return par();
    // The new address's route comes a moment after the address.
    par p;
    for (int tentativa = 0; tentativa < 100 && p.cliente.fd() < 0; ++tentativa) {
        p.cliente = descritor(socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (connect(p.cliente.fd(), reinterpret_cast<sockaddr*>(&a), n) == 0) break;
        p.cliente.fechar();
        usleep(10000);
    }
    if (p.cliente.fd() >= 0) p.servidor = descritor(accept4(ouvinte.fd(), nullptr, nullptr, SOCK_CLOEXEC));
    return p;
}

inline std::vector<par> conectar_varios(const ouvinte& o, const char* ip, int quantos) {
    std::vector<par> pares;
    for (int i = 0; i < quantos; ++i) {
        pares.push_back(conectar(o, ip));
        if (!pares.back().pronto()) break;
    }
    return pares;
}

}  // namespace loopback
