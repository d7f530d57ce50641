// Writing a file whole or not at all: the steps, the same on every system,
// with each system's parts behind internal.h.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/shared/internal.h"

namespace plataforma {
namespace {

// Drops the temporary file, keeping the error that made the write fail.
bool desistir_pelo_erro(gravacao_de_arquivo& g) {
    int erro = g.erro;
    desistir_da_gravacao(g);
    g.erro = erro;
    return false;
}

}  // namespace

namespace sistema {

bool copiar_caminho(char* destino, std::size_t largura, const char* origem) {
    std::size_t n = std::strlen(origem);
    if (n >= largura) return false;
    std::memcpy(destino, origem, n + 1);
    return true;
}

bool copiar_conteudo_atual(gravacao_de_arquivo& g) {
    std::FILE* atual = abrir_arquivo_regular(g.destino);
    if (atual == nullptr) {
        g.erro = errno ? errno : EINVAL;
        return false;
    }
    char bloco[8192];
    std::size_t lidos;
    while ((lidos = std::fread(bloco, 1, sizeof bloco, atual)) > 0) {
        if (!gravar(g, bloco, lidos)) break;
    }
    if (g.erro == 0 && std::ferror(atual)) g.erro = EIO;
    std::fclose(atual);
    return g.erro == 0;
}

}  // namespace sistema

bool iniciar_gravacao(gravacao_de_arquivo& g, const char* caminho, modo_de_gravacao modo) {
    g = gravacao_de_arquivo{};
    if (modo == modo_de_gravacao::criar && sistema::ha_algo_no_caminho(caminho)) {
        g.erro = EEXIST;
        return false;
    }
    if (!sistema::resolver_destino(caminho, g.destino, sizeof g.destino, g.erro)) return false;
    // A temporary file the system made but could not open is removed too.
    g.temporario = sistema::criar_temporario(g);
    if (g.temporario == nullptr) return desistir_pelo_erro(g);
    if (sistema::preparar_destino(g, modo)) return true;
    return desistir_pelo_erro(g);
}

bool gravar(gravacao_de_arquivo& g, const void* dados, std::size_t tamanho) {
    if (g.erro != 0 || g.temporario == nullptr) return false;
    if (tamanho > 0 && std::fwrite(dados, 1, tamanho, g.temporario) != tamanho) {
        g.erro = errno ? errno : EIO;
        return false;
    }
    return true;
}

bool gravar_texto(gravacao_de_arquivo& g, const char* texto) {
    return gravar(g, texto, std::strlen(texto));
}

bool concluir_gravacao(gravacao_de_arquivo& g) {
    if (g.temporario == nullptr) {
        if (g.erro == 0) g.erro = EBADF;
        return false;
    }
    return sistema::por_no_lugar(g);
}

void desistir_da_gravacao(gravacao_de_arquivo& g) {
    if (g.temporario) std::fclose(g.temporario);
    g.temporario = nullptr;
    if (g.caminho_temporario[0]) sistema::apagar_temporario(g.caminho_temporario);
    g.caminho_temporario[0] = '\0';
}

// abrir_arquivo_regular leaves its reason in errno on every system, as the C
// runtime's calls do.
int ultimo_erro() { return errno; }

}  // namespace plataforma
