// Sweeps over the real capture, fed a TCP table and process snapshots the test
// writes: what a connection's owner looks like on the panel and in the live
// table, on every system, Wine included (where the real table gives every
// connection the process 0).
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/processes.h"
#include "capture/reverse_dns.h"
#include "common/text.h"
#include "monitor/sweep.h"
#include "monitor/tables.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "platform/seams.h"
#include "shell/toolkit.h"
#include "support/scan_tables.h"

namespace {

std::vector<plataforma::conexao_tcp> tabela_escrita;

plataforma::conexao_tcp conexao(unsigned porta_local, int32_t pid) {
    const unsigned char local[4] = {192, 168, 0, 2}, remoto[4] = {198, 51, 100, 20};
    const unsigned char pl[2] = {static_cast<unsigned char>(porta_local >> 8),
                                 static_cast<unsigned char>(porta_local)};
    const unsigned char pr[2] = {0x01, 0xBB};  // 443
    plataforma::conexao_tcp c{plataforma::estado_estabelecido, 0, 0, 0, 0, pid};
    std::memcpy(&c.ip_local, local, 4);
    std::memcpy(&c.ip_remoto, remoto, 4);
    std::memcpy(&c.porta_local, pl, 2);
    std::memcpy(&c.porta_remota, pr, 2);
    return c;
}

// An IPv6 row from 2001:db8::2 to `remoto`, remote port 443.
plataforma::conexao_tcp conexao_ipv6(unsigned porta_local, const unsigned char (&remoto)[16]) {
    plataforma::conexao_tcp c = conexao(porta_local, 3100);
    c.ipv6 = true;
    c.ip6_local[0] = 0x20, c.ip6_local[1] = 0x01, c.ip6_local[2] = 0x0d, c.ip6_local[3] = 0xb8;
    c.ip6_local[15] = 2;
    std::memcpy(c.ip6_remoto, remoto, 16);
    return c;
}

int ler_tabela_escrita(plataforma::conexao_tcp* linhas, int capacidade) {
    int n = static_cast<int>(tabela_escrita.size());
    for (int i = 0; i < n && i < capacidade; ++i) linhas[i] = tabela_escrita[i];
    return n;
}

// Process 3100 is a browser with a readable path; 3200 a service whose path
// cannot be read; no other process exists.
plataforma::identidade_processo identificar(int32_t pid, char* nome, std::size_t largura_nome,
                                            char* caminho, std::size_t largura_caminho) {
    if (pid == 3100) {
        copiar_limitado(nome, largura_nome, "navegador.exe");
        copiar_limitado(caminho, largura_caminho, "C:\\Programas\\Navegador\\navegador.exe");
        return {true, true};
    }
    if (pid == 3200) {
        copiar_limitado(nome, largura_nome, "servico.exe");
        return {true, false};
    }
    return {false, false};
}

plataforma::hora_local relogio_fixo() { return {2026, 12, 2, 8, 14, 30, 0, 0}; }

class VarreduraInjetada : public ::testing::Test {
protected:
    void SetUp() override {
        if (!screen) {
            SDL_Init(SDL_INIT_VIDEO);
            screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
            ASSERT_NE(screen, nullptr) << "SDL_VIDEODRIVER=dummy";
        }
        if (!TTF_WasInit()) TTF_Init();
        if (!my_font_10_painel) my_font_10_painel = TTF_OpenFont("fontes/Fonte_03.ttf", 10);
        ASSERT_NE(my_font_10_painel, nullptr) << "run from the build folder (fontes/)";
        tabela_escrita.clear();
        substituir_tabela_tcp(ler_tabela_escrita);
        substituir_identificacao_de_processos(identificar);
        plataforma::substituir_relogio(relogio_fixo);
        nomes.reset(new NomesDoScan);
        exibir_http = exibir_https = exibir_localhost = exibir_lan_10 = exibir_lan_192 = 1;
        resumo_websites = 0;
        teste::esvaziar_tabelas_do_scan();
        SDL_Event evento;
        while (SDL_PollEvent(&evento)) {
        }
    }
    void TearDown() override {
        substituir_tabela_tcp(nullptr);
        substituir_identificacao_de_processos(nullptr);
        plataforma::substituir_relogio(nullptr);
        nomes.reset();
    }
    teste::FiltrosGuardados filtros;
    std::unique_ptr<NomesDoScan> nomes;

