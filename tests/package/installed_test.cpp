// The package installed as a user meets it: unpacked into a temporary root,
// the helper given to its group and its capabilities as the postinst does on a
// yes, and the program started through its launcher by an ordinary user, in
// this private network, on a virtual display. A member of the group names
// root's process while the program holds no capability on any thread; a user
// outside the group gets "None", a whole report and one line saying why. The
// programs it starts get no capability, none of its descriptors and the
// user's own environment; nothing is written into the run folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>

#include "e2e/window.h"
#include "package_support.h"

namespace {

using pacote::aspas;
using pacote::rodar;

constexpr uid_t usuario = 64101;  // runs Quorvex
constexpr gid_t grupo = 64150;    // the group quorvex of this root

// The two capabilities as /proc/<pid>/status shows a set of them:
// cap_dac_read_search (2) and cap_sys_ptrace (19).
constexpr const char* as_duas = "0000000000080004";
constexpr const char* nenhuma = "0000000000000000";

// The user, in the group quorvex or in no group but their own.
std::string como(uid_t uid, bool no_grupo = false) {
    std::string id = std::to_string(uid);
    return "/usr/bin/setpriv --reuid=" + id + " --regid=" + id +
           (no_grupo ? " --groups=" + std::to_string(grupo) : std::string(" --clear-groups")) +
           " --inh-caps=-all";
}

std::vector<std::string> como_argumentos(uid_t uid, bool no_grupo = false) {
    std::vector<std::string> argumentos;
    std::istringstream partes(como(uid, no_grupo));
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

// Root's process and its connection, for the life of the object.
class ConexaoDoRoot {
public:
    explicit ConexaoDoRoot(const std::string& programa) {
        int saida[2];
        if (pipe(saida) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(saida[1], 1);
            close(saida[0]);
            execl(programa.c_str(), programa.c_str(), static_cast<char*>(nullptr));
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
    ~ConexaoDoRoot() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
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

// The capability sets of every thread of process `pid`, one line per thread.
std::vector<std::string> capacidades_das_threads(pid_t pid) {
    std::vector<std::string> linhas;
    std::error_code erro;
    for (const auto& t : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", erro)) {
        std::string status = "\n" + teste::ler_arquivo(t.path().string() + "/status");
        linhas.push_back("Prm " + campo_de_status(status, "CapPrm") + " Eff " + campo_de_status(status, "CapEff") +
                         " Inh " + campo_de_status(status, "CapInh") + " Amb " + campo_de_status(status, "CapAmb"));
    }
    return linhas;
}

const std::string nenhuma_em_nada =
    std::string("Prm ") + nenhuma + " Eff " + nenhuma + " Inh " + nenhuma + " Amb " + nenhuma;

// The helper among process `pid`'s children (each thread's list); 0 when none.
pid_t ajudante_de(pid_t pid) {
    std::error_code erro;
    for (const auto& t : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", erro)) {
        std::istringstream lista(teste::ler_arquivo(t.path().string() + "/children"));
        for (pid_t filho; lista >> filho;) {
            if (teste::ler_arquivo("/proc/" + std::to_string(filho) + "/comm") == "quorvex-helper\n") return filho;
        }
    }
    return 0;
}

// AT_SECURE of a process's auxiliary vector: the loader then ignores the
// environment's library settings.
long at_secure(pid_t pid) {
    std::string auxv = teste::ler_arquivo("/proc/" + std::to_string(pid) + "/auxv");
    for (std::size_t p = 0; p + 2 * sizeof(long) <= auxv.size(); p += 2 * sizeof(long)) {
        long par[2];
        std::memcpy(par, auxv.data() + p, sizeof par);
        if (par[0] == AT_SECURE) return par[1];
    }
    return -1;
}

class PacoteInstalado : public ::testing::Test {
protected:
    std::unique_ptr<PastaComCapacidades> raiz;
    std::unique_ptr<pacote::Pacote> deb;
    std::string ajudante, lancador, pasta_de_execucao, dono;

    void SetUp() override {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root: it sets file capabilities and runs Quorvex as another user";
        EXIGIR_REDE_PRIVADA();
        if (rodar("command -v setcap && test -x /usr/bin/setpriv").status != 0)
            GTEST_SKIP() << "setcap or setpriv missing";
        raiz = std::make_unique<PastaComCapacidades>();
        if (raiz->caminho().empty())
            GTEST_SKIP() << "file capabilities do not take effect here (tried" << raiz->tentadas()
                         << "): the installed helper cannot be tested with them";
        deb = std::make_unique<pacote::Pacote>();
        ASSERT_FALSE(deb->arquivo().empty()) << deb->relatorio();
        ASSERT_TRUE(deb->extrair(raiz->caminho()));
        ASSERT_TRUE(pacote::ligar_fontes_do_sistema(raiz->caminho()));
        pasta_de_execucao = raiz->caminho() + pacote::pasta_de_execucao;
        ajudante = pasta_de_execucao + "/quorvex-helper";
        lancador = raiz->caminho() + pacote::lancador;
        // As the postinst does on a yes: the helper is the group's, then gets its capabilities.
        ASSERT_EQ(chown(ajudante.c_str(), 0, grupo), 0);
        ASSERT_EQ(chmod(ajudante.c_str(), 0750), 0);
        ASSERT_EQ(rodar("setcap cap_sys_ptrace,cap_dac_read_search=p " + aspas(ajudante)).status, 0);
        dono = raiz->caminho() + "/dono_de_conexao";
        std::filesystem::copy_file(DONO_DE_CONEXAO, dono);
        chmod(dono.c_str(), 0755);
    }

    // The program started by the user through the launcher, in the group or not.
    void iniciar(e2e::Programa& quorvex, bool no_grupo) {
        quorvex.configurar(configuracao_com_relatorio());
        // The stand-in for xdg-open records what it inherited.
        teste::escrever_arquivo(quorvex.casa() + "/substitutos/xdg-open",
                                "#!/bin/sh\n"
                                "printf '%s|%s|%s\\n' \"$PWD\" xdg-open \"$*\" >> \"$HOME/lancados.txt\"\n"
                                "grep '^Cap' /proc/$$/status >> \"$HOME/herdado.txt\"\n"
                                "env | grep '^SDL_' >> \"$HOME/herdado.txt\"\n"
                                "ls -l /proc/$$/fd/ >> \"$HOME/herdado.txt\"\n");
        ASSERT_EQ(rodar("chown -R " + std::to_string(usuario) + ":" + std::to_string(usuario) + " " +
                        aspas(quorvex.casa())).status, 0);
        std::vector<std::string> comando = como_argumentos(usuario, no_grupo);
        comando.push_back(lancador);
        quorvex.usar_comando(comando, "/");
        ASSERT_TRUE(quorvex.iniciar()) << quorvex.diagnostico_do_inicio();
        ASSERT_TRUE(quorvex.esperar_fundo("bin/A0039.bin"));
    }

    // A scan until its report, every thread of the program sampled meanwhile.
    void escanear(e2e::Programa& quorvex, const std::string& linha_do_painel) {
        quorvex.clicar(70, 80);
        EXPECT_TRUE(quorvex.esperar_saida(linha_do_painel, 10)) << quorvex.saida();
        for (int amostras = 0; quorvex.relatorios().empty() && amostras < 3000; ++amostras) {
            for (const std::string& l : capacidades_das_threads(quorvex.pid())) ASSERT_EQ(l, nenhuma_em_nada);
            usleep(10000);
        }
        ASSERT_TRUE(quorvex.esperar_relatorio(30));
        ASSERT_EQ(quorvex.relatorios().size(), 1u);
    }
};

TEST_F(PacoteInstalado, MembroDoGrupoNomeiaOProcessoDoRootSemQueOProgramaTenhaCapacidades) {
    EXPECT_EQ(rodar("getcap -r " + aspas(pasta_de_execucao)).saida,
              ajudante + " cap_dac_read_search,cap_sys_ptrace=p\n") << "the helper alone holds any";
    ConexaoDoRoot conexao(dono);
    ASSERT_GT(conexao.porta_servidor, 0);
    e2e::Programa quorvex;
    auto antes = pacote::inventario(pasta_de_execucao);
    iniciar(quorvex, true);

    escanear(quorvex, "PAINEL1:127.0.0.1:" + std::to_string(conexao.porta_servidor) + " dono_de_conexao Localhost\n");
    std::string relatorio = teste::ler_arquivo(quorvex.relatorios()[0]);
    EXPECT_TRUE(tem(relatorio, "Remoto 127.0.0.1 : " + std::to_string(conexao.porta_cliente) + "<"));
    EXPECT_TRUE(tem(relatorio, ">dono_de_conexao<")) << relatorio;
    EXPECT_TRUE(tem(relatorio, ">" + dono + "<")) << "the executable's path";

    // The helper, the program's child, with its two capabilities permitted and
    // the loader's secure mode.
    pid_t pid_do_ajudante = ajudante_de(quorvex.pid());
    ASSERT_GT(pid_do_ajudante, 0);
    std::string status = "\n" + teste::ler_arquivo("/proc/" + std::to_string(pid_do_ajudante) + "/status");
    EXPECT_EQ(campo_de_status(status, "CapPrm"), as_duas);
    EXPECT_EQ(campo_de_status(status, "CapInh"), nenhuma);
    EXPECT_EQ(at_secure(pid_do_ajudante), 1);

    // The report is opened by a program that holds no capability, none of the
    // program's descriptors (its fonts), and not the video driver the program
    // chose for itself where the user had chosen none.
    std::string herdado;
    ASSERT_TRUE(teste::esperar_ate([&] {
        herdado = teste::ler_arquivo(quorvex.casa() + "/herdado.txt");
        return tem(herdado, "total");
    })) << "xdg-open was not started";
    for (const char* conjunto : {"CapInh", "CapPrm", "CapEff", "CapAmb"})
        EXPECT_EQ(campo_de_status("\n" + herdado, conjunto), nenhuma) << conjunto << "\n" << herdado;
    EXPECT_FALSE(tem(herdado, "SDL_VIDEODRIVER")) << herdado;
    EXPECT_FALSE(tem(herdado, ".ttf")) << herdado;

    quorvex.pedir_fechamento();
    EXPECT_EQ(quorvex.esperar_fim(5), 1);
    EXPECT_FALSE(tem(teste::ler_arquivo(quorvex.casa() + "/erros.txt"), "ajudante"));
    EXPECT_EQ(pacote::inventario(pasta_de_execucao), antes) << "nothing is written into the run folder";
}

TEST_F(PacoteInstalado, ForaDoGrupoVeNoneUmRelatorioInteiroEOPorqueUmaVez) {
    ConexaoDoRoot conexao(dono);
    ASSERT_GT(conexao.porta_servidor, 0);
    e2e::Programa quorvex;
    iniciar(quorvex, false);
    escanear(quorvex, "PAINEL1:127.0.0.1:" + std::to_string(conexao.porta_servidor) + " None Localhost\n");
    EXPECT_EQ(ajudante_de(quorvex.pid()), 0);
    quorvex.pedir_fechamento();
    EXPECT_EQ(quorvex.esperar_fim(5), 1);
    std::string erros = teste::ler_arquivo(quorvex.casa() + "/erros.txt");
    std::size_t primeira = erros.find("sem o ajudante");
    ASSERT_NE(primeira, std::string::npos) << erros;
    EXPECT_TRUE(tem(erros, "sem permissao")) << erros;
    EXPECT_EQ(erros.find("sem o ajudante", primeira + 1), std::string::npos) << "once";
}

}  // namespace
