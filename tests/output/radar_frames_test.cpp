// The radar: its frame bookkeeping driven without real time, the map markers
// read back from the dummy-driver screen, and the thread started, stopped and
// joined for real.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "monitor/tables.h"
#include "output/radar.h"
#include "output/radar_support.h"
#include "common/text.h"
#include "shell/toolkit.h"
#include "support/test_support.h"

namespace {

void garantir_tela() {
    if (screen) return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_VIDEO);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
}

struct marcas_do_radar {
    std::vector<int> contador;        // turns still to go, as shown
    std::vector<int> quadros_de_volta;  // frames that completed a turn
    std::vector<int> quadros_de_marcadores;
    int quadro_do_fim = 0;            // the frame that cleared fazendo_scan
};

marcas_do_radar rodar_quadros(int voltas, int quadros) {
    loops = voltas;
    fazendo_scan = 1;
    relogio_do_radar r;
    marcas_do_radar m;
    for (int quadro = 1; quadro <= quadros; ++quadro) {
        if (quadro_de_marcadores(r)) m.quadros_de_marcadores.push_back(quadro);
        int restantes = concluir_quadro(r);
        if (restantes >= 0) {
            m.contador.push_back(restantes);
            m.quadros_de_volta.push_back(quadro);
        }
        if (fazendo_scan == 0 && m.quadro_do_fim == 0) m.quadro_do_fim = quadro;
    }
    return m;
}

TEST(RadarQuadros, UmaVoltaTerminaNoQuadro108) {
    marcas_do_radar m = rodar_quadros(1, 400);
    EXPECT_EQ(m.quadros_de_volta.front(), 107);
    EXPECT_EQ(m.quadro_do_fim, 108);
    EXPECT_EQ(m.contador, std::vector<int>{0});
}

TEST(RadarQuadros, TrintaEDuasVoltasContamDe31AZero) {
    const int fim = 108 + 120 * 31;
    marcas_do_radar m = rodar_quadros(32, fim + 500);
    ASSERT_EQ(m.contador.size(), 32u);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(m.contador[i], 31 - i);
        EXPECT_EQ(m.quadros_de_volta[i], 107 + 120 * i);
    }
    EXPECT_EQ(m.quadro_do_fim, fim);
}

TEST(RadarQuadros, MarcadoresACadaVinteQuadrosAPartirDo21) {
    marcas_do_radar m = rodar_quadros(1, 81);
    EXPECT_EQ(m.quadros_de_marcadores, (std::vector<int>{21, 41, 61, 81}));
}

// ---- Markers and lines on the screen ---------------------------------------

struct cor {
    int r, g, b;
};

cor pixel(int x, int y) {
    TravaDaTela trava;
    SDL_LockSurface(screen);
    Uint32 valor = get_pixel32(screen, x, y);
    SDL_UnlockSurface(screen);
    Uint8 r, g, b;
    SDL_GetRGB(valor, screen->format, &r, &g, &b);
    return {r, g, b};
}

bool linha_azul_em(int x, int y) {
    cor c = pixel(x, y);
    return c.b > 60 && c.r < 20 && c.b > c.g;
}

bool preto(int x, int y) {
    cor c = pixel(x, y);
    return c.r == 0 && c.g == 0 && c.b == 0;
}

// Some red marker pixel in the box where "*" is drawn from (x, y).
bool marcador_em(int x, int y) {
    for (int j = y; j < y + 30; ++j)
        for (int i = x; i < x + 25; ++i) {
            cor c = pixel(i, j);
            if (c.r > 150 && c.g < 100 && c.b < 100) return true;
        }
    return false;
}

class RadarMapa : public ::testing::Test {
protected:
    void SetUp() override {
        garantir_tela();
        if (!TTF_WasInit()) TTF_Init();
        if (!my_font_25) my_font_25 = TTF_OpenFont("fontes/Fonte_01.ttf", 25);
        ASSERT_NE(my_font_25, nullptr) << "run from the build folder (fontes/)";
        limpar();
        x_ponto_partida = 137;
        y_ponto_partida = 340;
    }
    static void limpar() { SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0)); }
    // The marker is drawn over the line's end; without a font only the line is
    // drawn, so its end pixels can be read.
    static void so_a_linha(int x, int y) {
        TTF_Font* fonte = my_font_25;
        my_font_25 = nullptr;
        limpar();
        funcao_mapa_exibir_xy(x, y);
        my_font_25 = fonte;
    }
    static void linha_e_marcador(int x, int y) {
        limpar();
        funcao_mapa_exibir_xy(x, y);
    }
};

