// The world map agrees with the location table: a connection's line ends at
// (x + 7, y + 15), which should fall inside (or within a few pixels of) the
// country the table names.
#include "assets/generator/table_targets.h"
#include "images_support.h"

#include <SDL/SDL_gfxPrimitives.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace geografia;
using namespace teste_imagens;

namespace {

constexpr double pixels_de_tolerancia = 3.0;

// The figure the map reaches; the rows it misses are the table's own
// mistakes (".mu" in West Africa, ".pg" on Borneo, ".ap" a region with no
// outline, ".ph" far out in the Pacific) and two points piled up with India,
// Myanmar and Thailand where the real countries lie far apart (".cn", ".bd").
constexpr int linhas_no_pais_exigidas = 110;

const std::string arquivo_dos_paises = std::string(QUORVEX_SOURCE_DIR) + "/assets/map/countries.txt";

struct medida {
    std::vector<alvo> alvos;
    std::vector<double> distancias;
};

const medida& medir() {
    static const medida m = [] {
        static const std::vector<pais> paises = ler_paises(arquivo_dos_paises);
        medida r;
        const mapa_ajustado mapa = ajustar_mapa(alvos_do_mapa(paises), paises);
        r.alvos = alvos_da_tabela(paises);
        for (const alvo& a : r.alvos)
            r.distancias.push_back(a.p ? distancia_ao_pais(a.ponto, *a.p, mapa) : -1);
        return r;
    }();
    return m;
}

bool acertou(double distancia) { return distancia >= 0 && distancia <= pixels_de_tolerancia; }

// Land is drawn in warm tints, the sea in blue.
bool terra(rgba c) { return c.r + 16 > c.b; }

// The pale sea and the land tints under the lines; the dark legend text and
// the borders are neither.
bool mar(rgba c) { return !terra(c) && c.r >= 200; }
bool terra_clara(rgba c) { return terra(c) && c.r >= 200; }

// Relative luminance and contrast ratio as the WCAG define them.
double luminancia(rgba c) {
    auto linear = [](Uint8 v) {
        const double x = v / 255.0;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

double contraste(rgba a, rgba b) {
    const double la = luminancia(a), lb = luminancia(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct contraste_medido {
    double menor = 1e9;
    int pixels = 0;
};

// Every line a scan can draw (from each start point to each point of the
// table, to the unknown place, and the private network's), drawn as the radar
// draws them, compared pixel by pixel with the map beneath.
contraste_medido contraste_das_linhas(SDL_Surface* mapa, bool no_mar) {
    superficie linhas(SDL_ConvertSurface(mapa, mapa->format, SDL_SWSURFACE));
    constexpr Uint32 cor_das_linhas = 0x00339999;
    const double partidas[4][2] = {{129, 436}, {137, 340}, {180, 270}, {205, 330}};
    std::vector<ponto_mapa> fins{{248, 160}};
    for (const alvo& a : medir().alvos) fins.push_back(a.ponto);
    for (const auto& p : partidas)
        for (const ponto_mapa& fim : fins)
            lineColor(linhas.get(), static_cast<Sint16>(p[0]), static_cast<Sint16>(p[1] - 100),
                      static_cast<Sint16>(fim.x), static_cast<Sint16>(fim.y - 100), cor_das_linhas);
    lineColor(linhas.get(), 130, 336, 259, 336, cor_das_linhas);
    contraste_medido m;
    for (int y = 0; y < mapa->h; ++y)
        for (int x = 0; x < mapa->w; ++x) {
            const rgba antes = pixel(mapa, x, y), depois = pixel(linhas.get(), x, y);
            if (antes == depois || !(no_mar ? mar(antes) : terra_clara(antes))) continue;
            m.menor = std::min(m.menor, contraste(antes, depois));
            ++m.pixels;
        }
    return m;
}

}  // namespace

TEST(MapaDoMundo, ContornosCobremTodosOsPaisesDaTabela) {
    const std::vector<pais> paises = ler_paises(arquivo_dos_paises);
    ASSERT_GT(paises.size(), 150u);
    const std::vector<alvo> alvos = alvos_da_tabela(paises);
    EXPECT_EQ(alvos.size(), 116u);
    int sem_contorno = 0;
    for (const alvo& a : alvos)
        if (!a.p) {
            ++sem_contorno;
            EXPECT_EQ(a.sufixo, ".ap") << "no outline for " << a.nome_na_tabela;
        }
    EXPECT_EQ(sem_contorno, 1);
}

TEST(MapaDoMundo, PontosDaTabelaCaemNosSeusPaises) {
    const medida& m = medir();
    int acertos = 0;
    std::string erros;
    for (size_t i = 0; i < m.alvos.size(); ++i) {
        if (acertou(m.distancias[i])) {
            ++acertos;
            continue;
        }
        char linha[128];
        std::snprintf(linha, sizeof linha, " %s %s (%.0f, %.0f) %.1f px;", m.alvos[i].sufixo.c_str(),
                      m.alvos[i].nome_na_tabela.c_str(), m.alvos[i].ponto.x, m.alvos[i].ponto.y, m.distancias[i]);
        erros += linha;
    }
    std::printf("map fit: %d of %zu country rows within %.0f px of their country; misses:%s\n", acertos,
                m.alvos.size(), pixels_de_tolerancia, erros.c_str());
    EXPECT_GE(acertos, linhas_no_pais_exigidas) << erros;
}

TEST(MapaDoMundo, PontosDePartidaFicamNosPaisesQueOsNomeiam) {
    const std::vector<pais> paises = ler_paises(arquivo_dos_paises);
    const mapa_ajustado mapa = ajustar_mapa(alvos_do_mapa(paises), paises);
    for (const ponto_de_partida& p : pontos_de_partida) {
        const pais* pa = pais_chamado(paises, p.pais);
        ASSERT_NE(pa, nullptr) << p.pais;
        EXPECT_LE(distancia_ao_pais(p.ponto, *pa, mapa), 1.0) << p.nome;
    }
}

TEST(MapaDoMundo, ImagemDoMapaTemTerraOndeOsPontosAcertam) {
    superficie mapa = carregar(34);
    ASSERT_NE(mapa, nullptr);
    const medida& m = medir();
    for (size_t i = 0; i < m.alvos.size(); ++i) {
        if (!acertou(m.distancias[i])) continue;
        bool achou = false;
        const int cx = static_cast<int>(m.alvos[i].ponto.x), cy = static_cast<int>(m.alvos[i].ponto.y) - 100;
        for (int dy = -3; dy <= 3 && !achou; ++dy)
            for (int dx = -3; dx <= 3 && !achou; ++dx)
                achou = terra(pixel(mapa.get(), cx + dx, cy + dy));
        EXPECT_TRUE(achou) << m.alvos[i].sufixo << " at (" << cx << ", " << cy << ") of the map";
    }
    EXPECT_FALSE(terra(pixel(mapa.get(), 5, 200)));  // the Pacific at the map's west edge
}

TEST(MapaDoMundo, LinhasDestacamSeDoMarComContrasteDePeloMenos3) {
    superficie mapa = carregar(34);
    ASSERT_NE(mapa, nullptr);
    const contraste_medido mar = contraste_das_linhas(mapa.get(), true);
    const contraste_medido terra_firme = contraste_das_linhas(mapa.get(), false);
    std::printf("line contrast: sea %.2f:1 at the least over %d pixels; land %.2f:1 over %d pixels\n",
                mar.menor, mar.pixels, terra_firme.menor, terra_firme.pixels);
    ASSERT_GT(mar.pixels, 1000);
    EXPECT_GE(mar.menor, 3.0);
}
