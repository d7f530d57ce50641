// The scan cycle's bounded wait for a host name, over the real resolver and a
// DNS server of our own on loopback. What happened is read from the resolver's
// counters, not from the clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "capture/reverse_dns.h"
#include "monitor/sweep.h"
#include "platform/platform.h"
#include "support/dns_server.h"
#include "support/test_support.h"

namespace {

using plataforma::contagem_de_nomes;
using teste::esperar_ate;
using teste::modo_dns;
using teste::resposta_dns;

// 203.0.113.x has a name, 198.51.100.x has none, 192.0.2.x is never answered,
// 100.64.0.x only when the test releases it.
resposta_dns regra_do_teste(const std::string& ip) {
    if (ip.rfind("203.0.113.", 0) == 0) return {modo_dns::nome, "h" + ip + ".exemplo.com.br"};
    if (ip.rfind("198.51.100.", 0) == 0) return {modo_dns::sem_nome, ""};
    if (ip.rfind("100.64.0.", 0) == 0) return {modo_dns::reter, "tarde.exemplo.de"};
    return {modo_dns::mudo, ""};
}

// The sweep's step for one new connection.
std::string resolver_como_a_varredura(const char* ip) {
    char nome_dns[128];
    resolver_nome_do_host(ip, nome_dns);
    return nome_dns;
}

class EsperaDoDns : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dns.pronto());
        plataforma::encerrar_resolvedor();
        plataforma::usar_servidores_de_nomes(dns.servidores().c_str(), "b");
        nomes.reset(new NomesDoScan);
        antes = plataforma::contar_nomes();
    }
    void TearDown() override {
        nomes.reset();
        plataforma::usar_servidores_de_nomes(nullptr, nullptr);
        timeout_dns = 500;
    }
    contagem_de_nomes diferenca() const {
        contagem_de_nomes c = plataforma::contar_nomes();
        return {c.iniciadas - antes.iniciadas, c.com_nome - antes.com_nome,
                c.sem_nome - antes.sem_nome, c.expiradas - antes.expiradas,
                c.canceladas - antes.canceladas, c.descartadas - antes.descartadas,
                c.em_curso, c.no_cache, c.thread_ativa, c.sockets_abertos};
    }

    teste::ServidorDns dns{regra_do_teste};
    std::unique_ptr<NomesDoScan> nomes;
    contagem_de_nomes antes{};
};

TEST_F(EsperaDoDns, NomeDoDnsEncerraAEspera) {
    EXPECT_EQ(resolver_como_a_varredura("203.0.113.1"), "h203.0.113.1.exemplo.com.br");
    EXPECT_EQ(diferenca().com_nome, 1u);
    EXPECT_EQ(status_funcao, 0);
    EXPECT_EQ(mmt.parado, 1);
}

// With no sleep at all only the attempt made at arming can answer.
TEST_F(EsperaDoDns, PrimeiraTentativaAoArmarOTimer) {
    EXPECT_EQ(resolver_como_a_varredura("203.0.113.5"), "h203.0.113.5.exemplo.com.br");
    timeout_dns = 0;
    EXPECT_EQ(resolver_como_a_varredura("203.0.113.5"), "h203.0.113.5.exemplo.com.br");
    EXPECT_EQ(status_funcao, 0);
    EXPECT_EQ(mmt.parado, 1);
    EXPECT_EQ(diferenca().iniciadas, 1u);
}

TEST_F(EsperaDoDns, SemNomeNoDnsEncerraAEsperaComNOIDSemEsperarAJanela) {
    EXPECT_EQ(resolver_como_a_varredura("198.51.100.1"), "NOID");
    contagem_de_nomes d = diferenca();
    EXPECT_EQ(d.sem_nome, 1u);
    EXPECT_EQ(d.expiradas, 0u) << "the wait ended with the answer, not with the window";
    EXPECT_EQ(status_funcao, 0);
    EXPECT_EQ(mmt.parado, 1);
}

TEST_F(EsperaDoDns, ServidorMudoDaNOIDQuandoAJanelaPassa) {
    timeout_dns = 100;
    EXPECT_EQ(resolver_como_a_varredura("192.0.2.1"), "NOID");
    EXPECT_EQ(diferenca().expiradas, 1u);
    EXPECT_EQ(diferenca().iniciadas, 1u);
    EXPECT_EQ(resolver_como_a_varredura("192.0.2.1"), "NOID");
    EXPECT_EQ(diferenca().iniciadas, 1u) << "an expired address is not asked again in the scan";
}

