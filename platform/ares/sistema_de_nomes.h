// What the reverse-name resolver (resolvedor_de_nomes.cpp, built on c-ares)
// needs from the operating system, and nothing else. The resolver itself (its
// c-ares channel, query bookkeeping, cache and counters) compiles unchanged on
// every system; each system supplies these few functions in its own folder:
// platform/linux/sistema_de_nomes.cpp here, platform/windows/ for Windows.
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
#pragma once
#include <ares.h>

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

}  // namespace plataforma::nomes
