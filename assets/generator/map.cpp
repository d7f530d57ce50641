// The world map, the radar sweep drawn over it, the idle overlay and the
// pictures of the start points.
#include "pieces.h"

#include "table_targets.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace gerador {

namespace {

const cor branco{255, 255, 255};

// The radar disc fills the 400 by 400 picture; nothing outside it may show,
// because the turned copy overlaps the panel and the top bar.
constexpr double raio_radar = 199.5;

// A pale sea and warm land tints: the connection lines (blue, about 60 %
// opaque) stand out on both. Neighbouring countries never share a tint.
const cor mar_no_alto{234, 242, 250}, mar_embaixo{226, 236, 248};
const cor tons_de_terra[] = {{232, 224, 198}, {216, 228, 196}, {236, 216, 196}, {226, 218, 234}, {208, 226, 212}};
constexpr int total_de_tons = 5;
const cor tinta_da_legenda{40, 60, 84};

struct mundo {
    std::vector<geografia::pais> paises;
    geografia::mapa_ajustado mapa;
    std::vector<int> tom;  // per country
};

// Window coordinates to a picture's pixels: the map itself is drawn at (0, 100).
struct enquadramento {
    double escala = 1, origem_x = 0, origem_y = 100;
    ponto operator()(geografia::ponto_mapa p) const {
        return {(p.x - origem_x) * escala, (p.y - origem_y) * escala};
    }
};

std::vector<std::vector<ponto>> aneis_locais(const geografia::pais& p, const geografia::mapa_ajustado& m,
                                             const enquadramento& e) {
    std::vector<std::vector<ponto>> aneis;
    for (const auto& anel : geografia::aneis_na_tela(p, m)) {
        std::vector<ponto> local;
        for (const auto& q : anel) local.push_back(e(q));
        aneis.push_back(std::move(local));
    }
    return aneis;
}

// Paints each country's index into a grid and colours the countries greedily,
// the most connected first, so that no two that touch share a tint.
std::vector<int> colorir(const mundo& w) {
    constexpr int lado = 400;
    std::vector<int> dono(lado * lado, -1);
    SDL_Surface* s = nova_superficie(lado, lado);
    for (size_t i = 0; i < w.paises.size(); ++i) {
        SDL_FillRect(s, nullptr, 0);
        preencher_aneis(s, aneis_locais(w.paises[i], w.mapa, {}), cor{255, 255, 255});
        for (int y = 0; y < lado; ++y)
            for (int x = 0; x < lado; ++x)
                if (ler_pixel(s, x, y).a > 100) dono[y * lado + x] = static_cast<int>(i);
    }
    SDL_FreeSurface(s);
    std::vector<std::set<int>> vizinhos(w.paises.size());
    for (int y = 0; y + 1 < lado; ++y)
        for (int x = 0; x + 1 < lado; ++x)
            for (int outro : {dono[y * lado + x + 1], dono[(y + 1) * lado + x]}) {
                const int este = dono[y * lado + x];
                if (este >= 0 && outro >= 0 && este != outro) {
                    vizinhos[este].insert(outro);
                    vizinhos[outro].insert(este);
                }
            }
    std::vector<size_t> ordem(w.paises.size());
    for (size_t i = 0; i < ordem.size(); ++i) ordem[i] = i;
    std::stable_sort(ordem.begin(), ordem.end(), [&](size_t a, size_t b) { return vizinhos[a].size() > vizinhos[b].size(); });
    std::vector<int> tom(w.paises.size(), -1);
    for (size_t i : ordem) {
        bool usado[total_de_tons] = {};
        for (int v : vizinhos[i])
            if (tom[v] >= 0) usado[tom[v]] = true;
        int t = static_cast<int>(i % total_de_tons);
        for (int k = 0; k < total_de_tons && usado[t]; ++k) t = (t + 1) % total_de_tons;
        tom[i] = t;
    }
    return tom;
}

mundo carregar_mundo() {
    mundo w;
    w.paises = geografia::ler_paises(arquivo_dos_paises);
    if (w.paises.empty()) return w;
    w.mapa = geografia::ajustar_mapa(geografia::alvos_do_mapa(w.paises), w.paises);
    w.tom = colorir(w);
    return w;
}

const mundo& o_mundo() {
    static const mundo w = carregar_mundo();
    return w;
}

void gradicula(SDL_Surface* s, const mundo& w, const enquadramento& e, cor c) {
    for (int lon = -180; lon <= 180; lon += 30) {
        std::vector<ponto> linha;
        for (int lat = -60; lat <= 80; lat += 2) linha.push_back(e(w.mapa({double(lon), double(lat)})));
        polilinha(s, linha, 1, c);
    }
    for (int lat = -60; lat <= 60; lat += 30) {
        std::vector<ponto> linha;
        for (int lon = -180; lon <= 200; lon += 2) linha.push_back(e(w.mapa({double(lon), double(lat)})));
        polilinha(s, linha, lat == 0 ? 1.4 : 1, c);
    }
}

// A country smaller than a few pixels (Bermuda, the Chagos) would vanish into
// the sea: it is shown as a dot, as atlases do.
bool minusculo(const std::vector<std::vector<ponto>>& aneis, ponto& centro) {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (const auto& anel : aneis)
        for (const ponto& p : anel) {
            x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
        }
    centro = {(x0 + x1) / 2, (y0 + y1) / 2};
    return std::hypot(x1 - x0, y1 - y0) < 3;
}

void desenhar_mundo(SDL_Surface* s, const enquadramento& e, double espessura_fronteira) {
    const mundo& w = o_mundo();
    gradicula(s, w, e, cor{176, 200, 226, 75});
    for (size_t i = 0; i < w.paises.size(); ++i) {
        const auto aneis = aneis_locais(w.paises[i], w.mapa, e);
        ponto centro;
        if (minusculo(aneis, centro)) {
            disco(s, centro, 1.8, com_alfa(paleta::fronteira, 220));
            disco(s, centro, 1.0, tons_de_terra[w.tom[i]]);
        }
        preencher_aneis(s, aneis, tons_de_terra[w.tom[i]]);
    }
    for (const auto& p : w.paises)
        for (auto anel : aneis_locais(p, w.mapa, e)) {
            anel.push_back(anel.front());
            polilinha(s, anel, espessura_fronteira, com_alfa(paleta::fronteira, 190));
        }
}

// A name on the map, light behind it so it reads over land, sea and lines.
void nome_no_mapa(SDL_Surface* s, const fontes& f, const std::string& nome, int x, int y, alinhamento a) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy) texto(s, nome, {f.negrito, 9, cor{250, 252, 255, 200}, a}, x + dx, y + dy);
    texto(s, nome, {f.negrito, 9, tinta_da_legenda, a}, x, y);
}

