// The world map, the radar sweep drawn over it, the idle overlay and the
// pictures of the start points.
#include "pecas.h"

#include <algorithm>
#include <cmath>

namespace gerador {

namespace {

const cor branco{255, 255, 255};

// The radar disc fills the 400 by 400 picture; nothing outside it may show,
// because the turned copy overlaps the panel and the top bar.
constexpr double raio_radar = 199.5;

double alfa_do_rastro(double angulo_atras) {
    constexpr double abertura = 75.0;
    if (angulo_atras < 0 || angulo_atras > abertura) return 0;
    const double t = 1 - angulo_atras / abertura;
    return 150 * t * t;
}

}  // namespace

std::string nome_ponto_de_partida(int local) {
    switch (local) {
        case 1: return "Brasil";
        case 2: return "Portugal";
        case 3: return "Angola";
        default: return "Este computador";
    }
}

void mapa_mundi(SDL_Surface* s, const fontes& f) {
    preencher(s, paleta::oceano);
    for (int lon = 0; lon <= 400; lon += 33) caixa_arredondada(s, {double(lon), 0, 1, 400}, 0, cor{180, 206, 222});
    texto(s, "Este computador", {f.condensada, 10, paleta::texto}, 20, 345);
    texto(s, "Rede local", {f.condensada, 10, paleta::texto}, 266, 330);
    segmento(s, {130, 336}, {259, 336}, 1, paleta::texto_suave);
}

void radar(SDL_Surface* s) {
    const ponto c{200, 200};
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            const double dx = x + 0.5 - c.x, dy = y + 0.5 - c.y;
            const double distancia = std::hypot(dx, dy);
            const double borda = std::clamp(raio_radar - distancia + 0.5, 0.0, 1.0);
            if (borda <= 0) continue;
            const double angulo = std::atan2(-dy, dx) * 180 / M_PI;
            const double atras = std::fmod(45.0 - angulo + 720.0, 360.0);
            const double a = 14 + alfa_do_rastro(atras);
            gravar_pixel(s, x, y, cor{20, 190, 120, static_cast<Uint8>(std::lround(a * borda))});
        }
    for (int k = 1; k <= 4; ++k) anel(s, c, k * 49.5 - (k == 4 ? 1.5 : 0), 1.4, cor{10, 110, 70, 110});
    segmento(s, {c.x - 196, c.y}, {c.x + 196, c.y}, 1, cor{10, 110, 70, 60});
    segmento(s, {c.x, c.y - 196}, {c.x, c.y + 196}, 1, cor{10, 110, 70, 60});
    const double a = 45 * M_PI / 180;
    segmento(s, c, {c.x + 197 * std::cos(a), c.y - 197 * std::sin(a)}, 2, cor{40, 240, 160, 230});
}

void veu_inicial(SDL_Surface* s, const fontes& f) {
    caixa_arredondada(s, {0, 0, 400, 400}, 0, cor{15, 30, 48, 70});
    caixa_arredondada(s, {70, 150, 260, 64}, 12, cor{15, 30, 48, 215});
    texto(s, "Pronto para o scan", {f.negrito, 14, branco, alinhamento::centro}, 200, 160);
    texto(s, "Clique em Iniciar Scan para come\xe7" "ar", {f.condensada, 11, cor{180, 205, 225}, alinhamento::centro}, 200, 184);
}

void imagem_ponto_de_partida(SDL_Surface* s, const fontes& f, int local) {
    preencher(s, paleta::cartao);
    caixa_arredondada(s, {4, 2, 172, 100}, 8, paleta::oceano);
    disco(s, {90, 52}, 7, cor{255, 50, 50});
    texto(s, nome_ponto_de_partida(local), {f.negrito, 13, paleta::texto, alinhamento::centro}, 90, 110);
}

}  // namespace gerador
