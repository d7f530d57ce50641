// The POSIX part of the test support: running programs, Xvfb, the process's
// threads, shell commands, a disk of its own, recorded dialogs, the heap in
// use, the user's folders. The portable part is in test_support.cpp.
#include "support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace teste {

namespace {
std::vector<std::string> montar_ambiente(const std::vector<std::string>& mudancas) {
    std::vector<std::string> ambiente;
    for (char** e = environ; *e; ++e) ambiente.emplace_back(*e);
    for (const auto& mudanca : mudancas) {
        std::string nome = mudanca.substr(0, mudanca.find('=') + 1);
        for (auto it = ambiente.begin(); it != ambiente.end();) {
            it = it->compare(0, nome.size(), nome) == 0 ? ambiente.erase(it) : it + 1;
        }
        if (mudanca.size() > nome.size()) ambiente.push_back(mudanca);
    }
    return ambiente;
}

void ler_disponivel(int fd, std::string& destino, bool& aberto) {
    char bloco[4096];
    ssize_t n = read(fd, bloco, sizeof bloco);
    if (n > 0) destino.append(bloco, n);
    else aberto = false;
}
}  // namespace

resultado_processo executar(const std::vector<std::string>& argumentos,
                            const std::string& pasta,
                            const std::vector<std::string>& ambiente, double limite_s) {
    std::vector<std::string> env = montar_ambiente(ambiente);
    int saida[2], erros[2];
    if (pipe(saida) != 0 || pipe(erros) != 0) throw std::runtime_error("pipe");
    pid_t pid = fork();
    if (pid == 0) {
        dup2(saida[1], 1);
        dup2(erros[1], 2);
        close(saida[0]);
        close(erros[0]);
        int nulo = open("/dev/null", O_RDONLY);
        dup2(nulo, 0);
        setpgid(0, 0);
        if (chdir(pasta.c_str()) != 0) _exit(127);
        std::vector<char*> argv, envp;
        for (auto& a : argumentos) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(saida[1]);
    close(erros[1]);
    resultado_processo resultado;
    bool saida_aberta = true, erros_abertos = true;
    auto limite = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(static_cast<long>(limite_s * 1000));
    while (saida_aberta || erros_abertos) {
        pollfd fds[2] = {{saida[0], POLLIN, 0}, {erros[0], POLLIN, 0}};
        int restante = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            limite - std::chrono::steady_clock::now())
                                            .count());
        if (restante <= 0) break;
        if (poll(fds, 2, restante) <= 0) continue;
        if (saida_aberta && (fds[0].revents & (POLLIN | POLLHUP)))
            ler_disponivel(saida[0], resultado.saida, saida_aberta);
        if (erros_abertos && (fds[1].revents & (POLLIN | POLLHUP)))
            ler_disponivel(erros[0], resultado.erros, erros_abertos);
    }
    int status = 0;
    if (saida_aberta || erros_abertos) kill(-pid, SIGKILL);
    waitpid(pid, &status, 0);
    close(saida[0]);
    close(erros[0]);
    resultado.terminou = WIFEXITED(status);
    resultado.status = resultado.terminou ? WEXITSTATUS(status) : -1;
    return resultado;
}

