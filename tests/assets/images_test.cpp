// The generated pictures: they decode, and each has the geometry its use on
// screen needs.
#include "images_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace teste_imagens;

namespace {

struct folha {
    int numero, largura_do_botao, altura;
};

// Every button sheet with the size of one button (the menu cuts three frames).
const folha folhas[] = {
    {2, 103, 22},  {10, 25, 25},  {11, 50, 67},  {12, 100, 35}, {13, 100, 35}, {14, 100, 35},
    {15, 100, 35}, {16, 50, 67},  {17, 50, 67},  {18, 46, 42},  {20, 106, 36}, {21, 106, 36},
    {22, 106, 36}, {23, 106, 36}, {24, 50, 67},  {25, 105, 33}, {26, 50, 67},
};

const int telas_cheias[] = {33, 37, 38, 39, 40, 41};

bool opaca(SDL_Surface* s) {
    if (!s->format->Amask) return true;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if (pixel(s, x, y).a != 255) return false;
    return true;
}

// One picture laid on a composed area: drawn as the program draws it, either
// as loaded (alpha blended, as pictures are shown) or converted to the
// window's format (alpha dropped, colour key kept, as button sheets are),
// optionally one frame of a sheet.
struct camada {
    int numero;
    int x, y;
    bool como_folha = false;
    int quadro = 0, largura_do_quadro = 0;
};

superficie montar(int w, int h, std::initializer_list<camada> camadas) {
    superficie resultado(SDL_DisplayFormat(janela()));
    SDL_FillRect(resultado.get(), nullptr, SDL_MapRGB(resultado->format, 1, 2, 3));
    for (const camada& c : camadas) {
        superficie imagem = carregar(c.numero);
        if (c.como_folha) imagem.reset(SDL_DisplayFormat(imagem.get()));
        SDL_Rect onde{static_cast<Sint16>(c.x), static_cast<Sint16>(c.y), 0, 0};
        SDL_Rect recorte{static_cast<Sint16>(c.quadro * c.largura_do_quadro), 0,
                         static_cast<Uint16>(c.largura_do_quadro ? c.largura_do_quadro : imagem->w),
                         static_cast<Uint16>(imagem->h)};
        SDL_BlitSurface(imagem.get(), &recorte, resultado.get(), &onde);
    }
    SDL_Rect area{0, 0, static_cast<Uint16>(w), static_cast<Uint16>(h)};
    superficie recortada(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0));
    SDL_BlitSurface(resultado.get(), &area, recortada.get(), nullptr);
    return recortada;
}

int diferencas(SDL_Surface* a, SDL_Surface* b) {
    int diferentes = 0;
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            if (!(pixel(a, x, y) == pixel(b, x, y))) ++diferentes;
    return diferentes;
}

}  // namespace

TEST(ImagensGeradas, TodasAsQuarentaESeisDecodificamPeloConteudo) {
    for (int i = 1; i <= 46; ++i) {
        superficie s = carregar(i);
        ASSERT_NE(s, nullptr) << caminho_da_imagem(i) << ": " << IMG_GetError();
        EXPECT_GT(s->w, 0);
        EXPECT_GT(s->h, 0);
    }
}

TEST(ImagensGeradas, FolhasDeBotoesTemTresQuadrosDistintosDoTamanhoDoBotao) {
    for (const folha& f : folhas) {
        superficie s = carregar(f.numero);
        ASSERT_NE(s, nullptr) << f.numero;
        EXPECT_EQ(s->w, 3 * f.largura_do_botao) << "A00" << f.numero;
        EXPECT_EQ(s->h, f.altura) << "A00" << f.numero;
        const Uint16 w = static_cast<Uint16>(f.largura_do_botao), h = static_cast<Uint16>(f.altura);
        const SDL_Rect repouso{0, 0, w, h}, sob_o_mouse{static_cast<Sint16>(w), 0, w, h},
            pressionado{static_cast<Sint16>(2 * w), 0, w, h};
        const int minimo = w * h / 50;
        EXPECT_GT(pixels_diferentes(s.get(), repouso, sob_o_mouse), minimo) << "A00" << f.numero;
        EXPECT_GT(pixels_diferentes(s.get(), sob_o_mouse, pressionado), minimo) << "A00" << f.numero;
        EXPECT_GT(pixels_diferentes(s.get(), repouso, pressionado), minimo) << "A00" << f.numero;
    }
}

