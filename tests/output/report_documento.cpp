// The scan report written into a temporary HOME's documents folder and compared
// byte for byte with the expected documents.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <SDL/SDL.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "monitor/tables.h"
#include "output/report.h"
#include "output/settings.h"
#include "shell/links.h"
#include "shell/startup.h"
#include "common/texto.h"
#include "support/test_support.h"

namespace {

std::string esperado(const char* nome) {
    std::string texto = teste::ler_arquivo(std::string(QUORVEX_SOURCE_DIR) + "/tests/output/data/" + nome);
    const std::string marca = "@LOC_CURSO_LOG@";
    std::size_t onde = texto.find(marca);
    if (onde != std::string::npos) texto.replace(onde, marca.size(), loc_curso_log);
    return texto;
}

std::string diretorio_corrente() {
    char pasta[512];
    return getcwd(pasta, sizeof pasta) ? pasta : "";
}

void garantir_tela() {
    if (screen) return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_VIDEO);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
}

class Relatorio : public ::testing::Test {
protected:
    void SetUp() override {
        garantir_tela();
        inicio = diretorio_corrente();
        copiar_celula(diratu2, inicio.c_str());
        copiar_celula(diratu, inicio.c_str());
        setenv("HOME", casa.caminho().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (casa / ".config").c_str(), 1);
        unsetenv("XDG_DOCUMENTS_DIR");
        unsetenv("DISPLAY");
        mkdir((casa / "Documents").c_str(), 0755);
        exibir_http = exibir_https = exibir_localhost = exibir_lan_10 = exibir_lan_192 = 1;
        exibir_filtro = 0;
        exibir_log = 0;
        copiar_celula(arquivo_log_atual, "2026_12_07__09_05_03.html");
        copiar_celula(data_log_atual, "07/12/2026 &nbsp;&nbsp; 09:05:03");
        esvaziar_banco_painel();
    }
    void TearDown() override { chdir(inicio.c_str()); }

    std::string pasta_dos_relatorios() const { return casa / "Documents/Brellstad/LOGS/QUORVEX"; }
    std::string relatorio() const {
        return teste::ler_arquivo(pasta_dos_relatorios() + "/" + arquivo_log_atual);
    }

    void tabela_pequena() {
        add_banco_painel("09:05", "192.168.0.2", "50000", "192.168.0.10", "80", "firefox-esr",
                         "RedeLocal", "NOID", "/usr/lib/firefox-esr/firefox-esr", 0);
        add_banco_painel("09:06", "192.168.0.2", "50001", "203.0.113.5", "443", "curl", "Brasil",
                         "www.example.com.br", "/usr/bin/curl", 1);
        add_banco_painel("09:08", "192.168.0.2", "50002", "203.0.113.5", "22", "ssh", "Alemanha",
                         "host.example.de", "/usr/bin/ssh", 2);
        informa_desconexao("09:07", "50001", "203.0.113.5", "443", "curl");
    }

    teste::PastaTemporaria casa;
    std::string inicio;
};

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
    setenv("XDG_DOCUMENTS_DIR", ("/" + std::string(300, 'd')).c_str(), 1);
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
    rmdir((casa / "Documents").c_str());
    fabricar_log(1);
    EXPECT_EQ(relatorio(), esperado("report_vazio.html"));
}

