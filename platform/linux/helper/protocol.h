// The conversation between the program and its helper, the small program that
// alone holds the capabilities to read other users' /proc entries. Both sides
// speak only decimal numbers, strictly: no sign, no leading zero, no blank but
// the single space between two numbers, every message ended by a line feed,
// every number within its bound. Requests:
//   "1 <n> <inode>...\n"  the owners of n sockets (n at most 65536)
//   "2 <pid>\n"           a process's name and executable
//   "3\n"                 forget the owners found so far
// Answers, in order:
//   "<pid>...\n"          one pid per socket, 0 where the owner is unknown
//   "<e> <c> <a> <b>\n"   e: the process exists, c: its executable was read,
//                         then the a bytes of its name and the b bytes of the path
//   "0\n"
// A message that starts must end within `limite_de_mensagem_ms`.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace plataforma::ajudante {

constexpr uint64_t pedido_donos = 1;
constexpr uint64_t pedido_identidade = 2;
constexpr uint64_t pedido_esquecer = 3;

constexpr uint64_t maximo_de_sockets = maximo_conexoes_tcp;
constexpr uint64_t maior_pid = 0x7fffffff;
constexpr std::size_t largura_do_nome = 256;     // the name sent: at most 255 bytes
constexpr std::size_t largura_do_caminho = 4096; // the path sent: at most 4095 bytes
constexpr int limite_de_mensagem_ms = 5000;

enum class leitura { certa, fim, errada };

// Reads one side's messages from descriptor `fd`, a buffer at a time.
class leitor {
public:
    explicit leitor(int fd = -1) : fd_(fd) {}
    void ligar(int fd);
    // Waits up to `espera_ms` (-1: without limit) for the first byte of the
    // next message and starts its time limit. `fim` when the other side
    // closed between messages; `errada` on a failure or when nothing came.
    leitura esperar_mensagem(int espera_ms);
    // One number of at most `maximo`; `fim` receives the byte after it, which
    // must be a space or a line feed.
    bool numero(uint64_t maximo, uint64_t& valor, char& fim);
    // One number of at most `maximo` followed by exactly `esperado`.
    bool numero_e(uint64_t maximo, char esperado, uint64_t& valor);
    bool bytes(char* destino, std::size_t quantos);
    // Whether nothing read is left over: a message ends where the next starts.
    bool vazio() const { return pos_ == fim_; }

private:
    bool byte(char& c);
    leitura encher(int64_t prazo_ms);  // -1: without limit

    int fd_;
    int64_t prazo_ms_ = 0;
    std::size_t pos_ = 0, fim_ = 0;
    char buffer_[8192];
};

// Builds one message at a time and sends it whole within the time limit.
class escritor {
public:
    explicit escritor(int fd = -1) : fd_(fd) {}
    void ligar(int fd);
    void numero(uint64_t valor, char depois);
    void bytes(const char* origem, std::size_t quantos);
    bool enviar();

private:
    bool despejar();

    int fd_;
    bool falhou_ = false;
    int64_t prazo_ms_ = 0;
    std::size_t usados_ = 0;
    char buffer_[65536];
};

int64_t agora_ms();

}  // namespace plataforma::ajudante
