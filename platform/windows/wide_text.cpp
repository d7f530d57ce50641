#include "platform/windows/wide_text.h"

#include <windows.h>

#include <climits>

#include "platform/shared/utf8.h"

namespace plataforma::largo {

namespace {

constexpr char substituto = '?';

// Control characters (C0, DEL and C1) have no place in a name shown on one line.
bool imprimivel(unsigned ponto) { return ponto >= 0x20 && !(ponto >= 0x7F && ponto < 0xA0); }

using utf8::caractere;
using utf8::decodificar;

}  // namespace

// Each valid UTF-8 sequence is its character and every other byte its Latin-1
// character: the program's Latin-1 texts, UTF-8 paths and a message that joins
// both all come out as written.
bool largo_do_texto(const char* texto, wchar_t* destino, std::size_t largura) {
    if (largura == 0) return false;
    const unsigned char* lido = reinterpret_cast<const unsigned char*>(texto);
    std::size_t n = 0;
    destino[0] = L'\0';
    while (*lido) {
        caractere c = *lido < 0x80 ? caractere{0, 0} : decodificar(lido);
        unsigned long ponto = c.comprimento ? c.ponto : *lido;
        lido += c.comprimento ? c.comprimento : 1;
        bool par = ponto > 0xFFFF;  // a surrogate pair in UTF-16
        if (n + (par ? 2 : 1) >= largura) {
            destino[n] = L'\0';
            return false;
        }
        if (par) {
            destino[n++] = static_cast<wchar_t>(0xD800 + ((ponto - 0x10000) >> 10));
            ponto = 0xDC00 + ((ponto - 0x10000) & 0x3FF);
        }
        destino[n++] = static_cast<wchar_t>(ponto);
    }
    destino[n] = L'\0';
    return true;
}

caminho_largo::caminho_largo(const char* caminho)
    : valido(largo_do_texto(caminho, texto, largura_de_caminho)) {}

bool caminho_do_largo(const wchar_t* largo, char* destino, std::size_t largura) {
    int limite = largura > INT_MAX ? INT_MAX : static_cast<int>(largura);
    if (limite == 0) return false;
    if (WideCharToMultiByte(CP_UTF8, 0, largo, -1, destino, limite, nullptr, nullptr) > 0) return true;
    destino[0] = '\0';
    return false;
}

void latin1_do_largo(const wchar_t* largo, char* destino, std::size_t largura) {
    if (largura == 0) return;
    std::size_t n = 0;
    for (const wchar_t* c = largo; *c && n + 1 < largura; ++c) {
        unsigned ponto = static_cast<unsigned>(*c);
        // A surrogate pair is one character beyond Latin-1: one "?".
        if (ponto >= 0xD800 && ponto < 0xDC00 && c[1] >= 0xDC00 && c[1] < 0xE000) ++c;
        destino[n++] = ponto <= 0xFF && imprimivel(ponto) ? static_cast<char>(ponto) : substituto;
    }
    destino[n] = '\0';
}

}  // namespace plataforma::largo
