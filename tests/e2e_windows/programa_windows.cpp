// The Windows program as a user meets it, under Wine on a virtual display:
// started from its run folder, one scan from the start button while the test
// holds a loopback connection open, the report read back from the documents
// folder, the window closed.
#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

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

// A loopback connection held open by this process: a listener, a client and
// the accepted end.
struct conexao_loopback {
    SOCKET escuta = INVALID_SOCKET, cliente = INVALID_SOCKET, aceita = INVALID_SOCKET;
    int porta = 0;
    conexao_loopback() {
        WSADATA dados;
        WSAStartup(MAKEWORD(2, 2), &dados);
        sockaddr_in endereco{};
        endereco.sin_family = AF_INET;
        endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        escuta = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        int tamanho = sizeof endereco;
        if (bind(escuta, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
            listen(escuta, 4) != 0 ||
            getsockname(escuta, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0)
            return;
        porta = ntohs(endereco.sin_port);
        cliente = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (connect(cliente, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) return;
        aceita = accept(escuta, nullptr, nullptr);
    }
    ~conexao_loopback() {
        for (SOCKET s : {aceita, cliente, escuta})
            if (s != INVALID_SOCKET) closesocket(s);
        WSACleanup();
    }
    bool aberta() const { return aceita != INVALID_SOCKET; }
};

// The program started from the test's working folder (the run folder), ended
// at the end of the test whatever happened.
struct programa_windows {
    PROCESS_INFORMATION processo{};
    bool iniciar() {
        STARTUPINFOA inicio{};
        inicio.cb = sizeof inicio;
        std::string linha = "\"" + (fs::current_path() / "quorvex.exe").string() + "\"";
        return CreateProcessA(nullptr, linha.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &inicio, &processo);
    }
    bool terminou(DWORD espera_ms, DWORD* status) {
        if (WaitForSingleObject(processo.hProcess, espera_ms) != WAIT_OBJECT_0) return false;
        GetExitCodeProcess(processo.hProcess, status);
        return true;
    }
    ~programa_windows() {
        if (processo.hProcess == nullptr) return;
        DWORD status;
        if (!terminou(0, &status)) TerminateProcess(processo.hProcess, 99);
        CloseHandle(processo.hThread);
        CloseHandle(processo.hProcess);
    }
};

HWND janela_do_programa(DWORD pid) {
    HWND janela = nullptr;
    while ((janela = FindWindowExA(nullptr, janela, nullptr, "Quorvex")) != nullptr) {
        DWORD dono = 0;
        GetWindowThreadProcessId(janela, &dono);
        if (dono == pid && IsWindowVisible(janela)) return janela;
    }
    return nullptr;
}

// A left click at (x, y) of the window's drawing area, as the system posts it.
void clicar(HWND janela, int x, int y) {
    const LPARAM ponto = MAKELPARAM(x, y);
    PostMessageA(janela, WM_MOUSEMOVE, 0, ponto);
    PostMessageA(janela, WM_LBUTTONDOWN, MK_LBUTTON, ponto);
    PostMessageA(janela, WM_LBUTTONUP, 0, ponto);
}

const char* const configuracao_de_uma_volta =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<quorvex>\n<lopps_scan>1</lopps_scan>\n"
    "<exibir_http>1</exibir_http>\n<exibir_https>1</exibir_https>\n"
    "<exibir_localhost>1</exibir_localhost>\n<exibir_lan_10>1</exibir_lan_10>\n"
    "<exibir_lan_192>1</exibir_lan_192>\n<local>1</local>\n<exibir_log>0</exibir_log>\n"
    "<filtro>0</filtro>\n</quorvex>\n";

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

TEST(ProgramaWindows, UmScanPeloBotaoIniciarRelataAConexaoDoTesteNosDocumentos) {
    EXIGIR_REDE_PRIVADA();
    const fs::path pasta_relatorios =
        fs::path(pasta_do_usuario(plataforma::pasta_documentos)) / "Brellstad" / "LOGS" / "QUORVEX";
    ASSERT_NE(pasta_relatorios.string(), "Brellstad/LOGS/QUORVEX");
    const std::set<std::string> antes = relatorios_em(pasta_relatorios);
    configuracao_do_usuario configuracao(configuracao_de_uma_volta);
    conexao_loopback conexao;
    ASSERT_TRUE(conexao.aberta());

    // The program opens its real window (the unit tests' dummy driver is not
    // for it).
    unsetenv("SDL_VIDEODRIVER");
    programa_windows programa;
    ASSERT_TRUE(programa.iniciar());
    HWND janela = nullptr;
    ASSERT_TRUE(teste::esperar_ate([&] { return (janela = janela_do_programa(programa.processo.dwProcessId)) != nullptr; },
                                   std::chrono::seconds(60)))
        << "no window titled Quorvex";
    // The home screen waits in the menu once its drawing is done.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    clicar(janela, 70, 80);

    std::string novo;
    ASSERT_TRUE(teste::esperar_ate(
        [&] {
            for (const auto& r : relatorios_em(pasta_relatorios))
                if (!antes.count(r)) novo = r;
            return !novo.empty();
        },
        std::chrono::seconds(90)))
        << "no report in " << pasta_relatorios.string();
    // The report is complete once its closing tag is written.
    std::string relatorio;
    EXPECT_TRUE(teste::esperar_ate([&] {
        relatorio = teste::ler_arquivo(novo);
        return relatorio.find("</html>") != std::string::npos;
    }));
    const std::string porta = std::to_string(conexao.porta);
    EXPECT_NE(relatorio.find("Remoto 127.0.0.1 : " + porta + "<"), std::string::npos) << relatorio;
    EXPECT_NE(relatorio.find("Local 127.0.0.1 : " + porta + "<"), std::string::npos) << relatorio;

    PostMessageA(janela, WM_CLOSE, 0, 0);
    DWORD status = 0;
    ASSERT_TRUE(programa.terminou(20000, &status)) << "the close request did not end the program";
    EXPECT_EQ(status, 1u);
    std::error_code erro;
    fs::remove(novo, erro);
}

}  // namespace
