// Starting other programs on Linux: detached (double fork, own session), no
// shell in between, output discarded, never waited for; with the user's
// environment and none of the program's descriptors. Those that open
// something for the user are watched from a thread of their own instead, so an
// error they answer with reaches the user.
#include <fcntl.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
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

// A program started for the user and watched until it ends, so an error it
// answers with can be told. The slots are few and fixed: a program started
// while all are busy is detached and not watched.
struct acompanhamento {
    pid_t pid;
    char programa[64];
    char contexto[512];
    aviso_de_falha_ao_abrir aviso;
};
constexpr int vagas_de_acompanhamento = 8;
acompanhamento acompanhamentos[vagas_de_acompanhamento];
int vaga_ocupada[vagas_de_acompanhamento];

void* acompanhar(void* vaga) {
    acompanhamento& a = *static_cast<acompanhamento*>(vaga);
    int status = 0;
    while (waitpid(a.pid, &status, 0) < 0 && errno == EINTR) {
    }
    int codigo = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (codigo != 0) a.aviso({a.programa, 0, codigo, a.contexto});
    __atomic_store_n(&vaga_ocupada[&a - acompanhamentos], 0, __ATOMIC_SEQ_CST);
    return nullptr;
}

acompanhamento* reservar_vaga() {
    for (int i = 0; i < vagas_de_acompanhamento; ++i) {
        if (__atomic_exchange_n(&vaga_ocupada[i], 1, __ATOMIC_SEQ_CST) == 0) return &acompanhamentos[i];
    }
    return nullptr;
}

void liberar_vaga(acompanhamento* a) {
    __atomic_store_n(&vaga_ocupada[a - acompanhamentos], 0, __ATOMIC_SEQ_CST);
}

// Starts the program as a child in a session of its own and hands it to a
// watching thread. The system's error when it could not start, else 0.
int lancar_acompanhado(const char* const argumentos[], const char* pasta, acompanhamento& a) {
    std::vector<char*> guarda;
    char* const* ambiente = filhos::ambiente_do_usuario(guarda);
    int aviso[2];
    if (pipe2(aviso, O_CLOEXEC) != 0) return errno;
    pid_t filho = fork();
    if (filho < 0) {
        int erro = errno;
        close(aviso[0]);
        close(aviso[1]);
        return erro;
    }
    if (filho == 0) {
        close(aviso[0]);
        setsid();
        executar_neto(argumentos, pasta, ambiente, aviso[1]);
    }
    close(aviso[1]);
    int erro = 0;
    ssize_t lidos;
    while ((lidos = read(aviso[0], &erro, sizeof erro)) < 0 && errno == EINTR) {
    }
    close(aviso[0]);
    if (lidos != 0) {
        while (waitpid(filho, nullptr, 0) < 0 && errno == EINTR) {
        }
        return erro != 0 ? erro : EIO;
    }
    a.pid = filho;
    pthread_t fio;
    pthread_attr_t atributos;
    pthread_attr_init(&atributos);
    pthread_attr_setdetachstate(&atributos, PTHREAD_CREATE_DETACHED);
    // Without its thread the child goes unwatched: it stays a zombie once it
    // ends, rather than be waited for here.
    if (pthread_create(&fio, &atributos, acompanhar, &a) != 0) liberar_vaga(&a);
    pthread_attr_destroy(&atributos);
    return 0;
}

// Starts a program to open something for the user, watched when `aviso` is
// given and a slot is free. 0 when started, else the system's error.
int lancar_para_o_usuario(const char* const argumentos[], const char* pasta,
                          aviso_de_falha_ao_abrir aviso, const char* contexto) {
    acompanhamento* a = aviso ? reservar_vaga() : nullptr;
    if (a == nullptr) return lancar_programa(argumentos, pasta) == 0 ? 0 : ENOENT;
    a->aviso = aviso;
    std::snprintf(a->programa, sizeof a->programa, "%s", argumentos[0]);
    std::snprintf(a->contexto, sizeof a->contexto, "%s", contexto ? contexto : "");
    int erro = lancar_acompanhado(argumentos, pasta, *a);
    if (erro != 0) liberar_vaga(a);
    return erro;
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

int abrir_com_programa_padrao(const char* alvo, const char* pasta,
                              aviso_de_falha_ao_abrir aviso, const char* contexto) {
    const char* argumentos[] = {"xdg-open", alvo, nullptr};
    int erro = lancar_para_o_usuario(argumentos, pasta, aviso, contexto);
    if (erro != 0 && aviso) aviso({"xdg-open", erro, 0, contexto ? contexto : ""});
    return erro == 0 ? 0 : -1;
}

int abrir_terminal(const char* pasta, aviso_de_falha_ao_abrir aviso, const char* contexto) {
    static const char* const terminais[] = {"x-terminal-emulator", "xterm", "gnome-terminal",
                                            "konsole", "xfce4-terminal", "lxterminal"};
    int erro = ENOENT;
    for (const char* terminal : terminais) {
        const char* argumentos[] = {terminal, nullptr};
        erro = lancar_para_o_usuario(argumentos, pasta, aviso, contexto);
        if (erro == 0) return 0;
    }
    if (aviso) aviso({"x-terminal-emulator", erro, 0, contexto ? contexto : ""});
    return -1;
}

}  // namespace plataforma
