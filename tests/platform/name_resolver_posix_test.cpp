// The resolver's names from the system's files: in a private mount namespace
// the test's own hosts file, nsswitch.conf and resolv.conf are the machine's,
// with a DNS server of the test's.
#include <gtest/gtest.h>

#include <string>

#include "platform/private_names.h"
#include "support/dns_server.h"
#include "support/test_support.h"

namespace {

using plataforma::contagem_de_nomes;
using plataforma::resposta_de_nome;
using teste::esperar_ate;
using teste::modo_dns;
using teste::resposta_dns;

const char* const hosts_do_teste =
    "127.0.0.1 localhost\n"
    "127.0.0.2 servidor.exemplo.com.br\n"
    "127.0.0.5 oficial.exemplo.pt apelido.exemplo.pt\n";

TEST(ResolverNome, NomesDeUmHostsPrivado) {
    if (!teste::nomes_privados_possiveis()) GTEST_SKIP() << "needs root and unshare";
    teste::resultado_processo r =
        teste::executar_com_nomes_privados("ResolverNomeDentro.*", hosts_do_teste);
    EXPECT_EQ(r.status, 0) << r.saida << r.erros;
    EXPECT_NE(r.saida.find("[       OK ] ResolverNomeDentro.NomeOficialDoArquivoComDnsMudo"),
              std::string::npos) << r.saida;
}

// Runs only inside the private names (see NomesDeUmHostsPrivado).
TEST(ResolverNomeDentro, NomeOficialDoArquivoComDnsMudo) {
    if (!teste::dentro_dos_nomes_privados()) GTEST_SKIP() << "runs inside the private names";
    teste::ServidorDns mudo([](const std::string&) { return resposta_dns{modo_dns::mudo, ""}; });
    plataforma::encerrar_resolvedor();
    plataforma::usar_servidores_de_nomes(mudo.servidores().c_str(), "fb");
    contagem_de_nomes antes = plataforma::contar_nomes();
    auto nome_de = [](const char* ip) {
        char nome[256];
        resposta_de_nome r;
        esperar_ate([&] {
            return (r = plataforma::pedir_nome(ip, 60000, nome, sizeof nome)) != resposta_de_nome::pendente;
        });
        return r == resposta_de_nome::com_nome ? std::string(nome) : std::string("<sem nome>");
    };
    EXPECT_EQ(nome_de("127.0.0.1"), "localhost");
    EXPECT_EQ(nome_de("127.0.0.2"), "servidor.exemplo.com.br");
    EXPECT_EQ(nome_de("127.0.0.5"), "oficial.exemplo.pt");
    EXPECT_EQ(mudo.consultas(), 0) << "a hosts-file name never waits for DNS";
    EXPECT_EQ(plataforma::contar_nomes().com_nome - antes.com_nome, 3u);
    EXPECT_EQ(plataforma::pedir_nome("127.0.0.9", 60000, nullptr, 0), resposta_de_nome::pendente);
    EXPECT_TRUE(esperar_ate([&] { return mudo.consultas("127.0.0.9") == 1; }));
    plataforma::encerrar_resolvedor();
    plataforma::usar_servidores_de_nomes(nullptr, nullptr);
}

// The system's files as they are and as they change, each time followed:
// the index of the hosts file (first line wins, IPv4-mapped lines, control
// bytes shown as "?", a changed file read again), nsswitch.conf's actions and
// order, and resolv.conf (a lookup under way goes on, "options use-vc").
const char* const hosts_do_sistema =
    "::ffff:127.0.0.6 mapeado.exemplo.pt\n"
    "127.0.0.7 ctl\001nome.exemplo.pt\n"
    "127.0.0.8 primeiro.exemplo.pt # comentario\n"
    "127.0.0.8 segundo.exemplo.pt\n";

TEST(ResolverNome, SegueOsArquivosDoSistema) {
    if (!teste::nomes_privados_possiveis()) GTEST_SKIP() << "needs root and unshare";
    teste::resultado_processo r = teste::executar_com_nomes_privados(
        "ResolverArquivosDentro.QuandoMudam", hosts_do_sistema,
        "hosts: files [NOTFOUND=return] dns\n", "nameserver 127.0.0.1\n");
    EXPECT_EQ(r.status, 0) << r.saida << r.erros;
    EXPECT_NE(r.saida.find("[       OK ] ResolverArquivosDentro.QuandoMudam"),
              std::string::npos) << r.saida;
}

std::string nome_de(const char* ip) {
    char nome[256];
    resposta_de_nome r;
    esperar_ate([&] {
        return (r = plataforma::pedir_nome(ip, 60000, nome, sizeof nome)) != resposta_de_nome::pendente;
    });
    return r == resposta_de_nome::com_nome ? std::string(nome) : std::string("<sem nome>");
}

// Runs only inside the private names (see SegueOsArquivosDoSistema).
TEST(ResolverArquivosDentro, QuandoMudam) {
    if (!teste::dentro_dos_nomes_privados()) GTEST_SKIP() << "runs inside the private names";
    teste::ServidorDns dns([](const std::string& ip) {
        return resposta_dns{ip.rfind("100.64.", 0) == 0 ? modo_dns::reter : modo_dns::nome, "dns" + ip + ".exemplo.pt"};
    });
    ASSERT_TRUE(dns.ouvir_tcp());
    plataforma::encerrar_resolvedor();
    plataforma::usar_servidores_de_nomes(dns.servidores().c_str(), "");
    EXPECT_EQ(nome_de("127.0.0.6"), "mapeado.exemplo.pt");
    EXPECT_EQ(nome_de("127.0.0.7"), "ctl?nome.exemplo.pt");
    EXPECT_EQ(nome_de("127.0.0.8"), "primeiro.exemplo.pt");
    EXPECT_EQ(nome_de("127.0.0.9"), "<sem nome>");
    EXPECT_EQ(dns.consultas(), 0) << "[NOTFOUND=return] after files: DNS is not asked";

    teste::escrever_arquivo("/etc/hosts", std::string(hosts_do_sistema) + "127.0.0.10 novo.exemplo.pt\n");
    EXPECT_EQ(nome_de("127.0.0.10"), "novo.exemplo.pt");

    teste::escrever_arquivo("/etc/nsswitch.conf", "hosts: dns files\n");
    EXPECT_TRUE(esperar_ate([] { return nome_de("127.0.0.9") == "dns127.0.0.9.exemplo.pt"; }))
        << "the earlier \"no name\" is asked again";
    EXPECT_EQ(nome_de("127.0.0.11"), "dns127.0.0.11.exemplo.pt");
    EXPECT_EQ(dns.consultas_tcp(), 0);

    EXPECT_EQ(plataforma::pedir_nome("100.64.0.1", 60000, nullptr, 0), resposta_de_nome::pendente);
    EXPECT_TRUE(esperar_ate([&] { return dns.consultas("100.64.0.1") == 1; }));
    teste::escrever_arquivo("/etc/resolv.conf", "nameserver 127.0.0.1\noptions ndots:1\n");
    EXPECT_TRUE(esperar_ate([&] { return dns.consultas("100.64.0.1") == 2; }))
        << "a lookup under way when resolv.conf changes goes on in the new channel";
    dns.liberar();
    EXPECT_EQ(nome_de("100.64.0.1"), "dns100.64.0.1.exemplo.pt");

    teste::escrever_arquivo("/etc/resolv.conf", "nameserver 127.0.0.1\noptions use-vc\n");
    EXPECT_EQ(nome_de("127.0.0.12"), "dns127.0.0.12.exemplo.pt");
    EXPECT_EQ(dns.consultas_tcp(), 1);
    plataforma::encerrar_resolvedor();
    plataforma::usar_servidores_de_nomes(nullptr, nullptr);
}

}  // namespace
