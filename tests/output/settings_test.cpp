// The settings file: reading the nine settings, validating them, and changing one
// in place without ever leaving the file missing or half written. (The cases
// that need POSIX means are in settings_posix_test.cpp.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/settings_support.h"
#include "output/settings.h"
#include "support/test_support.h"

namespace {

using namespace configuracao_teste;

TEST(ExtracaoDeTag, ValorEntreAsTagsInteirasDaLinha) {
    EXPECT_STREQ(extrair_texto_tag("<filtro>1</filtro>\n", "<filtro>", "</filtro>"), "1");
    EXPECT_STREQ(extrair_texto_tag("   <exibir_log>1</exibir_log>\r\n", "<exibir_log>",
                                   "</exibir_log>"),
                 "1");
    EXPECT_STREQ(extrair_texto_tag("<exibir_https>1</exibir_https>\n", "<exibir_http>",
                                   "</exibir_http>"),
                 "none");
    EXPECT_STREQ(extrair_texto_tag("<exibir_lan_192>1</exibir_lan_192>", "<exibir_lan_10>",
                                   "</exibir_lan_10>"),
                 "none");
    EXPECT_STREQ(extrair_texto_tag("</filtro>\n", "<filtro>", "</filtro>"), "none");
    EXPECT_STREQ(extrair_texto_tag("<filtro></filtro>", "<filtro>", "</filtro>"), "");
    EXPECT_STREQ(extrair_texto_tag("x</filtro><filtro>", "<filtro>", "</filtro>"), "none")
        << "tags in the wrong order hold no value";
}

TEST(ExtracaoDeTag, ValorLongoDemaisECortadoSemEstourar) {
    std::string longa = "<local>" + std::string(900, '7') + "</local>";
    auto valor = extrair_texto_tag(longa.c_str(), "<local>", "</local>");
    EXPECT_EQ(std::string(valor), std::string(511, '7'));
}

TEST_F(ArquivoDeConfiguracao, CarregaOsNoveValoresEOResumo) {
    ASSERT_EQ(carregar(arquivo_completo()), 1);
    EXPECT_EQ(posicao_quantidade_loop, 5);
    EXPECT_EQ(exibir_http, 0);
    EXPECT_EQ(exibir_https, 1);
    EXPECT_EQ(exibir_localhost, 0);
    EXPECT_EQ(exibir_lan_10, 1);
    EXPECT_EQ(exibir_lan_192, 0);
    EXPECT_EQ(local_secionado, 3);
    EXPECT_EQ(exibir_log, 1);
    EXPECT_EQ(exibir_filtro, 1);
    EXPECT_EQ(resumo_websites, 1);
}

TEST_F(ArquivoDeConfiguracao, ArquivoVazioDeixaTudoEmZero) {
    ASSERT_EQ(carregar(""), 1);
    EXPECT_EQ(exibir_http + exibir_https + exibir_localhost + exibir_lan_10 + exibir_lan_192, 0);
    EXPECT_EQ(local_secionado, 0);
    EXPECT_EQ(posicao_quantidade_loop, 0);
    EXPECT_STREQ(c_exibir_http, "");
}

TEST_F(ArquivoDeConfiguracao, LeituraDosValores) {
    ASSERT_EQ(carregar(linha("filtro", "abc") + linha("exibir_log", " 1") +
                       "  " + linha("exibir_http", "1") + linha("local", "2") +
                       linha("local", "1")),
              1);
    EXPECT_EQ(exibir_filtro, 0);
    EXPECT_EQ(exibir_log, 1);
    EXPECT_EQ(exibir_http, 1);
    EXPECT_EQ(local_secionado, 1) << "a later line overrides an earlier one";

    ASSERT_EQ(carregar(linha("local", "none")), 1);
    EXPECT_STREQ(c_local, "1") << "\"none\" is taken as absent";
}

TEST_F(ArquivoDeConfiguracao, ValorLongoNaoEstouraOCampo) {
    ASSERT_EQ(carregar(linha("exibir_log", "1" + std::string(200, ' '))), 1);
    EXPECT_EQ(std::string(c_exibir_log).size(), 63u);
    EXPECT_EQ(exibir_log, 1);
}

TEST_F(ArquivoDeConfiguracao, ArquivoAusenteNaoMudaNada) {
    carregar(arquivo_completo());
    EXPECT_EQ(carregar_xml((pasta / "missing.xml").c_str()), -1);
    EXPECT_EQ(local_secionado, 3);
}

using ArquivoDeConfiguracaoFatal = ArquivoDeConfiguracao;

TEST_F(ArquivoDeConfiguracaoFatal, ValoresForaDaFaixaEncerram) {
    const std::pair<std::string, std::string> invalidos[] = {
        {"exibir_http", "2"}, {"lopps_scan", "6"}, {"local", "-1"},
        {"local", "4"},       {"filtro", "-1"},    {"exibir_lan_192", "99999999999"}};
    for (const auto& [tag, valor] : invalidos) {
        escrever_arquivo(caminho, linha(tag, valor));
        EXPECT_EXIT(carregar_xml(caminho.c_str()), ::testing::ExitedWithCode(1),
                    "Erro conteudo XML")
            << tag << "=" << valor;
    }
    ASSERT_EQ(carregar(linha("lopps_scan", "5") + linha("local", "3")), 1);
}

TEST_F(ArquivoDeConfiguracao, AlteracaoTrocaALinhaInteira) {
    escrever_arquivo(caminho, "<quorvex>\n  " + linha("exibir_log", "1") +
                                  linha("exibir_http", "1") + "</quorvex>");
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<exibir_log>", "</exibir_log>"), 1);
    EXPECT_EQ(ler_arquivo(caminho),
              "<quorvex>\n" + linha("exibir_log", "0") + linha("exibir_http", "1") + "</quorvex>");
    EXPECT_EQ(teste::nomes_em(pasta.caminho()), std::vector<std::string>{"config.xml"})
        << "no temporary file is left";
}

TEST_F(ArquivoDeConfiguracao, AlteracaoSemLinhaOuComDuasLinhas) {
    std::string sem_linha = "<quorvex>\r\n" + linha("filtro", "1");
    escrever_arquivo(caminho, sem_linha);
    EXPECT_EQ(alterar_xml("1", caminho.c_str(), "<local>", "</local>"), 0);
    EXPECT_EQ(ler_arquivo(caminho), sem_linha);

    escrever_arquivo(caminho, linha("local", "1") + "x\n" + linha("local", "2"));
    EXPECT_EQ(alterar_xml("3", caminho.c_str(), "<local>", "</local>"), 2);
    EXPECT_EQ(ler_arquivo(caminho), linha("local", "3") + "x\n" + linha("local", "3"));
}

TEST_F(ArquivoDeConfiguracao, AlteracaoQueFalhaDeixaOArquivoIntacto) {
    escrever_arquivo(caminho, arquivo_completo());
    EXPECT_EQ(alterar_xml("1", (pasta / "missing.xml").c_str(), "<local>", "</local>"), -1);
    EXPECT_EQ(ler_arquivo(caminho), arquivo_completo());
}

TEST_F(ArquivoDeConfiguracao, AlteracaoGuardaFinsDeLinhaCrlf) {
    std::string crlf = "<quorvex>\r\n<local>1</local>\r\n<filtro>1</filtro>\r\n</quorvex>\r\n";
    escrever_arquivo(caminho, crlf);
    EXPECT_EQ(alterar_xml("2", caminho.c_str(), "<local>", "</local>"), 1);
    EXPECT_EQ(ler_arquivo(caminho),
              "<quorvex>\r\n<local>2</local>\r\n<filtro>1</filtro>\r\n</quorvex>\r\n");
}

TEST_F(ArquivoDeConfiguracao, LinhasEArquivosLidosComLimite) {
    std::string longa = std::string(100000, 'x') + "<local>2</local>" + std::string(100000, 'y') + "\n";
    std::string conteudo = longa + arquivo_completo();
    ASSERT_EQ(carregar(conteudo), 1);
    EXPECT_EQ(local_secionado, 3);
    testing::internal::CaptureStdout();
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<filtro>", "</filtro>"), 1);
    testing::internal::GetCapturedStdout();
    std::string esperado = conteudo;
    esperado.replace(esperado.find("<filtro>1"), 9, "<filtro>0");
    EXPECT_EQ(ler_arquivo(caminho), esperado) << "a long line is kept as it was";

    std::string enorme = std::string(2 << 20, 'z') + "\n" + linha("local", "1");
    testing::internal::CaptureStdout();
    EXPECT_EQ(carregar(enorme), -1);
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<local>", "</local>"), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(local_secionado, 3) << "a file far larger than any settings file is refused";
    EXPECT_EQ(ler_arquivo(caminho), enorme) << "and left as it was";
}

}  // namespace
