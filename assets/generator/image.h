// Software surfaces the generator draws on, their compositing rules and the
// PNG files they end up in.
#pragma once
#include <SDL/SDL.h>

#include <string>

namespace gerador {

struct cor {
    Uint8 r = 0, g = 0, b = 0, a = 255;
};

constexpr cor com_alfa(cor c, Uint8 a) { return cor{c.r, c.g, c.b, a}; }
cor misturar(cor a, cor b, double t);

// How a picture is stored: opaque RGB; RGB with one colour key (the only
// transparency that survives the program's conversion of button sheets);
// RGBA with per-pixel alpha (pictures blended as they are loaded).
enum class tipo_imagem { opaca, chave_de_cor, alfa };

// The colour that marks the keyed pixels. Nothing drawn on a keyed sheet uses it.
constexpr cor cor_chave{255, 0, 255, 255};

// A 32-bit RGBA software surface, fully transparent; owned by the caller.
SDL_Surface* nova_superficie(int largura, int altura);

cor ler_pixel(SDL_Surface* s, int x, int y);
void gravar_pixel(SDL_Surface* s, int x, int y, cor c);

// Source-over compositing of `c` with coverage `cobertura` (0..1) at (x, y);
// pixels outside the surface are ignored.
void compor_pixel(SDL_Surface* s, int x, int y, cor c, double cobertura);

// Composites the whole of `origem` (its per-pixel alpha included) at (x, y).
void compor_superficie(SDL_Surface* destino, const SDL_Surface* origem, int x, int y);

// A drawn pixel as the stored picture holds it: for `opaca` laid over `fundo`;
// for `chave_de_cor` fully transparent when it becomes the key, else laid over
// `fundo`; for `alfa` as it is.
cor pixel_gravado(cor c, tipo_imagem tipo, cor fundo);

// Writes the surface as PNG. For `opaca`, transparent parts are laid over
// `fundo`; for `chave_de_cor`, (nearly) transparent pixels become `cor_chave` and
// the rest is laid over `fundo` (the colour that shows through the key, so the
// edges blend into it). False when the file cannot be written.
bool gravar_png(SDL_Surface* s, const std::string& caminho, tipo_imagem tipo, cor fundo);

}  // namespace gerador
