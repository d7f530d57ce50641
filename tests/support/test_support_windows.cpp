// The Windows part of the test support (the portable part is in
// test_support.cpp): the environment calls the tests share with POSIX, the
// shell commands, the user's documents folder.
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

// The record as it was, to put back: none when there was none.
std::optional<std::string> documentos_registrados() {
    char registrados[1024];
    if (!plataforma::documentos_registrados(registrados, sizeof registrados)) return std::nullopt;
    return std::string(registrados);
}

}  // namespace

PastasDoUsuarioEm::PastasDoUsuarioEm(const std::string& casa) {
    antes_.emplace_back("Personal", documentos_registrados());
    documentos_em(casa + "/Documents");
}

PastasDoUsuarioEm::~PastasDoUsuarioEm() {
    for (const auto& antes : antes_)
        plataforma::registrar_documentos(antes.second ? antes.second->c_str() : nullptr);
}

void PastasDoUsuarioEm::documentos_em(const std::string& pasta) {
    plataforma::registrar_documentos(caminho_nativo(pasta).c_str());
}

}  // namespace teste
