// Starting programs on Windows. The program started is this test program
// itself in the role of a recorder: when QUORVEX_GRAVADOR names a file, it
// writes its folder and the arguments the C runtime read from its command line
// there and ends before any test runs. So what arrives is seen exactly.
#include "support_windows.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace {

const char* const variavel_do_gravador = "QUORVEX_GRAVADOR";

struct Gravador {
    Gravador() {
        const char* destino = std::getenv(variavel_do_gravador);
        if (destino == nullptr || destino[0] == '\0') return;
        if (const char* espera = std::getenv("QUORVEX_GRAVADOR_ESPERA")) Sleep(std::atoi(espera));
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

class Lancador : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA(variavel_do_gravador, registro.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA(variavel_do_gravador, nullptr);
        SetEnvironmentVariableA("QUORVEX_GRAVADOR_ESPERA", nullptr);
    }
    bool esperar_registro() {
        return teste_windows::esperar_ate([&] { return teste_windows::existe(registro); }, 20000);
    }
    std::string pasta_longa(const std::string& pasta) {
        char longa[MAX_PATH];
        DWORD n = GetLongPathNameA(pasta.c_str(), longa, sizeof longa);
        return n ? std::string(longa, n) : pasta;
    }
    teste_windows::PastaTemporaria pasta;
    std::string registro = pasta / "registro";
    std::string programa = teste_windows::este_programa();
};

TEST_F(Lancador, ArgumentosChegamIntactosSemInterpretador) {
    std::string trabalho = pasta / "a & b";
    ASSERT_TRUE(CreateDirectoryA(trabalho.c_str(), nullptr));
    const char* argumentos[] = {programa.c_str(), "a b", "aspas \"x\"", "barra\\", "\\\\srv\\\"q",
                                "& echo hacked > hacked", "%PATH%", "", nullptr};
    ASSERT_EQ(plataforma::lancar_programa(argumentos, trabalho.c_str()), 0);
    ASSERT_TRUE(esperar_registro());
    EXPECT_EQ(teste_windows::ler_arquivo(registro),
              pasta_longa(trabalho) +
                  "\n[a b]\n[aspas \"x\"]\n[barra\\]\n[\\\\srv\\\"q]\n[& echo hacked > hacked]\n"
                  "[%PATH%]\n[]\n");
    EXPECT_FALSE(teste_windows::existe(trabalho + "\\hacked"));
}

TEST_F(Lancador, NaoEsperaOProgramaTerminar) {
    SetEnvironmentVariableA("QUORVEX_GRAVADOR_ESPERA", "3000");
    const char* argumentos[] = {programa.c_str(), nullptr};
    DWORD inicio = GetTickCount();
    ASSERT_EQ(plataforma::lancar_programa(argumentos, nullptr), 0);
    EXPECT_LT(GetTickCount() - inicio, 2000u);
    EXPECT_FALSE(teste_windows::existe(registro));
    EXPECT_TRUE(esperar_registro()) << "the program did start";
}

TEST_F(Lancador, ProgramaOuPastaInexistenteFalham) {
    const char* inexistente[] = {"programa-que-nao-existe-em-lugar-nenhum.exe", nullptr};
    EXPECT_EQ(plataforma::lancar_programa(inexistente, nullptr), -1);
    const char* existente[] = {programa.c_str(), nullptr};
    EXPECT_EQ(plataforma::lancar_programa(existente, (pasta / "falta").c_str()), -1);
    const char* vazio[] = {nullptr};
    EXPECT_EQ(plataforma::lancar_programa(vazio, nullptr), -1);
    Sleep(300);
    EXPECT_FALSE(teste_windows::existe(registro));
}

// The default handler of a program file is to run it: the target's name is
// handed over whole, with no command line to read anything else from it.
TEST_F(Lancador, ProgramaPadraoAbreOAlvoNaPastaPedida) {
    std::string trabalho = pasta / "x & y";
    ASSERT_TRUE(CreateDirectoryA(trabalho.c_str(), nullptr));
    ASSERT_EQ(plataforma::abrir_com_programa_padrao(programa.c_str(), trabalho.c_str()), 0);
    ASSERT_TRUE(esperar_registro());
    EXPECT_EQ(teste_windows::ler_arquivo(registro), pasta_longa(trabalho) + "\n");
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
    if (teste_windows::sob_wine() && !std::getenv("DISPLAY"))
        GTEST_SKIP() << "Wine without a display gives a new console no window";
    ASSERT_EQ(filho_interpretador(), 0u);
    ASSERT_EQ(plataforma::abrir_terminal("/"), 0);
    DWORD pid = 0;
    ASSERT_TRUE(teste_windows::esperar_ate([&] { return (pid = filho_interpretador()) != 0; }));
    HANDLE prompt = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(WaitForSingleObject(prompt, 500), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the prompt must stay open";
    TerminateProcess(prompt, 0);
    WaitForSingleObject(prompt, 5000);
    CloseHandle(prompt);
}

}  // namespace
