#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/resolver_nomes_privados.h"

namespace {

const char* const hosts_do_teste =
    "127.0.0.1 localhost\n"
    "127.0.0.2 servidor.exemplo.com.br\n"
    "127.0.0.5 oficial.exemplo.pt apelido.exemplo.pt\n";

std::string resolver(const char* ip, std::size_t largura = 256) {
    char nome[1100];
    std::memset(nome, 'x', sizeof nome);
    if (!plataforma::resolver_nome(ip, nome, largura)) return "<sem nome>";
    return nome;
}

TEST(ResolverNome, TextoQueNaoEEnderecoNaoTemNome) {
    char nome[64];
    for (const char* ip : {"", "abc", "999.1.1.1", "127.0.0", "127.0.0.1.5", " 127.0.0.1"})
        EXPECT_FALSE(plataforma::resolver_nome(ip, nome, sizeof nome)) << '"' << ip << '"';
    EXPECT_FALSE(plataforma::resolver_nome(nullptr, nome, sizeof nome));
    EXPECT_FALSE(plataforma::resolver_nome("127.0.0.1", nome, 0));
}

// The machine's own name for 127.0.0.1 comes from its /etc/hosts; a bare
// system image may have none (the private-hosts tests cover that case).
bool hosts_da_maquina_nomeia_o_loopback() {
    std::FILE* hosts = std::fopen("/etc/hosts", "r");
    if (hosts == nullptr) return false;
    char linha[512];
    bool nomeia = false;
    while (!nomeia && std::fgets(linha, sizeof linha, hosts))
        nomeia = std::strncmp(linha, "127.0.0.1", 9) == 0 && std::strchr(" \t", linha[9]);
    std::fclose(hosts);
    return nomeia;
}

TEST(ResolverNome, LoopbackDaMaquinaTemNome) {
    if (!hosts_da_maquina_nomeia_o_loopback()) GTEST_SKIP() << "/etc/hosts names no 127.0.0.1";
    std::string nome = resolver("127.0.0.1");
    EXPECT_NE(nome, "<sem nome>");
    EXPECT_FALSE(nome.empty());
}

TEST(ResolverNome, NomesDeUmHostsPrivado) {
    if (!teste::nomes_privados_possiveis()) GTEST_SKIP() << "needs root and unshare";
    teste::resultado_processo r =
        teste::executar_com_nomes_privados("ResolverNomeDentro.*", hosts_do_teste);
    EXPECT_EQ(r.status, 0) << r.saida << r.erros;
    EXPECT_NE(r.saida.find("[       OK ] ResolverNomeDentro.NomeOficialDoArquivo"),
              std::string::npos) << r.saida;
    EXPECT_NE(r.saida.find("[       OK ] ResolverNomeDentro.NomeLongoGuardaOFinal"),
              std::string::npos) << r.saida;
}

// The tests below run only inside the private names (see NomesDeUmHostsPrivado).

TEST(ResolverNomeDentro, NomeOficialDoArquivo) {
    if (!teste::dentro_dos_nomes_privados()) GTEST_SKIP() << "runs inside the private names";
    EXPECT_EQ(resolver("127.0.0.1"), "localhost");
    EXPECT_EQ(resolver("127.0.0.2"), "servidor.exemplo.com.br");
    EXPECT_EQ(resolver("127.0.0.5"), "oficial.exemplo.pt");
    EXPECT_EQ(resolver("127.0.0.9"), "<sem nome>");
}

TEST(ResolverNomeDentro, NomeLongoGuardaOFinal) {
    if (!teste::dentro_dos_nomes_privados()) GTEST_SKIP() << "runs inside the private names";
    EXPECT_EQ(resolver("127.0.0.2", 10), "lo.com.br");
    EXPECT_EQ(resolver("127.0.0.2", 24), "servidor.exemplo.com.br");
    EXPECT_EQ(resolver("127.0.0.2", 23), "ervidor.exemplo.com.br");
    EXPECT_EQ(resolver("127.0.0.2", 1), "");
}

}  // namespace
