// The home screen's tables and its loop on a real SDL window (dummy video
// driver), driven by events pushed into SDL's queue.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "monitor/home.h"
#include "monitor/tables.h"
#include "output/radar.h"
#include "shell/menu.h"
#include "shell/startup.h"

namespace {

TEST(TabelasDaHome, VoltasDoScanSaoPotenciasDeDois) {
    const int esperado[6] = {1, 2, 4, 8, 16, 32};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(voltas_do_scan(k), esperado[k]) << k;
    EXPECT_EQ(voltas_do_scan(6), 1);
    EXPECT_EQ(voltas_do_scan(-1), 1);
}

TEST(TabelasDaHome, PontoDePartidaPorLocal) {
    const int esperado[4][2] = {{129, 436}, {137, 340}, {180, 270}, {205, 330}};
    for (int local = 0; local < 4; ++local) {
        definir_ponto_de_partida(local);
        EXPECT_EQ(x_ponto_partida, esperado[local][0]) << local;
        EXPECT_EQ(y_ponto_partida, esperado[local][1]) << local;
    }
    definir_ponto_de_partida(7);
    EXPECT_EQ(x_ponto_partida, 205) << "an unknown value keeps the last point";
    EXPECT_EQ(y_ponto_partida, 330);
}

TEST(HomeParada, AbaSaiDaHomeSemIniciarScanEComTabelasVazias) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
    ASSERT_NE(screen, nullptr);
    num_banco_painel = 7;
    limite_conexoes_volatil = 3;
    num_netstat_cap = 4;
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 260;
    e.button.y = 28;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
    EXPECT_EQ(exib_home(1), TROCA_DE_TELA);
    EXPECT_EQ(tela_escolhida, TELA_CONFIGURACOES);
    EXPECT_EQ(fazendo_scan, 0);
    EXPECT_EQ(num_banco_painel, 0);
    EXPECT_EQ(limite_conexoes_volatil, 0);
    EXPECT_EQ(num_netstat_cap, 0);
}

}  // namespace
