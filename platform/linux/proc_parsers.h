// Readers of the texts the kernel publishes under /proc: lines of
// /proc/net/tcp and /proc/net/tcp6, the target of a /proc/<pid>/fd link, the
// line of /proc/<pid>/stat and the target of /proc/<pid>/exe. Pure functions
// over text, so they are tested on real samples.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plataforma::proc {

// One line of /proc/net/tcp (one 32-bit word per address) or /proc/net/tcp6
// (four words). Each word holds the bytes of the address in network order, as
// the kernel keeps them; ports are in host order.
struct linha_tcp {
    int palavras;  // 1: IPv4, 4: IPv6
    uint32_t local[4];
    uint16_t porta_local;
    uint32_t remoto[4];
    uint16_t porta_remota;
    int estado_linux;  // TCP_ESTABLISHED is 1
    uint64_t inode;
};

// False for the heading line and for anything that is not a connection line.
bool ler_linha_tcp(const char* linha, linha_tcp* saida);

// The IPv4 address of an IPv4-mapped IPv6 address (::ffff:a.b.c.d), in
// network order. False for a real IPv6 address.
bool ipv4_mapeado(const uint32_t palavras[4], uint32_t* ipv4);

// The kernel's TCP state numbers as the connection table numbers them
// (1 closed, 2 listen, ..., 5 established, ..., 11 time-wait); 0 for a state
// the table does not know.
int estado_da_tabela(int estado_linux);
constexpr int linux_estabelecido = 1;

// The inode of a "socket:[123]" link target of `tamanho` characters.
bool inode_de_socket(const char* alvo, std::size_t tamanho, uint64_t* inode);

// The command name of a /proc/<pid>/stat line: between the first "(" and the
// last ")", since the name itself may hold either. Cut to fit `largura`.
bool nome_no_stat(const char* linha, char* destino, std::size_t largura);

// A /proc/<pid>/exe target without the " (deleted)" the kernel appends when
// the file was removed or replaced since the process started.
void caminho_sem_removido(const char* alvo, char* destino, std::size_t largura);

// The file name of a path: what follows its last "/".
void nome_base(const char* caminho, char* destino, std::size_t largura);

}  // namespace plataforma::proc
