// The Windows program as a user meets it, under Wine on a virtual display:
// started from its run folder, scans from the start button while the test
// holds a loopback connection open, the reports read back from the documents
// folder, the window closed, the user's session ended.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "support/loopback_connection.h"
#include "support/windowed_program.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

// The user's folders as the program itself finds them.
std::string pasta_do_usuario(bool (*pasta)(char*, std::size_t)) {
    char caminho[512] = "";
    return pasta(caminho, sizeof caminho) ? caminho : "";
}

std::set<std::string> relatorios_em(const fs::path& pasta) {
    std::set<std::string> nomes;
    std::error_code erro;
    for (const auto& entrada : fs::directory_iterator(pasta, erro))
        if (entrada.path().extension() == ".html") nomes.insert(entrada.path().string());
    return nomes;
}

// The settings file with the scan's length setting `lopps` (0: one turn; 5:
// thirty-two, far longer than any test waits).
std::string configuracao(int lopps) {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<quorvex>\n<lopps_scan>" +
           std::to_string(lopps) +
           "</lopps_scan>\n<exibir_http>1</exibir_http>\n<exibir_https>1</exibir_https>\n"
           "<exibir_localhost>1</exibir_localhost>\n<exibir_lan_10>1</exibir_lan_10>\n"
           "<exibir_lan_192>1</exibir_lan_192>\n<local>1</local>\n<exibir_log>0</exibir_log>\n"
           "<filtro>0</filtro>\n</quorvex>\n";
}

// The user's settings file replaced for the test and put back afterwards.
struct configuracao_do_usuario {
    fs::path arquivo;
    bool existia = false;
    std::string antes;
    explicit configuracao_do_usuario(const std::string& conteudo)
        : arquivo(fs::path(pasta_do_usuario(plataforma::pasta_dados_locais)) / "Quorvex" / "config.xml") {
        existia = fs::exists(arquivo);
        if (existia) antes = teste::ler_arquivo(arquivo.string());
        teste::escrever_arquivo(arquivo.string(), conteudo);
    }
    ~configuracao_do_usuario() {
        std::error_code erro;
        if (existia) teste::escrever_arquivo(arquivo.string(), antes);
        else fs::remove(arquivo, erro);
    }
};

const std::pair<int, int> botao_iniciar{70, 80};

// The program started from the test's working folder (the run folder) with
// settings of the test's own, its window found, its new reports read back.
class ProgramaWindows : public ::testing::Test {
protected:
    const fs::path pasta_relatorios =
        fs::path(pasta_do_usuario(plataforma::pasta_documentos)) / "Brellstad" / "LOGS" / "QUORVEX";
    std::set<std::string> antes;
    std::unique_ptr<configuracao_do_usuario> configuracao_;
    std::unique_ptr<teste::programa_iniciado> programa;
    std::unique_ptr<teste::janela_do_programa> janela;

    void TearDown() override {
        programa.reset();
        std::error_code erro;
        for (const auto& r : novos_relatorios()) fs::remove(r, erro);
    }

    void iniciar(int lopps) {
        ASSERT_NE(pasta_relatorios.string(), "Brellstad/LOGS/QUORVEX");
        antes = relatorios_em(pasta_relatorios);
        configuracao_ = std::make_unique<configuracao_do_usuario>(configuracao(lopps));
        // The program opens its real window (the unit tests' dummy driver is
        // not for it).
        unsetenv("SDL_VIDEODRIVER");
        programa = std::make_unique<teste::programa_iniciado>(fs::current_path().string(), "quorvex.exe");
        ASSERT_TRUE(programa->iniciado());
        janela = std::make_unique<teste::janela_do_programa>(*programa, "Quorvex");
        ASSERT_TRUE(teste::esperar_ate([&] { return janela->procurar(); }, seconds(60)))
            << "no window titled Quorvex";
        // The home screen waits in the menu once its drawing is done.
        std::this_thread::sleep_for(seconds(3));
    }

    std::set<std::string> novos_relatorios() const {
        std::set<std::string> novos;
        for (const auto& r : relatorios_em(pasta_relatorios))
            if (!antes.count(r)) novos.insert(r);
        return novos;
    }

    // The one new report once its closing tag is written; empty if none came.
    std::string relatorio_inteiro(seconds limite) {
        std::string relatorio;
        teste::esperar_ate(
            [&] {
                auto novos = novos_relatorios();
                if (novos.size() != 1) return false;
                relatorio = teste::ler_arquivo(*novos.begin());
                return relatorio.find("</html>") != std::string::npos;
            },
            limite);
        return relatorio;
    }

    int status_ao_terminar(seconds limite) {
        int status = -1;
        return programa->terminou(limite, status) ? status : -1;
    }
};

bool lista_a_conexao(const std::string& relatorio, const teste::escuta_loopback& servidor) {
    const std::string porta = std::to_string(servidor.porta());
    return relatorio.find("Remoto 127.0.0.1 : " + porta + "<") != std::string::npos &&
           relatorio.find("Local 127.0.0.1 : " + porta + "<") != std::string::npos;
}

TEST_F(ProgramaWindows, UmScanPeloBotaoIniciarRelataAConexaoDoTesteNosDocumentos) {
    EXIGIR_REDE_PRIVADA();
    teste::escuta_loopback servidor;
    teste::conexao_loopback conexao(servidor);
    ASSERT_TRUE(conexao.aberta());
    ASSERT_NO_FATAL_FAILURE(iniciar(0));
    janela->clicar(botao_iniciar.first, botao_iniciar.second);

    const std::string relatorio = relatorio_inteiro(seconds(90));
    ASSERT_FALSE(relatorio.empty()) << "no whole report in " << pasta_relatorios.string();
    EXPECT_TRUE(lista_a_conexao(relatorio, servidor)) << relatorio;

    janela->pedir_fechamento();
    EXPECT_EQ(status_ao_terminar(seconds(20)), 1) << "the close request ends the program";
}

// The user logs off while a long scan runs: the report of the rows so far is
// written whole first, then the program ends with status 1.
TEST_F(ProgramaWindows, FimDaSessaoDuranteOScanGravaORelatorioETerminaComStatus1) {
    EXIGIR_REDE_PRIVADA();
    teste::escuta_loopback servidor;
    teste::conexao_loopback conexao(servidor);
    ASSERT_TRUE(conexao.aberta());
    ASSERT_NO_FATAL_FAILURE(iniciar(5));
    janela->clicar(botao_iniciar.first, botao_iniciar.second);
    // Time for the scan's first readings.
    std::this_thread::sleep_for(seconds(5));
    ASSERT_TRUE(novos_relatorios().empty()) << "the scan still runs";
    int status = -1;
    ASSERT_FALSE(programa->terminou(std::chrono::milliseconds(0), status));

    ASSERT_TRUE(teste::encerrar_sessao_do_usuario());
    EXPECT_EQ(status_ao_terminar(seconds(10)), 1) << "a 32-turn scan ends at once";
    const std::string relatorio = relatorio_inteiro(seconds(1));
    ASSERT_FALSE(relatorio.empty()) << "no whole report in " << pasta_relatorios.string();
    EXPECT_TRUE(lista_a_conexao(relatorio, servidor)) << relatorio;
}

TEST_F(ProgramaWindows, FimDaSessaoForaDoScanTerminaLogoSemRelatorio) {
    ASSERT_NO_FATAL_FAILURE(iniciar(0));
    ASSERT_TRUE(teste::encerrar_sessao_do_usuario());
    EXPECT_EQ(status_ao_terminar(seconds(5)), 1);
    EXPECT_TRUE(novos_relatorios().empty());
}

}  // namespace