TEST(ImagensGeradas, TelasCheiasSaoOpacasComOTamanhoDaJanela) {
    for (int numero : telas_cheias) {
        superficie s = carregar(numero);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->w, 800) << numero;
        EXPECT_EQ(s->h, 500) << numero;
        EXPECT_TRUE(opaca(s.get())) << numero;
    }
    for (int numero : {34, 35}) {
        superficie s = carregar(numero);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->w, 400) << numero;
        EXPECT_EQ(s->h, 400) << numero;
        EXPECT_TRUE(opaca(s.get())) << numero;
    }
}

TEST(ImagensGeradas, CaixasDeMarcarMostramACaixaPorBaixoDaFolhaConvertida) {
    superficie s = carregar(10);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->flags & SDL_SRCCOLORKEY);
    janela();
    // The settings screen draws the patch, then the box picture; the menu then
    // draws the check-box sheet over it at every event.
    for (int quadro = 0; quadro < 3; ++quadro) {
        superficie so_marcada = montar(25, 25, {{31, 0, 0}, {28, 0, 0}});
        superficie so_vazia = montar(25, 25, {{31, 0, 0}, {27, 0, 0}});
        superficie marcada = montar(25, 25, {{31, 0, 0}, {28, 0, 0}, {10, 0, 0, true, quadro, 25}});
        superficie vazia = montar(25, 25, {{31, 0, 0}, {27, 0, 0}, {10, 0, 0, true, quadro, 25}});
        EXPECT_GT(diferencas(so_marcada.get(), so_vazia.get()), 60);
        EXPECT_GT(diferencas(marcada.get(), vazia.get()), 60) << "frame " << quadro;
        EXPECT_TRUE(pixel(marcada.get(), 12, 12) == pixel(so_marcada.get(), 12, 12)) << "frame " << quadro;
        EXPECT_TRUE(pixel(vazia.get(), 12, 12) == pixel(so_vazia.get(), 12, 12)) << "frame " << quadro;
    }
}

TEST(ImagensGeradas, BotoesDeDuracaoDeixamVerOMarcadorEAFaixaPorBaixo) {
    superficie s = carregar(18);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->flags & SDL_SRCCOLORKEY);
    janela();
    // Button 0 at (28, 102) over the strip at (20, 70) and, when it is the
    // selected length, the marker at (26, 98).
    for (int quadro = 0; quadro < 3; ++quadro) {
        superficie sem_marcador = montar(46, 42, {{46, 20 - 28, 70 - 102}, {18, 0, 0, true, quadro, 46}});
        superficie com_marcador =
            montar(46, 42, {{46, 20 - 28, 70 - 102}, {29, 26 - 28, 98 - 102}, {18, 0, 0, true, quadro, 46}});
        superficie faixa = montar(46, 42, {{46, 20 - 28, 70 - 102}});
        EXPECT_GT(diferencas(sem_marcador.get(), com_marcador.get()), 46 * 42 / 3) << "frame " << quadro;
        EXPECT_TRUE(pixel(sem_marcador.get(), 23, 21) == pixel(faixa.get(), 23, 21)) << "frame " << quadro;
    }
}

TEST(ImagensGeradas, RadarTemAlfaETransparenciaTotalForaDoDisco) {
    superficie s = carregar(44);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->w, 400);
    ASSERT_EQ(s->h, 400);
    EXPECT_EQ(s->format->BitsPerPixel, 32);
    ASSERT_NE(s->format->Amask, 0u);
    int maior_alfa = 0, fora_visivel = 0, dentro_invisivel = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
            const double d = std::hypot(x + 0.5 - 200, y + 0.5 - 200);
            const int a = pixel(s.get(), x, y).a;
            if (d > 200.5 && a) ++fora_visivel;
            if (d < 195 && a == 0) ++dentro_invisivel;
            maior_alfa = std::max(maior_alfa, a);
        }
    EXPECT_EQ(fora_visivel, 0);
    EXPECT_EQ(dentro_invisivel, 0);
    EXPECT_GE(maior_alfa, 100);
    EXPECT_LT(maior_alfa, 255);
}

