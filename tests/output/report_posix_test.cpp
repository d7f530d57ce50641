// The report's cases that need POSIX means: a stand-in for xdg-open on the
// PATH that records what the program opened, the documents folder on a small
// disk of its own, the dialogs recorded through stand-ins.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/text.h"
#include "output/report_support.h"
#include "output/report.h"
#include "output/settings.h"
#include "support/test_support.h"

namespace {

using namespace relatorio_teste;

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

// A run killed while it wrote its report left a temporary file: the next report
// removes it once it is a minute old, and nothing else.
TEST_F(Relatorio, TemporarioAbandonadoSaiComOProximoRelatorio) {
    ASSERT_TRUE(std::filesystem::create_directories(pasta_dos_relatorios()));
    const std::string velho = ".2026_01_02__03_04_05.html.aB3xY9", novo = ".2026_01_02__03_04_06.html.Qz81Lm",
                      alheio = ".notas.txt.aB3xY9";
    for (const std::string& nome : {velho, novo, alheio}) {
        teste::escrever_arquivo(pasta_dos_relatorios() + "/" + nome, "<html>");
        if (nome == novo) continue;
        struct timeval ha_dois_minutos[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
        ASSERT_EQ(utimes((pasta_dos_relatorios() + "/" + nome).c_str(), ha_dois_minutos), 0);
    }
    fabricar_log(1);
    std::vector<std::string> esperados{alheio, novo, arquivo_log_atual};
    std::sort(esperados.begin(), esperados.end());
    EXPECT_EQ(teste::nomes_em(pasta_dos_relatorios()), esperados);
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
