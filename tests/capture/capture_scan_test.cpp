// One reading into the capture tables, over real loopback connections.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/process_support.h"
#include "capture/processes.h"
#include "monitor/tables.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "platform/tcp_loopback.h"
#include "support/test_support.h"

namespace {

struct linha {
    std::string celula[celulas_captura];
};

std::vector<linha> linhas_de(int tabela) {
    auto& t = tabela == 0 ? netstat_cap : netstat_capx;
    int n = tabela == 0 ? num_netstat_cap : num_netstat_capx;
    std::vector<linha> linhas(n);
    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < celulas_captura; ++c) linhas[i].celula[c] = t[i][c];
    }
    return linhas;
}

const linha* achar(const std::vector<linha>& linhas, uint16_t porta_local, uint16_t porta_remota) {
    for (const linha& l : linhas) {
        if (l.celula[CAP_PORTA_LOCAL] == std::to_string(porta_local) &&
            l.celula[CAP_PORTA_REMOTA] == std::to_string(porta_remota))
            return &l;
    }
    return nullptr;
}

bool tem_porta_local(const std::vector<linha>& linhas, uint16_t porta) {
    for (const linha& l : linhas) {
        if (l.celula[CAP_PORTA_LOCAL] == std::to_string(porta)) return true;
    }
    return false;
}

class Captura : public ::testing::Test {
protected:
    void SetUp() override {
        EXIGIR_REDE_PRIVADA();
        mostrar_tudo();
    }
    void TearDown() override { mostrar_tudo(); }
    static void mostrar_tudo() {
        exibir_http = exibir_https = exibir_localhost = exibir_lan_10 = exibir_lan_192 = 1;
    }
    // A fresh loopback connection whose client end belongs only to a child
    // running `programa`, a copy of sleep; the test keeps the server end.
    static void dar_ao_filho(const std::string& programa, const loopback::ouvinte& ouvinte,
                             loopback::par& par, pid_t& filho) {
        ASSERT_TRUE(processos::copiar_programa("/bin/sleep", programa));
        par = loopback::conectar(ouvinte, "127.0.0.1", 0);
        ASSERT_TRUE(par.pronto());
        filho = processos::iniciar(programa, "30", par.cliente.fd());
        par.cliente.fechar();
    }
    // What the sweep does before each reading.
    static int capturar(int tabela) {
        tipo = tabela;
        if (tabela == 0) num_netstat_cap = 0;
        if (tabela == 1) num_netstat_capx = 0;
        return scan_nestat(tabela);
    }
};

TEST_F(Captura, LinhaDeUmaConexaoEstabelecida) {
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto par = loopback::conectar(ouvinte, "127.0.0.1");
    ASSERT_TRUE(par.pronto());
    for (int i = 0; i < linhas_captura; ++i) copiar_celula(netstat_cap[i][7], "antigo");
    ASSERT_EQ(capturar(0), 0);
    auto linhas = linhas_de(0);
    const linha* cliente = achar(linhas, par.porta_cliente, par.porta_servidor);
    ASSERT_NE(cliente, nullptr);
    EXPECT_EQ(cliente->celula[CAP_IP_LOCAL], "127.0.0.1");
    EXPECT_EQ(cliente->celula[CAP_IP_REMOTO], "127.0.0.1");
    EXPECT_EQ(cliente->celula[CAP_PID], std::to_string(getpid()));
    EXPECT_EQ(cliente->celula[CAP_NOME_PROCESSO], "capture_tests");
    EXPECT_EQ(cliente->celula[CAP_MARCADOR], "1");
    EXPECT_EQ(cliente->celula[7], "antigo");
    EXPECT_NE(achar(linhas, par.porta_servidor, par.porta_cliente), nullptr);
    EXPECT_EQ(total_conexoes_scan_estabi, num_netstat_cap);
}

