// Processes on Windows: this program as Tool Help names it, and a child the
// test starts, named while it runs and unknown once it has ended.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/processes_system.h"
#include "support/test_support.h"

namespace processo_do_sistema {

int32_t este_processo() { return static_cast<int32_t>(GetCurrentProcessId()); }

std::string este_programa() {
    char caminho[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, caminho, sizeof caminho);
    return std::string(caminho, n);
}

}  // namespace processo_do_sistema

namespace {

std::string nome_base(const std::string& caminho) {
    return caminho.substr(caminho.find_last_of('\\') + 1);
}

// A command interpreter kept waiting on a pipe the test holds, copied under a
// name with letters outside Latin-1 and outside code page 1252 (\u0141, \u017a)
// and one outside Latin-1 only (\u20ac): named in Latin-1 with "?" for each
// while it runs, unknown once it has ended.
TEST(Processos, FilhoEnquantoViveEDepoisDeTerminar) {
    teste::PastaTemporaria pasta;
    wchar_t sistema[MAX_PATH];
    GetSystemDirectoryW(sistema, MAX_PATH);
    std::wstring interpretador = std::wstring(pasta.caminho().begin(), pasta.caminho().end()) +
                                 L"\\\u0141\u00f3d\u017a\u20ac.exe";
    ASSERT_TRUE(CopyFileW((std::wstring(sistema) + L"\\cmd.exe").c_str(), interpretador.c_str(), FALSE));
    const char* const nome_em_latin1 = "?\xf3" "d??.exe";
    SECURITY_ATTRIBUTES herdavel{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE leitura, escrita;
    ASSERT_TRUE(CreatePipe(&leitura, &escrita, &herdavel, 0));
    SetHandleInformation(escrita, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW inicio{};
    inicio.cb = sizeof inicio;
    inicio.dwFlags = STARTF_USESTDHANDLES;
    inicio.hStdInput = leitura;
    // No output handle: nothing of the child holds the output ctest waits on.
    inicio.hStdOutput = inicio.hStdError = nullptr;
    PROCESS_INFORMATION filho{};
    std::wstring linha = L"\"" + interpretador + L"\" /q /k";
    ASSERT_TRUE(CreateProcessW(interpretador.c_str(), &linha[0], nullptr, nullptr, TRUE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &inicio, &filho));
    CloseHandle(leitura);
    int32_t pid = static_cast<int32_t>(filho.dwProcessId);

    char nome[128], caminho[256];
    plataforma::identidade_processo id =
        plataforma::identificar_processo(pid, nome, sizeof nome, caminho, sizeof caminho);
    EXPECT_TRUE(id.existe);
    EXPECT_STREQ(nome, nome_em_latin1);
    EXPECT_TRUE(id.tem_caminho);
    EXPECT_EQ(nome_base(caminho), nome_em_latin1) << caminho;

    TerminateProcess(filho.hProcess, 0);
    WaitForSingleObject(filho.hProcess, 10000);
    CloseHandle(escrita);
    CloseHandle(filho.hThread);
    CloseHandle(filho.hProcess);
    EXPECT_TRUE(teste::esperar_ate(
        [&] { return !plataforma::nome_do_processo(pid, nome, sizeof nome); }));
    EXPECT_FALSE(plataforma::caminho_do_executavel(pid, caminho, sizeof caminho));
}

}  // namespace
