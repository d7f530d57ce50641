// The Windows program as a user meets it, under Wine on a virtual display:
// started from its run folder, scans from the start button while the test
// holds a loopback connection open, the reports read back from the documents
// folder, the window closed, the user's session ended. The user's folders are
// moved under a temporary folder, which may be named, as the run folder may,
// with letters outside the system's code page.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

std::set<fs::path> relatorios_em(const fs::path& pasta) {
    std::set<fs::path> relatorios;
    std::error_code erro;
    for (const auto& entrada : fs::directory_iterator(pasta, erro))
        if (entrada.path().extension() == ".html") relatorios.insert(entrada.path());
    return relatorios;
}

// Files by their wide names, whatever the letters in them.
std::string ler(const fs::path& arquivo) {
    std::ifstream entrada(arquivo, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
}

void escrever(const fs::path& arquivo, const std::string& conteudo) {
    fs::create_directories(arquivo.parent_path());
    std::ofstream(arquivo, std::ios::binary) << conteudo;
}

// The run folder as a user unpacks it: the program, its images and fonts, and
// the default settings, copied from the build folder into `pasta`.
fs::path copiar_pasta_de_execucao(const fs::path& pasta) {
    fs::create_directories(pasta);
    for (const char* parte : {"quorvex.exe", "config.xml", "bin", "fontes"})
        fs::copy(fs::current_path() / parte, pasta / parte, fs::copy_options::recursive);
    return pasta;
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

const std::pair<int, int> botao_iniciar{70, 80};

bool lista_a_conexao(const std::string& relatorio, const teste::escuta_loopback& servidor) {
    const std::string porta = std::to_string(servidor.porta());
    return relatorio.find("Remoto 127.0.0.1 : " + porta + "<") != std::string::npos &&
           relatorio.find("Local 127.0.0.1 : " + porta + "<") != std::string::npos;
}

// The program started from its run folder with the user's folders under a
// temporary folder, settings of the test's own there, its window found, its
// reports read back.
class ProgramaWindows : public ::testing::Test {
protected:
    teste::PastaTemporaria temporaria;
    fs::path pasta_relatorios;
    std::unique_ptr<teste::PastasDoUsuarioEm> pastas;
    std::unique_ptr<teste::programa_iniciado> programa;
    std::unique_ptr<teste::janela_do_programa> janela;

    void TearDown() override {
        programa.reset();
        pastas.reset();
    }

    // `usuario` names the user's folder; `execucao`, when given, the folder
    // the run folder is copied into (else the build folder is the run folder).
    // Both in UTF-8.
    void iniciar(int lopps, const std::string& usuario = "usuario", const std::string& execucao = "") {
        const fs::path base = fs::u8path(temporaria.caminho());
        const fs::path casa = base / fs::u8path(usuario);
        fs::create_directories(casa / "Documents");
        escrever(casa / "AppData" / "Local" / "Quorvex" / "config.xml", configuracao(lopps));
        pastas = std::make_unique<teste::PastasDoUsuarioEm>(casa.u8string());
        pasta_relatorios = casa / "Documents" / "Brellstad" / "LOGS" / "QUORVEX";
        const fs::path pasta = execucao.empty()
                                   ? fs::current_path()
                                   : copiar_pasta_de_execucao(base / fs::u8path(execucao) / "Quorvex");
        // The program opens its real window (the unit tests' dummy driver is
        // not for it).
        unsetenv("SDL_VIDEODRIVER");
        programa = std::make_unique<teste::programa_iniciado>(pasta.u8string(), "quorvex.exe");
        ASSERT_TRUE(programa->iniciado());
        janela = std::make_unique<teste::janela_do_programa>(*programa, "Quorvex");
        ASSERT_TRUE(teste::esperar_ate([&] { return janela->procurar(); }, seconds(60)))
            << "no window titled Quorvex";
        // The home screen waits in the menu once its drawing is done.
        std::this_thread::sleep_for(seconds(3));
    }

    // The one report once its closing tag is written; empty if none came.
    std::string relatorio_inteiro(seconds limite) {
        std::string relatorio;
        teste::esperar_ate(
            [&] {
                auto relatorios = relatorios_em(pasta_relatorios);
                if (relatorios.size() != 1) return false;
                relatorio = ler(*relatorios.begin());
                return relatorio.find("</html>") != std::string::npos;
            },
            limite);
        return relatorio;
    }

    int status_ao_terminar(seconds limite) {
        int status = -1;
        return programa->terminou(limite, status) ? status : -1;
    }

    // One scan from the start button, its report listing the connection the
    // test holds open, then the window closed.
    void escanear_e_fechar() {
        teste::escuta_loopback servidor;
        teste::conexao_loopback conexao(servidor);
        ASSERT_TRUE(conexao.aberta());
        janela->clicar(botao_iniciar.first, botao_iniciar.second);
        const std::string relatorio = relatorio_inteiro(seconds(90));
        ASSERT_FALSE(relatorio.empty()) << "no whole report in " << pasta_relatorios.u8string();
        EXPECT_TRUE(lista_a_conexao(relatorio, servidor)) << relatorio;
        janela->pedir_fechamento();
        EXPECT_EQ(status_ao_terminar(seconds(20)), 1) << "the close request ends the program";
    }
};

TEST_F(ProgramaWindows, UmScanPeloBotaoIniciarRelataAConexaoDoTesteNosDocumentos) {
    EXIGIR_REDE_PRIVADA();
    ASSERT_NO_FATAL_FAILURE(iniciar(0));
    escanear_e_fechar();
}

// A Polish user who unpacked the program into a folder of a Polish city: the
// letters are outside the code page the ANSI calls would convert them to.
TEST_F(ProgramaWindows, UsuarioEPastaForaDoCodigoDePaginaAbremEGravamORelatorio) {
    EXIGIR_REDE_PRIVADA();
    ASSERT_NO_FATAL_FAILURE(iniciar(0, "\u0141ukasz \u017b\u00f3\u0142w", "\u0141\u00f3d\u017a"));
    escanear_e_fechar();
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
    ASSERT_TRUE(relatorios_em(pasta_relatorios).empty()) << "the scan still runs";
    int status = -1;
    ASSERT_FALSE(programa->terminou(std::chrono::milliseconds(0), status));

    ASSERT_TRUE(teste::encerrar_sessao_do_usuario());
    EXPECT_EQ(status_ao_terminar(seconds(10)), 1) << "a 32-turn scan ends at once";
    const std::string relatorio = relatorio_inteiro(seconds(1));
    ASSERT_FALSE(relatorio.empty()) << "no whole report in " << pasta_relatorios.u8string();
    EXPECT_TRUE(lista_a_conexao(relatorio, servidor)) << relatorio;
}

TEST_F(ProgramaWindows, FimDaSessaoForaDoScanTerminaLogoSemRelatorio) {
    ASSERT_NO_FATAL_FAILURE(iniciar(0));
    ASSERT_TRUE(teste::encerrar_sessao_do_usuario());
    EXPECT_EQ(status_ao_terminar(seconds(5)), 1);
    EXPECT_TRUE(relatorios_em(pasta_relatorios).empty());
}

}  // namespace