TEST_F(Captura, OuvinteDuplaPilhaDaLinhaIPv4) {
    auto ouvinte = loopback::ouvinte::dupla_pilha();
    auto par = loopback::conectar(ouvinte, "127.0.0.2");
    ASSERT_TRUE(par.pronto());
    capturar(0);
    auto linhas = linhas_de(0);
    const linha* aceito = achar(linhas, par.porta_servidor, par.porta_cliente);
    ASSERT_NE(aceito, nullptr);
    EXPECT_EQ(aceito->celula[CAP_IP_LOCAL], "127.0.0.2");
    EXPECT_EQ(aceito->celula[CAP_IP_REMOTO], "127.0.0.1");
    EXPECT_EQ(aceito->celula[CAP_PID], std::to_string(getpid()));
}

TEST_F(Captura, OuvinteETimeWaitNuncaEscritos) {
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto par = loopback::conectar(ouvinte, "127.0.0.1");
    ASSERT_TRUE(par.pronto());
    uint16_t fechada = par.porta_cliente;
    par.cliente.fechar();  // the side that closes first waits in time-wait
    par.servidor.fechar();
    usleep(20000);
    capturar(0);
    auto linhas = linhas_de(0);
    EXPECT_FALSE(tem_porta_local(linhas, fechada));
    EXPECT_FALSE(tem_porta_local(linhas, ouvinte.porta()));
}

TEST_F(Captura, Tipo1SoEncheNetstatCapx) {
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto par = loopback::conectar(ouvinte, "127.0.0.1");
    ASSERT_TRUE(par.pronto());
    num_netstat_cap = 3;
    for (int i = 0; i < 3; ++i) copiar_celula(netstat_cap[i][CAP_IP_REMOTO], "anterior");
    for (int i = 0; i < linhas_captura; ++i) netstat_cap[i][CAP_PORTA_LOCAL][0] = '\0';
    tipo = 1;
    num_netstat_capx = 0;
    ASSERT_EQ(scan_nestat(1), 0);
    EXPECT_NE(achar(linhas_de(1), par.porta_cliente, par.porta_servidor), nullptr);
    EXPECT_EQ(num_netstat_cap, 3);
    for (int i = 0; i < linhas_captura; ++i) {
        EXPECT_STREQ(netstat_cap[i][CAP_PORTA_LOCAL], "") << "row " << i;
    }
    EXPECT_STREQ(netstat_cap[0][CAP_IP_REMOTO], "anterior");

    tipo = 2;
    int antes = num_netstat_capx;
    scan_nestat(2);
    EXPECT_EQ(num_netstat_capx, antes);
    EXPECT_EQ(num_netstat_cap, 3);
    EXPECT_GT(total_conexoes_scan_estabi, 0);
}

TEST_F(Captura, FiltroLocalhostOlhaSoOLadoRemoto) {
    auto ouvinte1 = loopback::ouvinte::ipv4("127.0.0.1");
    auto ouvinte2 = loopback::ouvinte::ipv4("127.0.0.2");
    auto para_1 = loopback::conectar(ouvinte1, "127.0.0.1");
    auto para_2 = loopback::conectar(ouvinte2, "127.0.0.2");
    ASSERT_TRUE(para_1.pronto() && para_2.pronto());
    exibir_localhost = 0;
    capturar(0);
    auto linhas = linhas_de(0);
    EXPECT_EQ(achar(linhas, para_1.porta_cliente, para_1.porta_servidor), nullptr);
    EXPECT_EQ(achar(linhas, para_1.porta_servidor, para_1.porta_cliente), nullptr);
    EXPECT_EQ(achar(linhas, para_2.porta_servidor, para_2.porta_cliente), nullptr);
    const linha* kept = achar(linhas, para_2.porta_cliente, para_2.porta_servidor);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->celula[CAP_IP_REMOTO], "127.0.0.2");
    exibir_localhost = 1;
    capturar(0);
    linhas = linhas_de(0);
    EXPECT_NE(achar(linhas, para_1.porta_cliente, para_1.porta_servidor), nullptr);
    EXPECT_NE(achar(linhas, para_2.porta_servidor, para_2.porta_cliente), nullptr);
}

