// Files on Windows: a replaced file keeps its attributes (a read-only one is
// not replaced), a new one gets none, and the devices' names are not files to
// read.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using plataforma::gravacao_de_arquivo;
using plataforma::modo_de_gravacao;

bool gravar_inteiro(const std::string& caminho, const char* texto, modo_de_gravacao modo) {
    gravacao_de_arquivo g;
    bool ok = plataforma::iniciar_gravacao(g, caminho.c_str(), modo) &&
              plataforma::gravar_texto(g, texto) && plataforma::concluir_gravacao(g);
    if (!ok) plataforma::desistir_da_gravacao(g);
    return ok;
}

// A hidden file stays hidden when replaced; one the user made read-only is
// refused and stays as it was.
TEST(ArquivosNoWindows, SubstituirGuardaOsAtributosERecusaOSomenteLeitura) {
    teste::PastaTemporaria pasta;
    const std::string arquivo = pasta / "config.xml";
    teste::escrever_arquivo(arquivo, "antigo\r\n");
    SetFileAttributesA(arquivo.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(gravar_inteiro(arquivo, "novo\r\n", modo_de_gravacao::substituir));
    EXPECT_EQ(teste::ler_arquivo(arquivo), "novo\r\n");
    EXPECT_EQ(GetFileAttributesA(arquivo.c_str()) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(teste::nomes_em(pasta.caminho()), std::vector<std::string>{"config.xml"})
        << "the temporary file was left behind";

    SetFileAttributesA(arquivo.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(gravar_inteiro(arquivo, "outro\r\n", modo_de_gravacao::substituir));
    EXPECT_EQ(teste::ler_arquivo(arquivo), "novo\r\n");
    EXPECT_EQ(teste::nomes_em(pasta.caminho()), std::vector<std::string>{"config.xml"});
    SetFileAttributesA(arquivo.c_str(), FILE_ATTRIBUTE_NORMAL);

    const std::string novo = pasta / "novo.xml";
    ASSERT_TRUE(gravar_inteiro(novo, "um\n", modo_de_gravacao::criar));
    EXPECT_EQ(GetFileAttributesA(novo.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << "a new file is not hidden";
}

TEST(ArquivosNoWindows, DispositivosNaoSaoLidos) {
    for (const char* dispositivo : {"NUL", "CON", "nul.xml"})
        EXPECT_EQ(plataforma::abrir_arquivo_regular(dispositivo), nullptr) << dispositivo;
}

}  // namespace
