// Loopback TCP connections on Windows: Winsock sockets, which a program started
// without handle inheritance does not get. Winsock is started once for them.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/platform.h"

namespace plataforma {
namespace {

bool winsock_iniciado() {
    static const bool iniciado = [] {
        WSADATA dados;
        return WSAStartup(MAKEWORD(2, 2), &dados) == 0;
    }();
    return iniciado;
}

sockaddr_in loopback_na_porta(int porta) {
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    endereco.sin_port = htons(static_cast<u_short>(porta));
    return endereco;
}

int porta_local(SOCKET soquete) {
    sockaddr_in endereco{};
    int tamanho = sizeof endereco;
    if (getsockname(soquete, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0) return 0;
    return ntohs(endereco.sin_port);
}

soquete_tcp como_soquete_tcp(SOCKET soquete) {
    return soquete == INVALID_SOCKET ? sem_soquete : static_cast<soquete_tcp>(soquete);
}

}  // namespace

soquete_tcp escutar_em_loopback(int& porta) {
    if (!winsock_iniciado()) return sem_soquete;
    SOCKET soquete = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in endereco = loopback_na_porta(0);
    if (soquete == INVALID_SOCKET ||
        bind(soquete, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        listen(soquete, 64) != 0 || (porta = porta_local(soquete)) == 0) {
        fechar_soquete(como_soquete_tcp(soquete));
        return sem_soquete;
    }
    return como_soquete_tcp(soquete);
}

bool conectar_em_loopback(soquete_tcp escuta, int porta, pontas_de_conexao& pontas) {
    pontas = {};
    if (!winsock_iniciado()) return false;
    SOCKET cliente = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in endereco = loopback_na_porta(porta);
    if (cliente == INVALID_SOCKET ||
        connect(cliente, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) {
        fechar_soquete(como_soquete_tcp(cliente));
        return false;
    }
    SOCKET aceita = accept(static_cast<SOCKET>(escuta), nullptr, nullptr);
    if (aceita == INVALID_SOCKET) {
        fechar_soquete(como_soquete_tcp(cliente));
        return false;
    }
    pontas = {como_soquete_tcp(cliente), como_soquete_tcp(aceita), porta_local(cliente)};
    return true;
}

void fechar_soquete(soquete_tcp soquete) {
    if (soquete != sem_soquete) closesocket(static_cast<SOCKET>(soquete));
}

}  // namespace plataforma