TEST_F(EsperaDoDns, FlagQueSobrouNaoEncerraAProximaEspera) {
    timeout_dns = 100;
    __atomic_store_n(&status_funcao, 1, __ATOMIC_RELEASE);
    EXPECT_EQ(resolver_como_a_varredura("192.0.2.2"), "NOID");
    EXPECT_EQ(diferenca().expiradas, 1u) << "the wait lasted until the window passed";
    EXPECT_EQ(status_funcao, 0);
}

TEST_F(EsperaDoDns, SegundaConexaoAoMesmoEnderecoSemNovaConsulta) {
    EXPECT_EQ(resolver_como_a_varredura("203.0.113.2"), "h203.0.113.2.exemplo.com.br");
    EXPECT_EQ(resolver_como_a_varredura("198.51.100.2"), "NOID");
    EXPECT_EQ(resolver_como_a_varredura("203.0.113.2"), "h203.0.113.2.exemplo.com.br");
    EXPECT_EQ(resolver_como_a_varredura("198.51.100.2"), "NOID");
    EXPECT_EQ(diferenca().iniciadas, 2u);
    EXPECT_EQ(dns.consultas(), 2);
}

TEST_F(EsperaDoDns, RespostaAtrasadaNaoChegaNaConexaoSeguinte) {
    timeout_dns = 100;
    EXPECT_EQ(resolver_como_a_varredura("100.64.0.1"), "NOID");
    dns.liberar();
    ASSERT_EQ(dns.enviadas(), 1);
    ASSERT_TRUE(esperar_ate([] { return plataforma::contar_nomes().em_curso == 0; }));
    EXPECT_EQ(resolver_como_a_varredura("203.0.113.3"), "h203.0.113.3.exemplo.com.br");
    EXPECT_EQ(resolver_como_a_varredura("100.64.0.1"), "NOID") << "the late name was kept";
    EXPECT_EQ(diferenca().iniciadas, 2u);
    EXPECT_STREQ(ip_a_resolver, "");
}

TEST_F(EsperaDoDns, OFimDoScanNaoDeixaThreadSocketNemConsulta) {
    int threads = teste::threads_do_processo();
    for (int i = 1; i <= 8; ++i) antecipar_nome(("192.0.2." + std::to_string(10 + i)).c_str());
    EXPECT_EQ(resolver_como_a_varredura("203.0.113.4"), "h203.0.113.4.exemplo.com.br");
    EXPECT_TRUE(plataforma::contar_nomes().thread_ativa);
    nomes.reset();
    contagem_de_nomes c = plataforma::contar_nomes();
    EXPECT_FALSE(c.thread_ativa);
    EXPECT_EQ(c.em_curso, 0);
    EXPECT_EQ(c.sockets_abertos, 0);
    EXPECT_EQ(diferenca().canceladas + diferenca().expiradas, 8u);
    EXPECT_TRUE(esperar_ate([&] { return teste::threads_do_processo() <= threads; }));

    nomes.reset(new NomesDoScan);
    EXPECT_EQ(plataforma::contar_nomes().no_cache, 0) << "a new scan starts with no names";
    EXPECT_EQ(resolver_como_a_varredura("203.0.113.4"), "h203.0.113.4.exemplo.com.br");
    EXPECT_EQ(dns.consultas("203.0.113.4"), 2);
}

TEST(ChamadaDireta, DevolveONomeSemTocarNosGlobaisForaDeUmaEspera) {
    teste::ServidorDns dns(regra_do_teste);
    plataforma::encerrar_resolvedor();
    plataforma::usar_servidores_de_nomes(dns.servidores().c_str(), "b");
    {
        NomesDoScan nomes;
        copiar_celula(dns_resolvido, "intocado");
        texto_fixo<256> nome;
        EXPECT_TRUE(esperar_ate([&] { return (nome = ip_to_dns_nova("203.0.113.40")).s[0] != '\0'; }));
        EXPECT_STREQ(nome, "h203.0.113.40.exemplo.com.br");
        EXPECT_STREQ(dns_resolvido, "intocado");
        EXPECT_EQ(status_funcao, 0);
    }
    plataforma::usar_servidores_de_nomes(nullptr, nullptr);
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
