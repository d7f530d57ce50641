// The asynchronous reverse resolver against a DNS server of our own on
// loopback. What happened is read from the resolver's own counters, never from
// the clock: a stand-in clock moves the windows and the 30-second retry.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "support/dns_server.h"
#include "support/test_support.h"

namespace {

using plataforma::contagem_de_nomes;
using plataforma::resposta_de_nome;
using teste::esperar_ate;
using teste::modo_dns;
using teste::resposta_dns;

std::atomic<uint64_t> relogio_do_teste{1000000};
uint64_t ler_relogio_do_teste() { return relogio_do_teste.load(); }

// 203.0.113.x has a name, 198.51.x.x has none, 192.0.2.x is never answered
// and 100.64.0.x is answered only when the test releases it.
resposta_dns regra_do_teste(const std::string& ip) {
    if (ip.rfind("203.0.113.", 0) == 0) return {modo_dns::nome, "h" + ip + ".exemplo.pt"};
    if (ip.rfind("198.51.", 0) == 0) return {modo_dns::sem_nome, ""};
    if (ip.rfind("100.64.0.", 0) == 0) return {modo_dns::reter, "tarde" + ip + ".exemplo.pt"};
    return {modo_dns::mudo, ""};
}

constexpr unsigned janela = 500;

class ResolvedorDeNomes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dns.pronto());
        plataforma::encerrar_resolvedor();
        plataforma::esquecer_nomes();
        plataforma::usar_servidores_de_nomes(dns.servidores().c_str(), "b");
        antes = plataforma::contar_nomes();
    }
    void TearDown() override {
        plataforma::encerrar_resolvedor();
        plataforma::esquecer_nomes();
        plataforma::usar_servidores_de_nomes(nullptr, nullptr);
        plataforma::substituir_relogio_de_nomes(nullptr);
    }

    static resposta_de_nome pedir(const std::string& ip, std::string* nome = nullptr,
                                  unsigned janela_ms = janela) {
        char texto[256];
        std::memset(texto, 'x', sizeof texto);
        resposta_de_nome r = plataforma::pedir_nome(ip.c_str(), janela_ms, texto, sizeof texto);
        if (nome && r == resposta_de_nome::com_nome) *nome = texto;
        return r;
    }
    // Starts the lookup and says where it stands, without waiting for anything.
    static resposta_de_nome so_comecar(const std::string& ip) {
        return plataforma::pedir_nome(ip.c_str(), janela, nullptr, 0);
    }
    // Asks until the lookup has ended (a window of the real clock at most).
    static resposta_de_nome resposta_final(const std::string& ip, std::string* nome = nullptr) {
        resposta_de_nome r = pedir(ip, nome);
        esperar_ate([&] { return (r = pedir(ip, nome)) != resposta_de_nome::pendente; });
        return r;
    }
    contagem_de_nomes agora() const { return plataforma::contar_nomes(); }
    uint64_t iniciadas() const { return agora().iniciadas - antes.iniciadas; }

    teste::ServidorDns dns{regra_do_teste};
    contagem_de_nomes antes{};
};

TEST_F(ResolvedorDeNomes, TextoQueNaoEEnderecoNaoTemNomeNemConsulta) {
    for (const char* ip : {"", "abc", "999.1.1.1", "127.0.0", "127.0.0.1.5", " 127.0.0.1"})
        EXPECT_EQ(pedir(ip), resposta_de_nome::sem_nome) << '"' << ip << '"';
    EXPECT_EQ(plataforma::pedir_nome(nullptr, janela, nullptr, 0), resposta_de_nome::sem_nome);
    EXPECT_EQ(iniciadas(), 0u);
}

