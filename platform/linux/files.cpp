// Files on Linux: reading only regular files, and writing a file whole or not
// at all through a temporary file renamed over the destination.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace plataforma {
namespace {

bool copiar_caminho(char* destino, std::size_t largura, const char* origem) {
    std::size_t n = std::strlen(origem);
    if (n >= largura) return false;
    std::memcpy(destino, origem, n + 1);
    return true;
}

// The file a path leads to: a link's final target, or the path itself when
// nothing is there yet. ENOENT is kept for a dangling link.
bool resolver_destino(const char* caminho, char* destino, std::size_t largura, int& erro) {
    char real[PATH_MAX];
    if (realpath(caminho, real) != nullptr) {
        if (copiar_caminho(destino, largura, real)) return true;
        erro = ENAMETOOLONG;
        return false;
    }
    struct stat info;
    if (errno == ENOENT && lstat(caminho, &info) != 0 && errno == ENOENT) {
        if (copiar_caminho(destino, largura, caminho)) return true;
        erro = ENAMETOOLONG;
        return false;
    }
    erro = errno;
    return false;
}

mode_t permissoes_de_arquivo_novo() {
    mode_t mascara = umask(0);
    umask(mascara);
    return 0666 & ~mascara;
}

// The temporary file: hidden, beside the destination (so the rename stays on
// one file system), with a unique name.
std::FILE* criar_temporario(gravacao_de_arquivo& g) {
    const char* barra = std::strrchr(g.destino, '/');
    std::size_t pasta = barra ? static_cast<std::size_t>(barra - g.destino + 1) : 0;
    int n = std::snprintf(g.caminho_temporario, sizeof g.caminho_temporario, "%.*s.%s.XXXXXX",
                          static_cast<int>(pasta), g.destino, g.destino + pasta);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof g.caminho_temporario) {
        g.erro = ENAMETOOLONG;
        g.caminho_temporario[0] = '\0';
        return nullptr;
    }
    int descritor = mkostemp(g.caminho_temporario, O_CLOEXEC);
    if (descritor < 0) {
        g.erro = errno;
        g.caminho_temporario[0] = '\0';
        return nullptr;
    }
    std::FILE* f = fdopen(descritor, "wb");
    if (f == nullptr) {
        g.erro = errno;
        close(descritor);
    }
    return f;
}

bool copiar_conteudo_atual(gravacao_de_arquivo& g, std::FILE* atual) {
    char bloco[8192];
    std::size_t lidos;
    while ((lidos = std::fread(bloco, 1, sizeof bloco, atual)) > 0) {
        if (!gravar(g, bloco, lidos)) return false;
    }
    if (std::ferror(atual)) g.erro = EIO;
    return g.erro == 0;
}

// Checks what is at the destination and prepares the temporary file's
// permissions and starting content for the chosen mode.
bool preparar_destino(gravacao_de_arquivo& g, modo_de_gravacao modo) {
    struct stat info;
    if (stat(g.destino, &info) != 0) {
        if (errno != ENOENT) {
            g.erro = errno;
            return false;
        }
        if (fchmod(fileno(g.temporario), permissoes_de_arquivo_novo()) == 0) return true;
        g.erro = errno;
        return false;
    }
    if (modo == modo_de_gravacao::criar) {
        g.erro = EEXIST;
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        g.erro = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (fchmod(fileno(g.temporario), info.st_mode & 07777) != 0) {
        g.erro = errno;
        return false;
    }
    if (modo != modo_de_gravacao::anexar) return true;
    std::FILE* atual = abrir_arquivo_regular(g.destino);
    if (atual == nullptr) {
        g.erro = errno ? errno : EINVAL;
        return false;
    }
    bool copiado = copiar_conteudo_atual(g, atual);
    std::fclose(atual);
    return copiado;
}

void sincronizar_pasta(const char* arquivo) {
    char pasta[1024];
    if (!copiar_caminho(pasta, sizeof pasta, arquivo)) return;
    char* barra = std::strrchr(pasta, '/');
    if (barra == nullptr) copiar_caminho(pasta, sizeof pasta, ".");
    else if (barra == pasta) barra[1] = '\0';
    else *barra = '\0';
    int descritor = open(pasta, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descritor < 0) return;
    fsync(descritor);
    close(descritor);
}

}  // namespace

std::FILE* abrir_arquivo_regular(const char* caminho) {
    // Non-blocking, so a FIFO is refused instead of waited on.
    int descritor = open(caminho, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descritor < 0) return nullptr;
    struct stat info;
    int erro = fstat(descritor, &info) != 0 ? errno
               : S_ISDIR(info.st_mode)     ? EISDIR
               : !S_ISREG(info.st_mode)    ? EINVAL
                                           : 0;
    if (erro != 0) {
        close(descritor);
        errno = erro;
        return nullptr;
    }
    fcntl(descritor, F_SETFL, fcntl(descritor, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = fdopen(descritor, "rb");
    if (f == nullptr) close(descritor);
    return f;
}

bool iniciar_gravacao(gravacao_de_arquivo& g, const char* caminho, modo_de_gravacao modo) {
    g = gravacao_de_arquivo{};
    struct stat ligacao;
    if (modo == modo_de_gravacao::criar && lstat(caminho, &ligacao) == 0) {
        g.erro = EEXIST;
        return false;
    }
    if (!resolver_destino(caminho, g.destino, sizeof g.destino, g.erro)) return false;
    g.temporario = criar_temporario(g);
    if (g.temporario == nullptr) return false;
    if (preparar_destino(g, modo)) return true;
    int erro = g.erro;
    desistir_da_gravacao(g);
    g.erro = erro;
    return false;
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
    if (g.erro == 0 && std::fflush(g.temporario) != 0) g.erro = errno;
    if (g.erro == 0 && fsync(fileno(g.temporario)) != 0) g.erro = errno;
    if (std::fclose(g.temporario) != 0 && g.erro == 0) g.erro = errno;
    g.temporario = nullptr;
    if (g.erro == 0 && std::rename(g.caminho_temporario, g.destino) != 0) g.erro = errno;
    if (g.erro != 0) {
        unlink(g.caminho_temporario);
        g.caminho_temporario[0] = '\0';
        return false;
    }
    g.caminho_temporario[0] = '\0';
    sincronizar_pasta(g.destino);
    return true;
}

void desistir_da_gravacao(gravacao_de_arquivo& g) {
    if (g.temporario) std::fclose(g.temporario);
    g.temporario = nullptr;
    if (g.caminho_temporario[0]) unlink(g.caminho_temporario);
    g.caminho_temporario[0] = '\0';
}

int ultimo_erro() { return errno; }

void texto_do_erro(int erro, char* destino, std::size_t largura) {
    if (largura == 0) return;
    char texto[256];
    // The GNU strerror_r, which may hand back a text of its own.
    const char* mensagem = strerror_r(erro, texto, sizeof texto);
    std::snprintf(destino, largura, "%s", mensagem);
}

}  // namespace plataforma
