// The program's texts and the wide (UTF-16) texts of the Windows "W" calls,
// which take and give any name the system holds. Paths cross the platform
// interface in UTF-8 on Windows, as file names do on Linux, so a user's or a
// folder's name in any script comes back unchanged; the program's own names are
// ASCII, the same in either. Other texts (process names, messages) are Latin-1;
// a message may carry a path.
#pragma once
#include <cstddef>

namespace plataforma::largo {

// Room for the longest path the program's cells can hold.
constexpr std::size_t largura_de_caminho = 4096;

// A text for a W call: each valid UTF-8 sequence is its character and every
// other byte its Latin-1 character, so the program's Latin-1 texts, UTF-8
// paths and a message that joins both come out as written. False when it does
// not fit `largura` (terminator included); the text is then incomplete.
bool largo_do_texto(const char* texto, wchar_t* destino, std::size_t largura);

// A path for a W call, as largo_do_texto converts it. `valido` is false when
// it does not fit.
struct caminho_largo {
    explicit caminho_largo(const char* caminho);
    wchar_t texto[largura_de_caminho];
    bool valido;
};

// A wide path in UTF-8; false (with nothing written) when it does not fit.
bool caminho_do_largo(const wchar_t* largo, char* destino, std::size_t largura);

// A wide text in Latin-1: each character outside Latin-1 and each control
// character becomes "?", as on Linux. Cut to fit.
void latin1_do_largo(const wchar_t* largo, char* destino, std::size_t largura);

}  // namespace plataforma::largo
