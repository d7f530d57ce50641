// A process's executable and name read from /proc with the rights the caller
// has, as the kernel gives them (UTF-8). Used by the program for its user's
// processes and by the helper for everyone's.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plataforma::proc {

struct identidade_crua {
    bool existe;       // `nome` holds the name
    bool tem_caminho;  // `caminho` holds the executable's full path
    bool recusada;     // the executable could not be read for want of rights
};

// `nome` gets the executable's file name, or the command name of
// /proc/<pid>/stat when the executable cannot be read (kernel threads,
// processes that are exiting, other users' processes without the rights).
// Texts longer than their widths are cut.
identidade_crua ler_identidade(int32_t pid, char* nome, std::size_t largura_nome, char* caminho,
                               std::size_t largura_caminho);

}  // namespace plataforma::proc
