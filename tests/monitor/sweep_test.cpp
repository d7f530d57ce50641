// The sweep against scripted readings (a stand-in reading feeding the capture
// tables, a stand-in clock, and a DNS server of our own on loopback for the
// real resolver), and once over real loopback connections through the real
// capture.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "capture/reverse_dns.h"
#include "monitor/sweep.h"
#include "monitor/tables.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "shell/toolkit.h"
#include "support/dns_server.h"
#include "support/scan_tables.h"
#include "support/test_support.h"

namespace {

struct linha {
    std::string ip_local, porta_local, ip_remoto, porta_remota, pid, nome;
};

std::vector<std::vector<linha>> leituras_roteiro;
std::size_t proxima_leitura = 0;
int leituras_feitas = 0;

int leitura_roteirizada(int tabela) {
    ++leituras_feitas;
    if (proxima_leitura >= leituras_roteiro.size()) return 0;
    auto& linhas = tabela == 0 ? netstat_cap : netstat_capx;
    int& num = tabela == 0 ? num_netstat_cap : num_netstat_capx;
    for (const linha& l : leituras_roteiro[proxima_leitura]) {
        if (num >= linhas_captura) {
            ADD_FAILURE() << "a scripted reading longer than the capture table";
            break;
        }
        auto& celulas = linhas[num++];
        copiar_celula(celulas[CAP_IP_LOCAL], l.ip_local.c_str());
        copiar_celula(celulas[CAP_PORTA_LOCAL], l.porta_local.c_str());
        copiar_celula(celulas[CAP_IP_REMOTO], l.ip_remoto.c_str());
        copiar_celula(celulas[CAP_PORTA_REMOTA], l.porta_remota.c_str());
        copiar_celula(celulas[CAP_PID], l.pid.c_str());
        copiar_celula(celulas[CAP_NOME_PROCESSO], l.nome.c_str());
        copiar_celula(celulas[CAP_MARCADOR], "1");
    }
    ++proxima_leitura;
    return 0;
}

std::string nome_prolixo() {
    std::string nome;
    for (int i = 0; i < 25; ++i) nome += "rotulo" + std::to_string(i) + ".";
    return nome + "example.de";
}

// Every address has a German name, so the location is real and fixed; 203.0.113.77
// has a very long one, 192.0.2.x are never answered, 100.64.0.x only when the
// test releases them.
teste::resposta_dns regra_alema(const std::string& ip) {
    if (ip == "203.0.113.77") return {teste::modo_dns::nome, nome_prolixo()};
    if (ip.rfind("192.0.2.", 0) == 0) return {teste::modo_dns::mudo, ""};
    if (ip.rfind("100.64.0.", 0) == 0) return {teste::modo_dns::reter, "h" + ip + ".example.de"};
    return {teste::modo_dns::nome, "h" + ip + ".example.de"};
}

teste::ServidorDns& dns_alemao() {
    static teste::ServidorDns servidor(regra_alema);
    return servidor;
}

plataforma::hora_local hora_fixa{2026, 12, 1, 7, 9, 5, 3, 0};
plataforma::hora_local relogio_fixo() { return hora_fixa; }

std::vector<std::string> contadores;
void guardar_contador(const char* texto) { contadores.emplace_back(texto); }

linha conexao(int n, const char* ip_remoto = nullptr, const char* porta_remota = "443",
              const char* nome = "curl") {
    std::string remoto = ip_remoto ? ip_remoto : "203.0.113." + std::to_string(n);
    return {"192.168.0.2", std::to_string(41000 + n), remoto, porta_remota,
            std::to_string(getpid()), nome};
}

std::string executavel_deste_teste() {
    char exe[512];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return std::string(exe, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void garantir_tela() {
    if (screen) return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_VIDEO);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
}

class Varredura : public ::testing::Test {
protected:
    void SetUp() override {
        garantir_tela();
        if (!TTF_WasInit()) TTF_Init();
        if (!my_font_10_painel) my_font_10_painel = TTF_OpenFont("fontes/Fonte_03.ttf", 10);
        leituras_roteiro.clear();
        proxima_leitura = 0;
        leituras_feitas = 0;
        contadores.clear();
        substituir_leitura(leitura_roteirizada);
        plataforma::encerrar_resolvedor();
        plataforma::usar_servidores_de_nomes(dns_alemao().servidores().c_str(), "b");
        nomes.reset(new NomesDoScan);
        plataforma::substituir_relogio(relogio_fixo);
        observar_contador(guardar_contador);
        hora_fixa.hora = 9;
        hora_fixa.minuto = 5;
        resumo_websites = 0;
        teste::esvaziar_tabelas_do_scan();
        SDL_Event evento;
        while (SDL_PollEvent(&evento)) {
        }
    }
    void TearDown() override {
        substituir_leitura(nullptr);
        nomes.reset();
        plataforma::usar_servidores_de_nomes(nullptr, nullptr);
        plataforma::substituir_relogio(nullptr);
        observar_contador(nullptr);
    }
    teste::FiltrosGuardados filtros;
    std::unique_ptr<NomesDoScan> nomes;

    std::string varrer() {
        testing::internal::CaptureStdout();
        EXPECT_EQ(fazer_varredura(), VARREDURA_SEGUE);
        listar_conexoes_pendentes();
        return testing::internal::GetCapturedStdout();
    }
    static std::string celula(int i, celula_painel c) { return banco_painel[i][c]; }
    static int vivas() {
        int n = 0;
        for (int i = 0; i < linhas_captura; ++i) n += ler_numero(banco_volatil[i][VOL_ATIVO]) == 1;
        return n;
    }
};

TEST_F(Varredura, PrimeiraLeituraDeDozeContaAte12E2ConexaoNovaDepois) {
    std::vector<linha> doze;
    for (int i = 1; i <= 12; ++i) doze.push_back(conexao(i));
    leituras_roteiro.push_back(doze);
    doze.push_back(conexao(13));
    leituras_roteiro.push_back(doze);

    varrer();
    std::vector<std::string> esperados;
    for (int i = 1; i <= 12; ++i) esperados.push_back(std::to_string(i) + "/12");
    EXPECT_EQ(contadores, esperados);
    ASSERT_EQ(num_banco_painel, 12);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(celula(i, PAI_NOVA_CONEXAO), "0") << i;
    EXPECT_EQ(rodada, 1);
    EXPECT_EQ(chave, 1);

    contadores.clear();
    varrer();
    EXPECT_EQ(contadores, std::vector<std::string>{"1/1"});
    ASSERT_EQ(num_banco_painel, 13);
    EXPECT_EQ(celula(12, PAI_NOVA_CONEXAO), "1");
    EXPECT_EQ(celula(12, PAI_IP_REMOTO), "203.0.113.13");
    EXPECT_EQ(rodada, 2);
    EXPECT_EQ(chave, 0);
}

TEST_F(Varredura, LinhaDoPainelCompleta) {
    leituras_roteiro.push_back({conexao(1)});
    varrer();
    ASSERT_EQ(num_banco_painel, 1);
    EXPECT_EQ(celula(0, PAI_IP_LOCAL), "192.168.0.2");
    EXPECT_EQ(celula(0, PAI_PORTA_LOCAL), "41001");
    EXPECT_EQ(celula(0, PAI_IP_REMOTO), "203.0.113.1");
    EXPECT_EQ(celula(0, PAI_PORTA_REMOTA), "443");
    EXPECT_EQ(celula(0, PAI_NOME_PROCESSO), "curl");
    EXPECT_EQ(celula(0, PAI_NOME_DNS), "h203.0.113.1.example.de");
    EXPECT_EQ(celula(0, PAI_LOCALIDADE), "Germany");
    EXPECT_EQ(celula(0, PAI_HORA_CONEXAO), "09:05");
    EXPECT_EQ(celula(0, PAI_HORA_DESCONEXAO), "none");
    EXPECT_EQ(celula(0, PAI_ATIVO), "1");
    EXPECT_EQ(celula(0, PAI_CAMINHO_EXE), executavel_deste_teste());
    EXPECT_STREQ(banco_volatil[0][VOL_MAPA_X], "190");
    EXPECT_STREQ(banco_volatil[0][VOL_MAPA_Y], "243");
    EXPECT_STREQ(banco_volatil[0][VOL_LOCALIDADE], "Germany");
    EXPECT_STREQ(ip_a_resolver, "");
}

TEST_F(Varredura, NomeLongoGuardaOFimDeOndeVemALocalidade) {
    leituras_roteiro.push_back({conexao(1, "203.0.113.77")});
    varrer();
    std::string nome = celula(0, PAI_NOME_DNS);
    EXPECT_LE(nome.size(), 127u);
    EXPECT_GT(nome.size(), 100u);
    EXPECT_EQ(nome.substr(nome.size() - 11), ".example.de");
    EXPECT_EQ(celula(0, PAI_LOCALIDADE), "Germany");
}

TEST_F(Varredura, NomesDeUmaLeituraExpiramNumaJanela) {
    std::vector<linha> seis;
    for (int i = 1; i <= 6; ++i) seis.push_back(conexao(i, ("192.0.2." + std::to_string(i)).c_str()));
    leituras_roteiro.push_back(seis);
    plataforma::contagem_de_nomes antes = plataforma::contar_nomes();
    timeout_dns = 100;
    varrer();
    timeout_dns = 500;
    plataforma::contagem_de_nomes depois = plataforma::contar_nomes();
    EXPECT_EQ(depois.iniciadas - antes.iniciadas, 6u);
    EXPECT_EQ(depois.expiradas - antes.expiradas, 6u);
    ASSERT_EQ(num_banco_painel, 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(celula(i, PAI_NOME_DNS), "NOID") << i;
}

// A name on its way holds no reading: the connection is recorded at the
// reading that found it, listed when its name comes, after nothing found
// later, and a close seen meanwhile is shown on its row.
TEST_F(Varredura, LeiturasSeguemEnquantoUmNomeVem) {
    leituras_roteiro.push_back({conexao(1, "100.64.0.1")});
    leituras_roteiro.push_back({conexao(1, "100.64.0.1"), conexao(2)});
    leituras_roteiro.push_back({conexao(2)});
    timeout_dns = 60000;
    fazer_varredura();
    hora_fixa.minuto = 10;
    fazer_varredura();
    hora_fixa.minuto = 17;
    fazer_varredura();
    EXPECT_EQ(leituras_feitas, 3);
    EXPECT_EQ(contadores, (std::vector<std::string>{"1/1", "1/1"}));
    EXPECT_EQ(num_banco_painel, 0) << "the named one waits behind the one found first";
    EXPECT_EQ(vivas(), 0);

    dns_alemao().liberar("100.64.0.1");
    testing::internal::CaptureStdout();
    listar_conexoes_pendentes();
    timeout_dns = 500;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "PAINEL1:100.64.0.1:443 curl Germany\nPAINEL2:203.0.113.2:443 curl Germany\n");
    ASSERT_EQ(num_banco_painel, 2);
    EXPECT_EQ(celula(0, PAI_NOME_DNS), "h100.64.0.1.example.de");
    EXPECT_EQ(celula(0, PAI_HORA_CONEXAO), "09:05");
    EXPECT_EQ(celula(0, PAI_HORA_DESCONEXAO), "09:17");
    EXPECT_EQ(celula(0, PAI_ATIVO), "0");
    EXPECT_EQ(celula(1, PAI_HORA_CONEXAO), "09:10");
    EXPECT_EQ(celula(1, PAI_NOVA_CONEXAO), "1");
    EXPECT_EQ(vivas(), 1) << "the closed one never enters the live table";
}

TEST_F(Varredura, ConexoesAoMesmoEnderecoPedemONomeUmaVez) {
    std::vector<linha> tres{conexao(1, "203.0.113.50"), conexao(2, "203.0.113.50"),
                            conexao(3, "203.0.113.50")};
    leituras_roteiro.push_back(tres);
    tres.push_back(conexao(4, "203.0.113.50"));
    leituras_roteiro.push_back(tres);
    plataforma::contagem_de_nomes antes = plataforma::contar_nomes();
    varrer();
    timeout_dns = 0;  // no wait at all: the name can only come from the cache
    varrer();
    timeout_dns = 500;
    ASSERT_EQ(num_banco_painel, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(celula(i, PAI_NOME_DNS), "h203.0.113.50.example.de") << i;
    EXPECT_EQ(plataforma::contar_nomes().iniciadas - antes.iniciadas, 1u);
    EXPECT_EQ(dns_alemao().consultas("203.0.113.50"), 1);
}

TEST_F(Varredura, TresNovasETresEncerradasContam1_1Ate3_3) {
    leituras_roteiro.push_back({conexao(1), conexao(2), conexao(3)});
    leituras_roteiro.push_back({conexao(4), conexao(5), conexao(6)});
    varrer();
    contadores.clear();
    hora_fixa.minuto = 17;
    varrer();
    EXPECT_EQ(contadores, (std::vector<std::string>{"1/1", "2/2", "3/3"}));
    ASSERT_EQ(num_banco_painel, 6);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(celula(i, PAI_ATIVO), "0") << i;
        EXPECT_EQ(celula(i, PAI_HORA_DESCONEXAO), "09:17") << i;
        EXPECT_EQ(celula(i + 3, PAI_ATIVO), "1") << i;
    }
    // The new ones were stored before the closed ones were freed.
    EXPECT_EQ(vivas(), 3);
    EXPECT_EQ(limite_conexoes_volatil - lacunas_conexoes_volatil, 3);
}

TEST_F(Varredura, EncerradaEReabertaEntreLeiturasNaoENovaNemEncerrada) {
    linha a = conexao(1);
    linha reaberta = a;
    reaberta.pid = "1";
    reaberta.ip_local = "192.168.0.3";
    leituras_roteiro.push_back({a});
    leituras_roteiro.push_back({reaberta});
    varrer();
    contadores.clear();
    std::string saida = varrer();
    EXPECT_TRUE(contadores.empty());
    EXPECT_EQ(saida, "");
    ASSERT_EQ(num_banco_painel, 1);
    EXPECT_EQ(celula(0, PAI_ATIVO), "1");
    EXPECT_EQ(vivas(), 1);
}

// Rows that share a key within one reading close twice but were stored once:
// the live table's count of gaps must follow the rows really freed.
TEST_F(Varredura, ChaveRepetidaNumaLeituraMantemAContaDeLacunas) {
    linha a = conexao(1);
    linha gemea = a;
    gemea.ip_local = "192.168.0.9";
    leituras_roteiro.push_back({a});
    leituras_roteiro.push_back({a, gemea});
    leituras_roteiro.push_back({});
    leituras_roteiro.push_back({conexao(2)});
    for (int i = 0; i < 4; ++i) varrer();
    EXPECT_EQ(vivas(), 1);
    EXPECT_EQ(limite_conexoes_volatil - lacunas_conexoes_volatil, 1);
    EXPECT_EQ(limite_conexoes_volatil, 1) << "the new connection reuses the freed row";
}

// Readings never exceed the capture table's rows: the live table is filled by
// two readings, and a third brings new connections while it is still full.
TEST_F(Varredura, TabelaVivaCheiaNaoSobeOLimite) {
    auto de = [](int i) { return conexao(i, nullptr, std::to_string(1000 + i).c_str()); };
    std::vector<linha> leitura;
    for (int i = 0; i < 200; ++i) leitura.push_back(de(i));
    leituras_roteiro.push_back(leitura);
    for (int i = 200; i < linhas_captura; ++i) leitura.push_back(de(i));
    leituras_roteiro.push_back(leitura);
    leitura.erase(leitura.begin(), leitura.begin() + 4);
    for (int i = linhas_captura; i < linhas_captura + 4; ++i) leitura.push_back(de(i));
    leituras_roteiro.push_back(leitura);
    timeout_dns = 0;
    varrer();
    varrer();
    EXPECT_EQ(vivas(), linhas_captura);
    EXPECT_EQ(limite_conexoes_volatil, linhas_captura);
    EXPECT_EQ(lacunas_conexoes_volatil, 0);
    varrer();
    timeout_dns = 500;
    EXPECT_EQ(limite_conexoes_volatil, linhas_captura);
    EXPECT_EQ(vivas(), linhas_captura - 4) << "the 4 new ones found no room, then 4 closed";
    EXPECT_EQ(lacunas_conexoes_volatil, 4);
    EXPECT_EQ(num_banco_painel, linhas_captura + 4)
        << "a connection the live table could not take still reaches the panel";
}

TEST_F(Varredura, FiltroDeSemelhantesLigadoEsconde) {
    resumo_websites = 1;
    leituras_roteiro.push_back({conexao(7), conexao(8), conexao(9, "203.0.113.9", "80"),
                                conexao(10, "203.0.113.10", "443", "wget"),
                                conexao(11, "203.0.114.11")});
    varrer();
    // .8 is the same process, port and block as .7; the others differ in one.
    ASSERT_EQ(num_banco_painel, 4);
    EXPECT_EQ(celula(0, PAI_IP_REMOTO), "203.0.113.7");
    EXPECT_EQ(celula(1, PAI_IP_REMOTO), "203.0.113.9");
    EXPECT_EQ(vivas(), 5);
}

TEST_F(Varredura, FiltroDeSemelhantesDesligadoMostraTodas) {
    leituras_roteiro.push_back({conexao(7), conexao(8)});
    varrer();
    EXPECT_EQ(num_banco_painel, 2);
    EXPECT_EQ(vivas(), 2);
}

TEST_F(Varredura, LinhasDaSaidaNaOrdemEComATabelaDaLeitura) {
    leituras_roteiro.push_back({conexao(1), conexao(2, "198.51.100.2", "22", "ssh")});
    leituras_roteiro.push_back({conexao(1), conexao(2, "198.51.100.2", "22", "ssh"), conexao(3)});
    leituras_roteiro.push_back({conexao(4)});
    EXPECT_EQ(varrer(),
              "PAINEL1:203.0.113.1:443 curl Germany\n"
              "PAINEL1:198.51.100.2:22 ssh Germany\n");
    EXPECT_EQ(varrer(), "PAINEL2:203.0.113.3:443 curl Germany\n");
    EXPECT_EQ(varrer(), "PAINEL1:203.0.113.4:443 curl Germany\n");
}

TEST_F(Varredura, FecharEEscapeTomadosVoltamAntesDaLeitura) {
    SDL_Event evento{};
    evento.type = SDL_QUIT;
    SDL_PushEvent(&evento);
    EXPECT_EQ(fazer_varredura(), VARREDURA_SAIDA);
    evento = SDL_Event{};
    evento.type = SDL_KEYDOWN;
    evento.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&evento);
    EXPECT_EQ(fazer_varredura(), VARREDURA_ESCAPE);
    EXPECT_EQ(leituras_feitas, 0);
    EXPECT_EQ(rodada, 0);

    evento.key.keysym.sym = SDLK_a;
    SDL_PushEvent(&evento);
    EXPECT_EQ(fazer_varredura(), VARREDURA_SEGUE);
    EXPECT_EQ(leituras_feitas, 1);
    EXPECT_EQ(rodada, 1);
}

TEST(SemelhancaTextos, TresPrimeirosOctetosEUltimaPosicao) {
    EXPECT_STREQ(retorna_3_digitos_ip("10.0.0.1"), "10.0.0");
    EXPECT_STREQ(retorna_3_digitos_ip("203.0.113.7"), "203.0.113");
    EXPECT_STREQ(retorna_3_digitos_ip("2001:db8::7"), "2001:db8:0:0:0:0:0");
    EXPECT_STREQ(retorna_3_digitos_ip("2001:db8::1:7"), "2001:db8:0:0:0:0:1");
    EXPECT_STREQ(retorna_3_digitos_ip("semponto"), "");
    EXPECT_STREQ(retorna_3_digitos_ip(""), "");
    EXPECT_EQ(ultima_posicao_caractere("a.b.c", '.'), 3);
    EXPECT_EQ(ultima_posicao_caractere("abc", '.'), -1);
    EXPECT_EQ(ultima_posicao_caractere(".", '.'), 0);
}

// ---- Real loopback connections through the real capture ---------------------

// Both ends on 127.0.0.2, so with the localhost filter on the reading keeps
// these and none of the 127.0.0.1 connections other tests may hold meanwhile.
constexpr const char* endereco_do_par = "127.0.0.2";

struct par_tcp {
    int servidor = -1, cliente = -1, aceito = -1;
    int porta_servidor = 0, porta_cliente = 0;
    static sockaddr_in endereco(int porta) {
        sockaddr_in e{};
        e.sin_family = AF_INET;
        e.sin_port = htons(static_cast<uint16_t>(porta));
        inet_pton(AF_INET, endereco_do_par, &e.sin_addr);
        return e;
    }
    static int porta_de(int s) {
        sockaddr_in e{};
        socklen_t tamanho = sizeof e;
        getsockname(s, reinterpret_cast<sockaddr*>(&e), &tamanho);
        return ntohs(e.sin_port);
    }
    bool abrir() {
        sockaddr_in e = endereco(0);
        servidor = socket(AF_INET, SOCK_STREAM, 0);
        cliente = socket(AF_INET, SOCK_STREAM, 0);
        if (bind(servidor, reinterpret_cast<sockaddr*>(&e), sizeof e) != 0 ||
            listen(servidor, 1) != 0 || bind(cliente, reinterpret_cast<sockaddr*>(&e), sizeof e) != 0)
            return false;
        porta_servidor = porta_de(servidor);
        sockaddr_in destino = endereco(porta_servidor);
        if (connect(cliente, reinterpret_cast<sockaddr*>(&destino), sizeof destino) != 0) return false;
        aceito = accept(servidor, nullptr, nullptr);
        porta_cliente = porta_de(cliente);
        return aceito >= 0;
    }
    void fechar() {
        for (int* s : {&cliente, &aceito, &servidor}) {
            if (*s >= 0) close(*s);
            *s = -1;
        }
    }
    ~par_tcp() { fechar(); }
};

int linha_do_painel(const std::string& porta_local, const std::string& porta_remota) {
    for (int i = 0; i < num_banco_painel; ++i)
        if (porta_local == banco_painel[i][PAI_PORTA_LOCAL] &&
            porta_remota == banco_painel[i][PAI_PORTA_REMOTA] &&
            std::strcmp(banco_painel[i][PAI_IP_REMOTO], endereco_do_par) == 0)
            return i;
    return -1;
}

TEST_F(Varredura, ConexoesReaisDeLoopbackPelaCapturaReal) {
    EXIGIR_REDE_PRIVADA();
    substituir_leitura(nullptr);
    exibir_localhost = 0;
    exibir_http = exibir_https = exibir_lan_10 = exibir_lan_192 = 1;
    par_tcp par;
    ASSERT_TRUE(par.abrir());
    const std::string servidor = std::to_string(par.porta_servidor);
    const std::string cliente = std::to_string(par.porta_cliente);

    std::string saida = varrer();
    int ida = linha_do_painel(cliente, servidor);
    int volta = linha_do_painel(servidor, cliente);
    ASSERT_GE(ida, 0) << saida;
    ASSERT_GE(volta, 0) << saida;
    EXPECT_EQ(celula(ida, PAI_NOME_DNS), "h127.0.0.2.example.de");
    EXPECT_EQ(celula(ida, PAI_LOCALIDADE), "Germany");
    EXPECT_EQ(celula(ida, PAI_NOVA_CONEXAO), "0");
    EXPECT_EQ(celula(ida, PAI_NOME_PROCESSO), "monitor_tests");
    EXPECT_EQ(celula(ida, PAI_CAMINHO_EXE), executavel_deste_teste());
    EXPECT_NE(saida.find("PAINEL1:127.0.0.2:" + servidor + " "), std::string::npos);
    for (int i = 0; i < num_banco_painel; ++i)
        EXPECT_STRNE(banco_painel[i][PAI_IP_REMOTO], "127.0.0.1");

    par.fechar();
    varrer();
    EXPECT_EQ(celula(ida, PAI_ATIVO), "0");
    EXPECT_EQ(celula(volta, PAI_ATIVO), "0");
    EXPECT_EQ(celula(ida, PAI_HORA_DESCONEXAO), "09:05");
}

}  // namespace
