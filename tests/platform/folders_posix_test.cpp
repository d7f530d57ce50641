// The user's folders on Linux, in a temporary HOME: the XDG variables and
// user-dirs.dirs.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"
#include "support/test_support.h"

namespace {

class PastasDoUsuario : public ::testing::Test {
protected:
    teste::PastaTemporaria casa;
    void SetUp() override {
        setenv("HOME", casa.caminho().c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DOCUMENTS_DIR");
    }
    std::string documentos() {
        char pasta[512];
        return plataforma::pasta_documentos(pasta, sizeof pasta) ? pasta : "<none>";
    }
};

TEST_F(PastasDoUsuario, DadosLocaisPadraoSaoCriados) {
    char pasta[260];
    ASSERT_TRUE(plataforma::pasta_dados_locais(pasta, sizeof pasta));
    EXPECT_EQ(std::string(pasta), casa / ".local/share");
    struct stat info;
    EXPECT_EQ(stat(pasta, &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(PastasDoUsuario, DadosLocaisSeguemXdgDataHome) {
    setenv("XDG_DATA_HOME", (casa / "dados/de/teste/").c_str(), 1);
    char pasta[260];
    ASSERT_TRUE(plataforma::pasta_dados_locais(pasta, sizeof pasta));
    EXPECT_EQ(std::string(pasta), casa / "dados/de/teste");
    EXPECT_TRUE(teste::existe(pasta));

    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    ASSERT_TRUE(plataforma::pasta_dados_locais(pasta, sizeof pasta));
    EXPECT_EQ(std::string(pasta), casa / ".local/share") << "a relative XDG path is ignored";
}

TEST_F(PastasDoUsuario, DadosLocaisQueNaoCabemOuNaoPodemSerCriados) {
    char pequena[8];
    EXPECT_FALSE(plataforma::pasta_dados_locais(pequena, sizeof pequena));
    teste::escrever_arquivo(casa / "arquivo", "x");
    setenv("XDG_DATA_HOME", (casa / "arquivo/dados").c_str(), 1);
    char pasta[260];
    EXPECT_FALSE(plataforma::pasta_dados_locais(pasta, sizeof pasta));
}

TEST_F(PastasDoUsuario, DocumentosPadraoEConfigurados) {
    EXPECT_EQ(documentos(), casa / "Documents");
    teste::escrever_arquivo(casa / ".config/user-dirs.dirs",
                            "# written by xdg-user-dirs-update\n"
                            "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                            "XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n");
    EXPECT_EQ(documentos(), casa / "Documentos");
    teste::escrever_arquivo(casa / "config/user-dirs.dirs",
                            "  XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n");
    setenv("XDG_CONFIG_HOME", (casa / "config").c_str(), 1);
    EXPECT_EQ(documentos(), "/srv/docs");
}

// A FIFO or a device where user-dirs.dirs should be is not read (nor waited
// on): the default folder is used.
TEST_F(PastasDoUsuario, UserDirsQueNaoEArquivoRegularNaoEhLido) {
    ASSERT_EQ(mkdir((casa / ".config").c_str(), 0755), 0);
    const std::string arquivo = casa / ".config/user-dirs.dirs";
    ASSERT_EQ(mkfifo(arquivo.c_str(), 0600), 0);
    EXPECT_EQ(documentos(), casa / "Documents");
    ASSERT_EQ(unlink(arquivo.c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", arquivo.c_str()), 0);
    EXPECT_EQ(documentos(), casa / "Documents");
}

TEST_F(PastasDoUsuario, DocumentosDoAmbienteQuandoOArquivoNaoDiz) {
    setenv("XDG_DOCUMENTS_DIR", "/srv/outros", 1);
    EXPECT_EQ(documentos(), "/srv/outros");
}

}  // namespace
