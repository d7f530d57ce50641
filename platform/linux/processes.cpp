// Processes by id, from /proc: the executable behind /proc/<pid>/exe, and the
// command name of /proc/<pid>/stat when that link cannot be read (kernel
// threads, processes that are exiting, other users' processes when not root).
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>

#include "platform/linux/privileges.h"
#include "platform/linux/proc_parsers.h"
#include "platform/linux/latin1_text.h"
#include "platform/platform.h"
#include "common/text.h"

namespace plataforma {

namespace {

bool ler_executavel(int32_t pid, char* caminho, std::size_t largura) {
    char link[32];
    std::snprintf(link, sizeof link, "/proc/%d/exe", pid);
    char alvo[PATH_MAX];
    ssize_t n = readlink(link, alvo, sizeof alvo - 1);
    if (n <= 0) return false;
    alvo[n] = '\0';
    proc::caminho_sem_removido(alvo, caminho, largura);
    return true;
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
    return proc::nome_no_stat(linha, nome, largura);
}

}  // namespace

identidade_processo identificar_processo(int32_t pid, char* nome, std::size_t largura_nome,
                                         char* caminho, std::size_t largura_caminho) {
    if (pid <= 0) return {false, false};
    // Another user's /proc/<pid>/exe can be read only with the capabilities raised.
    privilegios::leitura_de_processos leitura;
    char completo[PATH_MAX];
    if (ler_executavel(pid, completo, sizeof completo)) {
        utf8_para_latin1(completo);
        proc::nome_base(completo, nome, largura_nome);
        copiar_limitado(caminho, largura_caminho, completo);
        return {true, true};
    }
    bool existe = ler_nome_do_stat(pid, nome, largura_nome);
    if (existe) utf8_para_latin1(nome);
    return {existe, false};
}

}  // namespace plataforma