void marca_de_partida(SDL_Surface* s, ponto p) {
    anel(s, p, 4, 1.5, tinta_da_legenda);
    disco(s, p, 1.3, tinta_da_legenda);
}

// The start points the settings screen offers, under the names it gives them:
// the lines of a scan leave from the one chosen there. Point 0 has no place
// on the map and lies in the strip below it.
void marcar_pontos_de_partida(SDL_Surface* s, const fontes& f) {
    struct lugar { int local; alinhamento a; int dx, dy; };
    const lugar lugares[] = {{1, alinhamento::direita, -7, -6},
                             {2, alinhamento::direita, -7, -6},
                             {3, alinhamento::esquerda, 7, -6}};
    for (const lugar& l : lugares)
        for (const auto& p : geografia::pontos_de_partida)
            if (p.local == l.local) {
                const ponto no_mapa{p.ponto.x, p.ponto.y - 100};
                marca_de_partida(s, no_mapa);
                nome_no_mapa(s, f, nome_ponto_de_partida(l.local), static_cast<int>(no_mapa.x) + l.dx,
                             static_cast<int>(no_mapa.y) + l.dy, l.a);
            }
    marca_de_partida(s, {129, 336});
    nome_no_mapa(s, f, nome_ponto_de_partida(0), 129, 345, alinhamento::centro);
}

