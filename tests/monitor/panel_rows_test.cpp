// The connection panel on the window (dummy video driver), compared pixel for
// pixel with lines rendered here at the places and in the colours the panel
// must use.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "monitor/panel_support.h"
#include "monitor/panel.h"
#include "monitor/tables.h"
#include "shell/toolkit.h"

namespace {

using namespace painel_teste;

const std::vector<linha_de_teste> classes = {
    {"8.8.8.8", "443", true, {100, 200, 100}},    {"8.8.4.4", "80", false, {0, 100, 0}},
    {"100.1.2.3", "8080", true, {250, 130, 100}}, {"1.1.1.1", "22", false, {150, 30, 0}},
    {"127.0.0.1", "443", true, {200, 200, 200}},  {"192.168.0.9", "80", false, {100, 100, 100}},
    {"10.1.1.1", "5000", true, {200, 200, 200}},
};

TEST_F(Painel, TrintaLinhasMostramAsVinteEOitoMaisNovasNosLugaresENasCores) {
    for (int n = 0; n < 30; ++n) acrescentar(n, classes[n % classes.size()]);
    unsigned long antes = apresentacoes_da_tela;
    exibir_painel(1);
    EXPECT_EQ(apresentacoes_da_tela, antes + 1) << "only the empty background is presented";
    EXPECT_EQ(py_painel, 135 + 28 * 12);
    std::vector<std::pair<int, linha_de_teste>> esperadas;
    for (int n = 29; n >= 2; --n) esperadas.push_back({n, classes[n % classes.size()]});
    EXPECT_EQ(comparar_com(esperadas), -1);
    EXPECT_EQ(num_banco_painel, 30) << "the two oldest stay in the table";
}

TEST_F(Painel, MaisNovaEmCimaETerceiraMaisNovaEm159) {
    acrescentar(0, classes[0]);
    acrescentar(1, classes[2]);
    acrescentar(2, classes[4]);
    exibir_painel(1);
    EXPECT_EQ(comparar_com({{2, classes[4]}, {1, classes[2]}, {0, classes[0]}}), -1);
    EXPECT_NE(comparar_com({{2, classes[4]}, {0, classes[0]}, {1, classes[2]}}), -1);
}

TEST_F(Painel, LinhaEncerradaEscureceNoMesmoLugar) {
    const linha_de_teste web{"8.8.8.8", "443", true, {100, 200, 100}};
    const linha_de_teste outra{"9.9.9.9", "5000", true, {250, 130, 100}};
    acrescentar(0, web);
    acrescentar(1, web);
    acrescentar(2, outra);
    exibir_painel(1);
    ASSERT_EQ(comparar_com({{2, outra}, {1, web}, {0, web}}), -1);

    ASSERT_EQ(informa_desconexao("10:02:00", "40001", "", "443", ""), 1);
    exibir_painel(1);
    const linha_de_teste web_encerrada{"8.8.8.8", "443", false, {0, 100, 0}};
    EXPECT_EQ(comparar_com({{2, outra}, {1, web_encerrada}, {0, web}}), -1);

    ASSERT_EQ(informa_desconexao("10:02:01", "40002", "", "5000", ""), 1);
    exibir_painel(1);
    const linha_de_teste outra_encerrada{"9.9.9.9", "5000", false, {150, 30, 0}};
    EXPECT_EQ(comparar_com({{2, outra_encerrada}, {1, web_encerrada}, {0, web}}), -1);
}

TEST_F(Painel, EnderecoLocalVenceAPortaEQuaseLocalNaoConta) {
    const linha_de_teste local_443{"127.0.0.1", "443", true, {200, 200, 200}};
    const linha_de_teste nao_local{"100.1.2.3", "443", true, {100, 200, 100}};
    const linha_de_teste quase_192{"192.16.0.1", "22", true, {250, 130, 100}};
    const linha_de_teste zero_80{"8.8.8.8", "080", true, {100, 200, 100}};
    const linha_de_teste lan_10{"10.0.0.7", "80", false, {100, 100, 100}};
    acrescentar(0, local_443);
    acrescentar(1, nao_local);
    acrescentar(2, quase_192);
    acrescentar(3, zero_80);
    acrescentar(4, lan_10);
    exibir_painel(1);
    EXPECT_EQ(comparar_com({{4, lan_10}, {3, zero_80}, {2, quase_192}, {1, nao_local},
                            {0, local_443}}),
              -1);
}

TEST_F(Painel, PainelVazioSoDesenhaOFundo) {
    SDL_FillRect(screen, nullptr, 0);
    exibir_painel(1);
    EXPECT_EQ(primeira_diferenca(fundo, screen), -1);
    EXPECT_EQ(py_painel, 135);
}

TEST_F(Painel, ApagarABarraApresentaAJanela) {
    std::FILE* imagem = std::fopen("bin/A0008.bin", "rb");
    ASSERT_NE(imagem, nullptr) << "run from the build folder (bin/, target quorvex_assets)";
    std::fclose(imagem);
    Uint32 marca = SDL_MapRGB(screen->format, 1, 2, 3);
    SDL_FillRect(screen, nullptr, marca);
    unsigned long antes = apresentacoes_da_tela;
    borrachar_bara(1);
    EXPECT_EQ(apresentacoes_da_tela, antes + 1);
    EXPECT_NE(pixel(screen, 56, 65), marca) << "the status line is drawn over";
    EXPECT_EQ(pixel(screen, 54, 63), marca) << "nothing above or left of (55, 64)";
}

}  // namespace
