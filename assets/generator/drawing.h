// Anti-aliased drawing primitives and Latin-1 text on the generator's RGBA
// surfaces. Shapes are described by signed distances, so edges are smooth at
// any size without supersampling.
#pragma once
#include "image.h"

#include <SDL/SDL_ttf.h>

#include <string>
#include <vector>

namespace gerador {

struct ponto {
    double x = 0, y = 0;
};

struct retangulo {
    double x = 0, y = 0, w = 0, h = 0;
};

void preencher(SDL_Surface* s, cor c);
void gradiente_vertical(SDL_Surface* s, retangulo r, cor topo, cor base);

void caixa_arredondada(SDL_Surface* s, retangulo r, double raio, cor c);
// A rounded frame of `espessura` pixels inside the rectangle's edge.
void moldura_arredondada(SDL_Surface* s, retangulo r, double raio, double espessura, cor c);
// A rounded box shaded from `topo` to `base`.
void caixa_gradiente(SDL_Surface* s, retangulo r, double raio, cor topo, cor base);

void disco(SDL_Surface* s, ponto centro, double raio, cor c);
void anel(SDL_Surface* s, ponto centro, double raio, double espessura, cor c);
void segmento(SDL_Surface* s, ponto a, ponto b, double espessura, cor c);
void polilinha(SDL_Surface* s, const std::vector<ponto>& pontos, double espessura, cor c);

// Even-odd fill of a set of closed rings, anti-aliased by 4x4 supersampling.
void preencher_aneis(SDL_Surface* s, const std::vector<std::vector<ponto>>& aneis, cor c);

// Latin-1 text. `fonte` is a TrueType file, `pontos` its size.
enum class alinhamento { esquerda, centro, direita };
struct estilo_texto {
    std::string fonte;
    int pontos = 12;
    cor c;
    alinhamento alinhar = alinhamento::esquerda;
};
// Draws `texto` with its top at y; x is the left edge, centre or right edge.
// Returns the text's width (0 when the font cannot be opened).
int texto(SDL_Surface* s, const std::string& texto, const estilo_texto& e, int x, int y);
int largura_texto(const std::string& texto, const std::string& fonte, int pontos);
int altura_texto(const std::string& fonte, int pontos);

}  // namespace gerador
