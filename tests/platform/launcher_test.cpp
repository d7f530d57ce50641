// Starting other programs: detached, in the given folder, without a shell or
// command interpreter, and without waiting for them.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

// What the failing openers below told, as the program's message would use it.
std::mutex avisos_trava;
std::vector<std::string> avisos;

void registrar_aviso(const plataforma::falha_ao_abrir& f) {
    std::lock_guard<std::mutex> trava(avisos_trava);
    avisos.push_back(std::string(f.programa) + "|" + std::to_string(f.erro) + "|" +
                     std::to_string(f.status) + "|" + f.contexto);
}

std::vector<std::string> avisos_apos(double segundos) {
    std::this_thread::sleep_for(std::chrono::duration<double>(segundos));
    std::lock_guard<std::mutex> trava(avisos_trava);
    return avisos;
}

// An opener that is missing is told before the call returns; one that answers
// with an error is told once it ended, and the call never waits for it.
TEST_F(Lancador, AberturaQueFalhaEAvisadaSemEsperarPeloPrograma) {
    avisos.clear();
    instalar_substituto("xdg-open", "sleep 1; exit 4\n");
    instalar_substituto("x-terminal-emulator", "sleep 3\n");
    auto inicio = std::chrono::steady_clock::now();
    EXPECT_EQ(plataforma::abrir_com_programa_padrao("http://exemplo/", nullptr, registrar_aviso, "o site"), 0);
    EXPECT_EQ(plataforma::abrir_terminal("/", registrar_aviso, "o terminal"), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::milliseconds(500));
    EXPECT_TRUE(avisos_apos(0.2).empty());
    EXPECT_EQ(avisos_apos(1.5), std::vector<std::string>{"xdg-open|0|4|o site"}) << "a working terminal is not told";

    avisos.clear();
    setenv("PATH", (pasta / "vazia").c_str(), 1);
    EXPECT_EQ(plataforma::abrir_com_programa_padrao("/tmp", nullptr, registrar_aviso, "a pasta"), -1);
    EXPECT_EQ(avisos, std::vector<std::string>{"xdg-open|" + std::to_string(ENOENT) + "|0|a pasta"});
}

}  // namespace
