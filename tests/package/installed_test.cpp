// The package installed as a user meets it: unpacked into a temporary root,
// the capabilities set on the program as the postinst sets them, and the
// program started through its launcher by an ordinary user, in this private
// network, on a virtual display. It must name another user's process, hold
// its capabilities only as permitted, pass none to the programs it starts,
// write nothing into its run folder, and still refuse a settings path that
// the user cannot read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "e2e/window.h"
#include "package_support.h"

namespace {

using pacote::aspas;
using pacote::rodar;

constexpr uid_t usuario = 64101;        // runs Quorvex
constexpr uid_t outro_usuario = 64102;  // owns the connection Quorvex must name

// The two capabilities as /proc/<pid>/status shows a set of them:
// cap_dac_read_search (2) and cap_sys_ptrace (19).
constexpr const char* as_duas = "0000000000080004";
constexpr const char* nenhuma = "0000000000000000";

std::string como(uid_t uid) {
    std::string id = std::to_string(uid);
    return "/usr/bin/setpriv --reuid=" + id + " --regid=" + id + " --clear-groups --inh-caps=-all";
}

std::vector<std::string> como_argumentos(uid_t uid) {
    std::vector<std::string> argumentos;
    std::istringstream partes(como(uid));
    for (std::string parte; partes >> parte;) argumentos.push_back(parte);
    return argumentos;
}

bool tem(const std::string& texto, const std::string& trecho) {
    return texto.find(trecho) != std::string::npos;
}

// The value of field `campo` ("CapEff", ...) in a /proc status text.
std::string campo_de_status(const std::string& status, const std::string& campo) {
    std::size_t p = status.find("\n" + campo + ":\t");
    if (p == std::string::npos) return "";
    p += campo.size() + 3;
    return status.substr(p, status.find('\n', p) - p);
}

// A temporary folder where a file's capabilities really take effect when an
// ordinary user runs it: not on a nosuid mount, and not where this system
// refuses them. /tmp first, then /dev/shm and the build folder.
class PastaComCapacidades {
public:
    PastaComCapacidades() {
        for (std::string base : {"/tmp", "/dev/shm", QUORVEX_RUN_DIR}) {
            std::string modelo = base + "/quorvex_pacote_XXXXXX";
            if (mkdtemp(modelo.data()) == nullptr) continue;
            chmod(modelo.c_str(), 0755);
            if (capacidades_valem_em(modelo)) {
                caminho_ = modelo;
                return;
            }
            tentadas_ += " " + base;
            std::filesystem::remove_all(modelo);
        }
    }
    ~PastaComCapacidades() {
        if (!caminho_.empty()) std::filesystem::remove_all(caminho_);
    }
    const std::string& caminho() const { return caminho_; }
    const std::string& tentadas() const { return tentadas_; }

private:
    static bool capacidades_valem_em(const std::string& pasta) {
        std::string sonda = pasta + "/sonda";
        std::error_code erro;
        std::filesystem::copy_file("/bin/cat", sonda, erro);
        if (erro || rodar("setcap cap_sys_ptrace=p " + aspas(sonda)).status != 0) return false;
        std::string status = rodar(como(usuario) + " " + aspas(sonda) + " /proc/self/status").saida;
        std::filesystem::remove(sonda, erro);
        return campo_de_status(status, "CapPrm") == "0000000000080000";
    }

