// Folders on Linux: the XDG base and user directories.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/latin1_text.h"
#include "platform/platform.h"

namespace plataforma {

extern const char separador = '/';
namespace {

std::string pasta_pessoal() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd* usuario = getpwuid(getuid());
    return usuario && usuario->pw_dir ? usuario->pw_dir : "";
}

bool copiar_se_couber(const std::string& caminho, char* destino, std::size_t largura) {
    if (caminho.empty() || caminho.size() >= largura) return false;
    std::memcpy(destino, caminho.c_str(), caminho.size() + 1);
    return true;
}

bool criar_com_pais(const std::string& caminho) {
    for (std::size_t fim = 1; fim <= caminho.size(); ++fim) {
        if (fim != caminho.size() && caminho[fim] != '/') continue;
        std::string parte = caminho.substr(0, fim);
        if (mkdir(parte.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat info;
    return stat(caminho.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// user-dirs.dirs holds a dozen short lines; what lies beyond this is not read.
constexpr std::size_t tamanho_maximo_de_user_dirs = 64 * 1024;

// The value of XDG_<NOME>_DIR in user-dirs.dirs ("$HOME/..." or absolute), as
// xdg-user-dir reads it. Only a regular file is read (a FIFO or a device there
// is never waited on), and only its first tamanho_maximo_de_user_dirs bytes.
std::string pasta_de_usuario_configurada(const char* nome) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string arquivo = (config && config[0] == '/' ? std::string(config)
                                                      : pasta_pessoal() + "/.config") +
                          "/user-dirs.dirs";
    std::string chave = std::string("XDG_") + nome + "_DIR=";
    std::string valor;
    if (std::FILE* f = abrir_arquivo_regular(arquivo.c_str())) {
        char linha[1024];
        std::size_t lidos = 0;
        while (lidos < tamanho_maximo_de_user_dirs && std::fgets(linha, sizeof linha, f)) {
            lidos += std::strlen(linha) + 1;
            std::string texto(linha);
            std::size_t inicio = texto.find_first_not_of(" \t");
            if (inicio == std::string::npos || texto.compare(inicio, chave.size(), chave) != 0)
                continue;
            valor = texto.substr(inicio + chave.size());
            valor.erase(valor.find_last_not_of(" \t\r\n") + 1);
            if (valor.size() >= 2 && valor.front() == '"' && valor.back() == '"')
                valor = valor.substr(1, valor.size() - 2);
        }
        std::fclose(f);
    }
    if (valor.empty()) {
        const char* ambiente = std::getenv(chave.substr(0, chave.size() - 1).c_str());
        if (ambiente) valor = ambiente;
    }
    if (valor.compare(0, 5, "$HOME") == 0) valor = pasta_pessoal() + valor.substr(5);
    return valor.empty() || valor[0] != '/' ? "" : valor;
}

}  // namespace

bool diretorio_atual(char* destino, std::size_t largura) {
    return getcwd(destino, largura) != nullptr;
}

bool pasta_dados_locais(char* destino, std::size_t largura) {
    const char* dados = std::getenv("XDG_DATA_HOME");
    std::string caminho;
    if (dados && dados[0] == '/') caminho = dados;
    else if (!pasta_pessoal().empty()) caminho = pasta_pessoal() + "/.local/share";
    while (caminho.size() > 1 && caminho.back() == '/') caminho.pop_back();
    return !caminho.empty() && criar_com_pais(caminho) && copiar_se_couber(caminho, destino, largura);
}

bool pasta_documentos(char* destino, std::size_t largura) {
    std::string caminho = pasta_de_usuario_configurada("DOCUMENTS");
    if (caminho.empty() && !pasta_pessoal().empty()) caminho = pasta_pessoal() + "/Documents";
    while (caminho.size() > 1 && caminho.back() == '/') caminho.pop_back();
    return copiar_se_couber(caminho, destino, largura);
}

void caminho_para_exibir(const char* caminho, char* destino, std::size_t largura) {
    if (largura == 0) return;
    std::string texto = caminho;
    const std::string casa = pasta_pessoal();
    if (casa.size() > 1 && texto.compare(0, casa.size(), casa) == 0 &&
        (texto.size() == casa.size() || texto[casa.size()] == '/'))
        texto = "~" + texto.substr(casa.size());
    std::vector<char> latin1(texto.begin(), texto.end());
    latin1.push_back('\0');
    utf8_para_latin1(latin1.data());
    std::snprintf(destino, largura, "%s", latin1.data());
}

int mudar_diretorio(const char* caminho) { return chdir(caminho) == 0 ? 0 : -1; }

int criar_diretorio(const char* caminho) { return mkdir(caminho, 0755) == 0 ? 0 : -1; }

}  // namespace plataforma
