#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "capture/location.h"
#include "capture/reverse_dns.h"
#include "monitor/sweep.h"
#include "platform/platform.h"
#include "platform/seams.h"
#include "platform/private_names.h"
#include "support/dns_server.h"

namespace {

std::string nome_longo_br() {
    std::string nome;
    for (char letra : {'a', 'b', 'c'}) nome += std::string(50, letra) + ".";
    return nome + "exemplo.com.br";
}

std::string hosts_do_teste() {
    return "127.0.0.1 localhost\n"
           "127.0.0.2 servidor.exemplo.com.br\n"
           "127.0.0.3 maquina.exemplo.BR\n"
           "127.0.0.4 " + nome_longo_br() + "\n"
           "::1 ip6-localhost\n"
           "2001:db8::5 servidor6.exemplo.com.br\n";
}

struct local_da_conexao {
    std::string host, localidade;
    int x, y;
};

// The scan cycle's steps for one new connection: host name, then place.
local_da_conexao localizar_como_a_varredura(const char* ip) {
    char nome_dns[128];
    resolver_nome_do_host(ip, nome_dns);
    texto_fixo<48> sufixo = extenc_ip(nome_dns);
    local_px = 0;
    local_py = 0;
    texto_fixo<128> localidade = definir_a_localidade(ip, sufixo);
    return {nome_dns, localidade.c_str(), local_px, local_py};
}

TEST(DnsDoSistema, NomesReaisDeUmHostsPrivado) {
    if (!teste::nomes_privados_possiveis()) GTEST_SKIP() << "needs root and unshare";
    teste::resultado_processo r =
        teste::executar_com_nomes_privados("DnsDoSistemaDentro.*", hosts_do_teste());
    EXPECT_EQ(r.status, 0) << r.saida << r.erros;
    EXPECT_NE(r.saida.find("[       OK ] DnsDoSistemaDentro.DoEnderecoAoPais"), std::string::npos)
        << r.saida;
}

// Runs only inside the private names (see NomesReaisDeUmHostsPrivado), with a
// DNS server that never answers: the hosts file's names come all the same.
TEST(DnsDoSistemaDentro, DoEnderecoAoPais) {
    if (!teste::dentro_dos_nomes_privados()) GTEST_SKIP() << "runs inside the private names";
    teste::ServidorDns mudo([](const std::string&) { return teste::resposta_dns{teste::modo_dns::mudo, ""}; });
    plataforma::encerrar_resolvedor();
    plataforma::usar_servidores_de_nomes(mudo.servidores().c_str(), "fb");
    NomesDoScan nomes;
    local_da_conexao local = localizar_como_a_varredura("127.0.0.1");
    EXPECT_EQ(local.host, "localhost");
    EXPECT_EQ(local.localidade, "Localhost");
    EXPECT_EQ(local.x, 123);
    EXPECT_EQ(local.y, 432);

    local = localizar_como_a_varredura("127.0.0.2");
    EXPECT_EQ(local.host, "servidor.exemplo.com.br");
    EXPECT_EQ(local.localidade, "Brazil");
    EXPECT_EQ(local.x, 130);
    EXPECT_EQ(local.y, 325);

    local = localizar_como_a_varredura("127.0.0.3");
    EXPECT_EQ(local.host, "maquina.exemplo.BR");
    EXPECT_EQ(local.localidade, "NoID");
    EXPECT_EQ(local.x, 0);
    EXPECT_EQ(local.y, 0);

    local = localizar_como_a_varredura("127.0.0.4");
    EXPECT_LT(local.host.size(), 128u);
    EXPECT_EQ(local.host, "." + std::string(50, 'b') + "." + std::string(50, 'c') + ".exemplo.com.br");
    EXPECT_EQ(local.localidade, "Brazil");

    local = localizar_como_a_varredura("::1");
    EXPECT_EQ(local.host + " " + local.localidade, "ip6-localhost Localhost");
    local = localizar_como_a_varredura("2001:db8::5");
    EXPECT_EQ(local.host + " " + local.localidade, "servidor6.exemplo.com.br Brazil");

    EXPECT_EQ(mudo.consultas(), 0);

    local = localizar_como_a_varredura("fd00::9");
    EXPECT_EQ(local.host + " " + local.localidade, "NOID NoID");
    EXPECT_EQ(mudo.consultas(), 1) << "asked the DNS server";

    local = localizar_como_a_varredura("127.0.0.9");
    EXPECT_EQ(local.host, "NOID");
    EXPECT_EQ(local.localidade, "NoID");
    EXPECT_EQ(local.x, 0);
    EXPECT_EQ(mudo.consultas("127.0.0.9"), 1);
    plataforma::usar_servidores_de_nomes(nullptr, nullptr);
}

}  // namespace
