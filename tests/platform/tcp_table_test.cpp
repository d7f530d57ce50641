// The connection table read from the system both ways it offers, over real
// loopback connections the test holds open: both ends of each connection, in
// order, established only, with their owner, and the count beyond the room.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/tcp_table_system.h"
#include "support/loopback_connection.h"
#include "support/test_support.h"

namespace {

using plataforma::conexao_tcp;

// A number in network byte order read in the host's.
template <typename T>
T ordem_do_host(T de_rede) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &de_rede, sizeof bytes);
    T valor = 0;
    for (unsigned char b : bytes) valor = static_cast<T>(valor << 8 | b);
    return valor;
}

constexpr uint32_t loopback = 0x7F000001;

std::vector<conexao_tcp> ler_tabela() {
    static conexao_tcp linhas[plataforma::maximo_conexoes_tcp];
    int n = plataforma::ler_tabela_tcp(linhas, plataforma::maximo_conexoes_tcp);
    EXPECT_GE(n, 0);
    return std::vector<conexao_tcp>(linhas, linhas + std::max(n, 0));
}

// The rows between 127.0.0.1:`local` and 127.0.0.1:`remota`.
int linhas_entre(const std::vector<conexao_tcp>& tabela, int local, int remota) {
    int n = 0;
    for (const conexao_tcp& c : tabela)
        n += ordem_do_host(c.porta_local) == local && ordem_do_host(c.porta_remota) == remota &&
             ordem_do_host(c.ip_local) == loopback && ordem_do_host(c.ip_remoto) == loopback;
    return n;
}

// Each case runs on the table read the first way and the second way.
class TabelaTcpPelasDuasVias : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        EXIGIR_REDE_PRIVADA();
        if (GetParam() && !tabela_do_sistema::segunda_via_disponivel())
            GTEST_SKIP() << "this system offers no second way to read the table";
        ASSERT_TRUE(escuta.pronta());
        plataforma::usar_segunda_via_da_tabela(GetParam());
    }
    void TearDown() override { plataforma::usar_segunda_via_da_tabela(false); }

    std::unique_ptr<teste::conexao_loopback> conectar() {
        return std::make_unique<teste::conexao_loopback>(escuta);
    }
    teste::escuta_loopback escuta;
};

TEST_P(TabelaTcpPelasDuasVias, AsDuasPontasDeCadaConexaoEstabelecidaEmOrdem) {
    std::unique_ptr<teste::conexao_loopback> conexoes[3];
    for (auto& c : conexoes) ASSERT_TRUE((c = conectar())->aberta());

    std::vector<conexao_tcp> tabela = ler_tabela();
    EXPECT_EQ(plataforma::fonte_da_tabela_tcp(), std::string(tabela_do_sistema::fonte(GetParam())));
    for (const auto& c : conexoes) {
        EXPECT_EQ(linhas_entre(tabela, c->porta_cliente(), escuta.porta()), 1) << "client end";
        EXPECT_EQ(linhas_entre(tabela, escuta.porta(), c->porta_cliente()), 1) << "server end";
    }
    for (const conexao_tcp& c : tabela) {
        EXPECT_EQ(c.estado, plataforma::estado_estabelecido);
        EXPECT_NE(c.porta_remota, 0) << "a listening socket was listed";
        bool nossa = ordem_do_host(c.porta_local) == escuta.porta() ||
                     ordem_do_host(c.porta_remota) == escuta.porta();
        if (nossa) {
            EXPECT_EQ(c.pid, tabela_do_sistema::dono_das_conexoes_deste_processo());
        }
    }
    auto chave = [](const conexao_tcp& c) {
        return std::make_tuple(ordem_do_host(c.ip_local), ordem_do_host(c.porta_local),
                               ordem_do_host(c.ip_remoto), ordem_do_host(c.porta_remota));
    };
    for (std::size_t i = 1; i < tabela.size(); ++i)
        EXPECT_LT(chave(tabela[i - 1]), chave(tabela[i])) << "rows " << i - 1 << " and " << i;
}

TEST_P(TabelaTcpPelasDuasVias, ConexaoFechadaSaiDaTabela) {
    auto fica = conectar();
    auto sai = conectar();
    ASSERT_TRUE(fica->aberta() && sai->aberta());
    ASSERT_EQ(linhas_entre(ler_tabela(), sai->porta_cliente(), escuta.porta()), 1);
    sai->fechar();
    EXPECT_TRUE(teste::esperar_ate([&] {
        std::vector<conexao_tcp> tabela = ler_tabela();
        return linhas_entre(tabela, sai->porta_cliente(), escuta.porta()) == 0 &&
               linhas_entre(tabela, escuta.porta(), sai->porta_cliente()) == 0;
    }));
    EXPECT_EQ(linhas_entre(ler_tabela(), fica->porta_cliente(), escuta.porta()), 1);
}

// The count is that of the whole table; only as many rows as there is room for
// are written.
TEST_P(TabelaTcpPelasDuasVias, ContaTodasMasEscreveSoOQueCabe) {
    std::unique_ptr<teste::conexao_loopback> conexoes[4];
    for (auto& c : conexoes) ASSERT_TRUE((c = conectar())->aberta());
    conexao_tcp linhas[3];
    conexao_tcp sentinela{77, 1, 2, 3, 4, 5};
    linhas[2] = sentinela;
    int total = plataforma::ler_tabela_tcp(linhas, 2);
    EXPECT_GE(total, 8);
    EXPECT_EQ(linhas[0].estado, plataforma::estado_estabelecido);
    EXPECT_EQ(linhas[2].estado, 77);
    EXPECT_EQ(linhas[2].pid, 5);
    EXPECT_EQ(plataforma::ler_tabela_tcp(linhas, 0), total);
}

INSTANTIATE_TEST_SUITE_P(AsDuasVias, TabelaTcpPelasDuasVias, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "SegundaVia" : "PrimeiraVia";
                         });

}  // namespace