// The strip under the world: start point 0 and where the lines of the private
// network run (both lie off the map), and what the marks mean.
void legenda_inferior(SDL_Surface* s, const fontes& f) {
    caixa_arredondada(s, {0, 302, 400, 98}, 0, cor{246, 249, 252, 220});
    caixa_arredondada(s, {0, 302, 400, 1}, 0, cor{176, 196, 214});
    for (double x = 136; x < 256; x += 8) segmento(s, {x, 336}, {x + 4, 336}, 1.2, com_alfa(tinta_da_legenda, 120));
    disco(s, {259, 336}, 2.5, tinta_da_legenda);
    texto(s, "Rede local", {f.negrito, 10, tinta_da_legenda}, 272, 326);
    texto(s, "10.x e 192.168.x", {f.condensada, 9, paleta::texto_suave}, 272, 340);
    marca_de_partida(s, {86, 373});
    texto(s, "ponto de partida: escolha em Configura\xe7\xf5" "es", {f.condensada, 9, paleta::texto_suave}, 95, 367);
    texto(s, "*  conex\xe3o ativa   \xb7   linha: do ponto de partida at\xe9 o pa\xeds",
          {f.condensada, 9, paleta::texto_suave, alinhamento::centro}, 200, 384);
}

// The band above the world: where connections without a known place go.
void legenda_superior(SDL_Surface* s, const fontes& f) {
    anel(s, {248, 60}, 4.5, 1.4, com_alfa(tinta_da_legenda, 200));
    texto(s, "Local n\xe3o identificado", {f.negrito, 9, tinta_da_legenda}, 260, 47);
    texto(s, "nome sem pa\xeds conhecido", {f.condensada, 9, paleta::texto_suave}, 260, 60);
    texto(s, "CONEX\xd5" "ES NO MAPA", {f.negrito, 9, com_alfa(tinta_da_legenda, 160)}, 12, 10);
}

// Draws `origem` into the rounded rectangle `r` of `destino`, its corners cut.
void compor_arredondado(SDL_Surface* destino, SDL_Surface* origem, retangulo r, double raio) {
    SDL_Surface* mascara = nova_superficie(destino->w, destino->h);
    caixa_arredondada(mascara, r, raio, cor{255, 255, 255});
    for (int y = 0; y < origem->h; ++y)
        for (int x = 0; x < origem->w; ++x) {
            const int dx = static_cast<int>(r.x) + x, dy = static_cast<int>(r.y) + y;
            if (dx < 0 || dy < 0 || dx >= destino->w || dy >= destino->h) continue;
            compor_pixel(destino, dx, dy, ler_pixel(origem, x, y), ler_pixel(mascara, dx, dy).a / 255.0);
        }
    SDL_FreeSurface(mascara);
}

// The selected place, as the settings screen shows it: the map around it.
void recorte_do_mapa(SDL_Surface* s, retangulo janela, geografia::ponto_mapa lugar, double escala) {
    SDL_Surface* recorte = nova_superficie(static_cast<int>(janela.w), static_cast<int>(janela.h));
    gradiente_vertical(recorte, {0, 0, janela.w, janela.h}, mar_no_alto, mar_embaixo);
    const enquadramento e{escala, lugar.x - janela.w / 2 / escala, lugar.y - janela.h / 2 / escala};
    desenhar_mundo(recorte, e, 0.8);
    compor_arredondado(s, recorte, janela, 8);
    SDL_FreeSurface(recorte);
}

void alvo_no_mapa(SDL_Surface* s, ponto c) {
    disco(s, c, 13, com_alfa(paleta::acento, 50));
    anel(s, c, 8, 2, paleta::acento_escuro);
    disco(s, c, 3.5, paleta::acento_escuro);
}

void icone_do_computador(SDL_Surface* s, ponto c) {
    caixa_arredondada(s, {c.x - 30, c.y - 24, 60, 40}, 5, paleta::barra_base);
    caixa_arredondada(s, {c.x - 26, c.y - 20, 52, 32}, 2, cor{206, 226, 240});
    caixa_arredondada(s, {c.x - 6, c.y + 16, 12, 6}, 0, paleta::barra_base);
    caixa_arredondada(s, {c.x - 18, c.y + 22, 36, 4}, 2, paleta::barra_base);
    alvo_no_mapa(s, {c.x, c.y - 4});
}

}  // namespace

