#include "support/test_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace teste {

// A new folder of a random name under the system's temporary folder; creating
// it fails when the name is taken, so two test programs never share one.
PastaTemporaria::PastaTemporaria() {
    std::random_device semente;
    std::mt19937_64 sorteio(semente());
    const auto base = std::filesystem::temp_directory_path();
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        const auto pasta = base / ("quorvex_teste_" + std::to_string(sorteio() % 1000000000));
        std::error_code erro;
        if (std::filesystem::create_directory(pasta, erro)) {
            std::filesystem::permissions(pasta, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, erro);
            caminho_ = pasta.generic_string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}

PastaTemporaria::~PastaTemporaria() {
    std::error_code erro;
    std::filesystem::permissions(caminho_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, erro);
    std::filesystem::remove_all(caminho_, erro);
}

std::string caminho_nativo(const std::string& caminho) {
    return std::filesystem::path(caminho).make_preferred().string();
}

void escrever_arquivo(const std::string& caminho, const std::string& conteudo) {
    std::filesystem::create_directories(std::filesystem::path(caminho).parent_path());
    std::ofstream arquivo(caminho, std::ios::binary);
    arquivo << conteudo;
}

std::string ler_arquivo(const std::string& caminho) {
    std::ifstream arquivo(caminho, std::ios::binary);
    std::stringstream conteudo;
    conteudo << arquivo.rdbuf();
    return conteudo.str();
}

bool existe(const std::string& caminho) { return std::filesystem::exists(caminho); }

std::vector<std::string> nomes_em(const std::string& pasta) {
    std::vector<std::string> nomes;
    for (const auto& entrada : std::filesystem::directory_iterator(pasta))
        nomes.push_back(entrada.path().filename().string());
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

bool em_rede_privada() {
    const char* marca = std::getenv("QUORVEX_REDE_PRIVADA");
    return marca != nullptr && std::strcmp(marca, "1") == 0;
}

}  // namespace teste
