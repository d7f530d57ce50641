#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "capture/location.h"

namespace {

struct localizado {
    std::string nome;
    int x, y;
};

// The scan cycle zeroes the point before every lookup.
localizado localizar(const char* ip, const char* host) {
    local_px = 0;
    local_py = 0;
    texto_fixo<128> nome = definir_a_localidade(ip, extenc_ip(host));
    return {nome.c_str(), local_px, local_py};
}

void esperar_local(const localizado& obtido, const char* nome, int x, int y) {
    EXPECT_EQ(obtido.nome, nome);
    EXPECT_EQ(obtido.x, x) << nome;
    EXPECT_EQ(obtido.y, y) << nome;
}

const char* const endereco_publico = "200.147.3.157";

TEST(ExtencIp, UltimosTresCaracteresOuONomeInteiro) {
    EXPECT_STREQ(extenc_ip("servidor.exemplo.com.br"), ".br");
    EXPECT_STREQ(extenc_ip("localhost"), "ost");
    EXPECT_STREQ(extenc_ip("NOID"), "OID");
    EXPECT_STREQ(extenc_ip("abc"), "abc");
    EXPECT_STREQ(extenc_ip("ab"), "ab");
    EXPECT_STREQ(extenc_ip(""), "");
    EXPECT_STREQ(extenc_ip(nullptr), "");
}

struct linha_esperada {
    int ordem;
    const char* sufixo;
    const char* nome;
    int x, y;
};

// A sample of the table: both ends, the US rows, the upper-case row, names
// with punctuation or odd case, and rows sharing a point.
const linha_esperada amostra[] = {
    {1, "com", "USA", 60, 245},
    {2, "net", "USA", 60, 245},
    {3, ".br", "Brazil", 130, 325},
    {10, "jus", "USA", 60, 245},
    {11, ".es", "Espanha", 178, 260},
    {31, ".bd", "Bangladesh", 273, 305},
    {32, ".mm", "Myanmar", 273, 305},
    {45, ".io", "BritishIndianOcean", 245, 299},
    {55, ".gb", "UnitedKingdom", 175, 235},
    {62, ".ap", "Asia/PacificRegion", 352, 263},
    {67, ".co", "Colombia", 96, 305},
    {93, ".cd", "Congo,TheDemocraticRepublicofthe", 207, 305},
    {96, ".gq", "guineequat", 192, 304},
    {102, ".gw", "Guinea-Bissau", 160, 286},
    {105, ".ci", "CoteD'Ivoire", 170, 295},
    {107, ".tg", "Togo", 176, 295},
    {108, ".bj", "Benin", 176, 295},
    {113, "XXX", "xxxx", 31, 12},
    {117, ".eg", "Egypt", 215, 272},
    {118, ".a2", "SatelliteProvider", 125, 150},
};

TEST(TabelaDeLocalidades, AmostraNaOrdemComNomesEPontos) {
    for (const linha_esperada& e : amostra) {
        const localidade_por_sufixo& linha = tabela_localidades[e.ordem - 1];
        EXPECT_STREQ(linha.sufixo, e.sufixo) << "row " << e.ordem;
        EXPECT_STREQ(linha.nome, e.nome) << "row " << e.ordem;
        EXPECT_EQ(linha.x, e.x) << "row " << e.ordem;
        EXPECT_EQ(linha.y, e.y) << "row " << e.ordem;
        std::string host = std::string("maquina.exemplo") + e.sufixo;
        esperar_local(localizar(endereco_publico, host.c_str()), e.nome, e.x, e.y);
    }
}

TEST(TabelaDeLocalidades, CentoEDezoitoSufixosDistintosDeTresCaracteres) {
    ASSERT_EQ(sizeof tabela_localidades / sizeof tabela_localidades[0], 118u);
    std::set<std::string> sufixos;
    int usa = 0;
    for (const localidade_por_sufixo& linha : tabela_localidades) {
        EXPECT_EQ(std::strlen(linha.sufixo), 3u) << linha.sufixo;
        sufixos.insert(linha.sufixo);
        usa += std::strcmp(linha.nome, "USA") == 0;
    }
    EXPECT_EQ(sufixos.size(), 118u);
    EXPECT_EQ(usa, 7);
    EXPECT_STREQ(tabela_localidades[0].sufixo, "com");
    EXPECT_STREQ(tabela_localidades[117].nome, "SatelliteProvider");
}

TEST(TabelaDeLocalidades, CadaLinhaLocalizaComOsProprioNomeEPonto) {
    for (const localidade_por_sufixo& linha : tabela_localidades) {
        std::string host = std::string("h") + linha.sufixo;
        esperar_local(localizar(endereco_publico, host.c_str()), linha.nome, linha.x, linha.y);
    }
}

TEST(RegrasDeEndereco, LoopbackERedesPrivadas) {
    esperar_local(localizar("127.0.0.1", "localhost"), "Localhost", 123, 432);
    esperar_local(localizar("10.0.0.5", "NOID"), "RedeLocal", 252, 421);
    esperar_local(localizar("192.168.0.10", "NOID"), "RedeLocal", 252, 421);
}

TEST(RegrasDeEndereco, PrefixosQueNaoSaoPrivados) {
    esperar_local(localizar("100.1.2.3", "NOID"), "NoID", 0, 0);
    esperar_local(localizar("192.16.8.1", "NOID"), "NoID", 0, 0);
    esperar_local(localizar("127.0.0.2", "NOID"), "NoID", 0, 0);
    esperar_local(localizar("127.0.0.10", "NOID"), "NoID", 0, 0);
    esperar_local(localizar("10", "NOID"), "NoID", 0, 0);
    esperar_local(localizar("192.16", "NOID"), "NoID", 0, 0);
    esperar_local(localizar("", "NOID"), "NoID", 0, 0);
}

TEST(RegrasDeEndereco, LinhaDaTabelaSubstituiARegra) {
    esperar_local(localizar("10.0.0.5", "intranet.exemplo.com"), "USA", 60, 245);
    esperar_local(localizar("192.168.1.1", "roteador.exemplo.pt"), "Portugal", 168, 260);
    esperar_local(localizar("127.0.0.1", "localhost.exemplo.de"), "Germany", 190, 243);
}

TEST(SufixoDoHost, MaiusculasEMinusculasContam) {
    esperar_local(localizar(endereco_publico, "maquina.exemplo.BR"), "NoID", 0, 0);
    esperar_local(localizar(endereco_publico, "maquina.exemploXXX"), "xxxx", 31, 12);
    esperar_local(localizar(endereco_publico, "maquina.exemploxxx"), "NoID", 0, 0);
    esperar_local(localizar(endereco_publico, "maquina.exemplo.COM"), "NoID", 0, 0);
}

TEST(SufixoDoHost, PontoComPontoCoEPontoUk) {
    esperar_local(localizar(endereco_publico, "www.exemplo.co"), "Colombia", 96, 305);
    esperar_local(localizar(endereco_publico, "www.exemplo.com"), "USA", 60, 245);
    esperar_local(localizar(endereco_publico, "www.exemplo.co.uk"), "NoID", 0, 0);
}

TEST(SufixoDoHost, NomesCurtosENOID) {
    esperar_local(localizar(endereco_publico, "br"), "NoID", 0, 0);
    esperar_local(localizar(endereco_publico, "c"), "NoID", 0, 0);
    esperar_local(localizar(endereco_publico, ""), "NoID", 0, 0);
    esperar_local(localizar(endereco_publico, "NOID"), "NoID", 0, 0);
    esperar_local(localizar("10.1.1.1", "br"), "RedeLocal", 252, 421);
}

TEST(PontoNoMapa, SemRegraOsGlobaisFicamComoEstavam) {
    add_x_y(-7, 999);
    EXPECT_STREQ(definir_a_localidade(endereco_publico, "OID"), "NoID");
    EXPECT_EQ(local_px, -7);
    EXPECT_EQ(local_py, 999);
    EXPECT_STREQ(definir_a_localidade(nullptr, nullptr), "NoID");
    EXPECT_EQ(local_px, -7);
}

}  // namespace
