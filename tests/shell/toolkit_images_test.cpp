// Images on the window: what is blended and what covers, the colour key, the
// unmirrored copy, and which operations present the window.
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <thread>

#include "shell/toolkit.h"
#include "support/test_support.h"
#include "tests/shell/toolkit_support.h"

namespace {

using apoio::cor_em;
using apoio::rgb;

const rgb verde{0, 255, 0};
const rgb vermelho{255, 0, 0};
const rgb azul{0, 0, 255};

// 20 by 10: the left half red and fully transparent, the right half opaque blue.
std::array<int, 4> meio_transparente(int x, int) {
    if (x < 10) return {255, 0, 0, 0};
    return {0, 0, 255, 255};
}

class Imagens : public ::testing::Test {
protected:
    teste::PastaTemporaria pasta;
    std::string transparente = pasta / "meio.tga";
    std::string com_chave = pasta / "chave.xpm";

    void SetUp() override {
        apoio::garantir_tela();
        apoio::pintar(screen, verde);
        apoio::escrever_tga(transparente, 20, 10, meio_transparente);
        // Left half the colour key (None), right half blue.
        teste::escrever_arquivo(com_chave,
                                "/* XPM */\nstatic char *chave[] = {\n\"4 2 2 1\",\n"
                                "\". c None\",\n\"b c #0000FF\",\n\"..bb\",\n\"..bb\"\n};\n");
    }
};

TEST_F(Imagens, ExibirImagemMisturaATransparenciaComOQueHaviaEmbaixo) {
    apenas_exibir_imagem(transparente.c_str(), 100, 100);
    EXPECT_EQ(cor_em(screen, 100, 100), verde);
    EXPECT_EQ(cor_em(screen, 109, 109), verde);
    EXPECT_EQ(cor_em(screen, 110, 100), azul);
    EXPECT_EQ(cor_em(screen, 119, 109), azul);
    EXPECT_EQ(cor_em(screen, 120, 100), verde);
}

TEST_F(Imagens, ExibirImagemDeixaVerOQueHaviaSobAChaveDeCor) {
    for (int vez = 0; vez < 2; ++vez) {
        apoio::pintar(screen, verde);
        apenas_exibir_imagem(com_chave.c_str(), 200, 200);
        EXPECT_EQ(cor_em(screen, 201, 201), verde) << "pass " << vez;
        EXPECT_EQ(cor_em(screen, 202, 200), azul) << "pass " << vez;
    }
}

TEST_F(Imagens, LoadImageDescartaOAlfaECobreOQueHaviaEmbaixo) {
    SDL_Surface* convertida = load_image(transparente);
    ASSERT_NE(convertida, nullptr);
    EXPECT_EQ(convertida->format->BitsPerPixel, screen->format->BitsPerPixel);
    EXPECT_EQ(convertida->format->Amask, 0u);
    apply_surface(100, 100, convertida, screen, nullptr);
    EXPECT_EQ(cor_em(screen, 100, 100), vermelho);
    EXPECT_EQ(cor_em(screen, 110, 100), azul);
    SDL_FreeSurface(convertida);
}

TEST_F(Imagens, LoadImageMantemAChaveDeCor) {
    SDL_Surface* convertida = load_image(com_chave);
    ASSERT_NE(convertida, nullptr);
    EXPECT_TRUE(convertida->flags & SDL_SRCCOLORKEY);
    apply_surface(200, 200, convertida, screen, nullptr);
    EXPECT_EQ(cor_em(screen, 200, 200), verde);
    EXPECT_EQ(cor_em(screen, 201, 201), verde);
    EXPECT_EQ(cor_em(screen, 202, 200), azul);
    EXPECT_EQ(cor_em(screen, 203, 201), azul);
    SDL_FreeSurface(convertida);
}

TEST_F(Imagens, LoadImageDeArquivoAusenteDaNulo) {
    EXPECT_EQ(load_image(pasta / "nada.png"), nullptr);
}

TEST_F(Imagens, ApplySurfaceCopiaSoORecorte) {
    SDL_Surface* convertida = load_image(transparente);
    ASSERT_NE(convertida, nullptr);
    SDL_Rect recorte{10, 0, 5, 5};
    apply_surface(300, 300, convertida, screen, &recorte);
    EXPECT_EQ(cor_em(screen, 300, 300), azul);
    EXPECT_EQ(cor_em(screen, 304, 304), azul);
    EXPECT_EQ(cor_em(screen, 305, 300), verde);
    EXPECT_EQ(cor_em(screen, 300, 305), verde);
    SDL_FreeSurface(convertida);
}

TEST_F(Imagens, SoExibirImagemApresentaAJanela) {
    unsigned long antes = apresentacoes_da_tela;
    desenha_texto_cores("abc", "fontes/Fonte_03.ttf", 11, screen, 148, 69, 10, 10, 10);
    SDL_Surface* convertida = load_image(transparente);
    apply_surface(0, 0, convertida, screen, nullptr);
    SDL_Surface* copia = flip_surface(screen, FLIP_NORMAL);
    put_pixel32(screen, 1, 1, get_pixel32(screen, 2, 2));
    EXPECT_EQ(apresentacoes_da_tela, antes) << "only apenas_exibir_imagem presents";

    apenas_exibir_imagem(transparente.c_str(), 0, 0);
    apenas_exibir_imagem(transparente.c_str(), 0, 0);
    EXPECT_EQ(apresentacoes_da_tela, antes + 2) << "every call presents, cached or not";
    SDL_FreeSurface(copia);
    SDL_FreeSurface(convertida);
}

TEST_F(Imagens, ImagemAusenteNaoDesenhaMasApresenta) {
    unsigned long antes = apresentacoes_da_tela;
    apenas_exibir_imagem((pasta / "nada.bin").c_str(), 0, 0);
    EXPECT_EQ(apresentacoes_da_tela, antes + 1);
    EXPECT_EQ(apoio::caixa_do_desenho(screen, verde).w, 0);
}

TEST_F(Imagens, ArquivoTrocadoOuApagadoDepoisDeExibidoNaoEServidoDaMemoria) {
    apenas_exibir_imagem(transparente.c_str(), 100, 100);
    apoio::escrever_tga(transparente, 30, 10, [](int, int) { return std::array<int, 4>{255, 0, 0, 255}; });
    apoio::pintar(screen, verde);
    apenas_exibir_imagem(transparente.c_str(), 100, 100);
    EXPECT_EQ(cor_em(screen, 100, 100), vermelho);
    EXPECT_EQ(cor_em(screen, 125, 100), vermelho);

    std::remove(transparente.c_str());
    apoio::pintar(screen, verde);
    apenas_exibir_imagem(transparente.c_str(), 100, 100);
    EXPECT_EQ(apoio::caixa_do_desenho(screen, verde).w, 0);
}

SDL_Surface* padrao_assimetrico(Uint32 amask) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 7, 5, 32, 0xff0000, 0xff00, 0xff, amask);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            put_pixel32(s, x, y, SDL_MapRGBA(s->format, x * 30, y * 50, x + y, 100 + x));
    return s;
}

