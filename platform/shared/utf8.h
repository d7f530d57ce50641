// Reading UTF-8, for the systems' conversions of the texts they hand over
// (Linux's UTF-8 names into Latin-1, Windows's UTF-8 paths into wide texts).
#pragma once

namespace plataforma::utf8 {

// The code point of the UTF-8 sequence at `p` and its length in bytes; length
// 0 when the bytes there are not a valid, shortest-form sequence of two to four
// bytes (an ASCII byte included).
struct caractere {
    unsigned long ponto;
    int comprimento;
};
caractere decodificar(const unsigned char* p);

}  // namespace plataforma::utf8
