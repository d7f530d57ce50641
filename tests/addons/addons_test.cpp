// What the program relies on from SDL_image, SDL_ttf and SDL_gfx, checked the
// same way on Linux (the real libraries) and on Windows (our stand-ins where
// the library prefix lacks them), so a stand-in that draws differently fails
// here first.
#include <SDL/SDL.h>
#include <SDL/SDL_gfxPrimitives.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_rotozoom.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

struct pixel {
    int r, g, b, a;
};

pixel ler(SDL_Surface* s, int x, int y) {
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 valor = 0;
    for (int i = 0; i < s->format->BytesPerPixel; ++i) valor |= Uint32(p[i]) << (8 * i);
    Uint8 r, g, b, a;
    SDL_GetRGBA(valor, s->format, &r, &g, &b, &a);
    return {r, g, b, a};
}

SDL_Surface* rgba(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
}

SDL_Surface* rgb_sem_alfa(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

void pintar(SDL_Surface* s, int x, int y, pixel c) {
    SDL_Rect r{static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
    SDL_FillRect(s, &r, SDL_MapRGBA(s->format, c.r, c.g, c.b, c.a));
}

// A small PNG written with libpng: 3 channels (optionally with one transparent
// colour) or 4.
void escrever_png(const std::string& caminho, int w, int h, int canais,
                  const std::vector<unsigned char>& bytes, const pixel* transparente = nullptr) {
    std::FILE* f = std::fopen(caminho.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, canais == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_16 chave{};
    if (transparente) {
        chave.red = static_cast<png_uint_16>(transparente->r);
        chave.green = static_cast<png_uint_16>(transparente->g);
        chave.blue = static_cast<png_uint_16>(transparente->b);
        png_set_tRNS(png, info, nullptr, 0, &chave);
    }
    png_write_info(png, info);
    for (int y = 0; y < h; ++y)
        png_write_row(png, const_cast<png_bytep>(bytes.data() + static_cast<size_t>(y) * w * canais));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

class Imagens : public ::testing::Test {
protected:
    teste::PastaTemporaria pasta;
};

TEST_F(Imagens, RgbaTemAlfaPorPixelERgbComUmaCorTransparenteTemChave) {
    escrever_png(pasta / "a.png", 2, 1, 4, {255, 0, 0, 255, 0, 0, 255, 64});
    SDL_Surface* a = IMG_Load((pasta / "a.png").c_str());
    ASSERT_NE(a, nullptr) << IMG_GetError();
    EXPECT_EQ(a->format->BitsPerPixel, 32);
    EXPECT_NE(a->format->Amask, 0u);
    EXPECT_TRUE(a->flags & SDL_SRCALPHA);
    pixel p0 = ler(a, 0, 0), p1 = ler(a, 1, 0);
    EXPECT_EQ((std::vector<int>{p0.r, p0.g, p0.b, p0.a}), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ((std::vector<int>{p1.r, p1.g, p1.b, p1.a}), (std::vector<int>{0, 0, 255, 64}));
    SDL_FreeSurface(a);

    const pixel magenta{255, 0, 255, 255};
    escrever_png(pasta / "b.bin", 2, 2, 3, {255, 0, 255, 1, 2, 3, 4, 5, 6, 255, 0, 255}, &magenta);
    SDL_Surface* b = IMG_Load((pasta / "b.bin").c_str());  // recognised by content, not by name
    ASSERT_NE(b, nullptr) << IMG_GetError();
    EXPECT_EQ(b->format->BitsPerPixel, 24);
    EXPECT_EQ(b->format->Amask, 0u);
    ASSERT_TRUE(b->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(b->format->colorkey, SDL_MapRGB(b->format, 255, 0, 255));
    pixel q = ler(b, 0, 1);
    EXPECT_EQ((std::vector<int>{q.r, q.g, q.b}), (std::vector<int>{4, 5, 6}));
    SDL_FreeSurface(b);
}

TEST_F(Imagens, ArquivoQueNaoEImagemOuNaoExisteDaNuloComMotivo) {
    teste::escrever_arquivo(pasta / "texto.bin", "not an image at all, just text");
    SDL_SetError("%s", "");
    EXPECT_EQ(IMG_Load((pasta / "texto.bin").c_str()), nullptr);
    EXPECT_STRNE(IMG_GetError(), "");
    EXPECT_EQ(IMG_Load((pasta / "nao_existe.png").c_str()), nullptr);
    // A PNG cut short is refused, not half-drawn.
    escrever_png(pasta / "inteira.png", 64, 64, 3, std::vector<unsigned char>(64 * 64 * 3, 7));
    std::string inteira = teste::ler_arquivo(pasta / "inteira.png");
    teste::escrever_arquivo(pasta / "cortada.png", inteira.substr(0, inteira.size() / 2));
    EXPECT_EQ(IMG_Load((pasta / "cortada.png").c_str()), nullptr);
}

class Texto : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TTF_WasInit()) {
            ASSERT_EQ(TTF_Init(), 0);
        }
        fonte = TTF_OpenFont("fontes/Fonte_04.ttf", 13);
        ASSERT_NE(fonte, nullptr) << "run from the build folder (fontes/)";
    }
    void TearDown() override { TTF_CloseFont(fonte); }
    TTF_Font* fonte = nullptr;
};

TEST_F(Texto, TextoBlendedTemACorEmTodoPixelEACoberturaNoAlfa) {
    SDL_Surface* s = TTF_RenderText_Blended(fonte, "Quorvex", {200, 100, 50, 0});
    ASSERT_NE(s, nullptr);
    int w = 0, h = 0;
    ASSERT_EQ(TTF_SizeText(fonte, "Quorvex", &w, &h), 0);
    EXPECT_EQ(s->w, w);
    EXPECT_EQ(s->h, h);
    EXPECT_EQ(h, TTF_FontHeight(fonte));
    EXPECT_GT(w, 30);
    EXPECT_LT(w, 80);
    ASSERT_EQ(s->format->BitsPerPixel, 32);
    ASSERT_NE(s->format->Amask, 0u);
    int opacos = 0, parciais = 0, vazios = 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            pixel p = ler(s, x, y);
            if (p.a == 0) {
                ++vazios;
                continue;
            }
            EXPECT_EQ((std::vector<int>{p.r, p.g, p.b}), (std::vector<int>{200, 100, 50}));
            (p.a == 255 ? opacos : parciais)++;
        }
    EXPECT_GT(opacos, 20);
    EXPECT_GT(parciais, 10) << "anti-aliased edges";
    EXPECT_GT(vazios, opacos);
    SDL_FreeSurface(s);
}

TEST_F(Texto, Latin1EUnicodeDaoOMesmoDesenhoEVazioNaoDesenha) {
    SDL_Surface* latin1 = TTF_RenderText_Blended(fonte, "P\xfa" "blico", {255, 255, 255, 0});
    const Uint16 unicode[] = {'P', 0xFA, 'b', 'l', 'i', 'c', 'o', 0};
    SDL_Surface* referencia = TTF_RenderUNICODE_Blended(fonte, unicode, {255, 255, 255, 0});
    ASSERT_NE(latin1, nullptr);
    ASSERT_NE(referencia, nullptr);
    ASSERT_EQ(latin1->w, referencia->w);
    ASSERT_EQ(latin1->h, referencia->h);
    for (int y = 0; y < latin1->h; ++y)
        for (int x = 0; x < latin1->w; ++x) ASSERT_EQ(ler(latin1, x, y).a, ler(referencia, x, y).a);
    EXPECT_TRUE(TTF_GlyphIsProvided(fonte, 0xFA));
    EXPECT_EQ(TTF_RenderText_Blended(fonte, "", {255, 255, 255, 0}), nullptr);
    SDL_FreeSurface(latin1);
    SDL_FreeSurface(referencia);
}

TEST_F(Texto, TextoSobreFundoMisturaSemApagarOEntorno) {
    SDL_Surface* fundo = rgb_sem_alfa(100, 50);
    SDL_FillRect(fundo, nullptr, SDL_MapRGB(fundo->format, 0, 0, 200));
    TTF_Font* grande = TTF_OpenFont("fontes/Fonte_04.ttf", 30);  // stems wider than a pixel
    ASSERT_NE(grande, nullptr);
    SDL_Surface* s = TTF_RenderText_Blended(grande, "Il", {255, 255, 255, 0});
    TTF_CloseFont(grande);
    ASSERT_NE(s, nullptr);
    SDL_Rect onde{10, 5, 0, 0};
    SDL_BlitSurface(s, nullptr, fundo, &onde);
    bool branco = false, misturado = false;
    for (int y = 0; y < fundo->h; ++y)
        for (int x = 0; x < fundo->w; ++x) {
            pixel p = ler(fundo, x, y);
            branco |= p.r == 255 && p.g == 255 && p.b == 255;
            misturado |= p.r > 0 && p.r < 255 && p.b > 200;
            if (x < 10 || y < 5) {
                EXPECT_EQ(p.b, 200) << x << "," << y;
            }
        }
    EXPECT_TRUE(branco);
    EXPECT_TRUE(misturado);
    SDL_FreeSurface(s);
    SDL_FreeSurface(fundo);
}

TEST(Rotozoom, AnguloZeroEZoomUmCopiaPixelAPixel) {
    SDL_Surface* s = rgba(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) pintar(s, x, y, {x * 30, y * 40, 9, 255 - x});
    SDL_Surface* c = rotozoomSurface(s, 0.0, 1.0, SMOOTHING_OFF);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->w, 7);
    ASSERT_EQ(c->h, 5);
    EXPECT_EQ(c->format->BitsPerPixel, 32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            pixel a = ler(s, x, y), b = ler(c, x, y);
            ASSERT_EQ((std::vector<int>{a.r, a.g, a.b, a.a}), (std::vector<int>{b.r, b.g, b.b, b.a}));
        }
    SDL_FreeSurface(c);
    SDL_FreeSurface(s);
}

TEST(Rotozoom, GiroDe90GrausEAntiHorarioEMedeOGiradoInteiro) {
    SDL_Surface* s = rgba(20, 10);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 0, 255, 0, 255));
    SDL_Rect canto{16, 0, 4, 3};  // top-right corner
    SDL_FillRect(s, &canto, SDL_MapRGBA(s->format, 255, 0, 0, 255));
    SDL_Surface* g = rotozoomSurface(s, 90.0, 1.0, SMOOTHING_OFF);
    ASSERT_NE(g, nullptr);
    // Turned a quarter, the 20 x 10 image stands 10 wide and 20 high (held in
    // an even-sided box about its centre).
    EXPECT_NEAR(g->w, 10, 2);
    EXPECT_NEAR(g->h, 20, 2);
    EXPECT_EQ(g->w % 2, 0);
    EXPECT_EQ(g->h % 2, 0);
    // Counter-clockwise: the top-right corner goes to the top-left.
    int red_x = 0, red_y = 0, reds = 0;
    for (int y = 0; y < g->h; ++y)
        for (int x = 0; x < g->w; ++x)
            if (ler(g, x, y).r == 255 && ler(g, x, y).a == 255) {
                red_x += x;
                red_y += y;
                ++reds;
            }
    ASSERT_GT(reds, 6);
    EXPECT_LT(red_x / reds, g->w / 2);
    EXPECT_LT(red_y / reds, g->h / 4);
    SDL_FreeSurface(g);
    SDL_FreeSurface(s);
}

