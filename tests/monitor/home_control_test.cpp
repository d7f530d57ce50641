// The home screen's tables and its loop on a real SDL window (dummy video
// driver), driven by events pushed into SDL's queue.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "common/text.h"
#include "monitor/home.h"
#include "monitor/sweep.h"
#include "monitor/tables.h"
#include "output/radar.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "shell/menu.h"
#include "common/folders.h"
#include "shell/toolkit.h"
#include "support/dns_server.h"
#include "support/test_support.h"

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
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    }
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

// ---- Escape taken by the radar thread ----

SDL_Event clique(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

// Without the screen lock: the menu holds it while it waits for events, and
// SDL's queue has a lock of its own.
void empurrar(SDL_Event e) { SDL_PushEvent(&e); }

bool fila_vazia() {
    TravaDaTela trava;
    SDL_Event visto;
    return SDL_PeepEvents(&visto, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) == 0;
}

bool escape_empurrado = false;

// The first reading of the scan pushes an Escape and waits until it has left
// the queue: the main thread is in here, so the radar thread took it.
int leitura_que_deixa_o_escape_ao_radar(int) {
    if (escape_empurrado) return 0;
    escape_empurrado = true;
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.keysym.sym = SDLK_ESCAPE;
    empurrar(escape);
    teste::esperar_ate(fila_vazia);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the radar acts after its pause
    return 0;
}

int arquivos_em(const std::string& pasta) {
    std::error_code erro;
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(pasta, erro))
        n += e.path().filename().string()[0] != '.' ? 1 : 0;
    return n;
}

// The report folder as the program finds it, in the user's documents folder.
std::string pasta_dos_relatorios() {
    char documentos[1024];
    if (!plataforma::pasta_documentos(documentos, sizeof documentos)) return "";
    return (std::filesystem::path(documentos) / "Brellstad" / "LOGS" / "QUORVEX").string();
}

// The user's documents under `casa`, this folder as the program's, and a
// scan of 32 turns: only an Escape or a close request ends it.
void preparar_um_scan_longo(const teste::PastaTemporaria& casa) {
    std::filesystem::create_directories(casa / "Documents");
    char inicio[256];
    if (!plataforma::diretorio_atual(inicio, sizeof inicio)) inicio[0] = '\0';
    copiar_celula(diratu2, inicio);
    copiar_celula(diratu, inicio);
    exibir_log = 0;
    posicao_quantidade_loop = 5;
}

// An Escape the radar takes ends the scan as one a sweep takes: the report of
// the scan so far, then the idle home screen (the map under its overlay again)
// and the menu, which waits for the next order once.
TEST(HomeEscape, EscapeTomadoPeloRadarEncerraComoODaVarredura) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    }
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
    ASSERT_NE(screen, nullptr);
    teste::PastaTemporaria casa;
    teste::PastasDoUsuarioEm pastas(casa.caminho());
    preparar_um_scan_longo(casa);
    const std::string relatorios = pasta_dos_relatorios();
    ASSERT_NE(relatorios, "");

    escape_empurrado = false;
    substituir_leitura(leitura_que_deixa_o_escape_ao_radar);
    empurrar(clique(60, 80));
    // Once the report is there, the radar is stopped and the menu is next: a
    // tab click then leaves the home screen.
    std::thread aba([&] {
        teste::esperar_ate([&] { return arquivos_em(relatorios) > 0; },
                           std::chrono::seconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        empurrar(clique(160, 28));
    });
    const int codigo = exib_home(1);
    aba.join();
    substituir_leitura(nullptr);
    EXPECT_EQ(codigo, TROCA_DE_TELA);
    EXPECT_TRUE(escape_empurrado);
    EXPECT_EQ(arquivos_em(relatorios), 1);
    EXPECT_EQ(primeiro_scan, 0);

    SDL_Rect mapa{0, 100, 400, 400};
    SDL_Surface* mostrado = SDL_CreateRGBSurface(SDL_SWSURFACE, 400, 400, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_BlitSurface(screen, &mapa, mostrado, nullptr);
    apenas_exibir_imagem("bin/A0034.bin", 0, 100);
    apenas_exibir_imagem("bin/A0045.bin", 0, 100);
    SDL_Surface* parado = SDL_CreateRGBSurface(SDL_SWSURFACE, 400, 400, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_BlitSurface(screen, &mapa, parado, nullptr);
    EXPECT_EQ(std::memcmp(mostrado->pixels, parado->pixels, 400 * 400 * 4), 0)
        << "the idle home screen, not the radar's last frame";
    SDL_FreeSurface(mostrado);
    SDL_FreeSurface(parado);
}

// ---- A close request during a scan ----

teste::ServidorDns& dns_que_nao_responde() {
    static teste::ServidorDns servidor(
        [](const std::string&) { return teste::resposta_dns{teste::modo_dns::mudo, ""}; });
    return servidor;
}

// Every reading finds one connection, whose name will not come before its
// window ends; the first one also asks for the window to close.
int leitura_e_pedido_de_fechamento(int tabela) {
    auto& linha = (tabela == 0 ? netstat_cap : netstat_capx)[0];
    (tabela == 0 ? num_netstat_cap : num_netstat_capx) = 1;
    const char* celulas[] = {"192.168.0.2", "41999", "192.0.2.9", "443", "1", "curl", "1"};
    for (int c = CAP_IP_LOCAL; c <= CAP_MARCADOR; ++c) copiar_celula(linha[c], celulas[c]);
    static bool pedido = false;
    if (!pedido) {
        pedido = true;
        SDL_Event fechar{};
        fechar.type = SDL_QUIT;
        empurrar(fechar);
    }
    return 0;
}

std::string relatorios_ao_sair;

void mostrar_relatorios_ao_sair() {
    std::error_code erro;
    for (const auto& e : std::filesystem::directory_iterator(relatorios_ao_sair, erro))
        std::fputs(teste::ler_arquivo(e.path().string()).c_str(), stderr);
}

// Runs in the death test's own process, which the close request ends: the
// reports it wrote go to its standard error as it exits.
void fechar_durante_um_scan() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) SDL_InitSubSystem(SDL_INIT_VIDEO);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
    static teste::PastaTemporaria casa;
    static teste::PastasDoUsuarioEm pastas(casa.caminho());
    preparar_um_scan_longo(casa);
    relatorios_ao_sair = pasta_dos_relatorios();
    std::atexit(mostrar_relatorios_ao_sair);
    plataforma::usar_servidores_de_nomes(dns_que_nao_responde().servidores().c_str(), "b");
    substituir_leitura(leitura_e_pedido_de_fechamento);
    empurrar(clique(60, 80));
    exib_home(1);
}

TEST(HomeFechamento, FecharNoScanGuardaAsConexoesAindaSemNome) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(fechar_durante_um_scan(), ::testing::ExitedWithCode(1),
                "Remoto 192\\.0\\.2\\.9 : 443");
}

}  // namespace
