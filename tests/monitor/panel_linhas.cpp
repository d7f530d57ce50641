// The connection panel on the window (dummy video driver), compared pixel for
// pixel with lines rendered here at the places and in the colours the panel
// must use.
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "capture/process_support.h"
#include "capture/processes.h"
#include "monitor/panel.h"
#include "monitor/tables.h"
#include "shell/startup.h"
#include "shell/toolkit.h"
#include "support/test_support.h"

namespace {

Uint32 pixel(SDL_Surface* s, int x, int y) {
    return static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x];
}

// The first window row where the two surfaces differ; -1 when they are equal.
int primeira_diferenca(SDL_Surface* a, SDL_Surface* b) {
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 800; ++x)
            if (pixel(a, x, y) != pixel(b, x, y)) return y;
    return -1;
}

struct rgb {
    Uint8 r, g, b;
};

struct linha_de_teste {
    std::string ip, porta;
    bool aberta;
    rgb cor;
};

class Painel : public ::testing::Test {
protected:
    TTF_Font* fonte = nullptr;
    TTF_Font* fonte_anterior = nullptr;
    SDL_Surface* fundo = nullptr;

    void SetUp() override {
        if (!screen) {
            setenv("SDL_VIDEODRIVER", "dummy", 0);
            SDL_Init(SDL_INIT_VIDEO);
            screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
        }
        ASSERT_NE(screen, nullptr);
        if (!TTF_WasInit()) TTF_Init();
        fonte = TTF_OpenFont("fontes/Fonte_03.ttf", 10);
        ASSERT_NE(fonte, nullptr) << "run from the build folder (fontes/)";
        fonte_anterior = my_font_10_painel;
        my_font_10_painel = fonte;
        esvaziar_banco_painel();
        SDL_FillRect(screen, nullptr, 0);
        exibir_painel(1);
        fundo = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    }

    void TearDown() override {
        my_font_10_painel = fonte_anterior;
        if (fonte) TTF_CloseFont(fonte);
        if (fundo) SDL_FreeSurface(fundo);
    }

    // Row n of the table: time 10:00:nn, local port 40000 + n.
    void acrescentar(int n, const linha_de_teste& l) {
        char hora[16], porta_local[16], processo[32];
        std::snprintf(hora, sizeof hora, "10:00:%02d", n);
        std::snprintf(porta_local, sizeof porta_local, "%d", 40000 + n);
        std::snprintf(processo, sizeof processo, "proc%d.exe", n);
        add_banco_painel(hora, "192.168.0.5", porta_local, l.ip.c_str(), l.porta.c_str(),
                         processo, "Brasil", "NOID", "/usr/bin/x", 1);
        if (!l.aberta) informa_desconexao("10:01:00", porta_local, "", l.porta.c_str(), "");
    }

    // What the panel must show for row n at y: five columns rendered here.
    void desenhar_esperado(SDL_Surface* destino, int n, int y, const linha_de_teste& l) {
        auto& linha = banco_painel[n];
        const char* textos[] = {linha[PAI_HORA_CONEXAO], l.ip.c_str(), l.porta.c_str(),
                                linha[PAI_NOME_PROCESSO], linha[PAI_LOCALIDADE]};
        const int xs[] = {410, 457, 557, 615, 710};
        for (int c = 0; c < 5; ++c) {
            SDL_Surface* t = TTF_RenderText_Blended(fonte, textos[c], {l.cor.r, l.cor.g, l.cor.b, 0});
            SDL_Rect onde{static_cast<Sint16>(xs[c]), static_cast<Sint16>(y), 0, 0};
            SDL_BlitSurface(t, nullptr, destino, &onde);
            SDL_FreeSurface(t);
        }
    }

    // Compares the window with the empty panel plus the given rows, top line
    // first: the first differing window row, or -1.
    int comparar_com(const std::vector<std::pair<int, linha_de_teste>>& de_cima_para_baixo) {
        SDL_Surface* esperado = SDL_ConvertSurface(fundo, fundo->format, SDL_SWSURFACE);
        int y = 135;
        for (const auto& [n, l] : de_cima_para_baixo) {
            desenhar_esperado(esperado, n, y, l);
            y += 12;
        }
        int diferenca = primeira_diferenca(esperado, screen);
        SDL_FreeSurface(esperado);
        return diferenca;
    }
};

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

// A process whose file name the system keeps in UTF-8 shows on the panel
// exactly as the same name written in Latin-1.
TEST_F(Painel, NomeDeProcessoEmUtf8ApareceComoEmLatin1) {
    teste::PastaTemporaria pasta;
    const std::string copia = pasta / "conex\xc3\xa3o_a\xc3\xa7\xc3\xa3o";
    ASSERT_TRUE(processos::copiar_programa("/bin/sleep", copia));
    pid_t pid = processos::iniciar(copia, "30");
    novo_instantaneo_de_processos();
    add_banco_painel("10:00:00", "192.168.0.5", "40000", "8.8.8.8", "443", getpro(pid), "Brasil",
                     "NOID", getexe(pid), 1);
    processos::encerrar(pid);
    exibir_painel(1);
    SDL_Surface* do_processo = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);

    copiar_celula(banco_painel[0][PAI_NOME_PROCESSO], "conex\xe3o_a\xe7\xe3o");
    exibir_painel(1);
    EXPECT_EQ(primeira_diferenca(do_processo, screen), -1);
    copiar_celula(banco_painel[0][PAI_NOME_PROCESSO], "conex\xc3\xa3o_a\xc3\xa7\xc3\xa3o");
    exibir_painel(1);
    EXPECT_NE(primeira_diferenca(do_processo, screen), -1) << "UTF-8 bytes drawn as Latin-1 are garbled";
    SDL_FreeSurface(do_processo);
}

}  // namespace
