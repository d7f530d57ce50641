#include "common/text.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>

char* copiar_limitado(char* celula, std::size_t largura, const char* origem) {
    if (largura == 0) return celula;
    if (origem == nullptr) origem = "";
    std::size_t n = strnlen(origem, largura - 1);
    std::memmove(celula, origem, n);
    celula[n] = '\0';
    return celula;
}

char* copiar_fim_limitado(char* celula, std::size_t largura, const char* origem) {
    if (origem == nullptr) origem = "";
    std::size_t n = std::strlen(origem);
    if (n < largura || largura <= sizeof marca_de_corte) return copiar_limitado(celula, largura, origem);
    std::size_t fim = largura - sizeof marca_de_corte;
    std::memmove(celula + sizeof marca_de_corte - 1, origem + n - fim, fim + 1);
    std::memcpy(celula, marca_de_corte, sizeof marca_de_corte - 1);
    return celula;
}

char* formatar_limitado(char* celula, std::size_t largura, const char* formato, ...) {
    if (largura == 0) return celula;
    va_list args;
    va_start(args, formato);
    int escrito = std::vsnprintf(celula, largura, formato, args);
    va_end(args);
    if (escrito < 0) celula[0] = '\0';
    return celula;
}

int ler_numero(const char* texto) {
    if (texto == nullptr) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(texto);
    while (std::isspace(*p)) ++p;
    bool negativo = false;
    if (*p == '+' || *p == '-') negativo = (*p++ == '-');
    long long valor = 0;
    while (std::isdigit(*p)) {
        if (valor < (long long)INT_MAX + 1) valor = valor * 10 + (*p - '0');
        ++p;
    }
    if (negativo) valor = -valor;
    if (valor > INT_MAX) return INT_MAX;
    if (valor < INT_MIN) return INT_MIN;
    return static_cast<int>(valor);
}
