// The tools, settings and course screens on a real SDL window (dummy video
// driver), with a real settings file and stand-ins for the browser launcher and
// the terminal on the PATH that record how they were started.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "output/settings.h"
#include "common/links.h"
#include "shell/menu.h"
#include "shell/screens.h"
#include "shell/startup.h"
#include "shell/toolkit.h"
#include "common/text.h"
#include "support/test_support.h"

namespace {

const std::string configuracao =
    "<lopps_scan>0</lopps_scan>\n<exibir_http>1</exibir_http>\n<exibir_https>1</exibir_https>\n"
    "<exibir_localhost>1</exibir_localhost>\n<exibir_lan_10>1</exibir_lan_10>\n"
    "<exibir_lan_192>1</exibir_lan_192>\n<local>1</local>\n<exibir_log>1</exibir_log>\n"
    "<filtro>0</filtro>\n";

void clicar(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void clicar_aba_do_curso() { clicar(370, 28); }

class Telas : public ::testing::Test {
protected:
    teste::PastaTemporaria pasta;
    std::string arquivo = pasta / "config.xml";
    std::string registro = pasta / "lancados.txt";
    std::string caminho_original = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";

    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (!SDL_WasInit(SDL_INIT_VIDEO)) {
            ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
        }
        screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
        ASSERT_NE(screen, nullptr);
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        teste::escrever_arquivo(arquivo, configuracao);
        copiar_celula(file_xml, arquivo.c_str());
        ASSERT_EQ(carregar_xml(file_xml), 1);
        for (const char* nome : {"xdg-open", "x-terminal-emulator"}) {
            std::string substituto = pasta / nome;
            teste::escrever_arquivo(substituto, "#!/bin/sh\nprintf '%s|%s|%s\\n' \"$PWD\" \"$(basename \"$0\")\" \"$*\" >> " +
                                                    registro + "\n");
            chmod(substituto.c_str(), 0755);
        }
        setenv("PATH", (pasta.caminho() + ":" + caminho_original).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", caminho_original.c_str(), 1); }

    // The stand-ins run detached: wait for their line.
    bool lancado(const std::string& linha) {
        for (int i = 0; i < 200; ++i) {
            if (teste::ler_arquivo(registro).find(linha + "\n") != std::string::npos) return true;
            usleep(10000);
        }
        return false;
    }
};

TEST_F(Telas, ConfiguracoesIlegiveisTerminamComStatus1) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            copiar_celula(file_xml, (pasta / "nao_existe.xml").c_str());
            exib_conf(1);
        },
        ::testing::ExitedWithCode(1), "erro ao carregar xml");
}

TEST_F(Telas, ConfiguracoesRecarregamOArquivoDepoisDeCadaMudanca) {
    clicar(38, 232);   // "Omitir HTTP": stores 0
    clicar(38, 412);   // "Exibir Log": stores 0
    clicar(210, 120);  // scan length 3
    clicar(530, 400);  // start point 3
    clicar_aba_do_curso();
    EXPECT_EQ(exib_conf(1), TROCA_DE_TELA);
    EXPECT_EQ(tela_escolhida, TELA_CURSO);
    EXPECT_EQ(exibir_http, 0);
    EXPECT_EQ(exibir_log, 0);
    EXPECT_EQ(posicao_quantidade_loop, 3);
    EXPECT_EQ(local_secionado, 3);

    // A change made outside the program shows when the screen is entered again.
    teste::escrever_arquivo(arquivo, configuracao);
    clicar_aba_do_curso();
    EXPECT_EQ(exib_conf(1), TROCA_DE_TELA);
    EXPECT_EQ(exibir_http, 1);
    EXPECT_EQ(local_secionado, 1);
}

TEST_F(Telas, FerramentasAbremOsEnderecosEOTerminalNaRaiz) {
    clicar(55, 200);  // public address
    clicar(55, 300);  // proxy list
    clicar(55, 400);  // geolocation
    clicar(720, 110); // command prompt
    clicar_aba_do_curso();
    EXPECT_EQ(exib_tolls(1), TROCA_DE_TELA);
    EXPECT_TRUE(lancado(std::string("|xdg-open|") + loc_ip_publico));
    EXPECT_TRUE(lancado(std::string("|xdg-open|") + lista_de_proxys));
    EXPECT_TRUE(lancado(std::string("|xdg-open|") + geolocalizador));
    EXPECT_TRUE(lancado("/|x-terminal-emulator|"));
}

TEST_F(Telas, CursoAbreAPaginaDoCurso) {
    clicar(690, 350);
    clicar(160, 28);
    EXPECT_EQ(exib_tavrel(1), TROCA_DE_TELA);
    EXPECT_EQ(tela_escolhida, TELA_FERRAMENTAS);
    EXPECT_TRUE(lancado(std::string("|xdg-open|") + loc_curso_saiba_mais));
    EXPECT_NE(std::string(loc_curso_saiba_mais).find("/site/cursos/curso_tavrel_online.php?entrada=1"),
              std::string::npos);
}

}  // namespace