// A stand-in for xdg-open that records what it was asked to open and where.
class Abertura : public Relatorio {
protected:
    void SetUp() override {
        Relatorio::SetUp();
        caminho_original = std::getenv("PATH") ? std::getenv("PATH") : "";
        teste::escrever_arquivo(ferramentas / "xdg-open",
                                "#!/bin/sh\nprintf '%s|%s\\n' \"$1\" \"$PWD\" > \"" +
                                    (ferramentas / "pedido.tmp") + "\"\nmv \"" +
                                    (ferramentas / "pedido.tmp") + "\" \"" +
                                    (ferramentas / "pedido") + "\"\n");
        chmod((ferramentas / "xdg-open").c_str(), 0755);
        setenv("PATH", (ferramentas.caminho() + ":" + caminho_original).c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", caminho_original.c_str(), 1);
        Relatorio::TearDown();
    }
    std::string pedido() {
        for (int i = 0; i < 100 && !teste::existe(ferramentas / "pedido"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return teste::ler_arquivo(ferramentas / "pedido");
    }
    teste::PastaTemporaria ferramentas;
    std::string caminho_original;
};

TEST_F(Abertura, RelatorioAbertoQuandoAConfiguracaoPede) {
    exibir_log = 1;
    fabricar_log(1);
    EXPECT_EQ(pedido(), pasta_dos_relatorios() + "/" + arquivo_log_atual + "|" +
                            pasta_dos_relatorios() + "\n");
    EXPECT_EQ(diretorio_corrente(), inicio);
}

TEST_F(Abertura, RelatorioNaoAbertoSemAConfiguracao) {
    fabricar_log(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(teste::existe(ferramentas / "pedido"));
    EXPECT_TRUE(teste::existe(pasta_dos_relatorios() + "/" + arquivo_log_atual));
}

TEST_F(Abertura, VisualizarLogsAbreAPastaCriadaQuandoFalta) {
    EXPECT_EQ(vizualizar_log(1), 1);
    EXPECT_EQ(pedido(), pasta_dos_relatorios() + "|" + casa / "Documents/Brellstad/LOGS\n");
    struct stat info;
    ASSERT_EQ(stat(pasta_dos_relatorios().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(diretorio_corrente(), inicio);
}

// The documents folder on a small disk of its own, and a stand-in dialog that
// records what the user was told.
class RelatorioEmDiscoProprio : public Abertura {
protected:
    void SetUp() override {
        Abertura::SetUp();
        disco = std::make_unique<teste::DiscoProprio>(casa / "Documents", "size=64k");
        dialogos = std::make_unique<teste::DialogosRegistrados>();
        exibir_log = 1;
    }
    void TearDown() override {
        dialogos.reset();
        disco.reset();
        Abertura::TearDown();
    }
    std::string caminho_do_relatorio() const {
        return pasta_dos_relatorios() + "/" + arquivo_log_atual;
    }
    void esperar_que_nada_seja_aberto() {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(teste::existe(ferramentas / "pedido")) << "a broken report is not opened";
    }
    std::unique_ptr<teste::DiscoProprio> disco;
    std::unique_ptr<teste::DialogosRegistrados> dialogos;
};

TEST_F(RelatorioEmDiscoProprio, DiscoCheioNaoDeixaArquivoNemMeioArquivoEAvisa) {
    EXIGIR_DISCO_PROPRIO(*disco);
    ASSERT_EQ(mkdir((casa / "Documents/Brellstad").c_str(), 0755), 0);
    ASSERT_TRUE(disco->encher());
    tabela_pequena();
    testing::internal::CaptureStdout();
    fabricar_log(1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(teste::nomes_em(pasta_dos_relatorios()), std::vector<std::string>{})
        << "neither the report nor its temporary file is left";
    EXPECT_EQ(dialogos->registro(),
              "zenity|--info --no-markup --title=Quorvex --text=N\xc3\xa3o foi poss\xc3\xadvel gravar o "
              "relat\xc3\xb3rio " + caminho_do_relatorio() + ": No space left on device\n");
    esperar_que_nada_seja_aberto();
    EXPECT_EQ(diretorio_corrente(), inicio);
}

TEST_F(RelatorioEmDiscoProprio, SegundoScanNoMesmoSegundoSemEspacoGuardaOPrimeiroInteiro) {
    EXIGIR_DISCO_PROPRIO(*disco);
    exibir_log = 0;
    fabricar_log(1);
    const std::string primeiro = relatorio();
    ASSERT_EQ(primeiro, esperado("report_vazio.html"));
    ASSERT_TRUE(disco->encher());
    tabela_pequena();
    exibir_log = 1;
    testing::internal::CaptureStdout();
    fabricar_log(1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(relatorio(), primeiro) << "the second document is added whole or not at all";
    EXPECT_EQ(teste::nomes_em(pasta_dos_relatorios()),
              std::vector<std::string>{arquivo_log_atual});
    EXPECT_NE(dialogos->registro().find(caminho_do_relatorio() + ": No space left on device"),
              std::string::npos)
        << dialogos->registro();
    esperar_que_nada_seja_aberto();
}

TEST_F(RelatorioEmDiscoProprio, PastaSomenteLeituraNaoDeixaArquivoEAvisa) {
    EXIGIR_DISCO_PROPRIO(*disco);
    ASSERT_EQ(mkdir((casa / "Documents/Brellstad").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((casa / "Documents/Brellstad/LOGS").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(pasta_dos_relatorios().c_str(), 0755), 0);
    ASSERT_TRUE(disco->somente_leitura());
    tabela_pequena();
    testing::internal::CaptureStdout();
    fabricar_log(1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(teste::nomes_em(pasta_dos_relatorios()), std::vector<std::string>{});
    EXPECT_NE(dialogos->registro().find(caminho_do_relatorio() + ": Read-only file system"),
              std::string::npos)
        << dialogos->registro();
    esperar_que_nada_seja_aberto();
}

}  // namespace
