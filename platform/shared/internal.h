// The platform layer's one internal header: what the code in platform/shared/
// (built on every system) needs from each system's folder (platform/linux/,
// platform/windows/), and the helpers both systems' files share.
#pragma once
#include <ares.h>

#include <cstddef>
#include <cstdint>

#include <cstddef>
#include <cstdio>

#include "platform/platform.h"

namespace plataforma::sistema {

// ---- Supplied by each system ------------------------------------------------

// The system's local clock, what ler_relogio reads unless a test replaced it.
hora_local relogio_do_sistema();

// The system's dialog for mostrar_mensagem, once the line is on standard error:
// returns once the user closed it, or at once where none can be shown.
void dialogo_da_mensagem(const char* titulo, const char* texto);

// The steps of writing a file whole (iniciar_gravacao, concluir_gravacao and
// desistir_da_gravacao, in files.cpp here). Each step that fails leaves its
// reason in `g.erro`.

// Whether anything is at `caminho`, a link that leads nowhere included.
bool ha_algo_no_caminho(const char* caminho);

// The file `caminho` leads to, as a path: a link's final target, or the path
// itself when nothing is there yet. False with `erro` set otherwise.
bool resolver_destino(const char* caminho, char* destino, std::size_t largura, int& erro);

// Opens a new temporary file of a unique name beside `g.destino`, its path in
// `g.caminho_temporario`. nullptr when it cannot be made.
std::FILE* criar_temporario(gravacao_de_arquivo& g);

// Checks what is at `g.destino` for the mode (nothing, or a regular file where
// `modo` allows one) and gives the open temporary file its starting state:
// attributes or permissions, and for an append the present content
// (copiar_conteudo_atual).
bool preparar_destino(gravacao_de_arquivo& g, modo_de_gravacao modo);

// The finished temporary file flushed to the disk, closed and put in the
// destination's place. On failure the temporary file is removed and the
// destination is as it was. `g.caminho_temporario` is cleared either way.
bool por_no_lugar(gravacao_de_arquivo& g);

// Removes a temporary file that will not be used.
void apagar_temporario(const char* caminho);

// ---- Shared by both systems' files --------------------------------------------

// Copies a path whole; false (and nothing copied) when it does not fit.
bool copiar_caminho(char* destino, std::size_t largura, const char* origem);

// For an append: the destination's present content written first into the
// temporary file. False (with `g.erro` set) when it cannot be read whole.
bool copiar_conteudo_atual(gravacao_de_arquivo& g);

}  // namespace plataforma::sistema

// The reverse-name resolver (name_resolver.cpp, built on c-ares) needs these
// few calls from the operating system. The resolver itself (its
// c-ares channel, query bookkeeping, cache and counters) compiles unchanged on
// every system; each system supplies these few functions in its own folder:
// platform/linux/resolver_system.cpp here, platform/windows/ for Windows.
//
// The resolver runs one thread of its own (std::thread, std::mutex: on
// mingw-w64 build with the posix thread model) that alone owns the c-ares
// channel, because a channel must never be used from two threads at once.
// Other threads hand it work through the resolver's locked tables and then
// wake it with `despertar_nomes`; the thread sleeps in `esperar_sockets`.
//
// For Windows: abrir_sistema_de_nomes calls WSAStartup (once is enough) and
// makes a wake-up that select() can watch (a UDP socket on 127.0.0.1 that
// despertar_nomes sends a byte to); esperar_sockets is select() over the
// given sockets plus it, draining it when it is readable.

namespace plataforma::nomes {

// Starts the system's sockets for the resolver's use and makes the wake-up.
// Called before the resolver's thread starts. False on failure.
bool abrir_sistema_de_nomes();

// Closes the wake-up, once the resolver's thread has ended. The system's
// sockets may stay started for the next resolver thread.
void fechar_sistema_de_nomes();

// Wakes the resolver's thread out of esperar_sockets. Any thread may call it,
// at any time while the wake-up is open; wake-ups may be merged.
void despertar_nomes();

// One socket of the channel and what c-ares wants from it; `pode_ler` and
// `pode_escrever` tell what it is ready for on return.
struct socket_de_nomes {
    ares_socket_t socket;
    bool quer_ler, quer_escrever;
    bool pode_ler, pode_escrever;
};

// Waits until one of `sockets` is ready for what it wants, a wake-up came or
// `espera_ms` milliseconds passed (-1: no limit), and clears the wake-up.
void esperar_sockets(socket_de_nomes* sockets, int quantos, int espera_ms);

// ---- The system's files about names -----------------------------------------

// Where the system keeps its hosts file, its DNS settings and the order of
// its name sources, and that order when the system says nothing (in the
// syntax of nsswitch.conf's hosts: line). "" for a file the system does not
// have: Windows keeps its DNS settings in the registry, where c-ares reads
// them, and always asks the hosts file first.
struct arquivos_de_nomes {
    const char* hosts;
    const char* resolv_conf;
    const char* nsswitch;
    const char* ordem_padrao;
};
arquivos_de_nomes arquivos_de_nomes_do_sistema();

// What tells a file's versions apart: its identity on the disk, its size and
// its time of change. `existe` is false when it cannot be looked at.
struct firma_de_arquivo {
    bool existe;
    uint64_t dispositivo, identidade, tamanho, modificado;
};
firma_de_arquivo firmar_arquivo(const char* caminho);
bool mesma_firma(const firma_de_arquivo& a, const firma_de_arquivo& b);

// ---- Sources of names, in the system's order ----------------------------------

// What a source said of an address, as nsswitch.conf names it.
enum estado_da_fonte { fonte_achou, fonte_nao_achou, fonte_indisponivel, fonte_tentar_de_novo };
constexpr int estados_da_fonte = 4;

// One source of the order: the hosts file or DNS, and for each outcome
// whether the lookup ends there ("[NOTFOUND=return]").
struct fonte_de_nomes {
    bool dns;
    bool encerra[estados_da_fonte];
};

constexpr int fontes_maximas = 4;
struct ordem_das_fontes {
    int quantas;
    fonte_de_nomes fontes[fontes_maximas];
};

// The order of a hosts: line's sources ("files [NOTFOUND=return] dns");
// sources other than files and dns are passed over with their actions.
ordem_das_fontes ler_ordem_das_fontes(const char* linha);

// The order nsswitch.conf at `caminho` gives, or `padrao` when it has none.
ordem_das_fontes ordem_do_nsswitch(const char* caminho, const char* padrao);

// Whether resolv.conf at `caminho` asks for DNS over TCP ("options use-vc").
bool pede_dns_por_tcp(const char* caminho);

// ---- The hosts file's index (the resolver's thread only) ---------------------

// Brings the index up to date with the hosts file at `caminho`: it is read
// again only when its signature changed.
void atualizar_indice_do_hosts(const char* caminho);

// An address (16 bytes; IPv4 as ::ffff:a.b.c.d) in the index: fonte_achou with
// the first name the file gives it, fonte_nao_achou, or fonte_indisponivel
// when the file cannot be read.
estado_da_fonte procurar_no_hosts(const unsigned char (&endereco)[16], char* nome,
                                  std::size_t largura);

}  // namespace plataforma::nomes
