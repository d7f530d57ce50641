// A process that holds one loopback connection, both of its ends, for a test
// that runs it as another user: it prints the listening port and the client's
// port on one line, then waits until it is killed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

namespace {

int porta_de(int fd) {
    sockaddr_in endereco{};
    socklen_t tamanho = sizeof endereco;
    getsockname(fd, reinterpret_cast<sockaddr*>(&endereco), &tamanho);
    return ntohs(endereco.sin_port);
}

}  // namespace

int main() {
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int escuta = socket(AF_INET, SOCK_STREAM, 0);
    if (escuta < 0 || bind(escuta, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        listen(escuta, 1) != 0)
        return 1;
    endereco.sin_port = htons(static_cast<uint16_t>(porta_de(escuta)));
    int cliente = socket(AF_INET, SOCK_STREAM, 0);
    if (cliente < 0 || connect(cliente, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0)
        return 1;
    int aceita = accept(escuta, nullptr, nullptr);
    if (aceita < 0) return 1;
    std::printf("%d %d\n", porta_de(escuta), porta_de(cliente));
    std::fflush(stdout);
    for (;;) pause();
}