TEST_F(ResolvedorDeNomes, NomeDoDnsUmaVezESegundaPerguntaDoCache) {
    std::string nome;
    EXPECT_EQ(resposta_final("203.0.113.5", &nome), resposta_de_nome::com_nome);
    EXPECT_EQ(nome, "h203.0.113.5.exemplo.pt");
    EXPECT_EQ(agora().com_nome - antes.com_nome, 1u);

    nome.clear();
    EXPECT_EQ(pedir("203.0.113.5", &nome), resposta_de_nome::com_nome) << "answered at once";
    EXPECT_EQ(nome, "h203.0.113.5.exemplo.pt");
    EXPECT_EQ(iniciadas(), 1u);
    EXPECT_EQ(dns.consultas("203.0.113.5"), 1);

    char curto[10];
    EXPECT_EQ(plataforma::pedir_nome("203.0.113.5", janela, curto, sizeof curto),
              resposta_de_nome::com_nome);
    EXPECT_STREQ(curto, "xemplo.pt") << "a name too long for the cell keeps its end";
}

// Each lookup after the first finds the resolver's thread asleep with nothing
// to wait for: only its wake-up gets the query sent.
TEST_F(ResolvedorDeNomes, NomesDoServidorUmAposOOutro) {
    for (const char* ip : {"203.0.113.5", "203.0.113.6", "203.0.113.7"}) {
        std::string nome;
        EXPECT_EQ(resposta_final(ip, &nome), resposta_de_nome::com_nome) << ip;
        EXPECT_EQ(nome, "h" + std::string(ip) + ".exemplo.pt");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(dns.consultas(), 3);
    contagem_de_nomes c = agora();
    EXPECT_TRUE(c.thread_ativa);
    EXPECT_EQ(c.em_curso, 0);
}

TEST_F(ResolvedorDeNomes, SemNomeGuardadoENovaTentativaDepoisDe30s) {
    plataforma::substituir_relogio_de_nomes(ler_relogio_do_teste);
    EXPECT_EQ(resposta_final("198.51.100.7"), resposta_de_nome::sem_nome);
    EXPECT_EQ(agora().sem_nome - antes.sem_nome, 1u);
    relogio_do_teste += plataforma::nova_tentativa_sem_nome_ms - 1;
    EXPECT_EQ(pedir("198.51.100.7"), resposta_de_nome::sem_nome);
    EXPECT_EQ(iniciadas(), 1u) << "a fresh \"no name\" is not asked again";
    relogio_do_teste += 1;
    EXPECT_EQ(so_comecar("198.51.100.7"), resposta_de_nome::pendente) << "asked again after 30 s";
    EXPECT_EQ(iniciadas(), 2u);
    EXPECT_EQ(resposta_final("198.51.100.7"), resposta_de_nome::sem_nome);
    EXPECT_EQ(dns.consultas("198.51.100.7"), 2);
}

TEST_F(ResolvedorDeNomes, ServidorMudoExpiraNaJanelaECancelaAConsulta) {
    plataforma::substituir_relogio_de_nomes(ler_relogio_do_teste);
    EXPECT_EQ(pedir("192.0.2.1"), resposta_de_nome::pendente);
    ASSERT_TRUE(esperar_ate([&] { return dns.consultas("192.0.2.1") == 1; }));
    relogio_do_teste += janela - 1;
    EXPECT_EQ(pedir("192.0.2.1"), resposta_de_nome::pendente);
    EXPECT_EQ(agora().em_curso, 1);
    relogio_do_teste += 1;
    EXPECT_EQ(pedir("192.0.2.1"), resposta_de_nome::sem_nome) << "the window counts from the start";
    EXPECT_EQ(agora().expiradas - antes.expiradas, 1u);
    EXPECT_TRUE(esperar_ate([&] { return agora().em_curso == 0; }))
        << "a query nobody waits for is cancelled";
    EXPECT_EQ(iniciadas(), 1u);
}

TEST_F(ResolvedorDeNomes, RespostaDepoisDaJanelaEDescartada) {
    plataforma::substituir_relogio_de_nomes(ler_relogio_do_teste);
    pedir("100.64.0.1");
    relogio_do_teste += 400;
    pedir("100.64.0.2");
    ASSERT_TRUE(esperar_ate([&] { return dns.consultas() == 2; }));
    relogio_do_teste += 100;  // the first window has closed, the second has not
    EXPECT_EQ(pedir("100.64.0.1"), resposta_de_nome::sem_nome);
    dns.liberar("100.64.0.1");
    ASSERT_TRUE(esperar_ate([&] { return agora().descartadas - antes.descartadas == 1; }));
    EXPECT_EQ(pedir("100.64.0.1"), resposta_de_nome::sem_nome) << "the late name was not kept";
    dns.liberar("100.64.0.2");
    std::string nome;
    EXPECT_EQ(resposta_final("100.64.0.2", &nome), resposta_de_nome::com_nome);
    EXPECT_EQ(nome, "tarde100.64.0.2.exemplo.pt");
    contagem_de_nomes c = agora();
    EXPECT_EQ(c.expiradas - antes.expiradas, 1u);
    EXPECT_EQ(c.com_nome - antes.com_nome, 1u);
}

TEST_F(ResolvedorDeNomes, EsquecerCancelaOQueCorreERecomeca) {
    std::string nome;
    EXPECT_EQ(resposta_final("203.0.113.9", &nome), resposta_de_nome::com_nome);
    pedir("192.0.2.9");
    plataforma::esquecer_nomes();
    contagem_de_nomes c = agora();
    EXPECT_EQ(c.canceladas - antes.canceladas, 1u);
    EXPECT_EQ(c.no_cache, 0);
    EXPECT_TRUE(esperar_ate([&] { return agora().em_curso == 0; }));
    EXPECT_EQ(so_comecar("203.0.113.9"), resposta_de_nome::pendente) << "forgotten: asked again";
    EXPECT_EQ(iniciadas(), 3u);
}

TEST_F(ResolvedorDeNomes, CacheLimitadoPerdeOMenosUsado) {
    const int total = plataforma::capacidade_do_cache_de_nomes + 24;
    for (int inicio = 0; inicio < total; inicio += 200) {
        for (int i = inicio; i < total && i < inicio + 200; ++i)
            pedir("198.51." + std::to_string(101 + i / 250) + "." + std::to_string(i % 250));
        ASSERT_TRUE(esperar_ate([&] { return agora().em_curso == 0 && agora().sem_nome - antes.sem_nome ==
                                                 static_cast<uint64_t>(std::min(total, inicio + 200)); }));
    }
    EXPECT_EQ(agora().no_cache, plataforma::capacidade_do_cache_de_nomes);
    uint64_t feitas = iniciadas();
    EXPECT_EQ(feitas, static_cast<uint64_t>(total));
    pedir("198.51." + std::to_string(101 + (total - 1) / 250) + "." + std::to_string((total - 1) % 250));
    EXPECT_EQ(iniciadas(), feitas) << "the newest is still known";
    pedir("198.51.101.0");
    EXPECT_EQ(iniciadas(), feitas + 1) << "the oldest was dropped";
}

TEST_F(ResolvedorDeNomes, EncerrarNaoDeixaThreadSocketNemConsulta) {
    plataforma::encerrar_resolvedor();
    int threads = teste::threads_do_processo();
    int alcas = plataforma::alcas_abertas();
    for (int i = 1; i <= 20; ++i) pedir("192.0.2." + std::to_string(i), nullptr, 600000);
    std::string nome;
    EXPECT_EQ(resposta_final("203.0.113.20", &nome), resposta_de_nome::com_nome);
    ASSERT_TRUE(esperar_ate([&] { return dns.consultas() == 21; }));
    contagem_de_nomes durante = agora();
    EXPECT_TRUE(durante.thread_ativa);
    EXPECT_EQ(durante.em_curso, 20);
    EXPECT_LE(teste::threads_do_processo(), threads + 1) << "one thread for every lookup";

    plataforma::encerrar_resolvedor();
    contagem_de_nomes depois = agora();
    EXPECT_FALSE(depois.thread_ativa);
    EXPECT_EQ(depois.em_curso, 0);
    EXPECT_EQ(depois.sockets_abertos, 0);
    EXPECT_EQ(depois.canceladas - durante.canceladas, 20u);
    EXPECT_TRUE(esperar_ate([&] { return teste::threads_do_processo() <= threads; }));
    EXPECT_EQ(plataforma::alcas_abertas(), alcas);
    EXPECT_EQ(pedir("203.0.113.20", &nome), resposta_de_nome::com_nome) << "answers outlive the thread";
    EXPECT_EQ(resposta_final("198.51.100.20"), resposta_de_nome::sem_nome) << "and it starts again";
}

}  // namespace