TEST_F(RadarMapa, SemLocalizacaoVaiPara241_145) {
    so_a_linha(0, 0);
    EXPECT_TRUE(linha_azul_em(137, 340));
    EXPECT_TRUE(linha_azul_em(248, 160));
    EXPECT_TRUE(preto(249, 158));
    EXPECT_TRUE(preto(7, 15));
    linha_e_marcador(0, 0);
    EXPECT_TRUE(marcador_em(241, 145));
    EXPECT_FALSE(marcador_em(0, 0));
}

TEST_F(RadarMapa, RedePrivadaLinhaHorizontalQualquerQueSejaAPartida) {
    x_ponto_partida = 205;
    y_ponto_partida = 330;
    so_a_linha(252, 421);
    for (int x : {130, 190, 259}) EXPECT_TRUE(linha_azul_em(x, 436)) << x;
    EXPECT_TRUE(preto(129, 436));
    EXPECT_TRUE(preto(260, 436));
    EXPECT_TRUE(preto(205, 330));
    EXPECT_TRUE(preto(232, 383));  // where a line from the start point would pass
    linha_e_marcador(252, 421);
    EXPECT_TRUE(marcador_em(252, 421));
}

TEST_F(RadarMapa, PontoComumLinhaDaPartidaAteXMais7YMais15) {
    so_a_linha(300, 200);
    EXPECT_TRUE(linha_azul_em(137, 340));
    EXPECT_TRUE(linha_azul_em(307, 215));
    EXPECT_TRUE(preto(309, 213));
    linha_e_marcador(300, 200);
    EXPECT_TRUE(marcador_em(300, 200));
    EXPECT_FALSE(marcador_em(320, 240));
}

TEST_F(RadarMapa, CadaPontoDePartida) {
    const int partidas[4][2] = {{129, 436}, {137, 340}, {180, 270}, {205, 330}};
    for (const auto& p : partidas) {
        x_ponto_partida = p[0];
        y_ponto_partida = p[1];
        so_a_linha(500, 150);
        EXPECT_TRUE(linha_azul_em(p[0], p[1])) << p[0] << "," << p[1];
        EXPECT_TRUE(linha_azul_em(507, 165));
        for (const auto& outra : partidas) {
            if (&outra == &p) continue;
            EXPECT_TRUE(preto(outra[0], outra[1])) << outra[0] << "," << outra[1];
        }
    }
}

TEST_F(RadarMapa, CorDaLinhaAzulSessentaPorCentoOpaca) {
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
    TTF_Font* fonte = my_font_25;
    my_font_25 = nullptr;
    funcao_mapa_exibir_xy(252, 421);
    my_font_25 = fonte;
    cor c = pixel(190, 436);
    // 0x00339999 over white: each channel is 0.6 of the line's and 0.4 of white's.
    EXPECT_NEAR(c.r, 102, 3);
    EXPECT_NEAR(c.g, 133, 3);
    EXPECT_NEAR(c.b, 194, 3);
}

TEST_F(RadarMapa, PassagemDesenhaSoAsLinhasVivasESoltaATabela) {
    esvaziar_banco_volatil();
    limite_conexoes_volatil = 2;
    add_conexao_a_banco_valatil("40000", "203.0.113.7", "443", "curl", "USA", "300", "200");
    add_conexao_a_banco_valatil("40001", "198.51.100.9", "22", "ssh", "USA", "350", "300");
    remove_conexao_de_banco_valatil("40001", "198.51.100.9", "22", "ssh");
    exib_locais_no_mapa(1);
    EXPECT_TRUE(marcador_em(300, 200));
    EXPECT_FALSE(marcador_em(350, 300));
    EXPECT_EQ(mostrando_locais, 0);
    ASSERT_TRUE(trava_banco_volatil.try_lock());
    trava_banco_volatil.unlock();
    esvaziar_banco_volatil();
}

// ---- Frames against the way they used to be drawn ---------------------------

using pixels_da_tela = std::vector<Uint32>;

pixels_da_tela pixels_de(const SDL_Surface* s) {
    if (s == nullptr) return {};
    const auto* p = static_cast<const Uint32*>(s->pixels);
    return pixels_da_tela(p, p + s->w * s->h);
}

pixels_da_tela capturar_tela() { return pixels_de(screen); }

void restaurar_tela(const pixels_da_tela& tela) {
    std::copy(tela.begin(), tela.end(), static_cast<Uint32*>(screen->pixels));
}

// Every pixel differs from its neighbours, so any rounding or area drawn
// differently shows.
void pintar_ruido() {
    Uint32 x = 2463534242u;
    auto* p = static_cast<Uint32*>(screen->pixels);
    for (int i = 0; i < screen->w * screen->h; ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        p[i] = x & 0x00ffffff;
    }
}

