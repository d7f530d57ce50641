// The Windows part of the test support (the portable part is in
// test_support.cpp): the environment calls the tests share with POSIX, the
// shell commands, the memory in use.
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
