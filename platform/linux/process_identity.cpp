#include "platform/linux/process_identity.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/text.h"
#include "platform/linux/proc_parsers.h"

namespace plataforma::proc {

namespace {

// 0 when read, else the system's error.
int ler_executavel(int32_t pid, char* caminho, std::size_t largura) {
    char link[32];
    std::snprintf(link, sizeof link, "/proc/%d/exe", pid);
    char alvo[PATH_MAX];
    ssize_t n = readlink(link, alvo, sizeof alvo - 1);
    if (n <= 0) return n == 0 ? ENOENT : errno;
    alvo[n] = '\0';
    caminho_sem_removido(alvo, caminho, largura);
    return 0;
}

bool ler_nome_do_stat(int32_t pid, char* nome, std::size_t largura) {
    char caminho[32];
    std::snprintf(caminho, sizeof caminho, "/proc/%d/stat", pid);
    int fd = open(caminho, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char linha[1024];
    ssize_t n = read(fd, linha, sizeof linha - 1);
    close(fd);
    if (n <= 0) return false;
    linha[n] = '\0';
    return nome_no_stat(linha, nome, largura);
}

}  // namespace

identidade_crua ler_identidade(int32_t pid, char* nome, std::size_t largura_nome, char* caminho,
                               std::size_t largura_caminho) {
    if (pid <= 0) return {false, false, false};
    int erro = ler_executavel(pid, caminho, largura_caminho);
    if (erro == 0) {
        nome_base(caminho, nome, largura_nome);
        return {true, true, false};
    }
    bool recusada = erro == EACCES || erro == EPERM;
    return {ler_nome_do_stat(pid, nome, largura_nome), false, recusada};
}

}  // namespace plataforma::proc