// Each frame is drawn both ways from the same window and snapshot; the new
// one must leave every pixel and the snapshot as the old one did, and
// present every pixel it changed.
void comparar_quadros(const imagens_do_radar& novas, const radar_antigo::imagens& antigas,
                      double angulo, bool com_marcadores) {
    pixels_da_tela antes = capturar_tela();
    SDL_Surface* copia_antes = locais_copia ? flip_surface(locais_copia, FLIP_NORMAL) : nullptr;
    radar_antigo::quadro(antigas, angulo, com_marcadores);
    pixels_da_tela esperado = capturar_tela();
    SDL_Surface* copia_esperada = locais_copia;
    locais_copia = copia_antes;
    restaurar_tela(antes);
    desenhar_quadro_do_radar(novas, angulo, com_marcadores);
    pixels_da_tela obtido = capturar_tela();
    const SDL_Rect a = ultima_area_apresentada;
    int diferentes = 0, fora_da_area = 0;
    for (int i = 0; i < screen->w * screen->h; ++i) {
        diferentes += obtido[i] != esperado[i];
        int x = i % screen->w, y = i / screen->w;
        bool na_area = x >= a.x && x < a.x + a.w && y >= a.y && y < a.y + a.h;
        fora_da_area += obtido[i] != antes[i] && !na_area;
    }
    EXPECT_EQ(diferentes, 0) << "angle " << angulo << (com_marcadores ? " with markers" : "");
    EXPECT_EQ(fora_da_area, 0) << "changed but not presented, angle " << angulo;
    EXPECT_EQ(pixels_de(locais_copia), pixels_de(copia_esperada)) << "the snapshot";
    SDL_FreeSurface(copia_esperada);
}

TEST_F(RadarMapa, QuadrosIguaisAosDesenhadosComoAntesPixelAPixel) {
    esvaziar_banco_volatil();
    limite_conexoes_volatil = 3;
    add_conexao_a_banco_valatil("40000", "203.0.113.7", "443", "curl", "USA", "300", "200");
    add_conexao_a_banco_valatil("40001", "198.51.100.9", "22", "ssh", "NoID", "0", "0");
    add_conexao_a_banco_valatil("40002", "192.168.0.9", "80", "wget", "LAN", "252", "421");
    imagens_do_radar novas = carregar_imagens_do_radar();
    radar_antigo::imagens antigas = radar_antigo::carregar();
    SDL_FreeSurface(locais_copia);
    locais_copia = nullptr;
    pintar_ruido();
    // Before the first snapshot, the frame that takes it, after it, and a
    // frame that replaces it.
    for (double angulo : {40.2, 43.2, 46.2}) comparar_quadros(novas, antigas, angulo, false);
    comparar_quadros(novas, antigas, 49.2, true);
    for (double angulo : {90.0, 181.2}) comparar_quadros(novas, antigas, angulo, false);
    comparar_quadros(novas, antigas, 270.0, true);
    comparar_quadros(novas, antigas, 357.0, false);
    radar_antigo::liberar(antigas);
    liberar_imagens_do_radar(novas);
    esvaziar_banco_volatil();
}

// The counter's text is drawn without presenting: the frame after it shows the
// whole window, the next ones only what the radar changed.
TEST_F(RadarMapa, ContadorApareceNoQuadroSeguinte) {
    imagens_do_radar novas = carregar_imagens_do_radar();
    mostar_dysplay_loop(5);
    desenhar_quadro_do_radar(novas, 3.0, false);
    EXPECT_EQ(ultima_area_apresentada.w * ultima_area_apresentada.h, screen->w * screen->h);
    desenhar_quadro_do_radar(novas, 6.0, false);
    EXPECT_LT(ultima_area_apresentada.w * ultima_area_apresentada.h, screen->w * screen->h);
    liberar_imagens_do_radar(novas);
}

// ---- The thread --------------------------------------------------------------

