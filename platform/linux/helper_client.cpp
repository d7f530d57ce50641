#include "platform/linux/helper_client.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "common/text.h"
#include "platform/linux/helper/protocol.h"
#include "platform/platform.h"

namespace plataforma::ajudante {

namespace {

// The program holds no capability: what needs them is the helper's alone.
// Should an ordinary user's program be started with some anyway (a file
// capability left by an older installation, ambient ones from its parent),
// all are given up before main and before any thread, so no thread ever
// holds one and no program it starts inherits one. Root's run is left as it is.
bool largar_todas_as_capacidades() {
    if (geteuid() == 0) return false;
    __user_cap_header_struct cabecalho{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct nenhuma[_LINUX_CAPABILITY_U32S_3] = {};
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    return syscall(SYS_capset, &cabecalho, nenhuma) == 0;
}
[[maybe_unused]] const bool capacidades_largadas = largar_todas_as_capacidades();

enum class situacao { por_iniciar, ativo, indisponivel };

std::mutex trava;
situacao estado = situacao::por_iniciar;
int soquete = -1;
pid_t pid_do_ajudante = 0;
char caminho_do_ajudante[PATH_MAX] = "";
leitor respostas;
escritor pedidos;
uint64_t pedidos_respondidos = 0;
uint64_t espera_ns = 0;

bool achar_o_ajudante() {
    char executavel[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", executavel, sizeof executavel - 1);
    if (n <= 0) return false;
    executavel[n] = '\0';
    char* barra = std::strrchr(executavel, '/');
    if (barra == nullptr) return false;
    *barra = '\0';
    int escrito = std::snprintf(caminho_do_ajudante, sizeof caminho_do_ajudante, "%s/%s", executavel,
                                nome_do_ajudante);
    return escrito > 0 && static_cast<std::size_t>(escrito) < sizeof caminho_do_ajudante;
}

// Once, the reason the program names only its user's processes from now on.
void desistir(const char* motivo) {
    std::fprintf(stderr,
                 "Quorvex: sem o ajudante %s (%s): apenas os processos deste usuario serao nomeados\n",
                 caminho_do_ajudante, motivo);
    if (soquete >= 0) close(soquete);
    soquete = -1;
    if (pid_do_ajudante > 0) {
        kill(pid_do_ajudante, SIGKILL);
        while (waitpid(pid_do_ajudante, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    pid_do_ajudante = 0;
    estado = situacao::indisponivel;
}

const char* motivo_do_exec(int erro) {
    if (erro == ENOENT) return "nao encontrado";
    if (erro == EACCES || erro == EPERM) return "sem permissao: o usuario nao e do grupo quorvex";
    return std::strerror(erro);
}

// In the child, between fork and exec: only calls safe there. The helper
// gets the socket as its standard input and output, no other descriptor of
// the program, and an empty environment.
[[noreturn]] void executar_o_ajudante(int lado_do_ajudante, int aviso) {
    dup2(lado_do_ajudante, 0);
    dup2(lado_do_ajudante, 1);
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    char* const argumentos[] = {const_cast<char*>(nome_do_ajudante), nullptr};
    char* const ambiente[] = {nullptr};
    execve(caminho_do_ajudante, argumentos, ambiente);
    int erro = errno;
    (void)!write(aviso, &erro, sizeof erro);
    _exit(127);
}

void iniciar() {
    if (!achar_o_ajudante()) return desistir("a pasta do programa nao pode ser lida");
    int par[2], aviso[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, par) != 0) return desistir(std::strerror(errno));
    if (pipe2(aviso, O_CLOEXEC) != 0) {
        close(par[0]);
        close(par[1]);
        return desistir(std::strerror(errno));
    }
    pid_t filho = fork();
    if (filho == 0) executar_o_ajudante(par[1], aviso[1]);
    int erro = filho < 0 ? errno : 0;
    close(par[1]);
    close(aviso[1]);
    soquete = par[0];
    pid_do_ajudante = filho > 0 ? filho : 0;
    // The pipe closes on a successful exec; otherwise it carries the error.
    ssize_t lidos = 0;
    while (filho > 0 && (lidos = read(aviso[0], &erro, sizeof erro)) < 0 && errno == EINTR) {
    }
    close(aviso[0]);
    if (filho < 0 || lidos > 0) return desistir(motivo_do_exec(erro));
    respostas.ligar(soquete);
    pedidos.ligar(soquete);
    estado = situacao::ativo;
}

// Why an answer did not come: the helper ended, or it stopped answering.
void desistir_da_resposta() {
    int status;
    if (waitpid(pid_do_ajudante, &status, WNOHANG) == pid_do_ajudante) {
        pid_do_ajudante = 0;
        char motivo[64];
        std::snprintf(motivo, sizeof motivo, "terminou com o status %d",
                      WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        return desistir(motivo);
    }
    desistir("nao respondeu");
}

// Starts the helper at the first call; true while it can be asked.
bool disponivel() {
    if (estado == situacao::por_iniciar) iniciar();
    return estado == situacao::ativo;
}

// Sends the request built in `pedidos` and waits for the first byte of its answer.
bool perguntar() {
    if (!pedidos.enviar() || respostas.esperar_mensagem(limite_de_mensagem_ms) != leitura::certa) {
        desistir_da_resposta();
        return false;
    }
    return true;
}

// Whether the answer was whole and nothing more came; counts its time.
bool concluir(bool certa, std::chrono::steady_clock::time_point inicio) {
    if (!certa || !respostas.vazio()) {
        desistir("respondeu fora do protocolo");
        return false;
    }
    ++pedidos_respondidos;
    espera_ns += static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           std::chrono::steady_clock::now() - inicio)
                                           .count());
    return true;
}

bool ler_pids(int32_t* pids, int n) {
    for (int i = 0; i < n; ++i) {
        uint64_t pid;
        if (!respostas.numero_e(maior_pid, i + 1 == n ? '\n' : ' ', pid)) return false;
        pids[i] = static_cast<int32_t>(pid);
    }
    char fim;
    return n > 0 || (respostas.bytes(&fim, 1) && fim == '\n');
}

bool ler_identidade(char* nome, char* caminho, proc::identidade_crua& id) {
    uint64_t existe, tem_caminho, tamanho_nome, tamanho_caminho;
    if (!respostas.numero_e(1, ' ', existe) || !respostas.numero_e(1, ' ', tem_caminho) ||
        !respostas.numero_e(largura_do_nome - 1, ' ', tamanho_nome) ||
        !respostas.numero_e(largura_do_caminho - 1, '\n', tamanho_caminho) ||
        !respostas.bytes(nome, tamanho_nome) || !respostas.bytes(caminho, tamanho_caminho))
        return false;
    nome[tamanho_nome] = '\0';
    caminho[tamanho_caminho] = '\0';
    id = {existe == 1, tem_caminho == 1, false};
    return true;
}

}  // namespace

bool pedir_donos(const diag::socket_tcp* sockets, int32_t* pids, int n) {
    std::lock_guard<std::mutex> guarda(trava);
    if (!disponivel() || n < 0 || static_cast<uint64_t>(n) > maximo_de_sockets) return false;
    auto inicio = std::chrono::steady_clock::now();
    pedidos.numero(pedido_donos, ' ');
    pedidos.numero(static_cast<uint64_t>(n), n == 0 ? '\n' : ' ');
    for (int i = 0; i < n; ++i) pedidos.numero(sockets[i].inode, i + 1 == n ? '\n' : ' ');
    return perguntar() && concluir(ler_pids(pids, n), inicio);
}

bool pedir_identidade(int32_t pid, char* nome, std::size_t largura_nome, char* caminho,
                      std::size_t largura_caminho, proc::identidade_crua& identidade) {
    std::lock_guard<std::mutex> guarda(trava);
    if (pid <= 0 || !disponivel()) return false;
    auto inicio = std::chrono::steady_clock::now();
    pedidos.numero(pedido_identidade, ' ');
    pedidos.numero(static_cast<uint64_t>(pid), '\n');
    static char nome_lido[largura_do_nome];
    static char caminho_lido[largura_do_caminho];
    proc::identidade_crua id{};
    if (!perguntar() || !concluir(ler_identidade(nome_lido, caminho_lido, id), inicio)) return false;
    identidade = id;
    if (id.existe) copiar_limitado(nome, largura_nome, nome_lido);
    if (id.tem_caminho) copiar_limitado(caminho, largura_caminho, caminho_lido);
    return true;
}

void pedir_esquecimento() {
    std::lock_guard<std::mutex> guarda(trava);
    if (estado != situacao::ativo) return;
    auto inicio = std::chrono::steady_clock::now();
    pedidos.numero(pedido_esquecer, '\n');
    uint64_t zero;
    if (perguntar()) concluir(respostas.numero_e(0, '\n', zero), inicio);
}

uso consultar() {
    std::lock_guard<std::mutex> guarda(trava);
    return {estado == situacao::ativo, static_cast<long>(pid_do_ajudante), pedidos_respondidos, espera_ns};
}

}  // namespace plataforma::ajudante