    std::string caminho_;
    std::string tentadas_;
};

// The other user's process and its connection, for the life of the object.
class ConexaoDeOutroUsuario {
public:
    explicit ConexaoDeOutroUsuario(const std::string& programa) {
        int saida[2];
        if (pipe(saida) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(saida[1], 1);
            close(saida[0]);
            std::vector<std::string> argumentos = como_argumentos(outro_usuario);
            argumentos.push_back(programa);
            std::vector<char*> argv;
            for (auto& a : argumentos) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(saida[1]);
        std::string linha;
        pollfd espera{saida[0], POLLIN, 0};
        char c;
        while (poll(&espera, 1, 5000) > 0 && read(saida[0], &c, 1) == 1 && c != '\n') linha += c;
        close(saida[0]);
        std::istringstream(linha) >> porta_servidor >> porta_cliente;
    }
    ~ConexaoDeOutroUsuario() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }
    int porta_servidor = 0;
    int porta_cliente = 0;

private:
    pid_t pid_ = -1;
};

std::string configuracao_com_relatorio() {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<quorvex>\n<lopps_scan>0</lopps_scan>\n"
           "<exibir_http>1</exibir_http>\n<exibir_https>1</exibir_https>\n"
           "<exibir_localhost>1</exibir_localhost>\n<exibir_lan_10>1</exibir_lan_10>\n"
           "<exibir_lan_192>1</exibir_lan_192>\n<local>1</local>\n<exibir_log>1</exibir_log>\n"
           "<filtro>0</filtro>\n</quorvex>\n";
}

// The capability sets of every thread of process `pid` (but the task folder
// `exceto`), one line per thread.
std::vector<std::string> capacidades_das_threads(pid_t pid, const std::string& exceto = "") {
    std::vector<std::string> linhas;
    std::error_code erro;
    for (const auto& t : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", erro)) {
        if (t.path().string() == exceto) continue;
        std::string status = "\n" + teste::ler_arquivo(t.path().string() + "/status");
        linhas.push_back("Prm " + campo_de_status(status, "CapPrm") + " Eff " + campo_de_status(status, "CapEff") +
                         " Inh " + campo_de_status(status, "CapInh") + " Amb " + campo_de_status(status, "CapAmb"));
    }
    return linhas;
}

const std::string so_permitidas =
    std::string("Prm ") + as_duas + " Eff " + nenhuma + " Inh " + nenhuma + " Amb " + nenhuma;

class PacoteInstalado : public ::testing::Test {
protected:
    std::unique_ptr<PastaComCapacidades> raiz;
    std::unique_ptr<pacote::Pacote> deb;
    std::string programa, lancador, pasta_de_execucao;

    void SetUp() override {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root: it sets file capabilities and runs Quorvex as another user";
        EXIGIR_REDE_PRIVADA();
        if (rodar("command -v setcap && test -x /usr/bin/setpriv").status != 0)
            GTEST_SKIP() << "setcap or setpriv missing";
        raiz = std::make_unique<PastaComCapacidades>();
        if (raiz->caminho().empty())
            GTEST_SKIP() << "file capabilities do not take effect here (tried" << raiz->tentadas()
                         << "): the installed program cannot be tested with them";
        deb = std::make_unique<pacote::Pacote>();
        ASSERT_FALSE(deb->arquivo().empty()) << deb->relatorio();
        ASSERT_TRUE(deb->extrair(raiz->caminho()));
        ASSERT_TRUE(pacote::ligar_fontes_do_sistema(raiz->caminho()));
        pasta_de_execucao = raiz->caminho() + pacote::pasta_de_execucao;
        programa = pasta_de_execucao + "/quorvex";
        lancador = raiz->caminho() + pacote::lancador;
        dar_capacidades();
    }

    // As the postinst does.
    void dar_capacidades() {
        ASSERT_EQ(rodar("setcap cap_sys_ptrace,cap_dac_read_search=p " + aspas(programa)).status, 0);
        ASSERT_TRUE(tem(rodar("getcap " + aspas(programa)).saida, "cap_dac_read_search,cap_sys_ptrace=p"));
    }

