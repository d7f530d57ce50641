#include "platform/linux/latin1_text.h"

namespace plataforma {

namespace {

constexpr char substituto = '?';

bool continuacao(unsigned char c) { return (c & 0xC0) == 0x80; }

// The code point of the UTF-8 sequence at `p` and its length; length 0 when the
// bytes there are not a valid, shortest-form sequence.
struct caractere {
    unsigned long ponto;
    int comprimento;
};

caractere decodificar(const unsigned char* p) {
    int n = 0;
    unsigned long ponto = 0, minimo = 0;
    if (p[0] >= 0xC0 && p[0] < 0xE0) n = 2, ponto = p[0] & 0x1F, minimo = 0x80;
    else if (p[0] >= 0xE0 && p[0] < 0xF0) n = 3, ponto = p[0] & 0x0F, minimo = 0x800;
    else if (p[0] >= 0xF0 && p[0] < 0xF8) n = 4, ponto = p[0] & 0x07, minimo = 0x10000;
    else return {0, 0};
    // The terminator is no continuation byte, so a cut sequence stops here.
    for (int i = 1; i < n; ++i) {
        if (!continuacao(p[i])) return {0, 0};
        ponto = ponto << 6 | (p[i] & 0x3F);
    }
    bool valido = ponto >= minimo && ponto <= 0x10FFFF && !(ponto >= 0xD800 && ponto <= 0xDFFF);
    return valido ? caractere{ponto, n} : caractere{0, 0};
}

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
