// The platform layer's code that is the same on every system lives in this
// folder and is built on each; what it needs from the system, each system's
// folder (platform/linux/, platform/windows/) supplies here. Its own helpers
// that both systems' files call are declared here too.
#pragma once
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
