// Processes by id through Tool Help: this program, a child it starts and ends,
// and identifiers that name no process (0 among them: a module snapshot of 0
// would describe the caller).
#include <gtest/gtest.h>

#include <string>

#include "support_windows.h"
#include "support/platform_services.h"

namespace {

std::string nome_base(const std::string& caminho) {
    return caminho.substr(caminho.find_last_of('\\') + 1);
}

bool sem_diferenca_de_caixa(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

TEST(Processos, EstePrograma) {
    int32_t pid = static_cast<int32_t>(GetCurrentProcessId());
    std::string proprio = teste_windows::este_programa();
    char nome[128], caminho[256];
    plataforma::identidade_processo id =
        plataforma::identificar_processo(pid, nome, sizeof nome, caminho, sizeof caminho);
    ASSERT_TRUE(id.existe);
    ASSERT_TRUE(id.tem_caminho);
    EXPECT_TRUE(sem_diferenca_de_caixa(nome, nome_base(proprio))) << nome << " vs " << proprio;
    EXPECT_TRUE(sem_diferenca_de_caixa(caminho, proprio)) << caminho << " vs " << proprio;

    char so_nome[128], so_caminho[256];
    ASSERT_TRUE(plataforma::nome_do_processo(pid, so_nome, sizeof so_nome));
    ASSERT_TRUE(plataforma::caminho_do_executavel(pid, so_caminho, sizeof so_caminho));
    EXPECT_STREQ(so_nome, nome);
    EXPECT_STREQ(so_caminho, caminho);
}

TEST(Processos, TextosLongosSaoCortadosNaLargura) {
    int32_t pid = static_cast<int32_t>(GetCurrentProcessId());
    char nome[6], caminho[6];
    plataforma::identidade_processo id =
        plataforma::identificar_processo(pid, nome, sizeof nome, caminho, sizeof caminho);
    ASSERT_TRUE(id.existe);
    EXPECT_EQ(std::string(nome), nome_base(teste_windows::este_programa()).substr(0, 5));
    EXPECT_EQ(std::string(caminho), teste_windows::este_programa().substr(0, 5));
}

TEST(Processos, IdentificadorSemProcesso) {
    char nome[128] = "antes", caminho[256] = "antes";
    for (int32_t pid : {0, -4, 0x7FFFFFF0}) {
        plataforma::identidade_processo id =
            plataforma::identificar_processo(pid, nome, sizeof nome, caminho, sizeof caminho);
        EXPECT_FALSE(id.existe) << pid;
        EXPECT_FALSE(id.tem_caminho) << pid;
        EXPECT_FALSE(plataforma::nome_do_processo(pid, nome, sizeof nome)) << pid;
        EXPECT_FALSE(plataforma::caminho_do_executavel(pid, caminho, sizeof caminho)) << pid;
    }
}

// A command interpreter kept waiting on a pipe the test holds; named while it
// runs, unknown once it has ended.
TEST(Processos, FilhoEnquantoViveEDepoisDeTerminar) {
    char sistema[MAX_PATH];
    GetSystemDirectoryA(sistema, sizeof sistema);
    std::string interpretador = std::string(sistema) + "\\cmd.exe";
    SECURITY_ATTRIBUTES herdavel{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE leitura, escrita;
    ASSERT_TRUE(CreatePipe(&leitura, &escrita, &herdavel, 0));
    SetHandleInformation(escrita, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA inicio{};
    inicio.cb = sizeof inicio;
    inicio.dwFlags = STARTF_USESTDHANDLES;
    inicio.hStdInput = leitura;
    inicio.hStdOutput = inicio.hStdError = GetStdHandle(STD_OUTPUT_HANDLE);
    PROCESS_INFORMATION filho{};
    std::string linha = "\"" + interpretador + "\" /q /k";
    ASSERT_TRUE(CreateProcessA(interpretador.c_str(), &linha[0], nullptr, nullptr, TRUE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &inicio, &filho));
    CloseHandle(leitura);
    int32_t pid = static_cast<int32_t>(filho.dwProcessId);

    char nome[128], caminho[256];
    plataforma::identidade_processo id =
        plataforma::identificar_processo(pid, nome, sizeof nome, caminho, sizeof caminho);
    EXPECT_TRUE(id.existe);
    EXPECT_TRUE(sem_diferenca_de_caixa(nome, "cmd.exe")) << nome;
    EXPECT_TRUE(id.tem_caminho);
    EXPECT_TRUE(sem_diferenca_de_caixa(nome_base(caminho), "cmd.exe")) << caminho;

    TerminateProcess(filho.hProcess, 0);
    WaitForSingleObject(filho.hProcess, 10000);
    CloseHandle(escrita);
    CloseHandle(filho.hThread);
    CloseHandle(filho.hProcess);
    EXPECT_TRUE(teste_windows::esperar_ate(
        [&] { return !plataforma::nome_do_processo(pid, nome, sizeof nome); }));
    EXPECT_FALSE(plataforma::caminho_do_executavel(pid, caminho, sizeof caminho));
}

}  // namespace
