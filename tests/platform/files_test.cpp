// Files written whole or not at all, and only regular files read, on both
// systems.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using plataforma::gravacao_de_arquivo;
using plataforma::modo_de_gravacao;

bool gravar_inteiro(const std::string& caminho, const char* texto, modo_de_gravacao modo,
                    int* erro = nullptr) {
    gravacao_de_arquivo g;
    bool ok = plataforma::iniciar_gravacao(g, caminho.c_str(), modo) &&
              plataforma::gravar_texto(g, texto) && plataforma::concluir_gravacao(g);
    if (!ok) plataforma::desistir_da_gravacao(g);
    if (erro) *erro = g.erro;
    return ok;
}

class Arquivos : public ::testing::Test {
protected:
    // Only the destination is left in the folder: no temporary file.
    void so_o_destino() { EXPECT_EQ(teste::nomes_em(pasta.caminho()), std::vector<std::string>{"config.xml"}); }
    teste::PastaTemporaria pasta;
    std::string arquivo = pasta / "config.xml";
};

TEST_F(Arquivos, AnexarECriar) {
    ASSERT_TRUE(gravar_inteiro(arquivo, "um\n", modo_de_gravacao::criar));
    ASSERT_TRUE(gravar_inteiro(arquivo, "dois\n", modo_de_gravacao::anexar));
    EXPECT_EQ(teste::ler_arquivo(arquivo), "um\ndois\n");
    int erro = 0;
    EXPECT_FALSE(gravar_inteiro(arquivo, "tres\n", modo_de_gravacao::criar, &erro));
    EXPECT_EQ(erro, EEXIST);
    EXPECT_EQ(teste::ler_arquivo(arquivo), "um\ndois\n");
    so_o_destino();
}

TEST_F(Arquivos, DesistirOuPastaInexistenteNaoTocamODestino) {
    teste::escrever_arquivo(arquivo, "guardado");
    gravacao_de_arquivo g;
    ASSERT_TRUE(plataforma::iniciar_gravacao(g, arquivo.c_str(), modo_de_gravacao::substituir));
    plataforma::gravar_texto(g, "pela metade");
    plataforma::desistir_da_gravacao(g);
    EXPECT_EQ(teste::ler_arquivo(arquivo), "guardado");
    so_o_destino();

    int erro = 0;
    EXPECT_FALSE(gravar_inteiro(pasta / "falta/config.xml", "x", modo_de_gravacao::substituir, &erro));
    EXPECT_EQ(erro, ENOENT);
    char texto[128];
    plataforma::texto_do_erro(erro, texto, sizeof texto);
    EXPECT_GT(std::string(texto).size(), 0u);
}

TEST_F(Arquivos, PastaNoLugarDoArquivoERecusada) {
    ASSERT_EQ(plataforma::criar_diretorio(arquivo.c_str()), 0);
    int erro = 0;
    EXPECT_FALSE(gravar_inteiro(arquivo, "x", modo_de_gravacao::substituir, &erro));
    EXPECT_EQ(erro, EISDIR);
    EXPECT_EQ(plataforma::abrir_arquivo_regular(arquivo.c_str()), nullptr);
    EXPECT_EQ(plataforma::ultimo_erro(), EISDIR);
    so_o_destino();
}

TEST_F(Arquivos, SoArquivosComunsSaoLidos) {
    teste::escrever_arquivo(arquivo, "conteudo");
    std::FILE* f = plataforma::abrir_arquivo_regular(arquivo.c_str());
    ASSERT_NE(f, nullptr);
    char lido[16] = {0};
    EXPECT_EQ(std::fread(lido, 1, sizeof lido, f), 8u);
    std::fclose(f);
    EXPECT_EQ(plataforma::abrir_arquivo_regular((pasta / "falta").c_str()), nullptr);
    EXPECT_EQ(plataforma::ultimo_erro(), ENOENT);
}

}  // namespace
