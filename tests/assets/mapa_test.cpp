// The world map agrees with the location table: a connection's line ends at
// (x + 7, y + 15), which should fall inside (or within a few pixels of) the
// country the table names.
#include "assets/generator/alvos_da_tabela.h"
#include "imagens_apoio.h"

#include <gtest/gtest.h>

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

const std::string arquivo_dos_paises = std::string(QUORVEX_SOURCE_DIR) + "/assets/mapa/paises.txt";

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
