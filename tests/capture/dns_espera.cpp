#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "support/test_support.h"
#include "capture/reverse_dns.h"

namespace {

using teste::esperar_ate;
using teste::threads_do_processo;

using relogio = std::chrono::steady_clock;
using std::chrono::milliseconds;

long ms_desde(relogio::time_point inicio) {
    return std::chrono::duration_cast<milliseconds>(relogio::now() - inicio).count();
}

// What the fake resolvers see and do; reset before every test.
struct cena_do_resolvedor {
    std::atomic<int> chamadas{0};
    std::atomic<long> ms_primeira_chamada{-1};
    relogio::time_point inicio_da_espera;
    std::atomic<bool> liberar{false};
    std::atomic<bool> atrasada_voltou{false};
    std::atomic<int> status_no_inicio_da_seguinte{-1};
    std::atomic<int> em_curso{0};
    std::atomic<int> maximo_em_curso{0};
} cena;

void anotar_chamada() {
    if (cena.chamadas.fetch_add(1) == 0) cena.ms_primeira_chamada = ms_desde(cena.inicio_da_espera);
}

bool responder(const char* nome, char* destino, std::size_t largura) {
    std::snprintf(destino, largura, "%s", nome);
    return true;
}

bool responde_logo(const char*, char* destino, std::size_t largura) {
    anotar_chamada();
    return responder("primeiro.exemplo.com.br", destino, largura);
}

bool falha_uma_vez(const char*, char* destino, std::size_t largura) {
    anotar_chamada();
    return cena.chamadas > 1 && responder("segundo.exemplo.pt", destino, largura);
}

bool nunca_responde(const char*, char*, std::size_t) {
    anotar_chamada();
    return false;
}

// 127.0.0.21 blocks until the next lookup (127.0.0.22) lets it answer, so its
// answer comes while the next connection's wait is open.
bool responde_tarde(const char* ip, char* destino, std::size_t largura) {
    anotar_chamada();
    if (std::strcmp(ip, "127.0.0.21") == 0) {
        esperar_ate([] { return cena.liberar.load(); });
        responder("atrasado.exemplo.de", destino, largura);
        cena.atrasada_voltou = true;
        return true;
    }
    if (std::strcmp(ip, "127.0.0.22") == 0) {
        if (cena.status_no_inicio_da_seguinte < 0)
            cena.status_no_inicio_da_seguinte = __atomic_load_n(&status_funcao, __ATOMIC_ACQUIRE);
        cena.liberar = true;
        esperar_ate([] { return cena.atrasada_voltou.load(); });
        std::this_thread::sleep_for(milliseconds(30));
        return false;
    }
    return responder("seguinte.exemplo.pt", destino, largura);
}

bool bloqueia(const char*, char* destino, std::size_t largura) {
    anotar_chamada();
    int agora = cena.em_curso.fetch_add(1) + 1;
    int maximo = cena.maximo_em_curso;
    while (agora > maximo && !cena.maximo_em_curso.compare_exchange_weak(maximo, agora)) {
    }
    esperar_ate([] { return cena.liberar.load(); }, milliseconds(30000));
    cena.em_curso.fetch_sub(1);
    return responder("bloqueado.exemplo.com", destino, largura);
}

struct resultado_da_espera {
    std::string host;
    long ms;
};

// The scan cycle's part for one new connection.
resultado_da_espera resolver_como_a_varredura(const char* ip, int limite = timeout_dns) {
    char nome_dns[128];
    copiar_celula(ip_a_resolver, ip);
    nome_dns[0] = '\0';
    copiar_celula(dns_resolvido, "NOID");
    cena.inicio_da_espera = relogio::now();
    criar_timeout(limite);
    long ms = ms_desde(cena.inicio_da_espera);
    copiar_nome_dns(nome_dns, sizeof nome_dns, dns_resolvido);
    copiar_celula(ip_a_resolver, "");
    return {nome_dns, ms};
}

void medida(const char* o_que, long ms) {
    std::printf("[ measured ] %s: %ld ms\n", o_que, ms);
    ::testing::Test::RecordProperty(o_que, static_cast<int>(ms));
}

class EsperaDoDns : public ::testing::Test {
protected:
    void SetUp() override {
        cena.chamadas = 0;
        cena.ms_primeira_chamada = -1;
        cena.liberar = false;
        cena.atrasada_voltou = false;
        cena.status_no_inicio_da_seguinte = -1;
        cena.em_curso = 0;
        cena.maximo_em_curso = 0;
    }
    void TearDown() override {
        cena.liberar = true;
        EXPECT_TRUE(esperar_ate([] { return cena.em_curso == 0; }));
        std::this_thread::sleep_for(milliseconds(20));
        substituir_resolvedor(nullptr);
    }
    void usar(resolvedor_reverso resolvedor) { substituir_resolvedor(resolvedor); }
};

TEST_F(EsperaDoDns, SemRespostaEsperaTudoEFicaNOID) {
    usar(nunca_responde);
    resultado_da_espera r = resolver_como_a_varredura("127.0.0.10");
    medida("wait with no answer", r.ms);
    EXPECT_EQ(r.host, "NOID");
    EXPECT_GE(r.ms, timeout_dns);
    EXPECT_GE(cena.chamadas, 2) << "a failing lookup is retried at every tick";
    EXPECT_EQ(status_funcao, 0);
    EXPECT_EQ(mmt.parado, 1);
}

TEST_F(EsperaDoDns, RespostaNoPrimeiroTickEncerraCedo) {
    usar(nunca_responde);
    long espera_inteira = resolver_como_a_varredura("127.0.0.10").ms;
    SetUp();
    usar(responde_logo);
    resultado_da_espera r = resolver_como_a_varredura("127.0.0.11");
    medida("answer at the first tick", r.ms);
    EXPECT_EQ(r.host, "primeiro.exemplo.com.br");
    EXPECT_EQ(cena.chamadas, 1);
    EXPECT_GE(cena.ms_primeira_chamada, 100) << "first tick one period after arming";
    EXPECT_GE(r.ms, 100);
    EXPECT_LT(r.ms, espera_inteira);
    EXPECT_EQ(status_funcao, 0);
    EXPECT_EQ(mmt.parado, 1);
}

TEST_F(EsperaDoDns, FalhaUmaVezERespondeNoSegundoTick) {
    usar(nunca_responde);
    long espera_inteira = resolver_como_a_varredura("127.0.0.10").ms;
    SetUp();
    usar(falha_uma_vez);
    resultado_da_espera r = resolver_como_a_varredura("127.0.0.12");
    medida("answer at the second tick", r.ms);
    EXPECT_EQ(r.host, "segundo.exemplo.pt");
    EXPECT_EQ(cena.chamadas, 2);
    EXPECT_GE(r.ms, 200);
    EXPECT_LT(r.ms, espera_inteira);
}

TEST_F(EsperaDoDns, FlagQueSobrouNaoEncerraAProximaEspera) {
    usar(nunca_responde);
    __atomic_store_n(&status_funcao, 1, __ATOMIC_RELEASE);
    resultado_da_espera r = resolver_como_a_varredura("127.0.0.13");
    EXPECT_EQ(r.host, "NOID");
    EXPECT_GE(r.ms, timeout_dns);
    EXPECT_GE(cena.chamadas, 1);
}

TEST_F(EsperaDoDns, RespostaAtrasadaNaoChegaNaConexaoSeguinte) {
    usar(responde_tarde);
    resultado_da_espera primeira = resolver_como_a_varredura("127.0.0.21");
    EXPECT_EQ(primeira.host, "NOID");
    resultado_da_espera seguinte = resolver_como_a_varredura("127.0.0.22");
    ASSERT_TRUE(cena.atrasada_voltou) << "the late answer never came";
    EXPECT_EQ(cena.status_no_inicio_da_seguinte, 0);
    EXPECT_EQ(seguinte.host, "NOID");
    EXPECT_GE(seguinte.ms, timeout_dns) << "the late answer ended the next wait";
    EXPECT_EQ(status_funcao, 0);
    EXPECT_EQ(resolver_como_a_varredura("127.0.0.23").host, "seguinte.exemplo.pt");
}

TEST_F(EsperaDoDns, ResolvedorQueTravaNaoSeguraAVarreduraNemAcumulaThreads) {
    usar(bloqueia);
    int antes = threads_do_processo();
    long mais_longa = 0;
    for (int i = 0; i < limite_consultas_em_curso + 4; ++i) {
        char ip[32];
        std::snprintf(ip, sizeof ip, "127.0.1.%d", i + 1);
        resultado_da_espera r = resolver_como_a_varredura(ip, 150);
        EXPECT_EQ(r.host, "NOID") << ip;
        mais_longa = std::max(mais_longa, r.ms);
    }
    medida("longest 150-sleep wait with a resolver that hangs", mais_longa);
    EXPECT_LT(mais_longa, 2000);
    EXPECT_EQ(cena.maximo_em_curso, limite_consultas_em_curso);
    EXPECT_EQ(cena.chamadas, limite_consultas_em_curso);
    EXPECT_LE(threads_do_processo(), antes + limite_consultas_em_curso + 1);

    cena.liberar = true;
    ASSERT_TRUE(esperar_ate([] { return cena.em_curso == 0; }));
    EXPECT_TRUE(esperar_ate([&] { return threads_do_processo() <= antes; }));
    EXPECT_STREQ(dns_resolvido, "NOID") << "a released late answer was written";
    usar(responde_logo);
    EXPECT_EQ(resolver_como_a_varredura("127.0.0.30").host, "primeiro.exemplo.com.br");
}

TEST(ChamadaDireta, DevolveONomeSemTocarNosGlobaisForaDeUmaEspera) {
    substituir_resolvedor(responde_logo);
    copiar_celula(dns_resolvido, "intocado");
    texto_fixo<256> nome = ip_to_dns_nova("127.0.0.40");
    EXPECT_STREQ(nome, "primeiro.exemplo.com.br");
    EXPECT_STREQ(dns_resolvido, "intocado");
    EXPECT_EQ(status_funcao, 0);
    substituir_resolvedor(nunca_responde);
    EXPECT_STREQ(ip_to_dns_nova("127.0.0.40"), "");
    substituir_resolvedor(nullptr);
}

TEST(CopiarNomeDns, NomeQueCabeViaInteiro) {
    char celula[128];
    copiar_nome_dns(celula, sizeof celula, "servidor.exemplo.com.br");
    EXPECT_STREQ(celula, "servidor.exemplo.com.br");
    copiar_nome_dns(celula, sizeof celula, nullptr);
    EXPECT_STREQ(celula, "");
    std::string exato(127, 'a');
    copiar_nome_dns(celula, sizeof celula, exato.c_str());
    EXPECT_EQ(std::string(celula), exato);
}

TEST(CopiarNomeDns, NomeLongoGuardaOFinalAPartirDeUmRotuloInteiro) {
    std::string rotulo(60, 'r');
    std::string nome = rotulo + ".a" + rotulo + ".b" + rotulo + ".exemplo.com.br";
    char celula[128];
    std::memset(celula, 'x', sizeof celula);
    copiar_nome_dns(celula, sizeof celula, nome.c_str());
    std::string guardado = celula;
    EXPECT_LT(guardado.size(), 128u);
    EXPECT_EQ(guardado, ".b" + rotulo + ".exemplo.com.br");
    EXPECT_EQ(nome.compare(nome.size() - guardado.size(), guardado.size(), guardado), 0);
}

TEST(CopiarNomeDns, SemPontoNoFinalCortaNoCaractere) {
    std::string nome = "inicio." + std::string(200, 'z') + "XXX";
    char celula[128];
    copiar_nome_dns(celula, sizeof celula, nome.c_str());
    EXPECT_EQ(std::string(celula), nome.substr(nome.size() - 127));
    char pequena[4];
    copiar_nome_dns(pequena, sizeof pequena, "host.com.br");
    EXPECT_STREQ(pequena, ".br") << "the last three characters survive any cut";
}

TEST(CopiarNomeDns, CortaParaCaberNosDoisTamanhos) {
    std::string nome = std::string(63, 'p') + "." + std::string(63, 'q') + "." +
                       std::string(63, 's') + "." + std::string(60, 't') + ".br";
    char longa[256], curta[128];
    copiar_nome_dns(longa, sizeof longa, nome.c_str());
    EXPECT_EQ(std::string(longa), nome);
    copiar_nome_dns(curta, sizeof curta, nome.c_str());
    EXPECT_EQ(std::string(curta), std::string(63, 's') + "." + std::string(60, 't') + ".br")
        << "a cut that falls on a label's start keeps that label";
}

}  // namespace
