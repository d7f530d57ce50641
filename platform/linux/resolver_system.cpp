// The Linux side of the resolver's system seam: an eventfd wakes the
// resolver's thread, poll() watches it and the channel's sockets; the name
// files are the C library's.
#include "platform/shared/internal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

namespace plataforma::nomes {

namespace {

std::atomic<int> despertador{-1};

void consumir_despertar() {
    uint64_t valor;
    while (read(despertador.load(), &valor, sizeof valor) > 0) {
    }
}

}  // namespace

bool abrir_sistema_de_nomes() {
    int descritor = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    despertador.store(descritor);
    return descritor >= 0;
}

void fechar_sistema_de_nomes() {
    int descritor = despertador.exchange(-1);
    if (descritor >= 0) close(descritor);
}

void despertar_nomes() {
    int descritor = despertador.load();
    if (descritor < 0) return;
    uint64_t um = 1;
    // A full counter already means "awake"; nothing to do when it fails.
    if (write(descritor, &um, sizeof um) < 0) return;
}

void esperar_sockets(socket_de_nomes* sockets, int quantos, int espera_ms) {
    pollfd observados[ARES_GETSOCK_MAXNUM + 1];
    int n = 0;
    for (int i = 0; i < quantos && n < ARES_GETSOCK_MAXNUM; ++i, ++n) {
        observados[n].fd = sockets[i].socket;
        observados[n].events = static_cast<short>((sockets[i].quer_ler ? POLLIN : 0) |
                                                  (sockets[i].quer_escrever ? POLLOUT : 0));
        observados[n].revents = 0;
    }
    observados[n] = {despertador.load(), POLLIN, 0};
    if (poll(observados, static_cast<nfds_t>(n + 1), espera_ms) > 0 && observados[n].revents)
        consumir_despertar();
    for (int i = 0; i < n; ++i) {
        // An error or hang-up is handed to c-ares as readable: its read fails
        // and it deals with the server as it does on any failed read.
        short pronto = observados[i].revents;
        sockets[i].pode_ler = (pronto & (POLLIN | POLLERR | POLLHUP)) != 0;
        sockets[i].pode_escrever = (pronto & POLLOUT) != 0;
    }
}

arquivos_de_nomes arquivos_de_nomes_do_sistema() {
    // The C library's order when nsswitch.conf has no hosts: line.
    return {"/etc/hosts", "/etc/resolv.conf", "/etc/nsswitch.conf", "dns [!UNAVAIL=return] files"};
}

firma_de_arquivo firmar_arquivo(const char* caminho) {
    struct stat dados;
    if (caminho[0] == '\0' || stat(caminho, &dados) != 0) return {false, 0, 0, 0, 0};
    uint64_t modificado = static_cast<uint64_t>(dados.st_mtim.tv_sec) * 1000000000u +
                          static_cast<uint64_t>(dados.st_mtim.tv_nsec);
    return {true, static_cast<uint64_t>(dados.st_dev), static_cast<uint64_t>(dados.st_ino),
            static_cast<uint64_t>(dados.st_size), modificado};
}

}  // namespace plataforma::nomes