void leque_do_radar(SDL_Surface* s, ponto c, double raio, double angulo, cor tinta, double alfa_maximo) {
    constexpr double abertura = 75.0;
    for (int y = static_cast<int>(c.y - raio) - 1; y <= c.y + raio + 1; ++y)
        for (int x = static_cast<int>(c.x - raio) - 1; x <= c.x + raio + 1; ++x) {
            const double dx = x + 0.5 - c.x, dy = y + 0.5 - c.y;
            const double borda = std::clamp(raio - std::hypot(dx, dy) + 0.5, 0.0, 1.0);
            const double atras = std::fmod(angulo - std::atan2(-dy, dx) * 180 / M_PI + 720.0, 360.0);
            if (borda <= 0 || atras > abertura) continue;
            const double t = 1 - atras / abertura;
            compor_pixel(s, x, y, com_alfa(tinta, static_cast<Uint8>(std::lround(alfa_maximo * t * t))), borda);
        }
}

void silhueta_do_mundo(SDL_Surface* s, double escala, ponto centro, cor c) {
    const mundo& w = o_mundo();
    const enquadramento e{escala, 200 - centro.x / escala, 300 - centro.y / escala};
    for (const auto& p : w.paises) preencher_aneis(s, aneis_locais(p, w.mapa, e), c);
}  // namespace

bool mundo_disponivel() { return !o_mundo().paises.empty(); }

std::string nome_ponto_de_partida(int local) {
    for (const auto& p : geografia::pontos_de_partida)
        if (p.local == local) return p.nome;
    return "Este computador";
}

void mapa_mundi(SDL_Surface* s, const fontes& f) {
    gradiente_vertical(s, {0, 0, 400, 400}, mar_no_alto, mar_embaixo);
    desenhar_mundo(s, {}, 0.6);
    legenda_superior(s, f);
    legenda_inferior(s, f);
    marcar_pontos_de_partida(s, f);
}

void radar(SDL_Surface* s) {
    const ponto c{200, 200};
    disco(s, c, raio_radar, cor{20, 190, 120, 14});
    leque_do_radar(s, c, raio_radar, 45, cor{20, 190, 120}, 150);
    // Lines at least two pixels wide: the radar is turned without smoothing,
    // and thinner lines break into dashes.
    for (int k = 1; k <= 4; ++k) anel(s, c, k * 49.5 - (k == 4 ? 2 : 0), 2.2, cor{10, 110, 70, 80});
    segmento(s, {c.x - 196, c.y}, {c.x + 196, c.y}, 2, cor{10, 110, 70, 45});
    segmento(s, {c.x, c.y - 196}, {c.x, c.y + 196}, 2, cor{10, 110, 70, 45});
    const double a = 45 * M_PI / 180;
    segmento(s, c, {c.x + 196 * std::cos(a), c.y - 196 * std::sin(a)}, 2.5, cor{40, 240, 160, 230});
}

void veu_inicial(SDL_Surface* s, const fontes& f) {
    caixa_arredondada(s, {0, 0, 400, 400}, 0, cor{15, 30, 48, 70});
    caixa_arredondada(s, {70, 150, 260, 64}, 12, cor{15, 30, 48, 215});
    texto(s, "Pronto para o scan", {f.negrito, 14, branco, alinhamento::centro}, 200, 160);
    texto(s, "Clique em Iniciar Scan para come\xe7" "ar", {f.condensada, 11, cor{180, 205, 225}, alinhamento::centro}, 200, 184);
}

void imagem_ponto_de_partida(SDL_Surface* s, const fontes& f, int local) {
    preencher(s, paleta::cartao);
    const retangulo janela{4, 2, 172, 104};
    const ponto meio{janela.x + janela.w / 2, janela.y + janela.h / 2};
    bool no_mapa = false;
    for (const auto& p : geografia::pontos_de_partida)
        if (p.local == local) {
            recorte_do_mapa(s, janela, p.ponto, 2.2);
            no_mapa = true;
        }
    if (no_mapa) {
        alvo_no_mapa(s, meio);
    } else {
        caixa_arredondada(s, janela, 8, cor{226, 236, 244});
        icone_do_computador(s, meio);
    }
    moldura_arredondada(s, janela, 8, 1, paleta::borda);
    texto(s, nome_ponto_de_partida(local), {f.negrito, 13, paleta::texto, alinhamento::centro}, 90, 111);
    const std::string detalhe = no_mapa ? "as linhas partem daqui" : "linhas a partir da legenda";
    texto(s, detalhe, {f.condensada, 10, paleta::texto_suave, alinhamento::centro}, 90, 126);
}

}  // namespace gerador
