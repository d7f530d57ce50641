// Coloured Latin-1 text on the window, read back from its pixels.
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include "shell/toolkit.h"
#include "tests/shell/toolkit_support.h"

namespace {

using apoio::caixa_do_desenho;
using apoio::cor_em;
using apoio::rgb;

const rgb preto{0, 0, 0};
const char* fonte = "fontes/Fonte_04.ttf";

class Texto : public ::testing::Test {
protected:
    void SetUp() override {
        apoio::garantir_tela();
        if (!TTF_WasInit()) {
            ASSERT_EQ(TTF_Init(), 0);
        }
        apoio::pintar(screen, preto);
    }
};

TEST_F(Texto, DesenhadoNaCorComOCantoSuperiorEsquerdoNaPosicao) {
    ASSERT_EQ(desenha_texto_cores("HHH", fonte, 20, screen, 100, 50, 200, 30, 60), 0);
    apoio::caixa c = caixa_do_desenho(screen, preto);
    ASSERT_GT(c.w, 0) << "nothing drawn (run from the build folder, fontes/)";
    EXPECT_GE(c.x, 100);
    EXPECT_LT(c.x, 104);
    EXPECT_GE(c.y, 50);
    EXPECT_LT(c.y, 50 + 20);
    EXPECT_LT(c.x + c.w, 100 + 60);
    EXPECT_TRUE(apoio::tem_a_cor(screen, {200, 30, 60}, {100, 50, 60, 30}))
        << "the glyphs' solid pixels carry the colour exactly";
}

TEST_F(Texto, SoOsOitoBitsBaixosDeCadaCorContam) {
    desenha_texto_cores("HHH", fonte, 20, screen, 100, 50, 256 + 200, 256, 512 + 60);
    SDL_Surface* fora_da_faixa = apoio::copia_da_tela();
    apoio::pintar(screen, preto);
    desenha_texto_cores("HHH", fonte, 20, screen, 100, 50, 200, 0, 60);
    EXPECT_TRUE(apoio::superficies_iguais(fora_da_faixa, screen));
    EXPECT_TRUE(apoio::tem_a_cor(screen, {200, 0, 60}, {100, 50, 60, 30}));
    SDL_FreeSurface(fora_da_faixa);
}

TEST_F(Texto, ULatinUmAgudoDeUmSoByte) {
    TTF_Font* aberta = TTF_OpenFont(fonte, 20);
    ASSERT_NE(aberta, nullptr);
    const Uint16 u_agudo[] = {0xfa, 0};
    SDL_Surface* referencia = TTF_RenderUNICODE_Blended(aberta, u_agudo, {255, 255, 255, 0});
    ASSERT_NE(referencia, nullptr);
    SDL_Rect onde{300, 200, 0, 0};
    SDL_BlitSurface(referencia, nullptr, screen, &onde);
    SDL_Surface* esperado = apoio::copia_da_tela();

    apoio::pintar(screen, preto);
    desenha_texto_cores("\xfa", fonte, 20, screen, 300, 200, 255, 255, 255);
    EXPECT_TRUE(apoio::superficies_iguais(esperado, screen));

    apoio::pintar(screen, preto);
    desenha_texto_cores("u", fonte, 20, screen, 300, 200, 255, 255, 255);
    EXPECT_FALSE(apoio::superficies_iguais(esperado, screen)) << "the accent is drawn";

    SDL_FreeSurface(esperado);
    SDL_FreeSurface(referencia);
    TTF_CloseFont(aberta);
}

TEST_F(Texto, FraseComAcentoOcupaSoUmaLetraPorByte) {
    desenha_texto_cores("Visualizar IP P\xfa""blico", fonte, 16, screen, 10, 10, 255, 255, 255);
    apoio::caixa com_acento = caixa_do_desenho(screen, preto);
    apoio::pintar(screen, preto);
    desenha_texto_cores("Visualizar IP Publico", fonte, 16, screen, 10, 10, 255, 255, 255);
    apoio::caixa sem_acento = caixa_do_desenho(screen, preto);
    EXPECT_EQ(com_acento.x, sem_acento.x);
    EXPECT_LE(std::abs(com_acento.w - sem_acento.w), 2) << "one glyph for the byte 0xfa";
    EXPECT_LT(com_acento.y, sem_acento.y) << "the accent rises above the other letters";
}

TEST_F(Texto, FonteAbertaPeloChamadorDesenhaOMesmoENaoEFechada) {
    desenha_texto_cores("Quorvex", fonte, 13, screen, 20, 66, 10, 200, 10);
    SDL_Surface* esperado = apoio::copia_da_tela();
    TTF_Font* aberta = TTF_OpenFont(fonte, 13);
    ASSERT_NE(aberta, nullptr);
    for (int vez = 0; vez < 2; ++vez) {
        apoio::pintar(screen, preto);
        desenha_texto_cores_loop("Quorvex", aberta, screen, 20, 66, 10, 200, 10);
        EXPECT_TRUE(apoio::superficies_iguais(esperado, screen)) << "pass " << vez;
    }
    TTF_CloseFont(aberta);
    SDL_FreeSurface(esperado);
}

TEST_F(Texto, TextoVazioOuFonteAusenteNaoDesenhaNada) {
    EXPECT_EQ(desenha_texto_cores("", fonte, 20, screen, 100, 50, 255, 255, 255), 0);
    EXPECT_EQ(desenha_texto_cores("abc", "fontes/nao_existe.ttf", 20, screen, 100, 50, 255, 255,
                                  255),
              0);
    desenha_texto_cores_loop("abc", nullptr, screen, 100, 50, 255, 255, 255);
    EXPECT_EQ(caixa_do_desenho(screen, preto).w, 0);
}

TEST_F(Texto, DesenhaEmOutraSuperficieQuandoPedido) {
    SDL_Surface* outra = SDL_CreateRGBSurface(SDL_SWSURFACE, 120, 40, 32, 0xff0000, 0xff00, 0xff, 0);
    apoio::pintar(outra, preto);
    desenha_texto_cores("HH", fonte, 20, outra, 5, 5, 250, 130, 100);
    EXPECT_TRUE(apoio::tem_a_cor(outra, {250, 130, 100}, {0, 0, 120, 40}));
    EXPECT_EQ(caixa_do_desenho(screen, preto).w, 0) << "the window is untouched";
    SDL_FreeSurface(outra);
}

}  // namespace
