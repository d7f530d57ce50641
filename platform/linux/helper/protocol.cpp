#include "platform/linux/helper/protocol.h"

#include <limits.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <ctime>

namespace plataforma::ajudante {

int64_t agora_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

namespace {

// Waits for the descriptor to be ready for `eventos` until `prazo_ms`
// (-1: without limit). False on a failure or when the time is up.
bool esperar(int fd, short eventos, int64_t prazo_ms) {
    for (;;) {
        int espera = -1;
        if (prazo_ms >= 0) {
            int64_t resta = prazo_ms - agora_ms();
            if (resta <= 0) return false;
            espera = static_cast<int>(resta);
        }
        pollfd p{fd, eventos, 0};
        int n = poll(&p, 1, espera);
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return false;
    }
}

// On a socket, each call alone is non-blocking and a closed other end is an
// error, not a signal; a pipe (a test feeding the helper) is written no more
// than the pipe's atomic size at a time, which a writable pipe takes whole.
ssize_t escrever_sem_esperar(int fd, const char* dados, std::size_t n) {
    ssize_t r = send(fd, dados, n, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (r >= 0 || errno != ENOTSOCK) return r;
    return write(fd, dados, std::min<std::size_t>(n, PIPE_BUF));
}

ssize_t ler_sem_esperar(int fd, char* destino, std::size_t n) {
    ssize_t r = recv(fd, destino, n, MSG_DONTWAIT);
    if (r >= 0 || errno != ENOTSOCK) return r;
    return read(fd, destino, n);
}

}  // namespace

void leitor::ligar(int fd) {
    fd_ = fd;
    pos_ = fim_ = 0;
}

void escritor::ligar(int fd) {
    fd_ = fd;
    usados_ = 0;
    falhou_ = false;
    prazo_ms_ = 0;
}

leitura leitor::encher(int64_t prazo_ms) {
    pos_ = fim_ = 0;
    for (;;) {
        if (!esperar(fd_, POLLIN, prazo_ms)) return leitura::errada;
        ssize_t n = ler_sem_esperar(fd_, buffer_, sizeof buffer_);
        if (n > 0) {
            fim_ = static_cast<std::size_t>(n);
            return leitura::certa;
        }
        if (n == 0) return leitura::fim;
        if (errno != EINTR && errno != EAGAIN) return leitura::errada;
    }
}

leitura leitor::esperar_mensagem(int espera_ms) {
    if (vazio()) {
        leitura r = encher(espera_ms < 0 ? -1 : agora_ms() + espera_ms);
        if (r != leitura::certa) return r;
    }
    prazo_ms_ = agora_ms() + limite_de_mensagem_ms;
    return leitura::certa;
}

bool leitor::byte(char& c) {
    if (vazio() && encher(prazo_ms_) != leitura::certa) return false;
    c = buffer_[pos_++];
    return true;
}

bool leitor::numero(uint64_t maximo, uint64_t& valor, char& fim) {
    char c;
    if (!byte(c) || c < '0' || c > '9') return false;
    uint64_t v = static_cast<uint64_t>(c - '0');
    for (;;) {
        if (!byte(c)) return false;
        if (c < '0' || c > '9') break;
        // "0" alone, never a leading zero; never past the bound.
        uint64_t d = static_cast<uint64_t>(c - '0');
        if (v == 0 || d > maximo || v > (maximo - d) / 10) return false;
        v = v * 10 + d;
    }
    if (v > maximo || (c != ' ' && c != '\n')) return false;
    valor = v;
    fim = c;
    return true;
}

bool leitor::numero_e(uint64_t maximo, char esperado, uint64_t& valor) {
    char fim;
    return numero(maximo, valor, fim) && fim == esperado;
}

bool leitor::bytes(char* destino, std::size_t quantos) {
    for (std::size_t i = 0; i < quantos; ++i) {
        if (!byte(destino[i])) return false;
    }
    return true;
}

void escritor::numero(uint64_t valor, char depois) {
    char digitos[24];
    int n = 0;
    do {
        digitos[n++] = static_cast<char>('0' + valor % 10);
        valor /= 10;
    } while (valor > 0);
    char texto[24];
    for (int i = 0; i < n; ++i) texto[i] = digitos[n - 1 - i];
    texto[n] = depois;
    bytes(texto, static_cast<std::size_t>(n) + 1);
}

void escritor::bytes(const char* origem, std::size_t quantos) {
    while (quantos > 0 && !falhou_) {
        if (usados_ == sizeof buffer_ && !despejar()) return;
        std::size_t parte = std::min(quantos, sizeof buffer_ - usados_);
        std::memcpy(buffer_ + usados_, origem, parte);
        usados_ += parte;
        origem += parte;
        quantos -= parte;
    }
}

bool escritor::despejar() {
    if (prazo_ms_ == 0) prazo_ms_ = agora_ms() + limite_de_mensagem_ms;
    std::size_t enviados = 0;
    while (enviados < usados_) {
        if (!esperar(fd_, POLLOUT, prazo_ms_)) break;
        ssize_t n = escrever_sem_esperar(fd_, buffer_ + enviados, usados_ - enviados);
        if (n > 0) enviados += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
    }
    falhou_ = falhou_ || enviados < usados_;
    usados_ = 0;
    return !falhou_;
}

bool escritor::enviar() {
    bool certo = despejar();
    falhou_ = false;
    prazo_ms_ = 0;
    return certo;
}

}  // namespace plataforma::ajudante