// Remote port 80 or 443 is omitted with its flag at 0; local port 80 or 443
// (the server's end of the same connection) never is.
TEST_F(Captura, FiltrosDePortaOlhamSoAPortaRemota) {
    struct caso {
        uint16_t porta;
        int* flag;
    } casos[] = {{80, &exibir_http}, {443, &exibir_https}};
    for (const caso& c : casos) {
        auto ouvinte = loopback::ouvinte::ipv4("127.0.0.4", c.porta);
        if (!ouvinte.pronto()) GTEST_SKIP() << "cannot listen on port " << c.porta;
        auto par = loopback::conectar(ouvinte, "127.0.0.4");
        ASSERT_TRUE(par.pronto());
        *c.flag = 0;
        capturar(0);
        auto linhas = linhas_de(0);
        EXPECT_EQ(achar(linhas, par.porta_cliente, c.porta), nullptr) << c.porta;
        EXPECT_NE(achar(linhas, c.porta, par.porta_cliente), nullptr) << c.porta;
        *c.flag = 1;
        capturar(0);
        EXPECT_NE(achar(linhas_de(0), par.porta_cliente, c.porta), nullptr) << c.porta;
    }
}

TEST_F(Captura, DecisaoDosFiltrosNasLinhas) {
    struct caso {
        int* flag;
        const char* ip;
        const char* porta;
        int omitida;
    } casos[] = {
        {&exibir_http, "203.0.113.9", "80", 1},      {&exibir_http, "203.0.113.9", "8080", 0},
        {&exibir_http, "203.0.113.9", "080", 1},     {&exibir_https, "203.0.113.9", "443", 1},
        {&exibir_https, "203.0.113.9", "4433", 0},   {&exibir_localhost, "127.0.0.1", "5000", 1},
        {&exibir_localhost, "127.0.0.10", "5000", 0}, {&exibir_localhost, "127.0.0.2", "5000", 0},
        {&exibir_lan_10, "10.1.2.3", "5000", 1},     {&exibir_lan_10, "100.1.2.3", "5000", 0},
        {&exibir_lan_10, "110.1.2.3", "5000", 0},    {&exibir_lan_192, "192.168.0.7", "5000", 1},
        {&exibir_lan_192, "192.16.8.7", "5000", 0},  {&exibir_lan_192, "192.169.0.7", "5000", 0},
        {&exibir_localhost, "::1", "5000", 1},       {&exibir_localhost, "::1:0", "5000", 0},
        {&exibir_lan_10, "fd00::10", "5000", 0},     {&exibir_lan_192, "fe80::1", "5000", 0},
    };
    for (const caso& c : casos) {
        mostrar_tudo();
        EXPECT_EQ(conexao_omitida(c.ip, c.porta), 0) << c.ip << ":" << c.porta << " all shown";
        *c.flag = 0;
        EXPECT_EQ(conexao_omitida(c.ip, c.porta), c.omitida) << c.ip << ":" << c.porta;
    }
}

// "[::ffff:127.0.0.1]:80" as `ss` writes an end -> "127.0.0.1 80", as the
// capture does (no brackets; a dual-stack socket's IPv4 connection is IPv4).
std::string ponta(const std::string& texto) {
    std::size_t fim = texto.rfind(':');
    std::string ip = texto.substr(0, fim);
    if (ip.front() == '[') ip = ip.substr(1, ip.size() - 2);
    if (ip.rfind("::ffff:", 0) == 0 && ip.find('.') != std::string::npos) ip = ip.substr(7);
    return ip + " " + texto.substr(fim + 1);
}

