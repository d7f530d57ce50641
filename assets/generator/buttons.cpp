// Button sheets: three frames of the button's size side by side, the resting
// look, the look under the mouse and the pressed look.
#include "pieces.h"

#include <algorithm>
#include <cmath>

namespace gerador {

namespace {

template <typename Quadro>
void tres_quadros(SDL_Surface* s, Quadro desenhar) {
    const double w = s->w / 3.0;
    for (int i = 0; i < 3; ++i) desenhar(retangulo{i * w, 0, w, double(s->h)}, static_cast<estado_botao>(i));
}

int centro_x(retangulo r) { return static_cast<int>(std::lround(r.x + r.w / 2)); }

// Vertical position that centres a line of the face in the box.
int topo_centrado(retangulo r, const std::string& fonte, int pontos) {
    return static_cast<int>(std::lround(r.y + (r.h - altura_texto(fonte, pontos)) / 2));
}

void desenhar_icone(SDL_Surface* s, icone i, ponto c, cor tinta, cor fundo_icone) {
    switch (i) {
        case icone::pasta:
            caixa_arredondada(s, {c.x - 15, c.y - 11, 13, 8}, 2, tinta);
            caixa_arredondada(s, {c.x - 15, c.y - 8, 30, 20}, 3, tinta);
            segmento(s, {c.x - 12, c.y - 2}, {c.x + 12, c.y - 2}, 1.5, fundo_icone);
            break;
        case icone::ip_publico:
            anel(s, c, 14, 2, tinta);
            segmento(s, {c.x - 14, c.y}, {c.x + 14, c.y}, 1.6, tinta);
            segmento(s, {c.x, c.y - 14}, {c.x, c.y + 14}, 1.6, tinta);
            for (double lado : {-1.0, 1.0}) {
                std::vector<ponto> meridiano;
                for (int k = 0; k <= 16; ++k) {
                    const double a = -M_PI / 2 + M_PI * k / 16;
                    meridiano.push_back({c.x + lado * 7 * std::cos(a), c.y + 14 * std::sin(a)});
                }
                polilinha(s, meridiano, 1.4, tinta);
                segmento(s, {c.x - 12, c.y + lado * 7}, {c.x + 12, c.y + lado * 7}, 1.4, tinta);
            }
            break;
        case icone::proxys:
            for (int k = -1; k <= 1; ++k) {
                caixa_arredondada(s, {c.x - 15, c.y + k * 10 - 4, 30, 8}, 2.5, tinta);
                disco(s, {c.x - 10, c.y + k * 10.0}, 1.6, fundo_icone);
                segmento(s, {c.x - 4, c.y + k * 10.0}, {c.x + 10, c.y + k * 10.0}, 1.4, fundo_icone);
            }
            break;
        case icone::geolocalizar: {
            disco(s, {c.x, c.y - 5}, 11, tinta);
            std::vector<std::vector<ponto>> ponta{{{c.x - 9.5, c.y - 0.5}, {c.x + 9.5, c.y - 0.5}, {c.x, c.y + 15}}};
            preencher_aneis(s, ponta, tinta);
            disco(s, {c.x, c.y - 5}, 4.5, fundo_icone);
            break;
        }
        case icone::terminal:
            caixa_arredondada(s, {c.x - 16, c.y - 13, 32, 26}, 4, tinta);
            segmento(s, {c.x - 10, c.y - 5}, {c.x - 4, c.y}, 2, fundo_icone);
            segmento(s, {c.x - 4, c.y}, {c.x - 10, c.y + 5}, 2, fundo_icone);
            segmento(s, {c.x - 1, c.y + 6}, {c.x + 8, c.y + 6}, 2, fundo_icone);
            break;
    }
}

}  // namespace

cor cor_da_barra(double y) { return misturar(paleta::barra_topo, paleta::barra_base, std::clamp(y / 48.0, 0.0, 1.0)); }

void folha_aba(SDL_Surface* s, const fontes& f, const std::string& rotulo) {
    for (int y = 0; y < s->h; ++y) {
        const cor c = cor_da_barra(10 + y + 0.5);
        for (int x = 0; x < s->w; ++x) gravar_pixel(s, x, y, c);
    }
    tres_quadros(s, [&](retangulo r, estado_botao e) {
        const retangulo aba{r.x + 2, r.y + 3, r.w - 4, r.h + 6};
        const cor face = e == estado_botao::pressionado ? paleta::acento
                         : e == estado_botao::sob_o_mouse ? cor{48, 82, 116}
                                                          : cor{32, 58, 86};
        caixa_gradiente(s, aba, 7, misturar(face, cor{255, 255, 255}, 0.08), face);
        if (e == estado_botao::sob_o_mouse) caixa_arredondada(s, {r.x + 10, r.h - 3, r.w - 20, 3}, 1.5, paleta::acento);
        const cor tinta = e == estado_botao::repouso ? cor{196, 210, 224} : cor{255, 255, 255};
        texto(s, rotulo, {f.negrito, 11, tinta, alinhamento::centro}, centro_x(r), topo_centrado({r.x, r.y + 3, r.w, r.h - 3}, f.negrito, 11));
    });
}

void folha_iniciar(SDL_Surface* s, const fontes& f) {
    preencher(s, paleta::fundo);
    tres_quadros(s, [&](retangulo r, estado_botao e) {
        const cor face = e == estado_botao::pressionado ? paleta::acento_escuro
                         : e == estado_botao::sob_o_mouse ? misturar(paleta::acento, cor{255, 255, 255}, 0.18)
                                                          : paleta::acento;
        const double desce = e == estado_botao::pressionado ? 1 : 0;
        caixa_arredondada(s, {r.x + 0.5, r.y + 1.5, r.w - 1, r.h - 1.5}, 5, cor{0, 0, 0, 40});
        caixa_gradiente(s, {r.x + 0.5, r.y + desce, r.w - 1, r.h - 1.5}, 5, misturar(face, cor{255, 255, 255}, 0.12), face);
        const int largura = largura_texto("Iniciar Scan", f.negrito, 10);
        const double inicio = r.x + (r.w - largura - 12) / 2;
        const double meio = r.y + r.h / 2 - 0.5 + desce;
        std::vector<std::vector<ponto>> seta{{{inicio, meio - 4.5}, {inicio + 7.5, meio}, {inicio, meio + 4.5}}};
        preencher_aneis(s, seta, cor{255, 255, 255});
        texto(s, "Iniciar Scan", {f.negrito, 10, cor{255, 255, 255}}, static_cast<int>(inicio + 12),
              topo_centrado({r.x, r.y + desce, r.w, r.h - 1.5}, f.negrito, 10));
    });
}

// The tool's whole clickable area is one raised tile on the page.
void folha_ferramenta(SDL_Surface* s, const fontes&, icone i) {
    preencher(s, paleta::fundo);
    tres_quadros(s, [&](retangulo r, estado_botao e) {
        const retangulo tile{r.x + 1, r.y + 1, r.w - 2, r.h - 2};
        const bool pressionado = e == estado_botao::pressionado;
        caixa_arredondada(s, {tile.x, tile.y + 1, tile.w, tile.h}, 9, cor{20, 40, 60, 40});
        const cor face = pressionado ? paleta::acento
                         : e == estado_botao::sob_o_mouse ? cor{222, 244, 242}
                                                          : paleta::cartao;
        caixa_arredondada(s, tile, 9, face);
        moldura_arredondada(s, tile, 9, pressionado ? 0 : 1.2,
                            e == estado_botao::sob_o_mouse ? paleta::acento : paleta::borda);
        const cor tinta = pressionado ? cor{255, 255, 255} : e == estado_botao::sob_o_mouse ? paleta::acento_escuro : cor{54, 72, 94};
        desenhar_icone(s, i, {r.x + r.w / 2, r.y + r.h / 2 + (pressionado ? 1 : 0)}, tinta, face);
    });
}

// The keyed sheets show what lies beneath through their middle. All three
// frames paint the very same ring and differ only in its colour, so the
// resting frame repaints every pixel the mouse's frames painted.
void folha_caixa_de_marcar(SDL_Surface* s, const fontes&) {
    tres_quadros(s, [&](retangulo r, estado_botao e) {
        const cor c = e == estado_botao::repouso ? cor{120, 134, 150}
                      : e == estado_botao::sob_o_mouse ? paleta::acento
                                                       : paleta::acento_escuro;
        moldura_arredondada(s, {r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1}, 5, 2.2, c);
    });
}

void folha_duracao(SDL_Surface* s, const fontes&) {
    tres_quadros(s, [&](retangulo r, estado_botao e) {
        const cor c = e == estado_botao::repouso ? cor{176, 188, 202}
                      : e == estado_botao::sob_o_mouse ? paleta::acento
                                                       : paleta::acento_escuro;
        moldura_arredondada(s, {r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1}, 8, 2.5, c);
    });
}

void folha_ponto_de_partida(SDL_Surface* s, const fontes& f, int local) {
    preencher(s, paleta::cartao);
    tres_quadros(s, [&](retangulo r, estado_botao e) {
        const retangulo pilula{r.x + 1, r.y + 1, r.w - 2, r.h - 3};
        const bool pressionado = e == estado_botao::pressionado;
        const cor face = pressionado ? paleta::acento : e == estado_botao::sob_o_mouse ? cor{222, 244, 242} : cor{242, 245, 249};
        caixa_arredondada(s, pilula, 7, face);
        moldura_arredondada(s, pilula, 7, pressionado ? 0 : 1.2, e == estado_botao::sob_o_mouse ? paleta::acento : paleta::borda);
        const cor tinta = pressionado ? cor{255, 255, 255} : paleta::texto;
        const cor suave = pressionado ? cor{220, 245, 242} : paleta::texto_suave;
        const std::string nome = nome_ponto_de_partida(local);
        int pontos = 11;
        while (pontos > 8 && largura_texto(nome, f.negrito, pontos) > r.w - 10) --pontos;
        texto(s, nome, {f.negrito, pontos, tinta, alinhamento::centro}, centro_x(r), static_cast<int>(r.y + 3 + (11 - pontos) / 2));
        const std::string detalhe = local == 0 ? "sem lugar no mapa" : "ponto " + std::to_string(local) + " do mapa";
        texto(s, detalhe, {f.condensada, 9, suave, alinhamento::centro}, centro_x(r), static_cast<int>(r.y + 18));
    });
}

void folha_curso(SDL_Surface* s, const fontes& f) {
    preencher(s, paleta::fundo);
    tres_quadros(s, [&](retangulo r, estado_botao e) {
        const cor face = e == estado_botao::pressionado ? cor{196, 96, 20}
                         : e == estado_botao::sob_o_mouse ? cor{250, 146, 56}
                                                          : cor{236, 124, 32};
        const double desce = e == estado_botao::pressionado ? 1 : 0;
        caixa_arredondada(s, {r.x + 0.5, r.y + 2, r.w - 1, r.h - 2}, 7, cor{0, 0, 0, 45});
        caixa_gradiente(s, {r.x + 0.5, r.y + desce, r.w - 1, r.h - 2}, 7, misturar(face, cor{255, 255, 255}, 0.15), face);
        const int largura = largura_texto("Saiba mais", f.negrito, 12);
        const int inicio = static_cast<int>(r.x + (r.w - largura - 14) / 2);
        const int topo = topo_centrado({r.x, r.y + desce, r.w, r.h - 2}, f.negrito, 12);
        texto(s, "Saiba mais", {f.negrito, 12, cor{255, 255, 255}}, inicio, topo);
        const double ax = inicio + largura + 6, ay = r.y + (r.h - 2) / 2 + desce;
        segmento(s, {ax, ay - 4}, {ax + 4.5, ay}, 2, cor{255, 255, 255});
        segmento(s, {ax + 4.5, ay}, {ax, ay + 4}, 2, cor{255, 255, 255});
    });
}

}  // namespace gerador