TEST(ImagensGeradas, SobreposicaoInicialDeixaOMapaAparecer) {
    superficie s = carregar(45);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, 400);
    EXPECT_EQ(s->h, 400);
    ASSERT_NE(s->format->Amask, 0u);
    EXPECT_LT(pixel(s.get(), 10, 10).a, 160);
}

TEST(ImagensGeradas, LinhasDeStatusCobremContadorEAvisoDoRelatorio) {
    int altura_aviso = 0, altura_contador = 0;
    const int aviso = largura_do_texto(1, 12, "Gerando arquivo de log, aguarde...", &altura_aviso);
    const int contador = largura_do_texto(3, 11, "9999/9999", &altura_contador);
    ASSERT_GT(aviso, 0);
    ASSERT_GT(contador, 0);
    for (int numero : {8, 42, 43}) {
        superficie s = carregar(numero);
        ASSERT_NE(s, nullptr);
        // Drawn at (55, 64); the notice at (55, 65), the counter at (148, 69).
        EXPECT_GE(s->w, aviso) << numero;
        EXPECT_GE(s->h, 1 + altura_aviso) << numero;
        EXPECT_GE(s->w, 148 - 55 + contador) << numero;
        EXPECT_GE(s->h, 69 - 64 + altura_contador) << numero;
        EXPECT_TRUE(opaca(s.get())) << numero;
    }
}

TEST(ImagensGeradas, RemendoCobreCaixaEContadorSemChegarAosRotulos) {
    superficie s = carregar(31);
    ASSERT_NE(s, nullptr);
    int altura = 0;
    const int tres_digitos = largura_do_texto(4, 13, "888", &altura);
    EXPECT_GE(s->w, 25);
    EXPECT_GE(s->h, 25);
    EXPECT_GE(s->w, tres_digitos);
    EXPECT_GE(s->h, altura);
    EXPECT_LE(26 + s->w, 55);  // the settings labels start at x 55
    EXPECT_TRUE(opaca(s.get()));
    for (int numero : {27, 28}) {
        superficie caixa = carregar(numero);
        ASSERT_NE(caixa, nullptr);
        EXPECT_EQ(caixa->w, 25);
        EXPECT_EQ(caixa->h, 25);
    }
}

TEST(ImagensGeradas, PontosDePartidaDistintosCabemNaJanelaESaoApagadosPeloRemendo) {
    superficie remendo = carregar(30);
    ASSERT_NE(remendo, nullptr);
    EXPECT_LE(606 + remendo->w, 800);
    EXPECT_LE(320 + remendo->h, 500);
    superficie figuras[4] = {carregar(3), carregar(4), carregar(5), carregar(6)};
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(figuras[i], nullptr);
        EXPECT_EQ(figuras[i]->w, remendo->w);
        EXPECT_EQ(figuras[i]->h, remendo->h);
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_GT(diferencas(figuras[i].get(), figuras[j].get()), 100) << "A000" << i + 3 << " x A000" << j + 3;
}

TEST(ImagensGeradas, MarcadorEFaixaDaDuracaoCobremOsSeisBotoes) {
    superficie marcador = carregar(29), faixa = carregar(46);
    ASSERT_NE(marcador, nullptr);
    ASSERT_NE(faixa, nullptr);
    // Marker at (26 + 57k, 98) around the button at (28 + 57k, 102), 46 by 42.
    EXPECT_GE(marcador->w, 2 + 46);
    EXPECT_GE(marcador->h, 4 + 42);
    EXPECT_LE(marcador->w, 57 + 2);  // never reaches the next button
    // Strip at (20, 70) behind all six buttons, the last ending at x 359, y 144.
    EXPECT_GE(20 + faixa->w, 313 + 46);
    EXPECT_GE(70 + faixa->h, 102 + 42);
    EXPECT_LE(70 + faixa->h, 220);  // above the first check box
}

