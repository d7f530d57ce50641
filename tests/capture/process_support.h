// Child processes for the capture tests: a copy of a system program under a
// chosen name, started and stopped by the test.
#pragma once
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <string>

namespace processos {

inline std::string alvo_do_link(const std::string& link) {
    char alvo[PATH_MAX];
    ssize_t n = readlink(link.c_str(), alvo, sizeof alvo - 1);
    if (n <= 0) return "";
    alvo[n] = '\0';
    return alvo;
}

inline bool copiar_programa(const std::string& origem, const std::string& destino) {
    std::ifstream entrada(origem, std::ios::binary);
    std::ofstream saida(destino, std::ios::binary);
    saida << entrada.rdbuf();
    saida.close();
    return entrada.good() && saida.good() && chmod(destino.c_str(), 0755) == 0;
}

// Runs `programa` with one argument, keeping descriptor `herdado` (if any)
// across the exec; returns once the child runs the new program.
inline pid_t iniciar(const std::string& programa, const char* argumento, int herdado = -1) {
    pid_t pid = fork();
    if (pid == 0) {
        for (int fd = 3; fd < 1024; ++fd) {
            if (fd != herdado) close(fd);
        }
        execl(programa.c_str(), programa.c_str(), argumento, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    for (int i = 0; i < 500 && alvo_do_link(exe).rfind(programa, 0) != 0; ++i) usleep(2000);
    return pid;
}

inline void encerrar(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// A process id that belongs to no process: a child that has ended and been
// reaped.
inline pid_t pid_livre() {
    pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

}  // namespace processos
