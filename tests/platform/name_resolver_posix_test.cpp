// The resolver's names from the hosts file: in a private mount namespace the
// test's own hosts file is the machine's, with a DNS server that never answers.
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

}  // namespace