namespace {

bool chave(SDL_Surface* s, int x, int y) {
    return (s->flags & SDL_SRCCOLORKEY) && pixel_bruto(s, x, y) == s->format->colorkey;
}

// Pixels that frame `quadro` of sheet `folha` (w by h) paints and that picture
// `numero` does not show, opaque and of the same colour, at (x, y): what would
// change on the screen when the menu draws that frame over the picture.
int pixels_do_quadro_ausentes(int numero, int x, int y, int folha, int quadro, int w, int h) {
    superficie imagem = carregar(numero), botoes = carregar(folha);
    if (!imagem || !botoes) return -1;
    int ausentes = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            if (chave(botoes.get(), quadro * w + i, j)) continue;
            rgba esperado = pixel(botoes.get(), quadro * w + i, j);
            esperado.a = 255;
            ausentes += pixel(imagem.get(), x + i, y + j) == esperado ? 0 : 1;
        }
    return ausentes;
}

struct botao_no_fundo {
    int folha, x, y, w, h;
};

}  // namespace

TEST(ImagensGeradas, QuadrosSobOMouseEPressionadoSoPintamOQueORepousoRepinta) {
    for (const folha& f : folhas) {
        superficie s = carregar(f.numero);
        ASSERT_NE(s, nullptr);
        const int w = f.largura_do_botao;
        int fora_do_repouso = 0;
        for (int y = 0; y < f.altura; ++y)
            for (int x = 0; x < w; ++x)
                if (chave(s.get(), x, y) && (!chave(s.get(), w + x, y) || !chave(s.get(), 2 * w + x, y)))
                    ++fora_do_repouso;
        EXPECT_EQ(fora_do_repouso, 0) << "A00" << f.numero;
    }
}

// Every background the menu is shown over holds the tab row, its own tab in
// the pressed look the menu keeps it in, and the screen's buttons resting.
TEST(ImagensGeradas, FundosTrazemAbasEBotoesComoOMenuOsDesenha) {
    const botao_no_fundo abas[] = {{22, 0, 10, 106, 36}, {23, 107, 10, 106, 36}, {21, 213, 10, 106, 36}, {20, 319, 10, 106, 36}};
    const struct {
        int fundo, aba;
        std::vector<botao_no_fundo> botoes;
    } telas[] = {
        {39, 0, {{2, 20, 70, 103, 22}}},
        {33, 0, {}},
        {41, 1, {{26, 30, 80, 50, 67}, {17, 30, 175, 50, 67}, {24, 30, 270, 50, 67}, {16, 30, 365, 50, 67}, {11, 700, 80, 50, 67}}},
        {38, 2, {{13, 480, 320, 100, 35}, {14, 480, 356, 100, 35}, {15, 480, 392, 100, 35}, {12, 480, 428, 100, 35},
                 {10, 26, 220, 25, 25}, {10, 26, 400, 25, 25}, {18, 28, 102, 46, 42}, {18, 313, 102, 46, 42}}},
        {37, 3, {{25, 644, 335, 105, 33}}},
    };
    for (const auto& t : telas) {
        for (int i = 0; i < 4; ++i) {
            const botao_no_fundo& a = abas[i];
            EXPECT_EQ(pixels_do_quadro_ausentes(t.fundo, a.x, a.y, a.folha, i == t.aba ? 2 : 0, a.w, a.h), 0)
                << "A00" << t.fundo << " tab " << i;
        }
        for (const botao_no_fundo& b : t.botoes)
            EXPECT_EQ(pixels_do_quadro_ausentes(t.fundo, b.x, b.y, b.folha, 0, b.w, b.h), 0)
                << "A00" << t.fundo << " button at (" << b.x << ", " << b.y << ")";
    }
}

// The pictures the settings screen draws under the keyed buttons carry the
// buttons' resting ring, so the menu's first event changes nothing there.
TEST(ImagensGeradas, CaixasMarcadorEFaixaTrazemOAnelEmRepouso) {
    EXPECT_EQ(pixels_do_quadro_ausentes(27, 0, 0, 10, 0, 25, 25), 0);
    EXPECT_EQ(pixels_do_quadro_ausentes(28, 0, 0, 10, 0, 25, 25), 0);
    EXPECT_EQ(pixels_do_quadro_ausentes(29, 2, 4, 18, 0, 46, 42), 0);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(pixels_do_quadro_ausentes(46, 8 + 57 * k, 32, 18, 0, 46, 42), 0) << k;
}
