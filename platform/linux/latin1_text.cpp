#include "platform/linux/latin1_text.h"

#include "platform/shared/utf8.h"

namespace plataforma {

namespace {

constexpr char substituto = '?';

using utf8::caractere;
using utf8::decodificar;

// Control characters (C0, DEL and C1) have no place in a name shown on one line.
bool imprimivel(unsigned long ponto) { return ponto >= 0x20 && !(ponto >= 0x7F && ponto < 0xA0); }

}  // namespace

void utf8_para_latin1(char* texto) {
    const unsigned char* lido = reinterpret_cast<const unsigned char*>(texto);
    char* escrito = texto;
    while (*lido) {
        if (*lido < 0x80) {
            *escrito++ = imprimivel(*lido) ? static_cast<char>(*lido) : substituto;
            ++lido;
            continue;
        }
        caractere c = decodificar(lido);
        if (c.comprimento == 0) {
            *escrito++ = substituto;
            ++lido;
            continue;
        }
        *escrito++ = c.ponto <= 0xFF && imprimivel(c.ponto) ? static_cast<char>(c.ponto) : substituto;
        lido += c.comprimento;
    }
    *escrito = '\0';
}

}  // namespace plataforma
