// Starting other programs: detached, in the given folder, without a shell or
// command interpreter, and without waiting for them.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/launcher_recorder.h"

namespace {

TEST_F(Lancador, ArgumentosChegamIntactosSemShell) {
    teste::GravadorDeLancamentos gravador(pasta);
    const std::string trabalho = pasta / "a & b";
    ASSERT_EQ(plataforma::criar_diretorio(trabalho.c_str()), 0);
    const char* argumentos[] = {gravador.programa(), "a b", "$(touch hacked)", "; rm -rf x",
                                "& echo hacked > hacked", "aspas \"x\"", "barra\\",
                                "\\\\srv\\\"q", "%PATH%", "", nullptr};
    ASSERT_EQ(plataforma::lancar_programa(argumentos, trabalho.c_str()), 0);
    ASSERT_TRUE(gravador.gravou());
    EXPECT_EQ(gravador.registro(), teste::GravadorDeLancamentos::pasta_vista(trabalho) +
                                       "\n[a b]\n[$(touch hacked)]\n[; rm -rf x]\n"
                                       "[& echo hacked > hacked]\n[aspas \"x\"]\n[barra\\]\n"
                                       "[\\\\srv\\\"q]\n[%PATH%]\n[]\n");
    EXPECT_FALSE(teste::existe(trabalho + "/hacked"));
}

TEST_F(Lancador, NaoEsperaOProgramaTerminar) {
    teste::GravadorDeLancamentos gravador(pasta, 3000);
    const char* argumentos[] = {gravador.programa(), nullptr};
    auto inicio = std::chrono::steady_clock::now();
    ASSERT_EQ(plataforma::lancar_programa(argumentos, nullptr), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(2));
    EXPECT_FALSE(gravador.gravou(0));
    EXPECT_TRUE(gravador.gravou()) << "the program did start";
}

TEST_F(Lancador, ProgramaInexistenteOuPastaInexistenteFalham) {
    teste::GravadorDeLancamentos gravador(pasta);
    const char* inexistente[] = {"programa-que-nao-existe-em-lugar-nenhum", nullptr};
    EXPECT_EQ(plataforma::lancar_programa(inexistente, nullptr), -1);
    const char* existente[] = {gravador.programa(), nullptr};
    EXPECT_EQ(plataforma::lancar_programa(existente, (pasta / "falta").c_str()), -1);
    const char* vazio[] = {nullptr};
    EXPECT_EQ(plataforma::lancar_programa(vazio, nullptr), -1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(gravador.gravou(0));
}

}  // namespace