TEST(Rotozoom, CantosForaDoGiradoSaoTransparentes) {
    SDL_Surface* s = rgba(40, 40);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 10, 20, 30, 255));
    SDL_Surface* g = rotozoomSurface(s, 45.0, 1.0, SMOOTHING_OFF);
    ASSERT_NE(g, nullptr);
    EXPECT_GE(g->w, 56);
    EXPECT_LE(g->w, 60);
    EXPECT_EQ(ler(g, 0, 0).a, 0);
    EXPECT_EQ(ler(g, g->w - 1, g->h - 1).a, 0);
    pixel centro = ler(g, g->w / 2, g->h / 2);
    EXPECT_EQ((std::vector<int>{centro.r, centro.g, centro.b, centro.a}), (std::vector<int>{10, 20, 30, 255}));
    SDL_FreeSurface(g);
    SDL_FreeSurface(s);
}

TEST(Linhas, LinhaTranslucidaMisturaUmaVezPorPixelComAsDuasPontas) {
    SDL_Surface* s = rgb_sem_alfa(50, 50);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
    ASSERT_EQ(lineColor(s, 5, 10, 40, 10, 0xC8643299), 0);  // (200, 100, 50), alpha 0x99 = 60 %
    pixel p = ler(s, 20, 10);
    EXPECT_NEAR(p.r, 120, 3);
    EXPECT_NEAR(p.g, 60, 3);
    EXPECT_NEAR(p.b, 30, 3);
    EXPECT_NEAR(ler(s, 5, 10).r, 120, 3);
    EXPECT_NEAR(ler(s, 40, 10).r, 120, 3);
    EXPECT_EQ(ler(s, 4, 10).r, 0);
    EXPECT_EQ(ler(s, 41, 10).r, 0);
    EXPECT_EQ(ler(s, 20, 9).r, 0);
    // Diagonal: one pixel per step, every one the same tone.
    ASSERT_EQ(lineColor(s, 0, 20, 20, 40, 0xFFFFFF80), 0);
    for (int i = 0; i <= 20; ++i) EXPECT_NEAR(ler(s, i, 20 + i).r, 128, 3) << i;
    EXPECT_EQ(ler(s, 1, 20).r, 0);
    SDL_FreeSurface(s);
}

TEST(Linhas, LinhaOpacaNaoPassaDoRecorte) {
    SDL_Surface* s = rgb_sem_alfa(30, 30);
    SDL_FillRect(s, nullptr, 0);
    SDL_Rect recorte{10, 0, 10, 30};
    SDL_SetClipRect(s, &recorte);
    ASSERT_EQ(lineColor(s, -100, 15, 200, 15, 0x00FF00FF), 0);
    EXPECT_EQ(ler(s, 9, 15).g, 0);
    EXPECT_EQ(ler(s, 10, 15).g, 255);
    EXPECT_EQ(ler(s, 19, 15).g, 255);
    EXPECT_EQ(ler(s, 20, 15).g, 0);
    SDL_FreeSurface(s);
}

}  // namespace
