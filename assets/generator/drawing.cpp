#include "drawing.h"

#include <algorithm>
#include <cmath>

namespace gerador {

namespace {

double cobertura(double distancia) { return std::clamp(0.5 - distancia, 0.0, 1.0); }

// Signed distance from p to a rounded rectangle (negative inside).
double distancia_caixa(ponto p, retangulo r, double raio) {
    const double cx = r.x + r.w / 2, cy = r.y + r.h / 2;
    const double qx = std::abs(p.x - cx) - (r.w / 2 - raio);
    const double qy = std::abs(p.y - cy) - (r.h / 2 - raio);
    const double fora = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return fora + std::min(std::max(qx, qy), 0.0) - raio;
}

double distancia_segmento(ponto p, ponto a, ponto b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double comprimento2 = dx * dx + dy * dy;
    double t = comprimento2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / comprimento2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

template <typename Cobertura>
void pintar_area(SDL_Surface* s, retangulo area, cor c, Cobertura cobre) {
    const int x0 = std::max(0, static_cast<int>(std::floor(area.x)) - 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(area.y)) - 1);
    const int x1 = std::min(s->w - 1, static_cast<int>(std::ceil(area.x + area.w)) + 1);
    const int y1 = std::min(s->h - 1, static_cast<int>(std::ceil(area.y + area.h)) + 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) compor_pixel(s, x, y, c, cobre(ponto{x + 0.5, y + 0.5}));
}

}  // namespace

void preencher(SDL_Surface* s, cor c) {
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) gravar_pixel(s, x, y, c);
}

void gradiente_vertical(SDL_Surface* s, retangulo r, cor topo, cor base) {
    caixa_gradiente(s, r, 0, topo, base);
}

void caixa_arredondada(SDL_Surface* s, retangulo r, double raio, cor c) {
    pintar_area(s, r, c, [&](ponto p) { return cobertura(distancia_caixa(p, r, raio)); });
}

void moldura_arredondada(SDL_Surface* s, retangulo r, double raio, double espessura, cor c) {
    pintar_area(s, r, c, [&](ponto p) {
        const double d = distancia_caixa(p, r, raio);
        return std::min(cobertura(d), cobertura(-d - espessura));
    });
}

void caixa_gradiente(SDL_Surface* s, retangulo r, double raio, cor topo, cor base) {
    const int y0 = std::max(0, static_cast<int>(std::floor(r.y)));
    const int y1 = std::min(s->h - 1, static_cast<int>(std::ceil(r.y + r.h)));
    for (int y = y0; y <= y1; ++y) {
        const double t = r.h > 1 ? std::clamp((y + 0.5 - r.y) / r.h, 0.0, 1.0) : 0;
        const cor c = misturar(topo, base, t);
        for (int x = std::max(0, static_cast<int>(std::floor(r.x)));
             x <= std::min(s->w - 1, static_cast<int>(std::ceil(r.x + r.w))); ++x)
            compor_pixel(s, x, y, c, cobertura(distancia_caixa(ponto{x + 0.5, y + 0.5}, r, raio)));
    }
}

void disco(SDL_Surface* s, ponto centro, double raio, cor c) {
    const retangulo area{centro.x - raio, centro.y - raio, 2 * raio, 2 * raio};
    pintar_area(s, area, c, [&](ponto p) {
        return cobertura(std::hypot(p.x - centro.x, p.y - centro.y) - raio);
    });
}

void anel(SDL_Surface* s, ponto centro, double raio, double espessura, cor c) {
    const retangulo area{centro.x - raio, centro.y - raio, 2 * raio, 2 * raio};
    pintar_area(s, area, c, [&](ponto p) {
        const double d = std::abs(std::hypot(p.x - centro.x, p.y - centro.y) - raio);
        return cobertura(d - espessura / 2);
    });
}

void segmento(SDL_Surface* s, ponto a, ponto b, double espessura, cor c) {
    const double m = espessura / 2 + 1;
    const retangulo area{std::min(a.x, b.x) - m, std::min(a.y, b.y) - m,
                         std::abs(a.x - b.x) + 2 * m, std::abs(a.y - b.y) + 2 * m};
    pintar_area(s, area, c, [&](ponto p) {
        return cobertura(distancia_segmento(p, a, b) - espessura / 2);
    });
}

