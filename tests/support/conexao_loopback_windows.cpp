// The Windows side of the loopback connections: Winsock sockets, which a
// program started without handle inheritance does not get.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/conexao_loopback.h"

namespace teste {
namespace {

// Winsock is started for as long as any of these sockets lives.
struct winsock {
    bool iniciado = false;
    winsock() {
        WSADATA dados;
        iniciado = WSAStartup(MAKEWORD(2, 2), &dados) == 0;
    }
    ~winsock() {
        if (iniciado) WSACleanup();
    }
};

void fechar_soquete(SOCKET& s) {
    if (s != INVALID_SOCKET) closesocket(s);
    s = INVALID_SOCKET;
}

sockaddr_in loopback_na_porta(int porta) {
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    endereco.sin_port = htons(static_cast<u_short>(porta));
    return endereco;
}

int porta_local(SOCKET s) {
    sockaddr_in endereco{};
    int tamanho = sizeof endereco;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0) return 0;
    return ntohs(endereco.sin_port);
}

}  // namespace

struct escuta_loopback::soquete {
    winsock ws;
    SOCKET s = INVALID_SOCKET;
    ~soquete() { fechar_soquete(s); }
};

struct conexao_loopback::pontas {
    winsock ws;
    SOCKET cliente = INVALID_SOCKET, aceita = INVALID_SOCKET;
    ~pontas() {
        fechar_soquete(aceita);
        fechar_soquete(cliente);
    }
};

escuta_loopback::escuta_loopback() : soquete_(std::make_unique<soquete>()) {
    SOCKET& s = soquete_->s;
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in endereco = loopback_na_porta(0);
    if (s == INVALID_SOCKET ||
        bind(s, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 || listen(s, 16) != 0)
        return;
    porta_ = porta_local(s);
}

escuta_loopback::~escuta_loopback() = default;

conexao_loopback::conexao_loopback(const escuta_loopback& escuta) {
    if (!escuta.pronta()) return;
    auto novas = std::make_unique<pontas>();
    novas->cliente = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in endereco = loopback_na_porta(escuta.porta());
    if (novas->cliente == INVALID_SOCKET ||
        connect(novas->cliente, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0)
        return;
    novas->aceita = accept(escuta.soquete_->s, nullptr, nullptr);
    if (novas->aceita == INVALID_SOCKET) return;
    porta_cliente_ = porta_local(novas->cliente);
    pontas_ = std::move(novas);
}

conexao_loopback::~conexao_loopback() = default;

void conexao_loopback::fechar() { pontas_.reset(); }

}  // namespace teste
