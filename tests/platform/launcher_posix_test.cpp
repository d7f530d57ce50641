// The Linux launcher's recorder (a script first on PATH) and its default
// handler and terminal: xdg-open and x-terminal-emulator.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/launcher_recorder.h"

namespace teste {

GravadorDeLancamentos::GravadorDeLancamentos(const PastaTemporaria& pasta, unsigned espera_ms)
    : programa_("gravador"), arquivo_(pasta / "registro"), antes_(std::getenv("PATH")) {
    char espera[32];
    std::snprintf(espera, sizeof espera, "sleep %u.%03u\n", espera_ms / 1000, espera_ms % 1000);
    escrever_arquivo(pasta / "bin/gravador",
                     "#!/bin/sh\n" + std::string(espera) +
                         "{ pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > " +
                         arquivo_ + ".tmp && mv " + arquivo_ + ".tmp " + arquivo_ + "\n");
    chmod((pasta / "bin/gravador").c_str(), 0755);
    setenv("PATH", (pasta / "bin:" + antes_).c_str(), 1);
}

GravadorDeLancamentos::~GravadorDeLancamentos() { setenv("PATH", antes_.c_str(), 1); }

bool GravadorDeLancamentos::gravou(unsigned limite_ms) const {
    return esperar_ate([&] { return existe(arquivo_); }, std::chrono::milliseconds(limite_ms));
}

std::string GravadorDeLancamentos::pasta_vista(const std::string& pasta) { return pasta; }

}  // namespace teste

namespace {

// The recorder under another name, as the program the launcher looks for.
void gravador_como(const teste::PastaTemporaria& pasta, const char* nome) {
    ASSERT_EQ(symlink("gravador", (pasta / "bin/" + nome).c_str()), 0);
}

TEST_F(Lancador, EnderecoVaiParaXdgOpen) {
    teste::GravadorDeLancamentos gravador(pasta);
    gravador_como(pasta, "xdg-open");
    ASSERT_EQ(plataforma::abrir_com_programa_padrao("http://exemplo/x?a=1&b=2", "/"), 0);
    ASSERT_TRUE(gravador.gravou());
    EXPECT_EQ(gravador.registro(), "/\n[http://exemplo/x?a=1&b=2]\n");
}

TEST_F(Lancador, TerminalAbreNaPastaPedida) {
    teste::GravadorDeLancamentos gravador(pasta);
    gravador_como(pasta, "x-terminal-emulator");
    ASSERT_EQ(plataforma::abrir_terminal("/"), 0);
    ASSERT_TRUE(gravador.gravou());
    EXPECT_EQ(gravador.registro(), "/\n");
}

// A stand-in program on PATH that runs `corpo`.
void script(const teste::PastaTemporaria& pasta, const char* nome, const std::string& corpo) {
    teste::escrever_arquivo(pasta / (std::string("bin/") + nome), "#!/bin/sh\n" + corpo + "\n");
    chmod((pasta / (std::string("bin/") + nome)).c_str(), 0755);
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
    const std::string antes = std::getenv("PATH");
    setenv("PATH", (pasta / "bin:" + antes).c_str(), 1);
    script(pasta, "xdg-open", "sleep 1; exit 4");
    script(pasta, "x-terminal-emulator", "sleep 3");
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
    setenv("PATH", antes.c_str(), 1);
}

}  // namespace
