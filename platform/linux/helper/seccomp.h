// The helper's system calls, once it is ready to serve: reading and writing
// its socket, waiting on it, reading /proc, its two capabilities, memory and
// ending. Any other call fails with EPERM.
#pragma once

namespace plataforma::ajudante {

// True when the filter is in place, or when it is left out: this processor's
// calls are not known here, or the build is a sanitizer's.
bool filtrar_chamadas_ao_sistema();

}  // namespace plataforma::ajudante