TEST(FlipSurface, CopiaPixelAPixelSemEspelharQualquerQueSejaOPedido) {
    SDL_Surface* origem = padrao_assimetrico(0);
    for (int flags : {FLIP_VERTICAL, FLIP_HORIZONTAL, FLIP_VERTICAL | FLIP_HORIZONTAL}) {
        SDL_Surface* copia = flip_surface(origem, flags);
        ASSERT_NE(copia, nullptr);
        EXPECT_NE(copia, origem);
        for (int y = 0; y < origem->h; ++y)
            for (int x = 0; x < origem->w; ++x)
                ASSERT_EQ(get_pixel32(copia, x, y), get_pixel32(origem, x, y)) << x << "," << y;
        SDL_FreeSurface(copia);
    }
    SDL_FreeSurface(origem);
}

TEST(FlipSurface, ChaveDeCorMantidaESemMascaraDeAlfa) {
    SDL_Surface* origem = padrao_assimetrico(0xff000000);
    SDL_SetColorKey(origem, SDL_SRCCOLORKEY, get_pixel32(origem, 3, 2));
    SDL_Surface* copia = flip_surface(origem, FLIP_HORIZONTAL);
    ASSERT_NE(copia, nullptr);
    EXPECT_TRUE(copia->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(copia->format->colorkey, origem->format->colorkey);
    EXPECT_EQ(copia->format->Amask, 0u);
    EXPECT_EQ(copia->format->Rmask, origem->format->Rmask);
    SDL_FreeSurface(copia);

    SDL_SetColorKey(origem, 0, 0);
    copia = flip_surface(origem, FLIP_HORIZONTAL);
    EXPECT_EQ(copia->format->Amask, 0xff000000u) << "without a key the alpha mask is kept";
    EXPECT_FALSE(copia->flags & SDL_SRCCOLORKEY);
    SDL_FreeSurface(copia);
    SDL_FreeSurface(origem);
}

TEST_F(Imagens, CopiaDeImagemComPaletaTemAsMesmasCores) {
    SDL_Surface* origem = IMG_Load(com_chave.c_str());
    ASSERT_NE(origem, nullptr);
    ASSERT_EQ(origem->format->BitsPerPixel, 8);
    SDL_Surface* copia = flip_surface(origem, FLIP_HORIZONTAL);
    ASSERT_NE(copia, nullptr);
    for (int y = 0; y < origem->h; ++y)
        for (int x = 0; x < origem->w; ++x) {
            auto cor = [x, y](SDL_Surface* s) {
                Uint8 r, g, b;
                SDL_GetRGB(static_cast<Uint8*>(s->pixels)[y * s->pitch + x], s->format, &r, &g, &b);
                return rgb{r, g, b};
            };
            EXPECT_EQ(cor(copia), cor(origem)) << x << "," << y;
        }
    EXPECT_EQ(copia->format->colorkey, origem->format->colorkey);
    SDL_FreeSurface(copia);
    SDL_FreeSurface(origem);
}

TEST(FlipSurface, FotografiaDaJanelaIgualAJanela) {
    apoio::garantir_tela();
    apoio::pintar(screen, {10, 20, 30});
    desenha_texto_cores("Quorvex", "fontes/Fonte_01.ttf", 25, screen, 400, 250, 255, 50, 50);
    SDL_Surface* copia = flip_surface(screen, FLIP_NORMAL);
    ASSERT_NE(copia, nullptr);
    EXPECT_TRUE(apoio::superficies_iguais(copia, screen));
    SDL_FreeSurface(copia);
}

// The sweep's status line and the radar's frames at once: both threads draw and
// present through the toolkit; the ThreadSanitizer build checks the ordering.
TEST_F(Imagens, DuasThreadsDesenhamNaMesmaJanela) {
    unsigned long antes = apresentacoes_da_tela;
    std::thread radar([] {
        for (int i = 0; i < 100; ++i) {
            SDL_Surface* foto = flip_surface(screen, FLIP_NORMAL);
            desenha_texto_cores("*", "fontes/Fonte_01.ttf", 25, screen, 300, 100, 255, 50, 50);
            apresentar_tela();
            SDL_FreeSurface(foto);
        }
    });
    for (int i = 0; i < 100; ++i) {
        apenas_exibir_imagem(transparente.c_str(), 55, 64);
        desenha_texto_cores("12/40", "fontes/Fonte_03.ttf", 11, screen, 148, 69, 10, 10, 10);
    }
    radar.join();
    EXPECT_EQ(apresentacoes_da_tela, antes + 200);
}

}  // namespace