    static std::string varrer() {
        testing::internal::CaptureStdout();
        EXPECT_EQ(fazer_varredura(), VARREDURA_SEGUE);
        listar_conexoes_pendentes();
        return testing::internal::GetCapturedStdout();
    }
    static int linha_do_painel(const char* porta_local) {
        for (int i = 0; i < num_banco_painel; ++i)
            if (std::strcmp(banco_painel[i][PAI_PORTA_LOCAL], porta_local) == 0) return i;
        return -1;
    }
};

TEST_F(VarreduraInjetada, ODonoDeCadaConexaoChegaAoPainelComSeuCaminho) {
    tabela_escrita = {conexao(50001, 3100), conexao(50002, 3200), conexao(50003, 0)};
    std::string saida = varrer();
    ASSERT_EQ(num_banco_painel, 3) << saida;
    const int navegador = linha_do_painel("50001"), servico = linha_do_painel("50002"),
              sem_dono = linha_do_painel("50003");
    ASSERT_GE(navegador, 0);
    ASSERT_GE(servico, 0);
    ASSERT_GE(sem_dono, 0);
    EXPECT_STREQ(banco_painel[navegador][PAI_NOME_PROCESSO], "navegador.exe");
    EXPECT_STREQ(banco_painel[navegador][PAI_CAMINHO_EXE], "C:\\Programas\\Navegador\\navegador.exe");
    EXPECT_STREQ(banco_painel[servico][PAI_NOME_PROCESSO], "servico.exe");
    EXPECT_STREQ(banco_painel[servico][PAI_CAMINHO_EXE], "Not");
    EXPECT_STREQ(banco_painel[sem_dono][PAI_NOME_PROCESSO], "None");
    EXPECT_STREQ(banco_painel[navegador][PAI_HORA_CONEXAO], "14:30");
    EXPECT_NE(saida.find("navegador.exe"), std::string::npos) << saida;
}

// IPv6 rows as the system's table gives them reach the panel and the standard
// output whole; ::1 is the machine itself for the localhost filter.
TEST_F(VarreduraInjetada, ConexoesIPv6ChegamAoPainelComOEnderecoInteiro) {
    const unsigned char longo[16] = {0x20, 0x01, 0x0d, 0xb8, 0xaa, 0xaa, 0xbb, 0xbb,
                                     0xcc, 0xcc, 0xdd, 0xdd, 0xee, 0xee, 0xff, 0xff};
    const unsigned char loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    tabela_escrita = {conexao_ipv6(50002, longo), conexao_ipv6(50003, loopback)};
    exibir_localhost = 0;
    std::string saida = varrer();
    ASSERT_EQ(num_banco_painel, 1) << saida;
    EXPECT_STREQ(banco_painel[0][PAI_IP_LOCAL], "2001:db8::2");
    EXPECT_NE(saida.find("PAINEL1:2001:db8:aaaa:bbbb:cccc:dddd:eeee:ffff:443 navegador.exe "),
              std::string::npos) << saida;
}

TEST_F(VarreduraInjetada, ConexaoQueSaiDaTabelaFicaEncerradaNoPainel) {
    tabela_escrita = {conexao(50001, 3100), conexao(50002, 3200)};
    varrer();
    ASSERT_EQ(num_banco_painel, 2);
    tabela_escrita = {conexao(50002, 3200)};
    varrer();
    ASSERT_EQ(num_banco_painel, 2);
    const int fechada = linha_do_painel("50001"), aberta = linha_do_painel("50002");
    ASSERT_GE(fechada, 0);
    ASSERT_GE(aberta, 0);
    EXPECT_STREQ(banco_painel[fechada][PAI_HORA_DESCONEXAO], "14:30");
    EXPECT_STREQ(banco_painel[aberta][PAI_HORA_DESCONEXAO], "none");
}

}  // namespace
