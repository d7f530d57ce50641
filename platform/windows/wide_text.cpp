#include "platform/windows/wide_text.h"

#include <windows.h>

#include <climits>
#include <cstring>

namespace plataforma::largo {

namespace {

constexpr char substituto = '?';

// Control characters (C0, DEL and C1) have no place in a name shown on one line.
bool imprimivel(unsigned ponto) { return ponto >= 0x20 && !(ponto >= 0x7F && ponto < 0xA0); }

bool utf8_para_largo(const char* texto, int tamanho, wchar_t* destino, int largura) {
    int escritos = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, texto, tamanho, destino, largura);
    return escritos > 0;
}

}  // namespace

caminho_largo::caminho_largo(const char* caminho) : texto{}, valido(false) {
    std::size_t tamanho = std::strlen(caminho);
    if (tamanho >= largura_de_caminho) return;
    // With its terminator: the empty path is a valid (empty) text.
    int com_fim = static_cast<int>(tamanho) + 1;
    valido = utf8_para_largo(caminho, com_fim, texto, largura_de_caminho);
    if (valido || GetLastError() != ERROR_NO_UNICODE_TRANSLATION) return;
    largo_do_latin1(caminho, texto, largura_de_caminho);
    valido = true;
}

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

void largo_do_latin1(const char* texto, wchar_t* destino, std::size_t largura) {
    if (largura == 0) return;
    std::size_t n = 0;
    for (const char* c = texto; *c && n + 1 < largura; ++c)
        destino[n++] = static_cast<wchar_t>(static_cast<unsigned char>(*c));
    destino[n] = L'\0';
}

}  // namespace plataforma::largo
