#include "package_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace pacote {

std::string aspas(const std::string& texto) {
    std::string resultado = "'";
    for (char c : texto) resultado += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return resultado + "'";
}

resultado rodar(const std::string& comando, double limite_s) {
    teste::resultado_processo r = teste::executar({"/bin/sh", "-c", comando}, "/", {}, limite_s);
    return {r.status, r.saida, r.erros};
}

Pacote::Pacote() {
    // CPack reads the build folder's configuration; -B keeps its staging and
    // the package out of the build folder.
    teste::resultado_processo r = teste::executar(
        {"/usr/bin/env", "cpack", "-G", "DEB", "-B", pasta_.caminho()}, QUORVEX_RUN_DIR, {}, 120);
    relatorio_ = r.saida + r.erros;
    for (const auto& entrada : std::filesystem::directory_iterator(pasta_.caminho())) {
        if (entrada.path().extension() == ".deb") arquivo_ = entrada.path().string();
    }
}

std::string Pacote::nome_do_arquivo() const {
    return std::filesystem::path(arquivo_).filename().string();
}

std::string Pacote::campo(const std::string& nome) const {
    std::string valor = rodar("dpkg-deb -f " + aspas(arquivo_) + " " + nome).saida;
    while (!valor.empty() && (valor.back() == '\n' || valor.back() == ' ')) valor.pop_back();
    return valor;
}

std::vector<std::string> Pacote::conteudo() const {
    std::vector<std::string> linhas;
    std::istringstream lista(rodar("dpkg-deb -c " + aspas(arquivo_)).saida);
    for (std::string linha; std::getline(lista, linha);) linhas.push_back(linha);
    return linhas;
}

bool Pacote::extrair(const std::string& raiz) const {
    return rodar("dpkg-deb -x " + aspas(arquivo_) + " " + aspas(raiz)).status == 0;
}

bool Pacote::extrair_controle(const std::string& pasta) const {
    return rodar("dpkg-deb -e " + aspas(arquivo_) + " " + aspas(pasta)).status == 0;
}

bool ligar_fontes_do_sistema(const std::string& raiz) {
    std::error_code erro;
    std::filesystem::create_directories(raiz + "/usr/share", erro);
    std::filesystem::create_directory_symlink("/usr/share/fonts", raiz + "/usr/share/fonts", erro);
    return !erro;
}

std::vector<std::string> inventario(const std::string& pasta) {
    std::vector<std::string> linhas;
    for (const auto& e : std::filesystem::recursive_directory_iterator(pasta)) {
        struct stat info;
        if (lstat(e.path().c_str(), &info) != 0) continue;
        linhas.push_back(e.path().string() + " " + std::to_string(info.st_size) + " " +
                         std::to_string(info.st_mtim.tv_sec) + "." +
                         std::to_string(info.st_mtim.tv_nsec) + " " + std::to_string(info.st_mode));
    }
    std::sort(linhas.begin(), linhas.end());
    return linhas;
}

}  // namespace pacote
