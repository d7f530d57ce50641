// Helpers of the drawing tests: the window under the dummy video driver,
// pixels read back as colours, and small image files written by hand.
#pragma once
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "shell/startup.h"
#include "shell/toolkit.h"

namespace apoio {

struct rgb {
    int r, g, b;
    bool operator==(const rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline std::ostream& operator<<(std::ostream& os, const rgb& c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

inline void garantir_tela() {
    if (screen) return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_VIDEO);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
    ASSERT_NE(screen, nullptr);
}

inline rgb cor_em(SDL_Surface* s, int x, int y) {
    Uint8 r, g, b;
    SDL_GetRGB(get_pixel32(s, x, y), s->format, &r, &g, &b);
    return {r, g, b};
}

inline void pintar(SDL_Surface* s, rgb c) {
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, c.r, c.g, c.b));
}

// The smallest rectangle holding every pixel that differs from `fundo`; w 0
// when there is none.
struct caixa {
    int x = 0, y = 0, w = 0, h = 0;
};

inline caixa caixa_do_desenho(SDL_Surface* s, rgb fundo, SDL_Rect area = {0, 0, 800, 500}) {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    for (int y = area.y; y < area.y + area.h; ++y)
        for (int x = area.x; x < area.x + area.w; ++x) {
            if (cor_em(s, x, y) == fundo) continue;
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x);
            y1 = std::max(y1, y);
        }
    if (x1 < 0) return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

inline bool tem_a_cor(SDL_Surface* s, rgb c, SDL_Rect area) {
    for (int y = area.y; y < area.y + area.h; ++y)
        for (int x = area.x; x < area.x + area.w; ++x)
            if (cor_em(s, x, y) == c) return true;
    return false;
}

inline bool superficies_iguais(SDL_Surface* a, SDL_Surface* b) {
    if (a->w != b->w || a->h != b->h) return false;
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            if (!(cor_em(a, x, y) == cor_em(b, x, y))) return false;
    return true;
}

inline SDL_Surface* copia_da_tela() {
    return SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
}

// An uncompressed 32-bit TGA with alpha, top row first. `pixel(x, y)` gives
// red, green, blue and alpha.
template <typename Pixel>
void escrever_tga(const std::string& caminho, int w, int h, Pixel pixel) {
    std::vector<unsigned char> dados = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        static_cast<unsigned char>(w & 0xff),
                                        static_cast<unsigned char>(w >> 8),
                                        static_cast<unsigned char>(h & 0xff),
                                        static_cast<unsigned char>(h >> 8), 32, 0x28};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            auto p = pixel(x, y);
            dados.insert(dados.end(), {static_cast<unsigned char>(p[2]),
                                       static_cast<unsigned char>(p[1]),
                                       static_cast<unsigned char>(p[0]),
                                       static_cast<unsigned char>(p[3])});
        }
    std::FILE* f = std::fopen(caminho.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(dados.data(), 1, dados.size(), f);
    std::fclose(f);
}

}  // namespace apoio
