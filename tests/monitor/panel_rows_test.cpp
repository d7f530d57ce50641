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

TEST_F(Painel, EnderecosIPv6LocaisComoOsIPv4) {
    const linha_de_teste local_1{"::1", "443", true, {200, 200, 200}};
    const linha_de_teste enlace{"febf::1", "22", false, {100, 100, 100}};
    const linha_de_teste unico{"fc00::5", "22", true, {200, 200, 200}};
    const linha_de_teste global{"fec0::1", "443", true, {100, 200, 100}};
    acrescentar(0, local_1);
    acrescentar(1, enlace);
    acrescentar(2, unico);
    acrescentar(3, global);
    exibir_painel(1);
    EXPECT_EQ(comparar_com({{3, global}, {2, unico}, {1, enlace}, {0, local_1}}), -1);
}

// Whether the `largura` pixel columns of the line at y from xa in `a` and from
// xb in `b` are the same.
bool trechos_iguais(SDL_Surface* a, int xa, SDL_Surface* b, int xb, int largura, int y) {
    for (int linha = y; linha < y + 12; ++linha)
        for (int i = 0; i < largura; ++i)
            if (pixel(a, xa + i, linha) != pixel(b, xb + i, linha)) return false;
    return true;
}

int ultima_coluna_diferente(SDL_Surface* a, SDL_Surface* b, int y) {
    int x = 799;
    while (x >= 0 && trechos_iguais(a, x, b, x, 1, y)) --x;
    return x;
}

// Against the line drawn without its address and the whole address drawn alone.
TEST_F(Painel, EnderecoIPv6LongoCabeNaColunaComSeuInicioESeuFim) {
    const linha_de_teste longo{"2001:db8:aaaa:bbbb:cccc:dddd:eeee:ffff", "443", true, {100, 200, 100}};
    acrescentar(0, longo);
    exibir_painel(1);
    SDL_Surface* sem_endereco = SDL_ConvertSurface(fundo, fundo->format, SDL_SWSURFACE);
    desenhar_esperado(sem_endereco, 0, 135, {"", longo.porta, true, longo.cor});
    SDL_Surface* inteiro = SDL_ConvertSurface(fundo, fundo->format, SDL_SWSURFACE);
    SDL_Surface* texto = TTF_RenderText_Blended(fonte, longo.ip.c_str(), {100, 200, 100, 0});
    SDL_Rect onde{457, 135, 0, 0};
    SDL_BlitSurface(texto, nullptr, inteiro, &onde);
    int fim_inteiro = ultima_coluna_diferente(fundo, inteiro, 135);
    int fim = ultima_coluna_diferente(sem_endereco, screen, 135);
    EXPECT_GT(fim_inteiro, 557) << "whole, the address would not fit";
    EXPECT_LT(fim, 557 - 3) << "it stays left of the port column";
    EXPECT_TRUE(trechos_iguais(sem_endereco, 0, screen, 0, 457, 135));
    EXPECT_TRUE(trechos_iguais(inteiro, 457, screen, 457, 30, 135)) << "its start";
    EXPECT_TRUE(trechos_iguais(inteiro, fim_inteiro - 20, screen, fim - 20, 21, 135)) << "its end";
    for (SDL_Surface* s : {texto, inteiro, sem_endereco}) SDL_FreeSurface(s);
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
