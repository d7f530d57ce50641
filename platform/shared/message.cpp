// Messages to the user: always one line on standard error (whoever keeps it
// reads the message whole there), then the system's dialog.
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/shared/internal.h"

namespace plataforma {

void mostrar_mensagem(const char* titulo, const char* texto) {
    std::string linha(texto);
    for (char& c : linha) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", linha.c_str());
    std::fflush(stderr);
    sistema::dialogo_da_mensagem(titulo, texto);
}

}  // namespace plataforma
