// The Windows part of the test support (the portable part is in
// test_support.cpp): the environment calls the tests share with POSIX, the
// shell commands, the user's folders.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "support/windows/posix_environment.h"

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

// The user's folders moved, with the system's default for each (what is put
// back when the folder recorded before is not there any more).
const struct {
    const char* valor;
    const char* sob_a_casa;
    const char* padrao;
} pastas_movidas[] = {
    {"Personal", "\\Documents", "%USERPROFILE%\\Documents"},
    {"Local AppData", "\\AppData\\Local", "%USERPROFILE%\\AppData\\Local"},
};

// The record as it was, to put back: none when there was none.
std::optional<std::string> registrada(const char* valor, const char* padrao) {
    char pasta[4096];
    if (!plataforma::pasta_registrada(valor, padrao, pasta, sizeof pasta)) return std::nullopt;
    return std::string(pasta);
}

void registrar(const std::string& valor, const std::optional<std::string>& pasta) {
    plataforma::registrar_pasta(valor.c_str(), pasta ? pasta->c_str() : nullptr);
}

}  // namespace

// `casa` in UTF-8, so that a user's folder of any name can be tried.
PastasDoUsuarioEm::PastasDoUsuarioEm(const std::string& casa) {
    for (const auto& pasta : pastas_movidas) {
        antes_.emplace_back(pasta.valor, registrada(pasta.valor, pasta.padrao));
        registrar(pasta.valor, casa + pasta.sob_a_casa);
    }
}

PastasDoUsuarioEm::~PastasDoUsuarioEm() {
    for (const auto& antes : antes_) registrar(antes.first, antes.second);
}

void PastasDoUsuarioEm::documentos_em(const std::string& pasta) { registrar("Personal", pasta); }

}  // namespace teste