// Each pixel takes the coverage of its nearest segment once, so joints do not
// darken where neighbouring segments overlap.
void polilinha(SDL_Surface* s, const std::vector<ponto>& pontos, double espessura, cor c) {
    if (pontos.size() < 2) return;
    double x0 = s->w, y0 = s->h, x1 = 0, y1 = 0;
    for (const ponto& p : pontos) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    const double m = espessura / 2 + 1;
    const int bx0 = std::max(0, static_cast<int>(std::floor(x0 - m))), by0 = std::max(0, static_cast<int>(std::floor(y0 - m)));
    const int bx1 = std::min(s->w - 1, static_cast<int>(std::ceil(x1 + m))), by1 = std::min(s->h - 1, static_cast<int>(std::ceil(y1 + m)));
    if (bx1 < bx0 || by1 < by0) return;
    const int largura = bx1 - bx0 + 1;
    std::vector<float> cobre(static_cast<size_t>(largura) * (by1 - by0 + 1), 0.0f);
    for (size_t i = 1; i < pontos.size(); ++i) {
        const ponto a = pontos[i - 1], b = pontos[i];
        const int sx0 = std::max(bx0, static_cast<int>(std::floor(std::min(a.x, b.x) - m)));
        const int sx1 = std::min(bx1, static_cast<int>(std::ceil(std::max(a.x, b.x) + m)));
        const int sy0 = std::max(by0, static_cast<int>(std::floor(std::min(a.y, b.y) - m)));
        const int sy1 = std::min(by1, static_cast<int>(std::ceil(std::max(a.y, b.y) + m)));
        for (int y = sy0; y <= sy1; ++y)
            for (int x = sx0; x <= sx1; ++x) {
                float& celula = cobre[static_cast<size_t>(y - by0) * largura + (x - bx0)];
                const double cob = cobertura(distancia_segmento(ponto{x + 0.5, y + 0.5}, a, b) - espessura / 2);
                celula = std::max(celula, static_cast<float>(cob));
            }
    }
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) compor_pixel(s, x, y, c, cobre[static_cast<size_t>(y - by0) * largura + (x - bx0)]);
}

void preencher_aneis(SDL_Surface* s, const std::vector<std::vector<ponto>>& aneis, cor c) {
    constexpr int amostras = 4;
    double x0 = s->w, y0 = s->h, x1 = 0, y1 = 0;
    for (const auto& a : aneis)
        for (const ponto& p : a) {
            x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
        }
    const int bx0 = std::max(0, static_cast<int>(std::floor(x0))), by0 = std::max(0, static_cast<int>(std::floor(y0)));
    const int bx1 = std::min(s->w - 1, static_cast<int>(std::ceil(x1))), by1 = std::min(s->h - 1, static_cast<int>(std::ceil(y1)));
    if (bx1 < bx0 || by1 < by0) return;
    const int largura = bx1 - bx0 + 1;
    std::vector<float> cobre(static_cast<size_t>(largura) * (by1 - by0 + 1), 0.0f);
    std::vector<double> cortes;
    for (int sy = by0 * amostras; sy < (by1 + 1) * amostras; ++sy) {
        const double y = (sy + 0.5) / amostras;
        cortes.clear();
        for (const auto& anel_pontos : aneis)
            for (size_t i = 0, n = anel_pontos.size(); i < n; ++i) {
                const ponto a = anel_pontos[i], b = anel_pontos[(i + 1) % n];
                if ((a.y <= y) != (b.y <= y)) cortes.push_back(a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x));
            }
        std::sort(cortes.begin(), cortes.end());
        for (size_t i = 0; i + 1 < cortes.size(); i += 2) {
            const int sx0 = std::max(bx0 * amostras, static_cast<int>(std::lround(cortes[i] * amostras)));
            const int sx1 = std::min((bx1 + 1) * amostras, static_cast<int>(std::lround(cortes[i + 1] * amostras)));
            for (int sx = sx0; sx < sx1; ++sx)
                cobre[static_cast<size_t>(sy / amostras - by0) * largura + (sx / amostras - bx0)] +=
                    1.0f / (amostras * amostras);
        }
    }
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x)
            compor_pixel(s, x, y, c, cobre[static_cast<size_t>(y - by0) * largura + (x - bx0)]);
}

int texto(SDL_Surface* s, const std::string& texto_latin1, const estilo_texto& e, int x, int y) {
    if (texto_latin1.empty() || (!TTF_WasInit() && TTF_Init() == -1)) return 0;
    TTF_Font* fonte = TTF_OpenFont(e.fonte.c_str(), e.pontos);
    if (!fonte) return 0;
    SDL_Color cor_sdl{e.c.r, e.c.g, e.c.b, 0};
    SDL_Surface* desenhado = TTF_RenderText_Blended(fonte, texto_latin1.c_str(), cor_sdl);
    TTF_CloseFont(fonte);
    if (!desenhado) return 0;
    const int largura = desenhado->w;
    if (e.alinhar == alinhamento::centro) x -= largura / 2;
    if (e.alinhar == alinhamento::direita) x -= largura;
    if (e.c.a != 255) {
        for (int ty = 0; ty < desenhado->h; ++ty)
            for (int tx = 0; tx < desenhado->w; ++tx) {
                cor p = ler_pixel(desenhado, tx, ty);
                p.a = static_cast<Uint8>(p.a * e.c.a / 255);
                gravar_pixel(desenhado, tx, ty, p);
            }
    }
    compor_superficie(s, desenhado, x, y);
    SDL_FreeSurface(desenhado);
    return largura;
}

int largura_texto(const std::string& texto_latin1, const std::string& fonte, int pontos) {
    if (!TTF_WasInit() && TTF_Init() == -1) return 0;
    TTF_Font* f = TTF_OpenFont(fonte.c_str(), pontos);
    if (!f) return 0;
    int w = 0, h = 0;
    TTF_SizeText(f, texto_latin1.c_str(), &w, &h);
    TTF_CloseFont(f);
    return w;
}

int altura_texto(const std::string& fonte, int pontos) {
    if (!TTF_WasInit() && TTF_Init() == -1) return 0;
    TTF_Font* f = TTF_OpenFont(fonte.c_str(), pontos);
    if (!f) return 0;
    const int h = TTF_FontHeight(f);
    TTF_CloseFont(f);
    return h;
}

}  // namespace gerador
