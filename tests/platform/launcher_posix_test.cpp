// The Linux launcher's recorder (a script first on PATH) and its default
// handler and terminal: xdg-open and x-terminal-emulator.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

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

}  // namespace
