// Files on Linux: reading only regular files, and the system's parts of writing
// a file whole or not at all through a temporary file renamed over the
// destination.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/platform.h"
#include "platform/shared/internal.h"

namespace plataforma {
namespace {

using sistema::copiar_caminho;

mode_t permissoes_de_arquivo_novo() {
    mode_t mascara = umask(0);
    umask(mascara);
    return 0666 & ~mascara;
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

// The destination's name inside one of criar_temporario's names
// (".<name>.XXXXXX", the six characters mkostemp's), or false.
bool destino_do_temporario(const char* nome, char* destino, std::size_t largura) {
    std::size_t n = std::strlen(nome);
    if (nome[0] != '.' || n < 9 || nome[n - 7] != '.') return false;
    for (const char* c = nome + n - 6; *c; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c))) return false;
    }
    std::size_t tamanho = n - 8;
    if (tamanho >= largura) return false;
    std::memcpy(destino, nome + 1, tamanho);
    destino[tamanho] = '\0';
    return true;
}

}  // namespace

// A dangling link counts: lstat does not follow it.
bool sistema::ha_algo_no_caminho(const char* caminho) {
    struct stat ligacao;
    return lstat(caminho, &ligacao) == 0;
}

// ENOENT is kept for a dangling link.
bool sistema::resolver_destino(const char* caminho, char* destino, std::size_t largura,
                               int& erro) {
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

// Hidden (a leading dot), beside the destination so the rename stays on one
// file system.
std::FILE* sistema::criar_temporario(gravacao_de_arquivo& g) {
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

// The temporary file gets the permissions of the file it replaces, or those
// of any new file of the user.
bool sistema::preparar_destino(gravacao_de_arquivo& g, modo_de_gravacao modo) {
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
    // A file the user made read-only is not replaced behind their back, even
    // where the folder would allow it (or the user is root, whom access()
    // lets write anything).
    if ((info.st_mode & 0222) == 0 || access(g.destino, W_OK) != 0) {
        g.erro = EACCES;
        return false;
    }
    if (fchmod(fileno(g.temporario), info.st_mode & 07777) != 0) {
        g.erro = errno;
        return false;
    }
    if (modo != modo_de_gravacao::anexar) return true;
    return copiar_conteudo_atual(g);
}

// The rename is followed by a sync of the folder, so the new name is on the
// disk too.
bool sistema::por_no_lugar(gravacao_de_arquivo& g) {
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

void sistema::apagar_temporario(const char* caminho) { unlink(caminho); }

void apagar_temporarios_abandonados(const char* pasta, bool (*e_destino)(const char* nome),
                                    unsigned idade_minima_s) {
    int descritor_da_pasta = open(pasta, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descritor_da_pasta < 0) return;
    DIR* entradas = fdopendir(descritor_da_pasta);
    if (entradas == nullptr) {
        close(descritor_da_pasta);
        return;
    }
    const std::time_t limite = std::time(nullptr) - static_cast<std::time_t>(idade_minima_s);
    while (dirent* entrada = readdir(entradas)) {
        char destino[256];
        struct stat info;
        if (!destino_do_temporario(entrada->d_name, destino, sizeof destino) || !e_destino(destino) ||
            fstatat(descritor_da_pasta, entrada->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_mtime > limite)
            continue;
        unlinkat(descritor_da_pasta, entrada->d_name, 0);
    }
    closedir(entradas);
}

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

void texto_do_erro(int erro, char* destino, std::size_t largura) {
    if (largura == 0) return;
    char texto[256];
    // The GNU strerror_r, which may hand back a text of its own.
    const char* mensagem = strerror_r(erro, texto, sizeof texto);
    std::snprintf(destino, largura, "%s", mensagem);
}

}  // namespace plataforma
