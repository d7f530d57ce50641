// What the programs Quorvex starts inherit: the user's environment, without
// the settings the program made for its own SDL, and none of the program's
// descriptors beyond the three standard ones.
#pragma once
#include <vector>

namespace plataforma::filhos {

// Sets `nome` for the program's own SDL, remembering what the user had.
void definir_para_o_sdl(const char* nome, const char* valor);

// The environment for a program about to be started, built before fork (the
// child may not allocate): the user's, as it was before definir_para_o_sdl.
// The texts live in the process's environment and in `guarda`'s lifetime.
char* const* ambiente_do_usuario(std::vector<char*>& guarda);

// In the child between fork and exec: every descriptor from 3 up is closed
// at the exec. Async-signal-safe.
void nao_herdar_descritores();

}  // namespace plataforma::filhos
