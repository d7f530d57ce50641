// The connection tables: key lookups in the readings, the live table's free
// rows and gaps, the panel table's rows, its limit, and the close marking.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <string>

#include "monitor/tables.h"
#include "common/text.h"

namespace {

void por_conexao(char (&tabela)[linhas_captura][celulas_captura][largura_celula_captura],
                 int& num, const char* ip_local, const char* porta_local, const char* ip_remoto,
                 const char* porta_remota, const char* pid) {
    auto& linha = tabela[num++];
    copiar_celula(linha[CAP_IP_LOCAL], ip_local);
    copiar_celula(linha[CAP_PORTA_LOCAL], porta_local);
    copiar_celula(linha[CAP_IP_REMOTO], ip_remoto);
    copiar_celula(linha[CAP_PORTA_REMOTA], porta_remota);
    copiar_celula(linha[CAP_PID], pid);
    copiar_celula(linha[CAP_NOME_PROCESSO], "firefox.exe");
    copiar_celula(linha[CAP_MARCADOR], "1");
}

// What the sweep does around each add and removal: reserve a row first, count
// a gap after a removal that freed one.
int adicionar(const std::string& porta_local, const std::string& ip, const char* porta = "443") {
    {
        std::lock_guard<std::mutex> trava(trava_banco_volatil);
        if (lacunas_conexoes_volatil == 0) ++limite_conexoes_volatil;
        else --lacunas_conexoes_volatil;
    }
    liberar_gravacao_banco_voltatil();
    return add_conexao_a_banco_valatil(porta_local.c_str(), ip.c_str(), porta, "app.exe", "BR",
                                       "300", "200");
}

int remover(const std::string& porta_local, const std::string& ip, const char* porta = "443") {
    liberar_gravacao_banco_voltatil();
    int removido = remove_conexao_de_banco_valatil(porta_local.c_str(), ip.c_str(), porta,
                                                   "outro.exe");
    if (removido) {
        std::lock_guard<std::mutex> trava(trava_banco_volatil);
        ++lacunas_conexoes_volatil;
    }
    return removido;
}

int linhas_vivas() {
    int vivas = 0;
    for (auto& linha : banco_volatil) vivas += ler_numero(linha[VOL_ATIVO]) == 1;
    return vivas;
}

void painel(const char* porta_local, const char* ip_remoto, const char* porta_remota,
            int rodada = 1, const char* hora = "10:00:00") {
    add_banco_painel(hora, "192.168.0.5", porta_local, ip_remoto, porta_remota, "app.exe",
                     "Brasil", "host.example.br", "/usr/bin/app", rodada);
}

class Tabelas : public ::testing::Test {
protected:
    void SetUp() override {
        esvaziar_tabela_captura(0);
        esvaziar_tabela_captura(1);
        esvaziar_banco_volatil();
        esvaziar_banco_painel();
    }
};

TEST_F(Tabelas, ChaveProcuradaSoNaLeituraPedidaPorTextoExato) {
    EXPECT_EQ(verificar_se_existe("8.8.8.8", "443", "50000", 0), 0);
    por_conexao(netstat_capx, num_netstat_capx, "192.168.0.5", "50000", "8.8.8.8", "443", "77");
    EXPECT_EQ(verificar_se_existe("8.8.8.8", "443", "50000", 0), 0);
    EXPECT_EQ(verificar_se_existe("8.8.8.8", "443", "50000", 1), 1);
    EXPECT_EQ(verificar_se_existe("8.8.8.8", "443", "50000", 2), 0);
    EXPECT_EQ(verificar_se_existe("8.8.8.8", "0443", "50000", 1), 0);
    EXPECT_EQ(verificar_se_existe("8.8.8.8", "443", "50001", 1), 0);
    EXPECT_EQ(verificar_se_existe("8.8.8.80", "443", "50000", 1), 0);
}

TEST_F(Tabelas, LinhasAlemDaContagemSaoSobrasNuncaLidas) {
    por_conexao(netstat_cap, num_netstat_cap, "10.0.0.2", "40000", "1.2.3.4", "80", "1");
    esvaziar_tabela_captura(0);
    EXPECT_EQ(verificar_se_existe("1.2.3.4", "80", "40000", 0), 0);
}

TEST_F(Tabelas, EnderecoLocalEPidNaoFazemParteDaChave) {
    por_conexao(netstat_cap, num_netstat_cap, "10.0.0.2", "40000", "1.2.3.4", "80", "1");
    por_conexao(netstat_cap, num_netstat_cap, "10.0.0.3", "40001", "1.2.3.4", "80", "2");
    EXPECT_EQ(verificar_se_existe("1.2.3.4", "80", "40001", 0), 1);
}

TEST_F(Tabelas, LinhaLiberadaEReusadaSemSubirAMarca) {
    ASSERT_EQ(adicionar("1", "1.1.1.1"), 1);
    ASSERT_EQ(adicionar("2", "2.2.2.2"), 1);
    ASSERT_EQ(adicionar("3", "3.3.3.3"), 1);
    ASSERT_EQ(remover("2", "2.2.2.2"), 1);
    EXPECT_EQ(lacunas_conexoes_volatil, 1);
    EXPECT_STREQ(banco_volatil[1][VOL_ATIVO], "0");
    EXPECT_STREQ(banco_volatil[1][VOL_IP_REMOTO], "2.2.2.2") << "a removal only frees the row";

    ASSERT_EQ(adicionar("4", "4.4.4.4"), 1);
    EXPECT_EQ(limite_conexoes_volatil, 3);
    EXPECT_EQ(lacunas_conexoes_volatil, 0);
    EXPECT_STREQ(banco_volatil[1][VOL_IP_REMOTO], "4.4.4.4");
    EXPECT_STREQ(banco_volatil[1][VOL_MAPA_X], "300");
    EXPECT_STREQ(banco_volatil[1][VOL_ATIVO], "1");
    EXPECT_EQ(linhas_vivas(), 3);
}

TEST_F(Tabelas, LinhaNuncaUsadaContaComoLivre) {
    ASSERT_EQ(banco_volatil[0][VOL_ATIVO][0], '\0');
    ASSERT_EQ(adicionar("9", "9.9.9.9"), 1);
    EXPECT_STREQ(banco_volatil[0][VOL_PORTA_LOCAL], "9");
    EXPECT_STREQ(banco_volatil[0][VOL_LOCALIDADE], "BR");
}

TEST_F(Tabelas, EsvaziarLiberaTodasAsLinhasEZeraOsContadores) {
    adicionar("1", "1.1.1.1");
    adicionar("2", "2.2.2.2");
    esvaziar_banco_volatil();
    EXPECT_EQ(limite_conexoes_volatil, 0);
    EXPECT_EQ(lacunas_conexoes_volatil, 0);
    EXPECT_EQ(linhas_vivas(), 0);
    EXPECT_EQ(remover("1", "1.1.1.1"), 0);
}

TEST_F(Tabelas, TabelaVivaCheiaRecusaSemMudarNada) {
    for (int i = 0; i < linhas_captura; ++i)
        ASSERT_EQ(adicionar(std::to_string(i), "5.5.5.5"), 1) << i;
    limite_conexoes_volatil = linhas_captura + 1;
    EXPECT_EQ(add_conexao_a_banco_valatil("x", "6.6.6.6", "80", "p", "BR", "1", "1"), 0);
    for (auto& linha : banco_volatil) EXPECT_STRNE(linha[VOL_IP_REMOTO], "6.6.6.6");
}

TEST_F(Tabelas, RemocaoComparaChaveComoTextoENaoONomeDoProcesso) {
    adicionar("50000", "8.8.8.8");
    EXPECT_EQ(remover("50000", "8.8.8.8", "0443"), 0);
    EXPECT_EQ(remover("050000", "8.8.8.8"), 0);
    EXPECT_EQ(remover("50000", "8.8.8.8"), 1);
    EXPECT_EQ(remover("50000", "8.8.8.8"), 0) << "the row is free already";
    EXPECT_EQ(lacunas_conexoes_volatil, 1);
}

// Two connections of one reading that differ only in the local address share
// the key; both are stored, and each of their removals frees one row.
TEST_F(Tabelas, ChavesRepetidasMantemVivasIgualAMarcaMenosLacunas) {
    adicionar("50000", "8.8.8.8");
    adicionar("50000", "8.8.8.8");
    adicionar("50001", "8.8.4.4");
    EXPECT_EQ(linhas_vivas(), limite_conexoes_volatil - lacunas_conexoes_volatil);
    EXPECT_EQ(remover("50000", "8.8.8.8"), 1);
    EXPECT_STREQ(banco_volatil[0][VOL_ATIVO], "0") << "the oldest row goes first";
    EXPECT_EQ(remover("50000", "8.8.8.8"), 1);
    EXPECT_EQ(remover("50000", "8.8.8.8"), 0);
    EXPECT_EQ(linhas_vivas(), 1);
    EXPECT_EQ(linhas_vivas(), limite_conexoes_volatil - lacunas_conexoes_volatil);
    adicionar("50002", "9.9.9.9");
    EXPECT_STREQ(banco_volatil[0][VOL_IP_REMOTO], "9.9.9.9");
    EXPECT_EQ(linhas_vivas(), limite_conexoes_volatil - lacunas_conexoes_volatil);
}

TEST_F(Tabelas, CelulasLongasSaoCortadasSemInvadirAVizinha) {
    std::string longo(600, 'a');
    adicionar("1", longo);
    EXPECT_EQ(std::string(banco_volatil[0][VOL_IP_REMOTO]), longo.substr(0, 127));
    EXPECT_STREQ(banco_volatil[0][VOL_PORTA_REMOTA], "443");

    add_banco_painel(longo.c_str(), longo.c_str(), "1", "2.2.2.2", "80", longo.c_str(), "BR",
                     longo.c_str(), longo.c_str(), 0);
    auto& linha = banco_painel[0];
    EXPECT_EQ(std::string(linha[PAI_IP_LOCAL]), longo.substr(0, 255));
    EXPECT_STREQ(linha[PAI_PORTA_LOCAL], "1");
    EXPECT_EQ(std::string(linha[PAI_NOME_DNS]), longo.substr(0, 255));
    EXPECT_EQ(std::string(linha[PAI_HORA_CONEXAO]), longo.substr(0, 255));
    EXPECT_STREQ(linha[PAI_HORA_DESCONEXAO], "none");
}

TEST_F(Tabelas, LinhaDoPainelGuardaCadaCampoNaSuaCelula) {
    add_banco_painel("09:15:02", "192.168.0.5", "50000", "8.8.8.8", "443", "app.exe", "Brasil",
                     "dns.google", "/usr/bin/app", 0);
    painel("50001", "1.1.1.1", "80", 3);
    ASSERT_EQ(num_banco_painel, 2);
    const char* esperado[] = {"192.168.0.5", "50000", "8.8.8.8",  "443",  "app.exe", "Brasil",
                              "dns.google",  "/usr/bin/app", "09:15:02", "none", "0", "1"};
    for (int c = 0; c < celulas_painel; ++c) EXPECT_STREQ(banco_painel[0][c], esperado[c]) << c;
    EXPECT_STREQ(banco_painel[1][PAI_NOVA_CONEXAO], "1");
}

TEST_F(Tabelas, DesconexaoMarcaAMaisAntigaAbertaPelosNumerosDasPortas) {
    painel("50000", "8.8.8.8", "443");
    painel("50000", "9.9.9.9", "443");
    painel("50001", "8.8.8.8", "443");
    EXPECT_EQ(informa_desconexao("11:00:00", "050000", "1.2.3.4", "443", "x"), 1);
    EXPECT_STREQ(banco_painel[0][PAI_ATIVO], "0");
    EXPECT_STREQ(banco_painel[0][PAI_HORA_DESCONEXAO], "11:00:00");
    EXPECT_STREQ(banco_painel[1][PAI_ATIVO], "1");

    EXPECT_EQ(informa_desconexao("11:00:01", "50000", "8.8.8.8", "0443", "x"), 1);
    EXPECT_STREQ(banco_painel[1][PAI_ATIVO], "0");
    EXPECT_STREQ(banco_painel[1][PAI_HORA_DESCONEXAO], "11:00:01");
    EXPECT_STREQ(banco_painel[2][PAI_ATIVO], "1");
    EXPECT_STREQ(banco_painel[0][PAI_HORA_DESCONEXAO], "11:00:00") << "a closed row stays closed";

    EXPECT_EQ(informa_desconexao("11:00:02", "50000", "8.8.8.8", "443", "x"), 0);
    EXPECT_EQ(informa_desconexao("11:00:02", "50001", "8.8.8.8", "80", "x"), 0);
    EXPECT_STREQ(banco_painel[2][PAI_HORA_DESCONEXAO], "none");
}

TEST_F(Tabelas, PainelGuardaQuinhentasLinhas) {
    for (int i = 0; i < 500; ++i) painel(std::to_string(i).c_str(), "8.8.8.8", "443");
    EXPECT_EQ(num_banco_painel, 500);
    EXPECT_STREQ(banco_painel[499][PAI_PORTA_LOCAL], "499");
}

TEST_F(Tabelas, LinhaQuinhentosEUmEncerraComAMensagem) {
    // Other tests leave threads behind (SDL's, the sanitizer's): re-run the
    // binary for the death test instead of forking this process as it is.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int i = 0; i < 500; ++i) painel(std::to_string(i).c_str(), "8.8.8.8", "443");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            painel("500", "8.8.8.8", "443");
        },
        ::testing::ExitedWithCode(1), "Limite de conexoes:500");
}

// During a scan the home screen writes the report of the rows so far before a
// limit's message ends the program.
TEST_F(Tabelas, LimiteRodaARotinaDoScanAntesDaMensagem) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int i = 0; i < 500; ++i) painel(std::to_string(i).c_str(), "8.8.8.8", "443");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            antes_de_um_limite([] { std::fprintf(stderr, "relatorio de %d linhas\n", num_banco_painel); });
            painel("500", "8.8.8.8", "443");
        },
        ::testing::ExitedWithCode(1), "relatorio de 500 linhas\nLimite de conexoes:500");
}

}  // namespace
