#include "common/diagnostics.h"

#include <cstdarg>
#include <cstdio>

#include "platform/platform.h"

void latin1_para_saida(const char* texto, char* destino, unsigned long largura) {
    if (largura == 0) return;
    unsigned long n = 0;
    const bool utf8 = plataforma::saida_em_utf8();
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(texto); *p; ++p) {
        if (!utf8 || *p < 0x80) {
            if (n + 1 >= largura) break;
            destino[n++] = static_cast<char>(*p);
        } else {
            if (n + 2 >= largura) break;
            destino[n++] = static_cast<char>(0xC0 | (*p >> 6));
            destino[n++] = static_cast<char>(0x80 | (*p & 0x3F));
        }
    }
    destino[n] = '\0';
}

// The whole line is formatted first and converted after: the values put into
// it (process names, settings lines) are Latin-1 like the literals.
void diagnostico(const char* formato, ...) {
    char linha[1024];
    va_list args;
    va_start(args, formato);
    std::vsnprintf(linha, sizeof linha, formato, args);
    va_end(args);
    char linha_saida[2 * sizeof linha];
    latin1_para_saida(linha, linha_saida, sizeof linha_saida);
    std::fputs(linha_saida, stdout);
    std::fflush(stdout);
}
