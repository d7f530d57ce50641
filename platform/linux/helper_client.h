// The program's side of the helper (helper/): the small program installed
// beside it that alone may hold the capabilities to read other users' /proc
// entries. It is started at the first question, over a socket pair, and asked
// for what the program cannot read with its user's own rights. Where it is
// missing, not permitted, or stops answering, each call here answers false
// and the program reads /proc itself, as its user can; one line on standard
// error says why, once.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/linux/process_identity.h"
#include "platform/linux/sock_diag.h"

namespace plataforma::ajudante {

// The helper's file name, looked for in the folder of the program's executable.
constexpr const char* nome_do_ajudante = "quorvex-helper";

// The owners of the `n` sockets into `pids`, as donos::resolver finds them.
bool pedir_donos(const diag::socket_tcp* sockets, int32_t* pids, int n);

// What proc::ler_identidade would read with the helper's rights.
bool pedir_identidade(int32_t pid, char* nome, std::size_t largura_nome, char* caminho,
                      std::size_t largura_caminho, proc::identidade_crua& identidade);

// Has the helper forget the owners it found; nothing when it is not running.
void pedir_esquecimento();

// How this process has used the helper (the capture benchmark prints it):
// whether it runs now, its process id, the questions it answered and the
// time spent waiting for its answers.
struct uso {
    bool ativo;
    long pid;
    uint64_t respostas;
    uint64_t espera_ns;
};
uso consultar();

}  // namespace plataforma::ajudante
