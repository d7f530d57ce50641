// The Windows launcher's recorder (this test program itself: when
// QUORVEX_GRAVADOR names a file it records there what the C runtime read from
// its command line and ends before any test runs), and its default handler and
// terminal: the shell's handler of a file and the command prompt.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/launcher_recorder.h"

namespace {

const char* const variavel_do_gravador = "QUORVEX_GRAVADOR";
const char* const variavel_da_espera = "QUORVEX_GRAVADOR_ESPERA";

struct Gravador {
    Gravador() {
        const char* destino = std::getenv(variavel_do_gravador);
        if (destino == nullptr || destino[0] == '\0') return;
        if (const char* espera = std::getenv(variavel_da_espera)) Sleep(std::atoi(espera));
        std::string registro;
        char pasta[MAX_PATH];
        GetCurrentDirectoryA(sizeof pasta, pasta);
        registro += pasta;
        registro += "\n";
        for (int i = 1; i < __argc; ++i) registro += std::string("[") + __argv[i] + "]\n";
        std::string temporario = std::string(destino) + ".tmp";
        if (std::FILE* f = std::fopen(temporario.c_str(), "wb")) {
            std::fwrite(registro.data(), 1, registro.size(), f);
            std::fclose(f);
            MoveFileA(temporario.c_str(), destino);
        }
        ExitProcess(0);
    }
} gravador;

std::string este_programa() {
    char caminho[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, caminho, sizeof caminho);
    return std::string(caminho, n);
}

}  // namespace

namespace teste {

GravadorDeLancamentos::GravadorDeLancamentos(const PastaTemporaria& pasta, unsigned espera_ms)
    : programa_(este_programa()), arquivo_(caminho_nativo(pasta / "registro")) {
    SetEnvironmentVariableA(variavel_do_gravador, arquivo_.c_str());
    SetEnvironmentVariableA(variavel_da_espera, std::to_string(espera_ms).c_str());
}

GravadorDeLancamentos::~GravadorDeLancamentos() {
    SetEnvironmentVariableA(variavel_do_gravador, nullptr);
    SetEnvironmentVariableA(variavel_da_espera, nullptr);
}

bool GravadorDeLancamentos::gravou(unsigned limite_ms) const {
    return esperar_ate([&] { return existe(arquivo_); }, std::chrono::milliseconds(limite_ms));
}

std::string GravadorDeLancamentos::pasta_vista(const std::string& pasta) {
    std::string nativa = caminho_nativo(pasta);
    char longa[MAX_PATH];
    DWORD n = GetLongPathNameA(nativa.c_str(), longa, sizeof longa);
    return n ? std::string(longa, n) : nativa;
}

}  // namespace teste

namespace {

// The default handler of a program file is to run it: the target's name is
// handed over whole, with no command line to read anything else from it.
TEST_F(Lancador, ProgramaPadraoAbreOAlvoNaPastaPedida) {
    teste::GravadorDeLancamentos gravador(pasta);
    std::string trabalho = pasta / "x & y";
    ASSERT_EQ(plataforma::criar_diretorio(trabalho.c_str()), 0);
    ASSERT_EQ(plataforma::abrir_com_programa_padrao(gravador.programa(), trabalho.c_str()), 0);
    ASSERT_TRUE(gravador.gravou());
    EXPECT_EQ(gravador.registro(), teste::GravadorDeLancamentos::pasta_vista(trabalho) + "\n");
    EXPECT_EQ(plataforma::abrir_com_programa_padrao((pasta / "falta.html").c_str(), nullptr), -1);
}

// The command prompt this process starts, found among its children.
DWORD filho_interpretador() {
    DWORD encontrado = 0;
    HANDLE instantaneo = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (instantaneo == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entrada;
    entrada.dwSize = sizeof entrada;
    for (BOOL ha = Process32First(instantaneo, &entrada); ha && !encontrado;
         ha = Process32Next(instantaneo, &entrada)) {
        if (entrada.th32ParentProcessID == GetCurrentProcessId() &&
            lstrcmpiA(entrada.szExeFile, "cmd.exe") == 0)
            encontrado = entrada.th32ProcessID;
    }
    CloseHandle(instantaneo);
    return encontrado;
}

TEST_F(Lancador, TerminalAbreUmPromptQueFicaAberto) {
    if (plataforma::sob_wine() && !std::getenv("DISPLAY"))
        GTEST_SKIP() << "Wine without a display gives a new console no window";
    ASSERT_EQ(filho_interpretador(), 0u);
    ASSERT_EQ(plataforma::abrir_terminal("/"), 0);
    DWORD pid = 0;
    ASSERT_TRUE(teste::esperar_ate([&] { return (pid = filho_interpretador()) != 0; }));
    HANDLE prompt = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(WaitForSingleObject(prompt, 500), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the prompt must stay open";
    TerminateProcess(prompt, 0);
    WaitForSingleObject(prompt, 5000);
    CloseHandle(prompt);
}

}  // namespace
