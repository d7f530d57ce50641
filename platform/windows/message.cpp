// Messages to the user on Windows: a message box with no owner window and an OK
// button, and the same text as one line on standard error for whoever keeps it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace plataforma {

void mostrar_mensagem(const char* titulo, const char* texto) {
    std::string linha(texto);
    for (char& c : linha) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", linha.c_str());
    std::fflush(stderr);
    MessageBoxA(nullptr, texto, titulo, MB_OK);
}

}  // namespace plataforma
