// The scan report written into the documents folder of a temporary user's
// folders and compared byte for byte with the expected documents. (The cases
// that need POSIX means are in report_posix_test.cpp.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/text.h"
#include "monitor/tables.h"
#include "output/report_support.h"
#include "output/report.h"
#include "output/settings.h"
#include "support/test_support.h"

namespace {

using namespace relatorio_teste;

TEST_F(Relatorio, TabelaPequenaIgualAoDocumentoEsperadoNovaPrimeiro) {
    exibir_filtro = 1;
    exibir_http = 0;
    tabela_pequena();
    fabricar_log(1);
    EXPECT_EQ(relatorio(), esperado("report_tabela_pequena.html"));
    EXPECT_EQ(std::string(dirqvxlogs), pasta_dos_relatorios());
    EXPECT_EQ(diretorio_corrente(), inicio);
}

TEST_F(Relatorio, VarreduraVaziaTemSoCabecalhoERodape) {
    fabricar_log(1);
    EXPECT_EQ(relatorio(), esperado("report_vazio.html"));
}

TEST_F(Relatorio, DuasVarredurasNoMesmoSegundoAnexamOSegundoDocumento) {
    fabricar_log(1);
    fabricar_log(1);
    std::string um = esperado("report_vazio.html");
    EXPECT_EQ(relatorio(), um + um);
}

std::string linha_de_bloqueios(const std::string& documento) {
    std::size_t inicio = documento.find("Bloqueios:");
    return documento.substr(inicio, documento.find('\n', inicio) - inicio + 1);
}

TEST_F(Relatorio, LinhaDeBloqueiosConformeOsFiltros) {
    fabricar_log(1);
    EXPECT_EQ(linha_de_bloqueios(relatorio()), "Bloqueios:      Nenhum<br>\n");

    copiar_celula(arquivo_log_atual, "so_http.html");
    exibir_http = 0;
    fabricar_log(1);
    EXPECT_EQ(linha_de_bloqueios(relatorio()), "Bloqueios: HTTP &nbsp;&nbsp;     <br>\n");

    copiar_celula(arquivo_log_atual, "todos.html");
    exibir_filtro = 1;
    exibir_https = exibir_localhost = exibir_lan_10 = exibir_lan_192 = 0;
    fabricar_log(1);
    EXPECT_EQ(linha_de_bloqueios(relatorio()),
              "Bloqueios:(Conexoes Resumidas) &nbsp;&nbsp; HTTP &nbsp;&nbsp; HTTPS &nbsp;&nbsp; "
              "LOCALHOST &nbsp;&nbsp; REDE LOCAL 192.168.x.x &nbsp;&nbsp; REDE LOCAL 10.x.x.x "
              "&nbsp;&nbsp; <br>\n");
}

TEST_F(Relatorio, NomesHostisSaoEscapadosETextosFixosNao) {
    add_banco_painel("<b>", "127.0.0.1", "4000", "127.0.0.1", "4001",
                     "<script>alert(\"x\")</script>&", "Localhost",
                     "evil\"><img src=x onerror=alert(1)>.com", "/tmp/a&b<c>\"d\"", 1);
    informa_desconexao("</td>", "4000", "127.0.0.1", "4001", "x");
    fabricar_log(1);
    std::string documento = relatorio();
    EXPECT_NE(documento.find("<td colspan=\"1\">&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;</td>"),
              std::string::npos);
    EXPECT_NE(documento.find(">evil&quot;&gt;&lt;img src=x onerror=alert(1)&gt;.com</td>"),
              std::string::npos);
    EXPECT_NE(documento.find(">/tmp/a&amp;b&lt;c&gt;&quot;d&quot;</td>"), std::string::npos);
    EXPECT_NE(documento.find("style=\"width: 40px;\">&lt;b&gt;</td>"), std::string::npos);
    EXPECT_NE(documento.find("    <td>&lt;/td&gt;</td>\n"), std::string::npos);
    EXPECT_EQ(documento.find("<script>"), std::string::npos);
    EXPECT_EQ(documento.find("<img"), std::string::npos);
    EXPECT_NE(documento.find("class=\"bordasimples_preta\""), std::string::npos);
    EXPECT_NE(documento.find("07/12/2026 &nbsp;&nbsp; 09:05:03<br><br>\n"), std::string::npos);
}

TEST_F(Relatorio, PastaImpossivelAvisaENaoEscreveNada) {
    teste::escrever_arquivo(casa / "Documents/Brellstad", "um arquivo no lugar da pasta");
    tabela_pequena();
    testing::internal::CaptureStdout();
    EXPECT_EQ(iniciar_arquivo_de_log(arquivo_log_atual, data_log_atual), 0);
    fabricar_log(1);
    std::string saida = testing::internal::GetCapturedStdout();
    EXPECT_NE(saida.find("\n\n ERROR WORK_DIR"), std::string::npos);
    EXPECT_FALSE(teste::existe(inicio + "/" + arquivo_log_atual));
    EXPECT_FALSE(teste::existe(casa / arquivo_log_atual));
    EXPECT_EQ(diretorio_corrente(), inicio);
    EXPECT_EQ(vizualizar_log(1), 0);
}

TEST_F(Relatorio, SemPastaDeDocumentosNadaEEscrito) {
    pastas.documentos_em("/" + std::string(300, 'd'));
    testing::internal::CaptureStdout();
    EXPECT_EQ(iniciar_arquivo_de_log(arquivo_log_atual, data_log_atual), 0);
    fabricar_log(1);
    std::string saida = testing::internal::GetCapturedStdout();
    EXPECT_NE(saida.find("Error"), std::string::npos);
    EXPECT_EQ(dirqvxlogs[0], '\0');
    EXPECT_FALSE(teste::existe(inicio + "/" + arquivo_log_atual));
    EXPECT_EQ(diretorio_corrente(), inicio);
}

TEST_F(Relatorio, DocumentosAusenteECriadoComAsPastasDoRelatorio) {
    std::filesystem::remove(casa / "Documents");
    fabricar_log(1);
    EXPECT_EQ(relatorio(), esperado("report_vazio.html"));
}

}  // namespace
