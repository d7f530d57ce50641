#include "platform/shared/utf8.h"

namespace plataforma::utf8 {

namespace {

bool continuacao(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

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

}  // namespace plataforma::utf8
