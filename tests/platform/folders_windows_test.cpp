// The Windows folders: the separator, and the shell's local application data
// and documents folders.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

bool caminho_absoluto(const std::string& caminho) {
    return caminho.size() >= 3 && caminho[1] == ':' && caminho[2] == '\\';
}

TEST(Pastas, SeparadorDoWindows) { EXPECT_EQ(plataforma::separador, '\\'); }

TEST(Pastas, DadosLocaisEDocumentos) {
    char dados[260], documentos[260];
    ASSERT_TRUE(plataforma::pasta_dados_locais(dados, sizeof dados));
    ASSERT_TRUE(plataforma::pasta_documentos(documentos, sizeof documentos));
    EXPECT_TRUE(caminho_absoluto(dados)) << dados;
    EXPECT_TRUE(caminho_absoluto(documentos)) << documentos;
    EXPECT_TRUE(teste::existe(dados)) << dados;
    EXPECT_STRNE(dados, documentos);
    char curto[4];
    EXPECT_FALSE(plataforma::pasta_dados_locais(curto, sizeof curto));
    EXPECT_FALSE(plataforma::pasta_documentos(curto, sizeof curto));
}

}  // namespace
