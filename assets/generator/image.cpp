#include "image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace gerador {

namespace {

Uint8 canal(double v) { return static_cast<Uint8>(std::clamp(std::lround(v), 0L, 255L)); }

Uint32* endereco(SDL_Surface* s, int x, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch) + x;
}

cor sobre(cor frente, cor fundo) {
    const double af = frente.a / 255.0, ab = fundo.a / 255.0;
    const double a = af + ab * (1 - af);
    if (a <= 0) return cor{0, 0, 0, 0};
    auto c = [&](Uint8 f, Uint8 b) { return canal((f * af + b * ab * (1 - af)) / a); };
    return cor{c(frente.r, fundo.r), c(frente.g, fundo.g), c(frente.b, fundo.b), canal(a * 255)};
}

// Nearly empty pixels of a keyed sheet become key: a faint edge laid over an
// assumed colour would show as a fringe over whatever is really beneath.
constexpr Uint8 limiar_da_chave = 100;

std::vector<png_byte> linha_png(SDL_Surface* s, int y, tipo_imagem tipo, cor fundo) {
    const int canais = tipo == tipo_imagem::alfa ? 4 : 3;
    std::vector<png_byte> linha(static_cast<size_t>(s->w) * canais);
    for (int x = 0; x < s->w; ++x) {
        cor c = pixel_gravado(ler_pixel(s, x, y), tipo, fundo);
        if (tipo == tipo_imagem::chave_de_cor && c.a == 0) c = cor_chave;
        png_byte* p = &linha[static_cast<size_t>(x) * canais];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        if (canais == 4) p[3] = c.a;
    }
    return linha;
}

}  // namespace

cor pixel_gravado(cor c, tipo_imagem tipo, cor fundo) {
    if (tipo == tipo_imagem::alfa) return c;
    if (tipo == tipo_imagem::chave_de_cor && c.a < limiar_da_chave) return cor{0, 0, 0, 0};
    return sobre(c, fundo);
}

cor misturar(cor a, cor b, double t) {
    auto m = [t](Uint8 x, Uint8 y) { return canal(x + (y - x) * t); };
    return cor{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

SDL_Surface* nova_superficie(int largura, int altura) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, largura, altura, 32, 0x00FF0000,
                                          0x0000FF00, 0x000000FF, 0xFF000000);
    if (s) SDL_FillRect(s, nullptr, 0);
    return s;
}

cor ler_pixel(SDL_Surface* s, int x, int y) {
    cor c;
    SDL_GetRGBA(*endereco(s, x, y), s->format, &c.r, &c.g, &c.b, &c.a);
    return c;
}

void gravar_pixel(SDL_Surface* s, int x, int y, cor c) {
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) return;
    *endereco(s, x, y) = SDL_MapRGBA(s->format, c.r, c.g, c.b, c.a);
}

void compor_pixel(SDL_Surface* s, int x, int y, cor c, double cobertura) {
    if (x < 0 || y < 0 || x >= s->w || y >= s->h || cobertura <= 0) return;
    c.a = canal(c.a * std::min(cobertura, 1.0));
    gravar_pixel(s, x, y, sobre(c, ler_pixel(s, x, y)));
}

void compor_superficie(SDL_Surface* destino, const SDL_Surface* origem, int x, int y) {
    SDL_Surface* o = const_cast<SDL_Surface*>(origem);
    for (int oy = 0; oy < o->h; ++oy)
        for (int ox = 0; ox < o->w; ++ox) {
            const cor c = ler_pixel(o, ox, oy);
            if (c.a) compor_pixel(destino, x + ox, y + oy, c, 1.0);
        }
}

bool gravar_png(SDL_Surface* s, const std::string& caminho, tipo_imagem tipo, cor fundo) {
    FILE* arquivo = std::fopen(caminho.c_str(), "wb");
    if (!arquivo) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool certo = png && info && !setjmp(png_jmpbuf(png));
    if (certo) {
        png_init_io(png, arquivo);
        const int tipo_png = tipo == tipo_imagem::alfa ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
        png_set_IHDR(png, info, s->w, s->h, 8, tipo_png, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (tipo == tipo_imagem::chave_de_cor) {
            png_color_16 chave{};
            chave.red = cor_chave.r;
            chave.green = cor_chave.g;
            chave.blue = cor_chave.b;
            png_set_tRNS(png, info, nullptr, 0, &chave);
        }
        png_write_info(png, info);
        for (int y = 0; y < s->h; ++y) {
            std::vector<png_byte> linha = linha_png(s, y, tipo, fundo);
            png_write_row(png, linha.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(arquivo) == 0 && certo;
}

}  // namespace gerador
