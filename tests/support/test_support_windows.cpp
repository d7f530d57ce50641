// The Windows part of the test support (the portable part is in
// test_support.cpp): the environment calls the tests share with POSIX, the
// shell commands, the memory in use, the user's documents folder.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "support/windows/ambiente_posix.h"

extern "C" int setenv(const char* nome, const char* valor, int substituir) {
    if (nome == nullptr || *nome == '\0' || valor == nullptr) return -1;
    if (!substituir && std::getenv(nome) != nullptr) return 0;
    return _putenv_s(nome, valor) == 0 ? 0 : -1;
}

extern "C" int unsetenv(const char* nome) {
    if (nome == nullptr || *nome == '\0') return -1;
    return _putenv_s(nome, "") == 0 ? 0 : -1;  // an empty value removes it
}

namespace teste {

std::string saida_de(const std::string& comando) {
    std::string saida;
    if (FILE* processo = _popen(comando.c_str(), "rb")) {
        char bloco[4096];
        std::size_t n;
        while ((n = std::fread(bloco, 1, sizeof bloco, processo)) > 0) saida.append(bloco, n);
        _pclose(processo);
    }
    return saida;
}

namespace {

// Where the shell keeps the user's folders; SHGetFolderPath reads it each time.
const char* const pastas_do_shell =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::optional<std::string> ler_pasta_do_shell(const char* nome) {
    char valor[MAX_PATH * 2];
    DWORD tamanho = sizeof valor;
    if (RegGetValueA(HKEY_CURRENT_USER, pastas_do_shell, nome,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, valor,
                     &tamanho) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(valor);
}

void gravar_pasta_do_shell(const char* nome, const std::optional<std::string>& valor) {
    HKEY chave;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, pastas_do_shell, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &chave, nullptr) != ERROR_SUCCESS)
        return;
    if (valor) {
        RegSetValueExA(chave, nome, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(valor->c_str()),
                       static_cast<DWORD>(valor->size() + 1));
    } else {
        RegDeleteValueA(chave, nome);
    }
    RegCloseKey(chave);
}

// A folder that is not there (left by a test that was stopped before it could
// put the folder back) is replaced with the system's own.
std::optional<std::string> documentos_a_repor() {
    std::optional<std::string> valor = ler_pasta_do_shell("Personal");
    if (!valor) return valor;
    char expandido[MAX_PATH * 2];
    DWORD tamanho = ExpandEnvironmentStringsA(valor->c_str(), expandido, sizeof expandido);
    DWORD atributos = tamanho > 0 && tamanho <= sizeof expandido
                          ? GetFileAttributesA(expandido)
                          : INVALID_FILE_ATTRIBUTES;
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY)) return valor;
    return std::string("%USERPROFILE%\\Documents");
}

}  // namespace

PastasDoUsuarioEm::PastasDoUsuarioEm(const std::string& casa) {
    antes_.emplace_back("Personal", documentos_a_repor());
    documentos_em(casa + "/Documents");
}

PastasDoUsuarioEm::~PastasDoUsuarioEm() {
    for (const auto& [nome, valor] : antes_) gravar_pasta_do_shell(nome.c_str(), valor);
}

void PastasDoUsuarioEm::documentos_em(const std::string& pasta) {
    gravar_pasta_do_shell("Personal", caminho_nativo(pasta));
}

// The process's commit charge: the private memory it holds, the heap's large
// blocks included. (A walk of the heap would be closer to Linux's measure, but
// under Wine it does not see the large blocks, images among them.)
std::size_t memoria_em_uso() {
    PROCESS_MEMORY_COUNTERS contadores{};
    contadores.cb = sizeof contadores;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &contadores, sizeof contadores)) return 0;
    return contadores.PagefileUsage;
}

}  // namespace teste
