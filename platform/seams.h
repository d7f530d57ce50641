// Seams of the platform layer: places where a test or a benchmark puts
// something of its own in the system's place (the clock, the resolver's
// servers and clock, the connection table's way of reading). The program
// itself never calls these; with none of them called, every service works on
// the system's own.
#pragma once
#include <cstdint>

#include "platform/platform.h"

namespace plataforma {

// Replaces the clock that ler_relogio reads; nullptr puts the real one back.
using fonte_de_relogio = hora_local (*)();
void substituir_relogio(fonte_de_relogio fonte);

// DNS servers ("127.0.0.1:5353,...") asked instead of the system's, and the
// sources asked in the order `ordem` gives ("fb": the hosts file, then DNS;
// "b": DNS alone; "": the system's order) whatever the system's order says;
// nullptr puts the system's configuration back. Takes effect at the
// resolver's next start.
void usar_servidores_de_nomes(const char* servidores, const char* ordem);

// The resolver's clock in milliseconds (windows and the 30 s retry); nullptr
// puts the steady clock back.
using relogio_de_nomes = uint64_t (*)();
void substituir_relogio_de_nomes(relogio_de_nomes relogio);

// Reads the connection table the second way the system offers (the way a
// system without the first one is read) while `usar` is true.
void usar_segunda_via_da_tabela(bool usar);

// Forgets every connection owner found so far: the next reading looks them
// all up again, as the program's first reading does.
void esquecer_donos_das_conexoes();

}  // namespace plataforma
