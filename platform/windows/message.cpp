// The message dialog on Windows: a message box with no owner window and an OK
// button (the line on standard error is written for every system).
#include <winsock2.h>  // before windows.h: the internal header brings in c-ares
#include <windows.h>

#include "platform/platform.h"
#include "platform/shared/internal.h"

namespace plataforma {

void sistema::dialogo_da_mensagem(const char* titulo, const char* texto) {
    MessageBoxA(nullptr, texto, titulo, MB_OK);
}

}  // namespace plataforma
