// The test services on Linux: loopback TCP connections (close-on-exec, so that
// programs this process starts do not hold them open), programs started and
// waited for, the process's threads and memory.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <sys/wait.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "support/platform_services.h"

namespace plataforma {
namespace {

sockaddr_in loopback_na_porta(int porta) {
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    endereco.sin_port = htons(static_cast<uint16_t>(porta));
    return endereco;
}

int porta_local(int soquete) {
    sockaddr_in endereco{};
    socklen_t tamanho = sizeof endereco;
    if (getsockname(soquete, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0) return 0;
    return ntohs(endereco.sin_port);
}

}  // namespace

soquete_tcp escutar_em_loopback(int& porta) {
    int soquete = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in endereco = loopback_na_porta(0);
    if (soquete < 0 || bind(soquete, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        listen(soquete, 64) != 0 || (porta = porta_local(soquete)) == 0) {
        fechar_soquete(soquete);
        return sem_soquete;
    }
    return soquete;
}

bool conectar_em_loopback(soquete_tcp escuta, int porta, pontas_de_conexao& pontas) {
    pontas = {};
    int cliente = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in endereco = loopback_na_porta(porta);
    if (cliente < 0 || connect(cliente, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) {
        fechar_soquete(cliente);
        return false;
    }
    int aceita = accept4(static_cast<int>(escuta), nullptr, nullptr, SOCK_CLOEXEC);
    if (aceita < 0) {
        fechar_soquete(cliente);
        return false;
    }
    pontas = {cliente, aceita, porta_local(cliente)};
    return true;
}

void fechar_soquete(soquete_tcp soquete) {
    if (soquete >= 0) close(static_cast<int>(soquete));
}

namespace {

bool ligar(int soquete, const char* endereco, int porta) {
    sockaddr_in e{};
    e.sin_family = AF_INET;
    e.sin_port = htons(static_cast<uint16_t>(porta));
    return inet_pton(AF_INET, endereco, &e.sin_addr) == 1 &&
           bind(soquete, reinterpret_cast<sockaddr*>(&e), sizeof e) == 0;
}

static_assert(sizeof(origem_de_datagrama::endereco) >= sizeof(sockaddr_in));

}  // namespace

soquete_tcp abrir_udp(const char* endereco, int& porta) {
    int soquete = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (soquete < 0 || !ligar(soquete, endereco, porta) || (porta = porta_local(soquete)) == 0) {
        fechar_soquete(soquete);
        return sem_soquete;
    }
    return soquete;
}

soquete_tcp escutar_tcp(const char* endereco, int porta) {
    int soquete = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (soquete < 0 || !ligar(soquete, endereco, porta) || listen(soquete, 8) != 0) {
        fechar_soquete(soquete);
        return sem_soquete;
    }
    return soquete;
}

soquete_tcp aceitar_conexao(soquete_tcp ouvinte) {
    int aceita = accept4(static_cast<int>(ouvinte), nullptr, nullptr, SOCK_CLOEXEC);
    return aceita < 0 ? sem_soquete : aceita;
}

int receber_datagrama(soquete_tcp soquete, void* dados, int largura, origem_de_datagrama& origem) {
    socklen_t tamanho = sizeof(sockaddr_in);
    return static_cast<int>(recvfrom(static_cast<int>(soquete), dados, static_cast<std::size_t>(largura),
                                     0, reinterpret_cast<sockaddr*>(origem.endereco), &tamanho));
}

void enviar_datagrama(soquete_tcp soquete, const void* dados, int tamanho,
                      const origem_de_datagrama& destino) {
    sendto(static_cast<int>(soquete), dados, static_cast<std::size_t>(tamanho), 0,
           reinterpret_cast<const sockaddr*>(destino.endereco), sizeof(sockaddr_in));
}

bool receber_exatamente(soquete_tcp soquete, void* dados, int tamanho) {
    return recv(static_cast<int>(soquete), dados, static_cast<std::size_t>(tamanho), MSG_WAITALL) ==
           tamanho;
}

void enviar_na_conexao(soquete_tcp soquete, const void* dados, int tamanho) {
    send(static_cast<int>(soquete), dados, static_cast<std::size_t>(tamanho), MSG_NOSIGNAL);
}

void esperar_leitura(const soquete_tcp* soquetes, bool* prontos, int n, int limite_ms) {
    pollfd vigiados[64];
    const int vistos = std::min(n, 64);
    for (int i = 0; i < vistos; ++i) vigiados[i] = {static_cast<int>(soquetes[i]), POLLIN, 0};
    int prontos_ao_todo = poll(vigiados, static_cast<nfds_t>(vistos), limite_ms);
    for (int i = 0; i < n; ++i) prontos[i] = prontos_ao_todo > 0 && i < vistos && vigiados[i].revents != 0;
}

// Not detached: the child keeps this process's output and stays its child, so
// its exit status can be waited for.
processo_filho iniciar_processo(const char* const argumentos[], const char* pasta) {
    if (argumentos == nullptr || argumentos[0] == nullptr) return {};
    int aviso[2];
    if (pipe2(aviso, O_CLOEXEC) != 0) return {};
    pid_t filho = fork();
    if (filho == 0) {
        close(aviso[0]);
        if (pasta == nullptr || chdir(pasta) == 0)
            execvp(argumentos[0], const_cast<char* const*>(argumentos));
        (void)!write(aviso[1], &errno, sizeof errno);
        _exit(127);
    }
    close(aviso[1]);
    int erro = 0;
    ssize_t lidos = filho < 0 ? -1 : 0;
    while (filho > 0 && (lidos = read(aviso[0], &erro, sizeof erro)) < 0 && errno == EINTR) {
    }
    close(aviso[0]);
    if (filho > 0 && lidos != 0) {
        waitpid(filho, nullptr, 0);
        return {};
    }
    processo_filho processo;
    if (filho > 0) processo.alca = processo.pid = filho;
    return processo;
}

bool esperar_processo(processo_filho& processo, unsigned limite_ms, int& status) {
    for (unsigned esperado = 0; processo.pid > 0 && !processo.terminou; ++esperado) {
        int bruto;
        pid_t fim = waitpid(static_cast<pid_t>(processo.pid), &bruto, WNOHANG);
        if (fim == processo.pid) {
            processo.terminou = true;
            processo.status = WIFEXITED(bruto) ? WEXITSTATUS(bruto) : 128 + WTERMSIG(bruto);
            break;
        }
        if (fim < 0 || esperado >= limite_ms) return false;
        usleep(1000);
    }
    status = processo.status;
    return processo.terminou;
}

void liberar_processo(processo_filho& processo) {
    if (processo.pid > 0 && !processo.terminou) {
        kill(static_cast<pid_t>(processo.pid), SIGKILL);
        while (waitpid(static_cast<pid_t>(processo.pid), nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    processo = {};
}

int threads_do_processo() {
    DIR* pasta = opendir("/proc/self/task");
    if (pasta == nullptr) return -1;
    int total = 0;
    while (dirent* entrada = readdir(pasta)) total += entrada->d_name[0] != '.';
    closedir(pasta);
    return total;
}

int alcas_abertas() {
    DIR* pasta = opendir("/proc/self/fd");
    if (pasta == nullptr) return -1;
    int total = 0;
    while (dirent* entrada = readdir(pasta)) total += entrada->d_name[0] != '.';
    closedir(pasta);
    return total - 1;  // the listing's own
}

// Blocks malloc handed out, the large mapped ones included.
std::size_t memoria_em_uso() {
    struct mallinfo2 informacao = mallinfo2();
    return informacao.uordblks + informacao.hblkhd;
}

}  // namespace plataforma
