// Helpers for the asset tests: the run folder's pictures and fonts, decoded
// with SDL_image and SDL_ttf as the program decodes them.
#pragma once
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_ttf.h>

#include <cstdio>
#include <memory>
#include <string>

namespace teste_imagens {

struct liberar_superficie {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using superficie = std::unique_ptr<SDL_Surface, liberar_superficie>;

inline std::string caminho_da_imagem(int numero) {
    char nome[32];
    std::snprintf(nome, sizeof nome, "/bin/A%04d.bin", numero);
    return std::string(QUORVEX_RUN_DIR) + nome;
}

inline std::string caminho_da_fonte(int numero) {
    return std::string(QUORVEX_RUN_DIR) + "/fontes/Fonte_0" + std::to_string(numero) + ".ttf";
}

inline superficie carregar(int numero) { return superficie(IMG_Load(caminho_da_imagem(numero).c_str())); }

struct rgba {
    Uint8 r = 0, g = 0, b = 0, a = 0;
    bool operator==(const rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

inline Uint32 pixel_bruto(SDL_Surface* s, int x, int y) {
    const int bpp = s->format->BytesPerPixel;
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * bpp;
    Uint32 valor = 0;
    if (bpp == 4) valor = *reinterpret_cast<const Uint32*>(p);
    else if (bpp == 3) valor = SDL_BYTEORDER == SDL_LIL_ENDIAN ? p[0] | p[1] << 8 | p[2] << 16 : p[2] | p[1] << 8 | p[0] << 16;
    else if (bpp == 2) valor = *reinterpret_cast<const Uint16*>(p);
    else valor = *p;
    return valor;
}

inline rgba pixel(SDL_Surface* s, int x, int y) {
    rgba c;
    SDL_GetRGBA(pixel_bruto(s, x, y), s->format, &c.r, &c.g, &c.b, &c.a);
    return c;
}

// Number of pixels in which two equally sized areas of a surface differ.
inline int pixels_diferentes(SDL_Surface* s, SDL_Rect a, SDL_Rect b) {
    int diferentes = 0;
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (!(pixel(s, a.x + x, a.y + y) == pixel(s, b.x + x, b.y + y))) ++diferentes;
    return diferentes;
}

// The window the program opens, on the dummy video driver.
inline SDL_Surface* janela() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_Surface* tela = SDL_GetVideoSurface();
    return tela ? tela : SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
}

inline int largura_do_texto(int fonte, int pontos, const char* texto_latin1, int* altura = nullptr) {
    if (!TTF_WasInit()) TTF_Init();
    TTF_Font* f = TTF_OpenFont(caminho_da_fonte(fonte).c_str(), pontos);
    if (!f) return -1;
    int w = 0, h = 0;
    TTF_SizeText(f, texto_latin1, &w, &h);
    TTF_CloseFont(f);
    if (altura) *altura = h;
    return w;
}

}  // namespace teste_imagens