TelaVirtual::TelaVirtual() {
    for (int numero = 50 + getpid() % 100; numero < 400; ++numero) {
        std::string trava = "/tmp/.X" + std::to_string(numero) + "-lock";
        std::string soquete = "/tmp/.X11-unix/X" + std::to_string(numero);
        if (existe(trava) || existe(soquete)) continue;
        nome_ = ":" + std::to_string(numero);
        pid_t pid = fork();
        if (pid == 0) {
            int nulo = open("/dev/null", O_RDWR);
            dup2(nulo, 1);
            dup2(nulo, 2);
            execlp("Xvfb", "Xvfb", nome_.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && !existe(soquete); ++i) usleep(50000);
        int status;
        if (existe(soquete) && waitpid(pid, &status, WNOHANG) == 0) {
            pid_ = pid;
            return;
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}

TelaVirtual::~TelaVirtual() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status;
    waitpid(pid_, &status, 0);
}

std::string saida_de(const std::string& comando) {
    std::string saida;
    if (FILE* processo = popen(comando.c_str(), "r")) {
        char bloco[4096];
        std::size_t n;
        while ((n = fread(bloco, 1, sizeof bloco, processo)) > 0) saida.append(bloco, n);
        pclose(processo);
    }
    return saida;
}

namespace {
// One private mount namespace for the thread that mounts, made at first use;
// mounts made in it are not seen by the rest of the machine.
bool namespace_de_montagem_privado() {
    static thread_local int pronto = -1;
    if (pronto < 0) {
        pronto = unshare(CLONE_NEWNS) == 0 &&
                 mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }
    return pronto == 1;
}
}  // namespace

DiscoProprio::DiscoProprio(const std::string& pasta, const std::string& opcoes) : pasta_(pasta) {
    montado_ = namespace_de_montagem_privado() &&
               mount("tmpfs", pasta.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, opcoes.c_str()) == 0;
}

DiscoProprio::~DiscoProprio() {
    if (montado_) umount2(pasta_.c_str(), MNT_DETACH);
}

bool DiscoProprio::encher() {
    int f = open((pasta_ + "/.enchimento").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (f < 0) return false;
    char bloco[4096] = {};
    while (write(f, bloco, sizeof bloco) > 0) {
    }
    bool cheio = errno == ENOSPC;
    // A last partial page.
    while (write(f, bloco, 1) > 0) {
    }
    close(f);
    return cheio;
}

bool DiscoProprio::somente_leitura() {
    return mount(nullptr, pasta_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                 nullptr) == 0;
}

DialogosRegistrados::DialogosRegistrados() {
    const std::string registrador = "#!/bin/sh\nprintf '%s|%s\\n' \"$(basename \"$0\")\" \"$*\" >> \"" +
                                    (pasta_ / "dialogos.txt") + "\"\n";
    for (const char* programa : {"zenity", "xmessage"}) {
        escrever_arquivo(pasta_ / programa, registrador);
        chmod((pasta_ / programa).c_str(), 0755);
    }
    const char* path = std::getenv("PATH");
    path_antigo_ = path ? path : "/usr/bin:/bin";
    const char* display = std::getenv("DISPLAY");
    tinha_display_ = display != nullptr;
    if (display) display_antigo_ = display;
    setenv("PATH", (pasta_.caminho() + ":" + path_antigo_).c_str(), 1);
    setenv("DISPLAY", ":97", 1);
}

DialogosRegistrados::~DialogosRegistrados() {
    setenv("PATH", path_antigo_.c_str(), 1);
    if (tinha_display_) setenv("DISPLAY", display_antigo_.c_str(), 1);
    else unsetenv("DISPLAY");
}

std::string DialogosRegistrados::registro() const {
    return existe(pasta_ / "dialogos.txt") ? ler_arquivo(pasta_ / "dialogos.txt") : "";
}

std::vector<std::string> DialogosRegistrados::ambiente() const {
    return {"PATH=" + pasta_.caminho() + ":" + path_antigo_, "DISPLAY=:97"};
}

PastasDoUsuarioEm::PastasDoUsuarioEm(const std::string& casa) {
    for (const char* nome : {"HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR"}) {
        const char* valor = std::getenv(nome);
        antes_.emplace_back(nome, valor ? std::optional<std::string>(valor) : std::nullopt);
    }
    setenv("HOME", casa.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (casa + "/.config").c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
}

PastasDoUsuarioEm::~PastasDoUsuarioEm() {
    for (const auto& [nome, valor] : antes_) {
        if (valor) setenv(nome.c_str(), valor->c_str(), 1);
        else unsetenv(nome.c_str());
    }
}

void PastasDoUsuarioEm::documentos_em(const std::string& pasta) {
    setenv("XDG_DOCUMENTS_DIR", pasta.c_str(), 1);
}

}  // namespace teste
