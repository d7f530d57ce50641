// One reading into the capture tables from a TCP table and process snapshots
// the test writes: the owning processes' names and paths, the state and the
// filters, on every system, Wine included (where the real table gives every
// connection the process 0 and Tool Help knows only Wine's own processes).
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/processes.h"
#include "common/text.h"
#include "monitor/tables.h"
#include "output/settings.h"
#include "platform/platform.h"

namespace {

struct processo_escrito {
    std::string nome, caminho;  // an empty path: the path cannot be read
};

std::vector<plataforma::conexao_tcp> tabela_escrita;
int resposta_da_tabela = 0;  // -1: the table cannot be read; else rows given
std::map<int32_t, processo_escrito> processos_escritos;
std::map<int32_t, int> perguntas_por_pid;

uint32_t ip(unsigned a, unsigned b, unsigned c, unsigned d) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                    static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
    uint32_t valor;
    std::memcpy(&valor, bytes, 4);
    return valor;  // network byte order, as the table keeps it
}

uint16_t porta(unsigned numero) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(numero >> 8),
                                    static_cast<unsigned char>(numero)};
    uint16_t valor;
    std::memcpy(&valor, bytes, 2);
    return valor;
}

plataforma::conexao_tcp conexao(uint32_t local, unsigned porta_local, uint32_t remoto,
                                unsigned porta_remota, int32_t pid,
                                int estado = plataforma::estado_estabelecido) {
    return {estado, local, porta(porta_local), remoto, porta(porta_remota), pid};
}

int ler_tabela_escrita(plataforma::conexao_tcp* linhas, int capacidade) {
    if (resposta_da_tabela < 0) return -1;
    int n = static_cast<int>(tabela_escrita.size());
    for (int i = 0; i < n && i < capacidade; ++i) linhas[i] = tabela_escrita[i];
    return n;
}

plataforma::identidade_processo identificar_escrito(int32_t pid, char* nome, std::size_t largura_nome,
                                                    char* caminho, std::size_t largura_caminho) {
    ++perguntas_por_pid[pid];
    auto p = processos_escritos.find(pid);
    if (p == processos_escritos.end()) return {false, false};
    copiar_limitado(nome, largura_nome, p->second.nome.c_str());
    copiar_limitado(caminho, largura_caminho, p->second.caminho.c_str());
    return {true, !p->second.caminho.empty()};
}

struct linha {
    std::string ip_local, porta_local, ip_remoto, porta_remota, pid, nome, marcador;
};

std::vector<linha> linhas_de_netstat_cap() {
    std::vector<linha> linhas;
    for (int i = 0; i < num_netstat_cap; ++i) {
        auto& c = netstat_cap[i];
        linhas.push_back({c[CAP_IP_LOCAL], c[CAP_PORTA_LOCAL], c[CAP_IP_REMOTO], c[CAP_PORTA_REMOTA],
                          c[CAP_PID], c[CAP_NOME_PROCESSO], c[CAP_MARCADOR]});
    }
    return linhas;
}

class CapturaInjetada : public ::testing::Test {
protected:
    void SetUp() override {
        tabela_escrita.clear();
        processos_escritos.clear();
        perguntas_por_pid.clear();
        resposta_da_tabela = 0;
        mostrar_tudo();
        substituir_tabela_tcp(ler_tabela_escrita);
        substituir_identificacao_de_processos(identificar_escrito);
    }
    void TearDown() override {
        substituir_tabela_tcp(nullptr);
        substituir_identificacao_de_processos(nullptr);
        mostrar_tudo();
    }
    static void mostrar_tudo() {
        exibir_http = exibir_https = exibir_localhost = exibir_lan_10 = exibir_lan_192 = 1;
    }
    static int capturar() {
        tipo = 0;
        num_netstat_cap = 0;
        return scan_nestat(0);
    }
};

TEST_F(CapturaInjetada, LinhaComNomeDoProcessoDonoECaminhoDoExecutavel) {
    processos_escritos[4242] = {"firefox.exe", "C:\\Program Files\\Mozilla Firefox\\firefox.exe"};
    tabela_escrita = {conexao(ip(192, 168, 0, 5), 50123, ip(203, 0, 113, 7), 443, 4242)};
    ASSERT_EQ(capturar(), 0);
    auto linhas = linhas_de_netstat_cap();
    ASSERT_EQ(linhas.size(), 1u);
    EXPECT_EQ(linhas[0].ip_local, "192.168.0.5");
    EXPECT_EQ(linhas[0].porta_local, "50123");
    EXPECT_EQ(linhas[0].ip_remoto, "203.0.113.7");
    EXPECT_EQ(linhas[0].porta_remota, "443");
    EXPECT_EQ(linhas[0].pid, "4242");
    EXPECT_EQ(linhas[0].nome, "firefox.exe");
    EXPECT_EQ(linhas[0].marcador, "1");
    // The sweep's path of the same reading comes from the same snapshot.
    EXPECT_STREQ(getexe(4242).c_str(), "C:\\Program Files\\Mozilla Firefox\\firefox.exe");
}