// "ip port ip port" of each established connection `ss` lists, but those to
// a remote address in `omitidos`; the same of a reading.
std::multiset<std::string> conexoes_do_ss(const std::set<std::string>& omitidos = {}) {
    std::multiset<std::string> conexoes;
    std::FILE* ss = popen("ss -Htn state established", "r");
    char local[80], remota[80];
    while (ss && std::fscanf(ss, "%*s %*s %79s %79s", local, remota) == 2) {
        std::string r = ponta(remota);
        if (!omitidos.count(r.substr(0, r.find(' ')))) conexoes.insert(ponta(local) + " " + r);
    }
    if (ss) pclose(ss);
    return conexoes;
}

std::multiset<std::string> conexoes_da_leitura() {
    std::multiset<std::string> conexoes;
    for (const linha& l : linhas_de(0))
        conexoes.insert(l.celula[CAP_IP_LOCAL] + " " + l.celula[CAP_PORTA_LOCAL] + " " +
                        l.celula[CAP_IP_REMOTO] + " " + l.celula[CAP_PORTA_REMOTA]);
    return conexoes;
}

// On ::1, a documentation address and a unique-local one, beside an IPv4
// connection and a dual-stack socket's: a reading through either source keeps
// what `ss` lists; the localhost filter omits ::1 as it omits 127.0.0.1.
TEST_F(Captura, IPv6EIPv4JuntosComoOSsLista) {
    std::vector<loopback::par> pares;
    for (const char* ip : {"::1", "2001:db8::1", "fd00::5"}) pares.push_back(loopback::par_ipv6(ip));
    auto dupla = loopback::ouvinte::dupla_pilha();
    pares.push_back(loopback::conectar(dupla, "127.0.0.2"));
    for (const auto& par : pares) ASSERT_TRUE(par.pronto());
    std::multiset<std::string> esperadas = conexoes_do_ss();
    ASSERT_GE(esperadas.size(), 8u) << "ss -Htn state established (iproute2)";
    for (bool por_proc : {false, true}) {
        plataforma::usar_segunda_via_da_tabela(por_proc);
        capturar(0);
        plataforma::usar_segunda_via_da_tabela(false);
        EXPECT_EQ(conexoes_da_leitura(), esperadas) << (por_proc ? "/proc/net/tcp6" : "netlink");
    }
    exibir_localhost = 0;
    capturar(0);
    EXPECT_EQ(conexoes_da_leitura(), conexoes_do_ss({"::1", "127.0.0.1"}));
}

// A connection owned by a child that ends between two readings: found with the
// child's id and name in the first, gone in the second.
TEST_F(Captura, ProcessoQueTerminaEntreLeituras) {
    teste::PastaTemporaria pasta;
    std::string copia = pasta / "dono-passageiro";
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    loopback::par par;
    pid_t filho = -1;
    ASSERT_NO_FATAL_FAILURE(dar_ao_filho(copia, ouvinte, par, filho));
    capturar(0);
    auto linhas = linhas_de(0);
    const linha* l = achar(linhas, par.porta_cliente, par.porta_servidor);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->celula[CAP_PID], std::to_string(filho));
    EXPECT_EQ(l->celula[CAP_NOME_PROCESSO], "dono-passageiro");
    EXPECT_STREQ(getexe(filho), copia.c_str());

    processos::encerrar(filho);
    capturar(1);
    EXPECT_EQ(achar(linhas_de(1), par.porta_cliente, par.porta_servidor), nullptr);
    EXPECT_STREQ(getpro(filho), "None");
    EXPECT_STREQ(getexe(filho), "Not");
}

