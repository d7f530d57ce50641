// Starting other programs: detached, in the given folder, without a shell, and
// without waiting for them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "support/test_support.h"

namespace {

bool esperar_arquivo(const std::string& caminho) {
    for (int i = 0; i < 200 && !teste::existe(caminho); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return teste::existe(caminho);
}

class Lancador : public ::testing::Test {
protected:
    teste::PastaTemporaria pasta;
    std::string registro = pasta / "registro";
    std::string antigo_path = getenv("PATH");

    // A stand-in program on PATH that records its folder and arguments.
    void instalar_substituto(const std::string& nome, const std::string& extra = "") {
        std::string script = "#!/bin/sh\n" + extra + "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > " +
                             registro + ".tmp && mv " + registro + ".tmp " + registro + "\n";
        teste::escrever_arquivo(pasta / ("bin/" + nome), script);
        chmod((pasta / ("bin/" + nome)).c_str(), 0755);
    }
    void SetUp() override { setenv("PATH", (pasta / "bin:" + antigo_path).c_str(), 1); }
    void TearDown() override { setenv("PATH", antigo_path.c_str(), 1); }
};

TEST_F(Lancador, ArgumentosChegamIntactosSemShell) {
    instalar_substituto("gravador");
    mkdir((pasta / "trabalho").c_str(), 0755);
    const char* argumentos[] = {"gravador", "a b", "$(touch hacked)", "; rm -rf x", nullptr};
    ASSERT_EQ(plataforma::lancar_programa(argumentos, (pasta / "trabalho").c_str()), 0);
    ASSERT_TRUE(esperar_arquivo(registro));
    EXPECT_EQ(teste::ler_arquivo(registro),
              pasta / "trabalho\n[a b]\n[$(touch hacked)]\n[; rm -rf x]\n");
    EXPECT_FALSE(teste::existe(pasta / "trabalho/hacked"));
}

TEST_F(Lancador, NaoEsperaOProgramaTerminar) {
    instalar_substituto("lento", "sleep 3\n");
    auto inicio = std::chrono::steady_clock::now();
    const char* argumentos[] = {"lento", nullptr};
    ASSERT_EQ(plataforma::lancar_programa(argumentos, nullptr), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(2));
    EXPECT_FALSE(teste::existe(registro));
}

TEST_F(Lancador, ProgramaInexistenteOuPastaInexistenteFalham) {
    const char* inexistente[] = {"programa-que-nao-existe-em-lugar-nenhum", nullptr};
    EXPECT_EQ(plataforma::lancar_programa(inexistente, nullptr), -1);
    instalar_substituto("gravador");
    const char* gravador[] = {"gravador", nullptr};
    EXPECT_EQ(plataforma::lancar_programa(gravador, (pasta / "missing").c_str()), -1);
}

TEST_F(Lancador, EnderecoVaiParaXdgOpen) {
    instalar_substituto("xdg-open");
    ASSERT_EQ(plataforma::abrir_com_programa_padrao("http://exemplo/x?a=1&b=2", "/"), 0);
    ASSERT_TRUE(esperar_arquivo(registro));
    EXPECT_EQ(teste::ler_arquivo(registro), "/\n[http://exemplo/x?a=1&b=2]\n");
}

TEST_F(Lancador, TerminalAbreNaPastaPedida) {
    instalar_substituto("x-terminal-emulator");
    ASSERT_EQ(plataforma::abrir_terminal("/"), 0);
    ASSERT_TRUE(esperar_arquivo(registro));
    EXPECT_EQ(teste::ler_arquivo(registro), "/\n");
}

}  // namespace