TEST_F(CapturaInjetada, ProcessoQueNaoExisteEhNoneECaminhoIlegivelEhNot) {
    processos_escritos[7] = {"servico.exe", ""};
    tabela_escrita = {conexao(ip(10, 0, 0, 2), 1000, ip(198, 51, 100, 1), 80, 0),
                      conexao(ip(10, 0, 0, 2), 1001, ip(198, 51, 100, 1), 80, 7)};
    ASSERT_EQ(capturar(), 0);
    auto linhas = linhas_de_netstat_cap();
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[0].pid, "0");  // what Wine gives every connection
    EXPECT_EQ(linhas[0].nome, "None");
    EXPECT_STREQ(getexe(0).c_str(), "Not");
    EXPECT_EQ(linhas[1].nome, "servico.exe");
    EXPECT_STREQ(getexe(7).c_str(), "Not");
}

TEST_F(CapturaInjetada, SoEstabelecidasEFiltrosDoEnderecoRemoto) {
    processos_escritos[1] = {"a.exe", "C:\\a.exe"};
    const uint32_t eu = ip(192, 168, 1, 10);
    tabela_escrita = {
        conexao(eu, 2000, ip(0, 0, 0, 0), 0, 1, 2),         // listening
        conexao(eu, 2001, ip(203, 0, 113, 9), 443, 1, 8),  // closing (TIME_WAIT)
        conexao(eu, 2002, ip(203, 0, 113, 9), 80, 1),
        conexao(eu, 2003, ip(203, 0, 113, 9), 443, 1),
        conexao(ip(127, 0, 0, 1), 2004, ip(127, 0, 0, 1), 5000, 1),
        conexao(eu, 2005, ip(10, 1, 2, 3), 22, 1),
        conexao(eu, 2006, ip(192, 168, 1, 1), 22, 1),
        conexao(eu, 2007, ip(100, 10, 1, 1), 22, 1),  // "10." only at the start counts
    };
    ASSERT_EQ(capturar(), 0);
    auto portas_locais = [] {
        std::vector<std::string> p;
        for (const linha& l : linhas_de_netstat_cap()) p.push_back(l.porta_local);
        return p;
    };
    EXPECT_EQ(portas_locais(), (std::vector<std::string>{"2002", "2003", "2004", "2005", "2006", "2007"}));
    exibir_http = exibir_https = exibir_localhost = exibir_lan_10 = exibir_lan_192 = 0;
    ASSERT_EQ(capturar(), 0);
    EXPECT_EQ(portas_locais(), (std::vector<std::string>{"2007"}));
}

TEST_F(CapturaInjetada, CadaProcessoEhIdentificadoUmaVezPorLeitura) {
    processos_escritos[900] = {"navegador.exe", "C:\\navegador.exe"};
    for (unsigned i = 0; i < 40; ++i)
        tabela_escrita.push_back(conexao(ip(10, 0, 0, 1), 3000 + i, ip(203, 0, 113, 1), 443, 900));
    ASSERT_EQ(capturar(), 0);
    EXPECT_EQ(num_netstat_cap, 40);
    EXPECT_STREQ(getexe(900).c_str(), "C:\\navegador.exe");
    EXPECT_EQ(perguntas_por_pid[900], 1);
    ASSERT_EQ(capturar(), 0);
    EXPECT_EQ(perguntas_por_pid[900], 2) << "a new reading looks at the process again";
}

TEST_F(CapturaInjetada, TabelaIlegivelNaoEscreveNada) {
    tabela_escrita = {conexao(ip(10, 0, 0, 1), 1, ip(203, 0, 113, 1), 443, 1)};
    resposta_da_tabela = -1;
    EXPECT_EQ(capturar(), -1);
    EXPECT_EQ(num_netstat_cap, 0);
}

TEST_F(CapturaInjetada, NomesLongosCabemNaCelula) {
    const std::string longo(300, 'x');
    processos_escritos[5] = {longo + ".exe", "C:\\" + longo + "\\" + longo + ".exe"};
    tabela_escrita = {conexao(ip(10, 0, 0, 1), 1, ip(203, 0, 113, 1), 443, 5)};
    ASSERT_EQ(capturar(), 0);
    ASSERT_EQ(num_netstat_cap, 1);
    EXPECT_LT(std::strlen(netstat_cap[0][CAP_NOME_PROCESSO]), static_cast<size_t>(largura_celula_captura));
    EXPECT_LT(std::strlen(getexe(5).c_str()), 256u);
}

}  // namespace
