// The main menu on a real SDL window (dummy video driver), driven by events
// pushed into SDL's queue, with a real settings file in a temporary folder.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "output/settings.h"
#include "shell/menu.h"
#include "shell/startup.h"
#include "shell/toolkit.h"
#include "common/text.h"
#include "support/test_support.h"

namespace {

const std::string configuracao =
    "<?xml version=\"1.0\"?>\n<quorvex>\n<lopps_scan>1</lopps_scan>\n"
    "<exibir_http>1</exibir_http>\n<exibir_https>0</exibir_https>\n"
    "<exibir_localhost>1</exibir_localhost>\n<exibir_lan_10>0</exibir_lan_10>\n"
    "<exibir_lan_192>1</exibir_lan_192>\n<local>2</local>\n"
    "<exibir_log>1</exibir_log>\n<filtro>0</filtro>\n</quorvex>\n";

void empurrar(const SDL_Event& evento) {
    SDL_Event copia = evento;
    ASSERT_EQ(SDL_PushEvent(&copia), 0);
}

SDL_Event botao_do_mouse(Uint8 tipo, int x, int y, Uint8 botao = SDL_BUTTON_LEFT) {
    SDL_Event e{};
    e.type = tipo;
    e.button.type = tipo;
    e.button.button = botao;
    e.button.state = tipo == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

SDL_Event movimento(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.x = static_cast<Uint16>(x);
    e.motion.y = static_cast<Uint16>(y);
    return e;
}

int eventos_pendentes() {
    SDL_Event e;
    int n = 0;
    while (SDL_PollEvent(&e)) ++n;
    return n;
}

class MenuPrincipal : public ::testing::Test {
protected:
    teste::PastaTemporaria pasta;
    std::string arquivo = pasta / "config.xml";

    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (!SDL_WasInit(SDL_INIT_VIDEO)) {
            ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
        }
        screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
        ASSERT_NE(screen, nullptr);
        eventos_pendentes();
        teste::escrever_arquivo(arquivo, configuracao);
        copiar_celula(file_xml, arquivo.c_str());
        ASSERT_EQ(carregar_xml(file_xml), 1);
    }

    void clicar(int x, int y) { empurrar(botao_do_mouse(SDL_MOUSEBUTTONDOWN, x, y)); }

    bool arquivo_tem(const std::string& linha) const {
        return teste::ler_arquivo(arquivo).find(linha + "\n") != std::string::npos;
    }
};

TEST(BotaoDoMenu, SoContaOQueFicaEstritamenteDentroDaCaixa) {
    struct caso {
        int x, y;
        bool dentro;
    } casos[] = {
        {20, 80, false}, {21, 80, true}, {122, 80, true}, {123, 80, false},
        {60, 70, false}, {60, 71, true}, {60, 91, true},  {60, 92, false},
    };
    for (const caso& c : casos) {
        Button botao(20, 70, 103, 22);
        botao_clicado = 0;
        event = botao_do_mouse(SDL_MOUSEBUTTONDOWN, c.x, c.y);
        botao.handle_events();
        EXPECT_EQ(botao_clicado, c.dentro ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(botao.clip, &clips[c.dentro ? CLIP_MOUSEDOWN : CLIP_MOUSEOUT]) << c.x << "," << c.y;
    }
}

TEST(BotaoDoMenu, OQuadroSegueOMouseEOBotaoDireitoNaoMudaNada) {
    Button botao(0, 10, 106, 36);
    botao_clicado = 0;
    event = movimento(50, 20);
    botao.handle_events();
    EXPECT_EQ(botao.clip, &clips[CLIP_MOUSEOVER]);
    event = botao_do_mouse(SDL_MOUSEBUTTONDOWN, 50, 20, SDL_BUTTON_RIGHT);
    botao.handle_events();
    EXPECT_EQ(botao.clip, &clips[CLIP_MOUSEOVER]);
    EXPECT_EQ(botao_clicado, 0);
    event = botao_do_mouse(SDL_MOUSEBUTTONUP, 50, 20);
    botao.handle_events();
    EXPECT_EQ(botao.clip, &clips[CLIP_MOUSEUP]);
    event = botao_do_mouse(SDL_MOUSEBUTTONDOWN, 300, 300);
    botao.handle_events();
    EXPECT_EQ(botao.clip, &clips[CLIP_MOUSEUP]) << "a press outside changes nothing";
    event = movimento(300, 300);
    botao.handle_events();
    EXPECT_EQ(botao.clip, &clips[CLIP_MOUSEOUT]);
    EXPECT_EQ(botao_clicado, 0);
}

TEST(BotaoDoMenu, QuadrosDaFolhaLadoALado) {
    set_clips(46, 42);
    const SDL_Rect esperado[4] = {{46, 0, 46, 42}, {0, 0, 46, 42}, {92, 0, 46, 42}, {46, 0, 46, 42}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(clips[i].x, esperado[i].x) << i;
        EXPECT_EQ(clips[i].y, esperado[i].y) << i;
        EXPECT_EQ(clips[i].w, esperado[i].w) << i;
        EXPECT_EQ(clips[i].h, esperado[i].h) << i;
    }
}

TEST_F(MenuPrincipal, OCliqueValeNoAperto) {
    clicar(60, 80);
    empurrar(movimento(300, 300));
    empurrar(botao_do_mouse(SDL_MOUSEBUTTONUP, 300, 300));
    EXPECT_EQ(menu_principal(MENU_HOME), 2);
    EXPECT_EQ(eventos_pendentes(), 2) << "the move and the release are still waiting";
}

TEST_F(MenuPrincipal, BordasBotaoDireitoEBotoesDeOutrasTelasNaoAgem) {
    clicar(20, 80);                                             // start button's first column
    clicar(123, 80);                                            // just past its width
    empurrar(botao_do_mouse(SDL_MOUSEBUTTONDOWN, 60, 80, SDL_BUTTON_RIGHT));
    clicar(35, 230);                                            // a settings check box
    clicar(720, 100);                                           // the tools screen's CMD
    clicar(160, 28);                                            // tools tab
    EXPECT_EQ(menu_principal(MENU_HOME), TROCA_DE_TELA);
    EXPECT_EQ(tela_escolhida, TELA_FERRAMENTAS);
    EXPECT_EQ(eventos_pendentes(), 0);
    EXPECT_EQ(teste::ler_arquivo(arquivo), configuracao);
}

// Pixels of the window's rectangle at (x, y) that differ from frame `quadro`
// of a sheet as the menu loads it.
int diferencas_do_quadro(const char* folha, int quadro, int x, int y, int w, int h) {
    SDL_Surface* imagem = load_image(folha);
    if (imagem == nullptr) return -1;
    int n = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            n += get_pixel32(screen, x + i, y + j) != get_pixel32(imagem, quadro * w + i, j) ? 1 : 0;
    SDL_FreeSurface(imagem);
    return n;
}

// The tab of the screen in view stays in its pressed look with the mouse on it
// or away; the other tabs rest.
TEST_F(MenuPrincipal, AbaDaTelaFicaNoQuadroPressionado) {
    empurrar(movimento(50, 28));
    clicar(60, 80);
    ASSERT_EQ(menu_principal(MENU_HOME), 2);
    EXPECT_EQ(diferencas_do_quadro("bin/A0022.bin", 2, 0, 10, 106, 36), 0) << "home tab, mouse on it";
    EXPECT_EQ(diferencas_do_quadro("bin/A0023.bin", 0, 107, 10, 106, 36), 0) << "tools tab";

    empurrar(movimento(600, 480));
    clicar(38, 232);
    ASSERT_EQ(menu_principal(MENU_CONFIGURACOES), 421);
    EXPECT_EQ(diferencas_do_quadro("bin/A0021.bin", 2, 213, 10, 106, 36), 0) << "settings tab";
    EXPECT_EQ(diferencas_do_quadro("bin/A0022.bin", 0, 0, 10, 106, 36), 0) << "home tab";
}

TEST_F(MenuPrincipal, AsAbasEscolhemATelaEmTodosOsMenus) {
    const struct {
        int x;
        tela escolhida;
    } abas[] = {{50, TELA_HOME}, {160, TELA_FERRAMENTAS}, {260, TELA_CONFIGURACOES}, {370, TELA_CURSO}};
    for (int tipo = MENU_SO_ABAS; tipo <= MENU_CURSO; ++tipo) {
        for (const auto& aba : abas) {
            tela_escolhida = aba.escolhida == TELA_HOME ? TELA_CURSO : TELA_HOME;
            clicar(aba.x, 28);
            EXPECT_EQ(menu_principal(tipo), TROCA_DE_TELA) << tipo;
            EXPECT_EQ(tela_escolhida, aba.escolhida) << tipo << " " << aba.x;
        }
    }
}

TEST_F(MenuPrincipal, CaixasGuardamOContrarioDoQueFoiCarregado) {
    const struct {
        int y;
        const char* tag;
        int codigo;
    } caixas[] = {
        {220, "exibir_http", 421}, {250, "exibir_https", 422}, {280, "exibir_localhost", 423},
        {310, "exibir_lan_10", 424}, {340, "exibir_lan_192", 425}, {400, "exibir_log", 425},
        {370, "filtro", 425},
    };
    for (const auto& c : caixas) {
        std::string tag = c.tag;
        std::string antes = teste::ler_arquivo(arquivo);
        bool era_um = antes.find("<" + tag + ">1<") != std::string::npos;
        for (int vez = 0; vez < 2; ++vez) {
            clicar(38, c.y + 12);
            EXPECT_EQ(menu_principal(MENU_CONFIGURACOES), c.codigo) << tag;
            bool deve_ser_um = (vez == 0) != era_um;
            EXPECT_TRUE(arquivo_tem("<" + tag + ">" + (deve_ser_um ? "1" : "0") + "</" + tag + ">"))
                << tag << " click " << vez;
            ASSERT_EQ(carregar_xml(file_xml), 1);
        }
    }
}

TEST_F(MenuPrincipal, SemRecarregarUmSegundoCliqueGuardaOMesmoValor) {
    clicar(38, 232);
    EXPECT_EQ(menu_principal(MENU_CONFIGURACOES), 421);
    clicar(38, 232);
    EXPECT_EQ(menu_principal(MENU_CONFIGURACOES), 421);
    EXPECT_TRUE(arquivo_tem("<exibir_http>0</exibir_http>"));
}

TEST_F(MenuPrincipal, DuracaoDoScanEPontoDePartida) {
    for (int k = 0; k < 6; ++k) {
        clicar(28 + 57 * k + 23, 120);
        EXPECT_EQ(menu_principal(MENU_CONFIGURACOES), 41);
        EXPECT_TRUE(arquivo_tem("<lopps_scan>" + std::to_string(k) + "</lopps_scan>")) << k;
    }
    clicar(199 + 1, 103);
    EXPECT_EQ(menu_principal(MENU_CONFIGURACOES), 41);
    EXPECT_TRUE(arquivo_tem("<lopps_scan>3</lopps_scan>"));

    const struct {
        int y;
        const char* valor;
    } pontos[] = {{320, "1"}, {356, "2"}, {392, "3"}, {428, "0"}};
    for (const auto& p : pontos) {
        clicar(530, p.y + 17);
        EXPECT_EQ(menu_principal(MENU_CONFIGURACOES), 43);
        EXPECT_TRUE(arquivo_tem(std::string("<local>") + p.valor + "</local>")) << p.y;
    }
    EXPECT_TRUE(arquivo_tem("<?xml version=\"1.0\"?>")) << "other lines are kept";
}

TEST_F(MenuPrincipal, PedidoDeFecharTerminaComStatus1) {
    SDL_Event fechar{};
    fechar.type = SDL_QUIT;
    EXPECT_EXIT(
        {
            empurrar(fechar);
            menu_principal(MENU_CONFIGURACOES);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(teste::ler_arquivo(arquivo), configuracao);
}

TEST_F(MenuPrincipal, MilEntradasNoMenuNaoAcumulamFolhas) {
    auto entrar_e_sair = [this](int vezes) {
        for (int i = 0; i < vezes; ++i) {
            clicar(160, 28);
            ASSERT_EQ(menu_principal(MENU_CONFIGURACOES), TROCA_DE_TELA);
            eventos_pendentes();
        }
    };
    entrar_e_sair(20);
    std::size_t antes = teste::memoria_em_uso();
    if (antes == 0) {
        GTEST_SKIP() << "the memory in use cannot be measured here (a sanitizer's allocator)";
    }
    entrar_e_sair(1000);
    EXPECT_LT(teste::memoria_em_uso(), antes + 64 * 1024) << "twenty sheets are loaded per entry";
}

}  // namespace
