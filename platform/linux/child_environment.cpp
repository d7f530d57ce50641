#include "platform/linux/child_environment.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace plataforma::filhos {
namespace {

// The variables the program set (the video driver) and, for each, the
// user's own "NAME=value" when the user had set it.
struct definida {
    std::string nome;
    std::string original;
    bool havia;
};
std::vector<definida> definidas;

bool mesmo_nome(const char* entrada, const std::string& nome) {
    return std::strncmp(entrada, nome.c_str(), nome.size()) == 0 && entrada[nome.size()] == '=';
}

}  // namespace

void definir_para_o_sdl(const char* nome, const char* valor) {
    bool ja_definida = false;
    for (const definida& d : definidas) ja_definida = ja_definida || d.nome == nome;
    if (!ja_definida) {
        const char* antes = std::getenv(nome);
        definidas.push_back({nome, std::string(nome) + "=" + (antes ? antes : ""), antes != nullptr});
    }
    setenv(nome, valor, 1);
}

char* const* ambiente_do_usuario(std::vector<char*>& guarda) {
    guarda.clear();
    for (char** e = environ; *e != nullptr; ++e) {
        bool do_programa = false;
        for (const definida& d : definidas) do_programa = do_programa || mesmo_nome(*e, d.nome);
        if (!do_programa) guarda.push_back(*e);
    }
    for (definida& d : definidas) {
        if (d.havia) guarda.push_back(d.original.data());
    }
    guarda.push_back(nullptr);
    return guarda.data();
}

void nao_herdar_descritores() { close_range(3, ~0U, CLOSE_RANGE_CLOEXEC); }

}  // namespace plataforma::filhos