TEST_F(Captura, NomeDeProcessoCortadoA47) {
    teste::PastaTemporaria pasta;
    std::string nome = "processo-com-um-nome-bem-mais-longo-que-a-celula-de-captura";
    ASSERT_GT(nome.size(), 47u);
    std::string copia = pasta / nome;
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    loopback::par par;
    pid_t filho = -1;
    ASSERT_NO_FATAL_FAILURE(dar_ao_filho(copia, ouvinte, par, filho));
    capturar(0);
    auto linhas = linhas_de(0);
    const linha* l = achar(linhas, par.porta_cliente, par.porta_servidor);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->celula[CAP_NOME_PROCESSO], nome.substr(0, 47));
    EXPECT_EQ(std::string(getpro(filho)), nome);
    processos::encerrar(filho);
}

TEST_F(Captura, DiagnosticoDizDeOndeVemATabela) {
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    auto par = loopback::conectar(ouvinte, "127.0.0.1");
    capturar(0);
    auto por_netlink = linhas_de(0);
    testing::internal::CaptureStdout();
    plataforma::usar_segunda_via_da_tabela(true);
    capturar(0);
    auto por_proc = linhas_de(0);
    plataforma::usar_segunda_via_da_tabela(false);
    capturar(0);
    capturar(0);
    std::string saida = testing::internal::GetCapturedStdout();
    EXPECT_EQ(saida, "Tabela TCP: /proc/net/tcp\nTabela TCP: netlink sock_diag\n");
    ASSERT_EQ(por_proc.size(), por_netlink.size());
    for (size_t i = 0; i < por_proc.size(); ++i) {
        for (int c = 0; c < 7; ++c) EXPECT_EQ(por_proc[i].celula[c], por_netlink[i].celula[c]);
    }
}

class LimiteDaLeitura : public Captura {
protected:
    // Connections to 127.0.0.2 with the localhost filter on: each keeps its
    // client's end only. Connections the machine already has count too.
    std::vector<loopback::par> pares;
    loopback::ouvinte ouvinte = loopback::ouvinte::ipv4("127.0.0.2");
    void abrir_ate(int mantidas) {
        exibir_localhost = 0;
        capturar(0);
        int ja_mantidas = total_conexoes_scan_estabi;
        ASSERT_LT(ja_mantidas, mantidas);
        pares = loopback::conectar_varios(ouvinte, "127.0.0.2", mantidas - ja_mantidas);
        ASSERT_EQ(static_cast<int>(pares.size()), mantidas - ja_mantidas);
    }
};

TEST_F(LimiteDaLeitura, DuzentasECinquentaPassam) {
    abrir_ate(250);
    ASSERT_EQ(capturar(0), 0);
    EXPECT_EQ(num_netstat_cap, 250);
    EXPECT_EQ(total_conexoes_scan_estabi, 250);
}

TEST_F(LimiteDaLeitura, ADuzentasECinquentaEUmaEncerraOPrograma) {
    abrir_ate(251);
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            capturar(0);
        },
        ::testing::ExitedWithCode(1), "Limite de conexoes:250");
}

TEST(Substring, CortesNoLugar) {
    struct caso {
        const char* texto;
        int inicio;
        int quantidade;
        const char* resultado;
    } casos[] = {
        {"192.168.0.1", 0, 7, "192.168"}, {"10.0.0.1", 0, 3, "10."},  {"10", 0, 3, "10"},
        {"abcdef", 0, 0, ""},             {"abcdef", 6, 2, ""},       {"abcdef", 7, 2, "ab"},
        {"abcdef", -1, 2, "ab"},          {"abcdef", 2, -1, "cdef"},  {"abcdef", 2, 2, "cd"},
        {"abcdef", 4, 5, "ef"},           {"", 0, 3, ""},             {"abcdef", 0, 6, "abcdef"},
    };
    for (const caso& c : casos) {
        char texto[32];
        copiar_celula(texto, c.texto);
        EXPECT_EQ(substring(texto, c.inicio, c.quantidade), texto);
        EXPECT_STREQ(texto, c.resultado) << c.texto << " " << c.inicio << " " << c.quantidade;
    }
    EXPECT_EQ(substring(nullptr, 0, 3), nullptr);
}

}  // namespace
