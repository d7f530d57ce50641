// Starting other programs on Linux: detached (double fork, own session), no
// shell in between, output discarded, never waited for; with the user's
// environment and none of the program's descriptors.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "platform/linux/child_environment.h"
#include "platform/platform.h"

namespace plataforma {
namespace {

[[noreturn]] void executar_neto(const char* const argumentos[], const char* pasta,
                                char* const* ambiente, int aviso_de_falha) {
    filhos::nao_herdar_descritores();
    int nulo = open("/dev/null", O_RDWR);
    if (nulo >= 0) {
        dup2(nulo, 0);
        dup2(nulo, 1);
        dup2(nulo, 2);
    }
    if (pasta && chdir(pasta) != 0) {
        int erro = errno;
        (void)!write(aviso_de_falha, &erro, sizeof erro);
        _exit(127);
    }
    execvpe(argumentos[0], const_cast<char* const*>(argumentos), ambiente);
    int erro = errno;
    (void)!write(aviso_de_falha, &erro, sizeof erro);
    _exit(127);
}

}  // namespace

int lancar_programa(const char* const argumentos[], const char* pasta) {
    if (argumentos == nullptr || argumentos[0] == nullptr) return -1;
    // The pipe closes on a successful exec, so reading it tells whether the
    // program started without waiting for the program itself.
    std::vector<char*> guarda;
    char* const* ambiente = filhos::ambiente_do_usuario(guarda);
    int aviso[2];
    if (pipe2(aviso, O_CLOEXEC) != 0) return -1;
    pid_t filho = fork();
    if (filho < 0) {
        close(aviso[0]);
        close(aviso[1]);
        return -1;
    }
    if (filho == 0) {
        close(aviso[0]);
        setsid();
        if (fork() == 0) executar_neto(argumentos, pasta, ambiente, aviso[1]);
        _exit(0);
    }
    close(aviso[1]);
    int status;
    while (waitpid(filho, &status, 0) < 0 && errno == EINTR) {
    }
    int erro = 0;
    ssize_t lidos;
    while ((lidos = read(aviso[0], &erro, sizeof erro)) < 0 && errno == EINTR) {
    }
    close(aviso[0]);
    return lidos == 0 ? 0 : -1;
}

int abrir_com_programa_padrao(const char* alvo, const char* pasta) {
    const char* argumentos[] = {"xdg-open", alvo, nullptr};
    return lancar_programa(argumentos, pasta);
}

int abrir_terminal(const char* pasta) {
    static const char* const terminais[] = {"x-terminal-emulator", "xterm", "gnome-terminal",
                                            "konsole", "xfce4-terminal", "lxterminal"};
    for (const char* terminal : terminais) {
        const char* argumentos[] = {terminal, nullptr};
        if (lancar_programa(argumentos, pasta) == 0) return 0;
    }
    return -1;
}

}  // namespace plataforma
