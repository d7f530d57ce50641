// The helper as the program and as an attacker meet it: answers in its strict
// format over a socket, and thousands of malformed, cut or endless inputs that
// end it with an error status, never a crash or a hang.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

namespace {

// The helper started on one end of a socket pair, as the program starts it.
class Ajudante {
public:
    explicit Ajudante(const char* argumento = nullptr) {
        int par[2];
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, par);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(par[1], 0);
            dup2(par[1], 1);
            dup2(par[1], 2);  // its one line on an error is not this test's output
            execl(QUORVEX_HELPER, "quorvex-helper", argumento, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(par[1]);
        fd_ = par[0];
    }
    ~Ajudante() {
        close(fd_);
        if (status_ < 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    }
    void enviar(const std::string& bytes) { (void)!send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    void fechar_entrada() { shutdown(fd_, SHUT_WR); }
    // Everything it writes until it closes its end or `limite_s` passes.
    std::string resposta(std::size_t bytes, double limite_s = 5) {
        std::string lido;
        timeval t{static_cast<time_t>(limite_s), 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
        char buffer[4096];
        while (lido.size() < bytes) {
            ssize_t n = recv(fd_, buffer, std::min(sizeof buffer, bytes - lido.size()), 0);
            if (n <= 0) break;
            lido.append(buffer, static_cast<std::size_t>(n));
        }
        return lido;
    }
    // One identity answer whole: its line, then the name and the path.
    std::string identidade() {
        std::string cabecalho;
        while (cabecalho.empty() || (cabecalho.back() != '\n' && cabecalho.size() < 64)) {
            std::string byte = resposta(1);
            if (byte.empty()) return cabecalho;
            cabecalho += byte;
        }
        unsigned existe = 0, tem_caminho = 0, nome = 0, caminho = 0;
        if (std::sscanf(cabecalho.c_str(), "%u %u %u %u", &existe, &tem_caminho, &nome, &caminho) != 4) return cabecalho;
        return cabecalho + resposta(nome + caminho);
    }
    // Its exit status (128 + signal when killed by one); -1 when it still runs after `limite_s`.
    int fim(double limite_s) {
        auto prazo = std::chrono::steady_clock::now() + std::chrono::duration<double>(limite_s);
        while (status_ < 0 && std::chrono::steady_clock::now() < prazo) {
            int bruto;
            if (waitpid(pid_, &bruto, WNOHANG) == pid_)
                status_ = WIFEXITED(bruto) ? WEXITSTATUS(bruto) : 128 + WTERMSIG(bruto);
            else
                usleep(1000);
        }
        return status_;
    }

private:
    int fd_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
};

uint64_t inode(int fd) {
    struct stat info;
    fstat(fd, &info);
    return info.st_ino;
}

TEST(Ajudante, RespondeDonosNomeECaminhoNoSeuFormato) {
    int par[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, par), 0);
    const std::string eu = std::to_string(getpid());
    char executavel[4096] = "";
    ASSERT_GT(readlink("/proc/self/exe", executavel, sizeof executavel - 1), 0);
    const std::string caminho = executavel, nome = caminho.substr(caminho.rfind('/') + 1);

    Ajudante ajudante;
    ajudante.enviar("1 3 " + std::to_string(inode(par[0])) + " 1 " + std::to_string(inode(par[1])) + "\n");
    EXPECT_EQ(ajudante.resposta(eu.size() * 2 + 4), eu + " 0 " + eu + "\n");
    ajudante.enviar("1 0\n3\n2 2147483647\n");
    EXPECT_EQ(ajudante.resposta(11), "\n0\n0 0 0 0\n");
    ajudante.enviar("2 " + eu + "\n");
    EXPECT_EQ(ajudante.identidade(),
              "1 1 " + std::to_string(nome.size()) + " " + std::to_string(caminho.size()) + "\n" + nome + caminho);

    // Thousands of valid requests, each answered in its format.
    std::mt19937_64 sorteio(19);
    for (int i = 0; i < 3000; ++i) {
        if (i % 2) {
            ajudante.enviar("1 2 1 " + std::to_string(inode(par[0])) + "\n");
            EXPECT_EQ(ajudante.resposta(eu.size() + 3), "0 " + eu + "\n");
        } else {
            // A random process id, or one of the few real ones.
            uint64_t pid = i % 8 ? sorteio() % 0x7fffffff + 1 : sorteio() % 64 + 1;
            ajudante.enviar("2 " + std::to_string(pid) + "\n");
            std::string r = ajudante.identidade();
            ASSERT_TRUE(r == "0 0 0 0\n" || r.rfind("1 ", 0) == 0) << r;
        }
    }
    ajudante.fechar_entrada();
    EXPECT_EQ(ajudante.fim(5), 0) << "the end of its input between requests";
    close(par[0]);
    close(par[1]);
}

// Random bytes, valid requests with bytes changed, cut short, or with numbers
// too long or out of bounds: each run ends with status 2 (or 0 when the
// change still left valid requests), within its time, never by a signal.
TEST(Ajudante, EntradaMalformadaOuCortadaTerminaComErroSemTravar) {
    const std::string validos[] = {"1 2 11 22\n", "2 1\n", "3\n", "1 0\n"};
    const std::string invalidos[] = {
        "", "1 2 11\n", "1 2 11 22 33\n", "2 01\n", "2 -1\n", "2 2147483648\n", "1 65537 1\n",
        "1 1 18446744073709551616\n", "4\n", "2  1\n", "2 1 \n", "3 \n", "2\t1\n", "+2 1\n",
        std::string(100000, '9'), "1 65536" + std::string(1 << 20, ' '), "2 1\r\n", std::string(3, '\0')};
    for (const std::string& entrada : invalidos) {
        Ajudante ajudante;
        ajudante.enviar(entrada);
        ajudante.fechar_entrada();
        int status = ajudante.fim(5);
        EXPECT_EQ(status, entrada.empty() ? 0 : 2) << entrada.substr(0, 40);
    }
    std::mt19937 sorteio(23);
    for (int i = 0; i < 1000; ++i) {
        std::string entrada = validos[sorteio() % 4] + validos[sorteio() % 4];
        int mudancas = 1 + static_cast<int>(sorteio() % 3);
        for (int m = 0; m < mudancas; ++m) {
            std::size_t onde = sorteio() % entrada.size();
            switch (sorteio() % 3) {
                case 0: entrada[onde] = static_cast<char>(sorteio()); break;
                case 1: entrada.erase(onde, 1 + sorteio() % 4); break;
                default: entrada.insert(onde, 1, " 0123456789\n"[sorteio() % 12]); break;
            }
            if (entrada.empty()) entrada = "x";
        }
        Ajudante ajudante;
        ajudante.enviar(entrada);
        ajudante.fechar_entrada();
        int status = ajudante.fim(5);
        ASSERT_TRUE(status == 0 || status == 2) << "status " << status << " for " << entrada;
    }

    Ajudante cortado;
    cortado.enviar("1 3 12 ");
    EXPECT_EQ(cortado.fim(1), -1) << "waits for the rest of a request for a while";
    EXPECT_EQ(cortado.fim(9), 2) << "but not without end";
    Ajudante com_argumento("--outra-raiz=/tmp");
    EXPECT_EQ(com_argumento.fim(5), 2);
}

}  // namespace
