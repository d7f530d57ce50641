// Fixed-width texts: the system keeps every value as a NUL-terminated text in a
// cell of fixed width, and every copy into such a cell is bounded.
#pragma once
#include <cstddef>
#include <cstring>

// Copies `origem` into a cell of `largura` characters (terminator included),
// cutting what does not fit. Always terminates the cell. Returns the cell.
char* copiar_limitado(char* celula, std::size_t largura, const char* origem);

// What stands where copiar_fim_limitado cut a text's beginning off.
constexpr char marca_de_corte[] = "...";

// The same for a text whose end matters most (a path, whose end is the file
// name): what does not fit is cut from the beginning, and the cell starts with
// marca_de_corte where it was cut.
char* copiar_fim_limitado(char* celula, std::size_t largura, const char* origem);

// Bounded formatting into a cell; what does not fit is cut.
char* formatar_limitado(char* celula, std::size_t largura, const char* formato, ...)
    __attribute__((format(printf, 3, 4)));

// The number formed by the text's leading decimal digits (blanks skipped, an
// optional sign allowed); 0 when there are none. "none", "" and "0" read as 0,
// "080" as 80. Values beyond the int range are clamped.
int ler_numero(const char* texto);

// A new fixed-width text handed back by value: the caller copies it where it
// keeps it. This is how lookups return "a new text the caller owns".
template <std::size_t N>
struct texto_fixo {
    char s[N] = {0};
    texto_fixo() = default;
    explicit texto_fixo(const char* origem) { copiar_limitado(s, N, origem); }
    const char* c_str() const { return s; }
    operator const char*() const { return s; }
    static constexpr std::size_t largura = N;
};

// Convenience for arrays: copiar_celula(cell_array, text) with the width taken
// from the array's type.
template <std::size_t N>
inline char* copiar_celula(char (&celula)[N], const char* origem) {
    return copiar_limitado(celula, N, origem);
}
