// lineColor: a Bresenham line whose every pixel inside the clip rectangle is
// blended with the colour by the colour's alpha, as SDL_gfx draws a line that
// is not anti-aliased. Each pixel of the line is drawn once, so a translucent
// line has one even tone.
#include <SDL/SDL_gfxPrimitives.h>

#include <cstdlib>

namespace {

struct cor_rgba {
    Uint8 r, g, b, a;
};

Uint8 misturar(Uint8 fundo, Uint8 frente, Uint8 alfa) {
    return static_cast<Uint8>(fundo + (frente - fundo) * alfa / 255);
}

Uint32 ler_pixel(const SDL_Surface* s, int x, int y) {
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
        case 1: return *p;
        case 2: return *reinterpret_cast<const Uint16*>(p);
        case 3: return p[0] | (p[1] << 8) | (p[2] << 16);
        default: return *reinterpret_cast<const Uint32*>(p);
    }
}

void escrever_pixel(SDL_Surface* s, int x, int y, Uint32 valor) {
    Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
        case 1: *p = static_cast<Uint8>(valor); break;
        case 2: *reinterpret_cast<Uint16*>(p) = static_cast<Uint16>(valor); break;
        case 3:
            p[0] = valor & 0xFF;
            p[1] = (valor >> 8) & 0xFF;
            p[2] = (valor >> 16) & 0xFF;
            break;
        default: *reinterpret_cast<Uint32*>(p) = valor; break;
    }
}

bool dentro_do_recorte(const SDL_Surface* s, int x, int y) {
    const SDL_Rect& r = s->clip_rect;
    return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h;
}

// The colour over the pixel; a surface with its own alpha gains coverage the
// way a painter's layer does.
void pintar(SDL_Surface* s, int x, int y, cor_rgba cor) {
    if (!dentro_do_recorte(s, x, y)) return;
    if (cor.a == 255) {
        escrever_pixel(s, x, y, SDL_MapRGBA(s->format, cor.r, cor.g, cor.b, 255));
        return;
    }
    Uint8 r, g, b, a;
    SDL_GetRGBA(ler_pixel(s, x, y), s->format, &r, &g, &b, &a);
    const Uint8 alfa = s->format->Amask ? static_cast<Uint8>(cor.a + a * (255 - cor.a) / 255) : 255;
    escrever_pixel(s, x, y,
                   SDL_MapRGBA(s->format, misturar(r, cor.r, cor.a), misturar(g, cor.g, cor.a),
                               misturar(b, cor.b, cor.a), alfa));
}

}  // namespace

extern "C" int lineColor(SDL_Surface* dst, Sint16 x1, Sint16 y1, Sint16 x2, Sint16 y2, Uint32 color) {
    if (dst == nullptr) return -1;
    const cor_rgba cor{static_cast<Uint8>(color >> 24), static_cast<Uint8>(color >> 16),
                       static_cast<Uint8>(color >> 8), static_cast<Uint8>(color)};
    if (cor.a == 0) return 0;
    if (SDL_MUSTLOCK(dst) && SDL_LockSurface(dst) != 0) return -1;
    int x = x1, y = y1;
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int passo_x = x1 < x2 ? 1 : -1, passo_y = y1 < y2 ? 1 : -1;
    int erro = dx + dy;
    for (;;) {
        pintar(dst, x, y, cor);
        if (x == x2 && y == y2) break;
        const int dobro = 2 * erro;
        if (dobro >= dy) {
            erro += dy;
            x += passo_x;
        }
        if (dobro <= dx) {
            erro += dx;
            y += passo_y;
        }
    }
    if (SDL_MUSTLOCK(dst)) SDL_UnlockSurface(dst);
    return 0;
}