    void dar_ao_usuario(const std::string& caminho) {
        ASSERT_EQ(rodar("chown -R " + std::to_string(usuario) + ":" + std::to_string(usuario) + " " +
                        aspas(caminho)).status, 0);
    }
};

TEST_F(PacoteInstalado, UsuarioComumVeNoPainelENoRelatorioOProcessoDeOutroUsuario) {
    std::string dono = raiz->caminho() + "/dono_de_conexao";
    std::filesystem::copy_file(DONO_DE_CONEXAO, dono);
    chmod(dono.c_str(), 0755);
    ConexaoDeOutroUsuario conexao(dono);
    ASSERT_GT(conexao.porta_servidor, 0);

    e2e::Programa quorvex;
    quorvex.configurar(configuracao_com_relatorio());
    // The stand-in for xdg-open records the capabilities it was started with.
    teste::escrever_arquivo(quorvex.casa() + "/substitutos/xdg-open",
                            "#!/bin/sh\n"
                            "printf '%s|%s|%s\\n' \"$PWD\" xdg-open \"$*\" >> \"$HOME/lancados.txt\"\n"
                            "grep '^Cap' /proc/$$/status >> \"$HOME/capacidades.txt\"\n");
    dar_ao_usuario(quorvex.casa());
    std::vector<std::string> comando = como_argumentos(usuario);
    comando.push_back(lancador);
    quorvex.usar_comando(comando, "/");
    auto antes = pacote::inventario(pasta_de_execucao);

    ASSERT_TRUE(quorvex.iniciar()) << quorvex.diagnostico_do_inicio();
    ASSERT_TRUE(quorvex.esperar_fundo("bin/A0039.bin"));
    for (const std::string& linha : capacidades_das_threads(quorvex.pid()))
        EXPECT_EQ(linha, so_permitidas) << "idle";

    quorvex.clicar(70, 80);
    std::string linha = "PAINEL1:127.0.0.1:" + std::to_string(conexao.porta_servidor) + " dono_de_conexao Localhost\n";
    EXPECT_TRUE(quorvex.esperar_saida(linha, 10)) << quorvex.saida();

    // Until the scan ends, the threads' capabilities are sampled: only the
    // main thread, which reads /proc, ever holds them as effective, and only
    // for moments of its readings.
    int amostras = 0, elevadas = 0;
    const std::string principal = "/proc/" + std::to_string(quorvex.pid()) + "/task/" + std::to_string(quorvex.pid());
    while (quorvex.relatorios().empty() && amostras < 3000) {
        for (const std::string& l : capacidades_das_threads(quorvex.pid(), principal)) EXPECT_EQ(l, so_permitidas);
        std::string status = "\n" + teste::ler_arquivo(principal + "/status");
        elevadas += campo_de_status(status, "CapEff") == as_duas ? 1 : 0;
        EXPECT_EQ(campo_de_status(status, "CapPrm"), as_duas);
        ++amostras;
        usleep(10000);
    }
    std::printf("main thread's capabilities effective in %d of %d samples during the scan\n", elevadas, amostras);
    EXPECT_LT(elevadas * 4, amostras);
    ASSERT_TRUE(quorvex.esperar_relatorio(30));
    ASSERT_EQ(quorvex.relatorios().size(), 1u);
    std::string relatorio = teste::ler_arquivo(quorvex.relatorios()[0]);
    EXPECT_TRUE(tem(relatorio, "Remoto 127.0.0.1 : " + std::to_string(conexao.porta_cliente) + "<"));
    EXPECT_TRUE(tem(relatorio, ">dono_de_conexao<")) << relatorio;
    EXPECT_TRUE(tem(relatorio, ">" + dono + "<")) << "the executable's path";

    // The report is opened by a program that holds no capability at all.
    std::string capacidades;
    ASSERT_TRUE(teste::esperar_ate([&] {
        capacidades = teste::ler_arquivo(quorvex.casa() + "/capacidades.txt");
        return tem(capacidades, "CapAmb");
    })) << "xdg-open was not started";
    for (const char* conjunto : {"CapInh", "CapPrm", "CapEff", "CapAmb"})
        EXPECT_EQ(campo_de_status("\n" + capacidades, conjunto), nenhuma) << conjunto << "\n" << capacidades;

    quorvex.pedir_fechamento();
    EXPECT_EQ(quorvex.esperar_fim(5), 1);
    EXPECT_EQ(pacote::inventario(pasta_de_execucao), antes) << "nothing is written into the run folder";
}

// A settings folder or file the user cannot read is refused with the
// capabilities set exactly as without them: the files are opened with the
// user's own rights.
TEST_F(PacoteInstalado, ConfiguracaoQueOUsuarioNaoPodeLerContinuaRecusada) {
    struct caso {
        mode_t modo_da_pasta;
        const char* recusa;
    };
    const caso casos[] = {{0700, "ERRO LOCAL APP DATA"}, {0755, "Erro ao abrir o arquivo c"}};
    for (const caso& c : casos) {
        teste::PastaTemporaria casa, dados;
        chmod(dados.caminho().c_str(), 0755);
        dar_ao_usuario(casa.caminho());
        // Settings of another user (root), valid, readable only by their owner.
        std::string pasta = dados / "Quorvex";
        teste::escrever_arquivo(pasta + "/config.xml", configuracao_com_relatorio());
        chmod((pasta + "/config.xml").c_str(), 0600);
        chmod(pasta.c_str(), c.modo_da_pasta);

        auto rodar_como_usuario = [&] {
            std::vector<std::string> comando = como_argumentos(usuario);
            comando.push_back(lancador);
            teste::resultado_processo r = teste::executar(
                comando, "/",
                {"HOME=" + casa.caminho(), "XDG_DATA_HOME=" + dados.caminho(), "DISPLAY=", "SDL_VIDEODRIVER=",
                 "WAYLAND_DISPLAY="}, 30);
            return std::make_pair(r.status, r.saida + r.erros);
        };
        auto com_capacidades = rodar_como_usuario();
        EXPECT_EQ(com_capacidades.first, 1);
        EXPECT_TRUE(tem(com_capacidades.second, c.recusa)) << com_capacidades.second;
        EXPECT_FALSE(tem(com_capacidades.second, "precisa de uma tela")) << "the settings were read";

        ASSERT_EQ(rodar("setcap -r " + aspas(programa)).status, 0);
        EXPECT_EQ(rodar_como_usuario(), com_capacidades) << "the same as without the capabilities";
        dar_capacidades();
    }
}

}  // namespace
