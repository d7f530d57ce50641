// The message dialog on Windows: a message box with no owner window and an OK
// button (the line on standard error is written for every system). The wide
// call shows the program's Latin-1 text, and a path it carries, as written,
// whatever the system's code page.
#include <winsock2.h>  // before windows.h: the internal header brings in c-ares
#include <windows.h>

#include "platform/platform.h"
#include "platform/shared/internal.h"
#include "platform/windows/wide_text.h"

namespace plataforma {

void sistema::dialogo_da_mensagem(const char* titulo, const char* texto) {
    wchar_t titulo_largo[256];
    wchar_t texto_largo[2048];
    largo::largo_do_texto(titulo, titulo_largo, sizeof titulo_largo / sizeof *titulo_largo);
    largo::largo_do_texto(texto, texto_largo, sizeof texto_largo / sizeof *texto_largo);
    MessageBoxW(nullptr, texto_largo, titulo_largo, MB_OK);
}

}  // namespace plataforma
