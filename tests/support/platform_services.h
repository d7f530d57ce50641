// What the tests use to stand where a user, another program or the system
// stands: loopback connections held open, a program started and waited for,
// the memory and threads in use, a process's name and path. The program itself
// calls none of these; each system's file here implements them
// (platform_services_posix.cpp, platform_services_windows.cpp), and the few
// that need no system of their own are in platform_services.cpp.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace plataforma {


// A TCP socket of the system's; `sem_soquete` when there is none. Sockets made
// here are not inherited by programs this process starts.
using soquete_tcp = std::intptr_t;
constexpr soquete_tcp sem_soquete = -1;

// A listener on 127.0.0.1 at a free port, written into `porta`.
soquete_tcp escutar_em_loopback(int& porta);

// A connection to 127.0.0.1:`porta` where `escuta` listens, and its end accepted
// there. False (nothing left open) when either end failed.
struct pontas_de_conexao {
    soquete_tcp cliente = sem_soquete, aceita = sem_soquete;
    int porta_cliente = 0;
};
bool conectar_em_loopback(soquete_tcp escuta, int porta, pontas_de_conexao& pontas);

void fechar_soquete(soquete_tcp soquete);

// ---- A server of the tests' own (their DNS server) on an IPv4 address ----
// Its sockets are soquete_tcp values too, UDP ones included.

// Where a datagram came from, kept to send the answer back.
struct origem_de_datagrama {
    unsigned char endereco[16] = {};
};

// A UDP socket bound to `endereco`:`porta`; a free port when `porta` is 0,
// written back.
soquete_tcp abrir_udp(const char* endereco, int& porta);
// A TCP listener on `endereco`:`porta`.
soquete_tcp escutar_tcp(const char* endereco, int porta);
soquete_tcp aceitar_conexao(soquete_tcp ouvinte);

// The size of the datagram read, 0 or less when none could be.
int receber_datagrama(soquete_tcp soquete, void* dados, int largura, origem_de_datagrama& origem);
void enviar_datagrama(soquete_tcp soquete, const void* dados, int tamanho,
                      const origem_de_datagrama& destino);
// False unless exactly `tamanho` bytes came before the other end closed.
bool receber_exatamente(soquete_tcp soquete, void* dados, int tamanho);
void enviar_na_conexao(soquete_tcp soquete, const void* dados, int tamanho);

// Waits at most `limite_ms` for any of the `n` sockets to have something to
// read (a connection to accept included), and marks which in `prontos`.
void esperar_leitura(const soquete_tcp* soquetes, bool* prontos, int n, int limite_ms);

// A program started in `pasta` (nullptr: the current one), not detached: the
// caller waits for it and ends it. `argumentos` as for lancar_programa; a
// program named without a folder is looked for where the system looks.
struct processo_filho {
    std::intptr_t alca = 0;  // 0 when it was not started
    long pid = 0;
    bool terminou = false;   // its end seen, with its exit status
    int status = 0;
};
processo_filho iniciar_processo(const char* const argumentos[], const char* pasta);

// Waits at most `limite_ms` for its end: true, with its exit status, once it
// ended (asked again, the same answer at once).
bool esperar_processo(processo_filho& processo, unsigned limite_ms, int& status);

// Ends it if it still runs and forgets it.
void liberar_processo(processo_filho& processo);

// The memory this process holds now, in bytes: the C heap's blocks in use on
// Linux, the commit charge on Windows (a heap walk there misses large
// blocks). 0 when it cannot be measured.
std::size_t memoria_em_uso();

// The files, sockets and other handles this process holds open now; -1 when
// they cannot be counted. Tests use it to see that none is left behind.
int alcas_abertas();

// Windows only:
// Whether Wine runs this program: Wine gives every connection the owner 0 and
// lists only its own processes.
bool sob_wine();
// The program's visible top-level window titled `titulo`; 0 when none yet.
std::uintptr_t janela_do_processo(const processo_filho& processo, const char* titulo);
// What a user's left click at (x, y) of the drawing area and the close button
// send the window.
void clicar_na_janela(std::uintptr_t janela, int x, int y);
void fechar_janela(std::uintptr_t janela);

// The shell's record of one of the user's folders (`valor`: "Personal" for the
// documents, "Local AppData" for the local application data), for this process
// and the programs it starts, in UTF-8 so that a folder of any name can be
// recorded: as recorded (unexpanded), or `padrao` when the folder recorded is
// not there. False when nothing is recorded.
bool pasta_registrada(const char* valor, const char* padrao, char* destino, std::size_t largura);
// Records `pasta` under `valor`; nullptr removes the record.
void registrar_pasta(const char* valor, const char* pasta);

// The threads of the calling process now; -1 when they cannot be counted.
// Tests use it to see that no thread is left behind.
int threads_do_processo();

// The executable's file name of process `pid`. False when there is no such
// process (or its name cannot be read).
bool nome_do_processo(int32_t pid, char* destino, std::size_t largura);

// The full path of process `pid`'s executable. False when it cannot be read.
bool caminho_do_executavel(int32_t pid, char* destino, std::size_t largura);

}  // namespace plataforma