bool esperar(const int& sinal, int valor, std::chrono::seconds limite) {
    auto fim = std::chrono::steady_clock::now() + limite;
    while (__atomic_load_n(&sinal, __ATOMIC_SEQ_CST) != valor) {
        if (std::chrono::steady_clock::now() > fim) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool tela_livre_para_outro_fio() {
    auto tentativa = std::async(std::launch::async, [] {
        TravaDaTela trava;
        return true;
    });
    return tentativa.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
}

class RadarFio : public ::testing::Test {
protected:
    void SetUp() override {
        garantir_tela();
        delay_radar = 1;
        SDL_Event evento;
        while (SDL_PollEvent(&evento)) {
        }
    }
    void TearDown() override {
        parar_radar();
        delay_radar = 100;
    }
};

TEST_F(RadarFio, UmaVoltaLimpaFazendoScanEPararNaoDeixaTravas) {
    esvaziar_banco_volatil();
    loops = 1;
    fazendo_scan = 1;
    SDL_FreeSurface(locais_copia);
    locais_copia = nullptr;
    iniciar_radar();
    ASSERT_TRUE(esperar(fazendo_scan, 0, std::chrono::seconds(30)));
    parar_radar();
    EXPECT_NE(locais_copia, nullptr);  // the snapshot of frame 21 outlives the thread
    EXPECT_EQ(mostrando_locais, 0);
    ASSERT_TRUE(trava_banco_volatil.try_lock());
    trava_banco_volatil.unlock();
    EXPECT_TRUE(tela_livre_para_outro_fio());
}

TEST_F(RadarFio, PedidoDeParadaAtendidoSemEsperarOQuadro) {
    delay_radar = 10 * 60 * 1000;
    loops = 1;
    fazendo_scan = 1;
    iniciar_radar();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto parada = std::async(std::launch::async, [] { parar_radar(); });
    EXPECT_EQ(parada.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(fazendo_scan, 1);
}

void empurrar_escape() {
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&escape);
}

// The radar does not end the scan itself: it hands the Escape to the main
// thread, which ends the scan as for an Escape a sweep took.
TEST_F(RadarFio, EscapeTomadoPeloRadarEEntregueUmaVezAoFioPrincipal) {
    loops = 32;
    fazendo_scan = 1;
    primeiro_scan = 1;
    empurrar_escape();
    iniciar_radar();
    EXPECT_TRUE(teste::esperar_ate([] { return tomar_escape_do_radar(); }));
    EXPECT_FALSE(tomar_escape_do_radar()) << "one Escape is handed over once";
    EXPECT_EQ(fazendo_scan, 1);
    EXPECT_EQ(primeiro_scan, 1);
}

TEST_F(RadarFio, EscapeNaoTomadoNaoPassaParaOProximoScan) {
    loops = 32;
    fazendo_scan = 1;
    empurrar_escape();
    iniciar_radar();
    ASSERT_TRUE(teste::esperar_ate([] {
        TravaDaTela trava;
        SDL_Event visto;
        return SDL_PeepEvents(&visto, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) == 0;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // frames of 1 ms act on it
    parar_radar();
    iniciar_radar();
    EXPECT_FALSE(tomar_escape_do_radar());
}

// ---- Frame pacing ------------------------------------------------------------

struct tempos_dos_quadros {
    std::mutex trava;
    std::vector<std::chrono::steady_clock::time_point> tempos;
};
tempos_dos_quadros& quadros_vistos() {
    static tempos_dos_quadros t;
    return t;
}

// Every third frame is late: its drawing takes one and a half periods.
void anotar_quadro() {
    size_t n;
    {
        std::lock_guard<std::mutex> trava(quadros_vistos().trava);
        quadros_vistos().tempos.push_back(std::chrono::steady_clock::now());
        n = quadros_vistos().tempos.size();
    }
    if (n % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay_radar * 3 / 2));
}

TEST_F(RadarFio, QuadrosNuncaMaisPertoQueOIntervaloMesmoDepoisDeUmAtrasado) {
    delay_radar = 30;
    loops = 32;
    fazendo_scan = 1;
    quadros_vistos().tempos.clear();
    observar_quadros(anotar_quadro);
    iniciar_radar();
    EXPECT_TRUE(teste::esperar_ate([] {
        std::lock_guard<std::mutex> trava(quadros_vistos().trava);
        return quadros_vistos().tempos.size() >= 16;
    }));
    parar_radar();
    observar_quadros(nullptr);
    const auto& t = quadros_vistos().tempos;
    for (size_t i = 1; i < t.size(); ++i)
        EXPECT_GE(t[i] - t[i - 1], std::chrono::milliseconds(30)) << "frame " << i + 1;
}

// A close request the radar takes is handed to the main thread, which writes
// the report before the program ends; the radar goes on meanwhile.
TEST_F(RadarFio, PedidoDeFecharTomadoPeloRadarEEntregueAoFioPrincipal) {
    loops = 32;
    fazendo_scan = 1;
    SDL_Event fechar{};
    fechar.type = SDL_QUIT;
    {
        TravaDaTela trava;
        SDL_PushEvent(&fechar);
    }
    iniciar_radar();
    EXPECT_TRUE(teste::esperar_ate([] { return tomar_saida_do_radar(); }));
    EXPECT_FALSE(tomar_saida_do_radar()) << "handed over once";
    EXPECT_EQ(fazendo_scan, 1);
    parar_radar();
}

}  // namespace
