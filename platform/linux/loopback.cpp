// Loopback TCP connections on Linux, close-on-exec so that programs this
// process starts do not hold them open.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/platform.h"

namespace plataforma {
namespace {

sockaddr_in loopback_na_porta(int porta) {
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    endereco.sin_port = htons(static_cast<uint16_t>(porta));
    return endereco;
}

int porta_local(int soquete) {
    sockaddr_in endereco{};
    socklen_t tamanho = sizeof endereco;
    if (getsockname(soquete, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0) return 0;
    return ntohs(endereco.sin_port);
}

}  // namespace

soquete_tcp escutar_em_loopback(int& porta) {
    int soquete = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in endereco = loopback_na_porta(0);
    if (soquete < 0 || bind(soquete, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        listen(soquete, 64) != 0 || (porta = porta_local(soquete)) == 0) {
        fechar_soquete(soquete);
        return sem_soquete;
    }
    return soquete;
}

bool conectar_em_loopback(soquete_tcp escuta, int porta, pontas_de_conexao& pontas) {
    pontas = {};
    int cliente = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in endereco = loopback_na_porta(porta);
    if (cliente < 0 || connect(cliente, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) {
        fechar_soquete(cliente);
        return false;
    }
    int aceita = accept4(static_cast<int>(escuta), nullptr, nullptr, SOCK_CLOEXEC);
    if (aceita < 0) {
        fechar_soquete(cliente);
        return false;
    }
    pontas = {cliente, aceita, porta_local(cliente)};
    return true;
}

void fechar_soquete(soquete_tcp soquete) {
    if (soquete >= 0) close(static_cast<int>(soquete));
}

}  // namespace plataforma
