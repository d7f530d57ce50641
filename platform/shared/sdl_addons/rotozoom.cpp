// rotozoomSurface by nearest neighbour, with SDL_gfx's geometry: the result is
// sized to hold the whole turned image (even width and height about its
// centre), turns counter-clockwise on screen, and takes each pixel from the
// source pixel under its centre in 16.16 fixed point. An angle within a
// thousandth of a degree of zero scales without turning, so zoom 1 gives an
// exact copy.
#include <SDL/SDL_rotozoom.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double quase_zero = 0.001;
constexpr double graus_para_radianos = 3.14159265358979323846 / 180.0;

// The source as a 32-bit surface: itself when it already is one, else a copy
// with alpha (colour-keyed pixels left transparent).
SDL_Surface* fonte_32_bits(SDL_Surface* src) {
    if (src->format->BitsPerPixel == 32) return src;
    SDL_Surface* copia = SDL_CreateRGBSurface(SDL_SWSURFACE, src->w, src->h, 32, 0x000000FF,
                                              0x0000FF00, 0x00FF0000, 0xFF000000);
    if (copia == nullptr) return nullptr;
    const Uint32 flags_alfa = src->flags & SDL_SRCALPHA;
    const Uint8 alfa = src->format->alpha;
    SDL_SetAlpha(src, 0, 0);  // copy the pixels, don't blend them onto the empty copy
    SDL_BlitSurface(src, nullptr, copia, nullptr);
    SDL_SetAlpha(src, flags_alfa, alfa);
    return copia;
}

SDL_Surface* surface_como(const SDL_Surface* modelo, int largura, int altura) {
    const SDL_PixelFormat* f = modelo->format;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, largura, altura, 32, f->Rmask, f->Gmask, f->Bmask,
                                f->Amask);
}

Uint32* linha_de(SDL_Surface* s, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
}

// Half the side that holds the turned extent, at least one pixel.
int meio_lado(double a, double b) {
    return std::max(static_cast<int>(std::ceil(std::max(std::fabs(a + b), std::fabs(a - b)))), 1);
}

void girar(SDL_Surface* origem, SDL_Surface* destino, double angulo, double zoom) {
    const double radianos = angulo * graus_para_radianos;
    // Stepping one destination pixel moves (cos, sin) / zoom in the source.
    const int passo_cos = static_cast<int>(std::cos(radianos) / zoom * 65536.0);
    const int passo_sin = static_cast<int>(std::sin(radianos) / zoom * 65536.0);
    const int centro_x = destino->w / 2, centro_y = destino->h / 2;
    for (int y = 0; y < destino->h; ++y) {
        const int dy = y - centro_y;
        int u = -passo_cos * centro_x - passo_sin * dy + (origem->w << 15);
        int v = -passo_sin * centro_x + passo_cos * dy + (origem->h << 15);
        Uint32* saida = linha_de(destino, y);
        for (int x = 0; x < destino->w; ++x, u += passo_cos, v += passo_sin) {
            const int sx = u >> 16, sy = v >> 16;
            if (sx >= 0 && sy >= 0 && sx < origem->w && sy < origem->h) saida[x] = linha_de(origem, sy)[sx];
        }
    }
}

void escalar(SDL_Surface* origem, SDL_Surface* destino) {
    for (int y = 0; y < destino->h; ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y) * origem->h / destino->h);
        const Uint32* entrada = linha_de(origem, sy);
        Uint32* saida = linha_de(destino, y);
        for (int x = 0; x < destino->w; ++x)
            saida[x] = entrada[static_cast<long long>(x) * origem->w / destino->w];
    }
}

SDL_Surface* transformar(SDL_Surface* origem, double angulo, double zoom) {
    const bool gira = std::fabs(angulo) > quase_zero;
    int largura, altura;
    if (gira) {
        const double radianos = angulo * graus_para_radianos;
        const double c = std::cos(radianos) * zoom, s = std::sin(radianos) * zoom;
        const double meio_x = origem->w / 2, meio_y = origem->h / 2;
        largura = 2 * meio_lado(c * meio_x, s * meio_y);
        altura = 2 * meio_lado(s * meio_x, c * meio_y);
    } else {
        largura = std::max(static_cast<int>(std::floor(origem->w * zoom + 0.5)), 1);
        altura = std::max(static_cast<int>(std::floor(origem->h * zoom + 0.5)), 1);
    }
    SDL_Surface* destino = surface_como(origem, largura, altura);
    if (destino == nullptr) return nullptr;
    if (SDL_LockSurface(origem) != 0) {
        SDL_FreeSurface(destino);
        return nullptr;
    }
    if (gira) girar(origem, destino, angulo, zoom);
    else escalar(origem, destino);
    SDL_UnlockSurface(origem);
    SDL_SetAlpha(destino, SDL_SRCALPHA, 255);
    return destino;
}

}  // namespace

extern "C" SDL_Surface* rotozoomSurface(SDL_Surface* src, double angle, double zoom, int) {
    if (src == nullptr || !(zoom > 0.0) || !std::isfinite(angle)) {
        SDL_SetError("rotozoomSurface: no source, or a zoom that is not positive");
        return nullptr;
    }
    SDL_Surface* origem = fonte_32_bits(src);
    if (origem == nullptr) return nullptr;
    SDL_Surface* resultado = transformar(origem, angle, zoom);
    if (origem != src) SDL_FreeSurface(origem);
    return resultado;
}
