// What the tests stand on: a program started and waited for, loopback
// connections held open, the memory in use.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/platform.h"
#include "support/loopback_connection.h"
#include "support/test_support.h"

namespace {

TEST(ProcessoFilho, DaOStatusDeSaidaEORepeteSemEsperar) {
    const char* argumentos[] = {"sh", "-c", "exit 3", nullptr};
    plataforma::processo_filho processo = plataforma::iniciar_processo(argumentos, nullptr);
    ASSERT_NE(processo.pid, 0);
    int status = -1;
    ASSERT_TRUE(plataforma::esperar_processo(processo, 10000, status));
    EXPECT_EQ(status, 3);
    status = -1;
    EXPECT_TRUE(plataforma::esperar_processo(processo, 0, status));
    EXPECT_EQ(status, 3);
    plataforma::liberar_processo(processo);
    EXPECT_EQ(processo.pid, 0);
}

TEST(ProcessoFilho, RodaNaPastaPedidaELiberarEncerraOQueAindaRoda) {
    teste::PastaTemporaria pasta;
    const char* argumentos[] = {"sh", "-c", "pwd > onde; exec sleep 30", nullptr};
    plataforma::processo_filho processo =
        plataforma::iniciar_processo(argumentos, pasta.caminho().c_str());
    ASSERT_NE(processo.pid, 0);
    ASSERT_TRUE(teste::esperar_ate([&] { return teste::ler_arquivo(pasta / "onde") != ""; }));
    EXPECT_EQ(teste::ler_arquivo(pasta / "onde"), pasta.caminho() + "\n");
    int status = -1;
    EXPECT_FALSE(plataforma::esperar_processo(processo, 50, status));
    const long pid = processo.pid;
    plataforma::liberar_processo(processo);
    EXPECT_FALSE(teste::existe("/proc/" + std::to_string(pid) + "/status")) << "still running";
}

TEST(ProcessoFilho, ProgramaInexistenteNaoInicia) {
    const char* argumentos[] = {"/nao/existe/programa", nullptr};
    EXPECT_EQ(plataforma::iniciar_processo(argumentos, nullptr).pid, 0);
    const char* em_pasta_inexistente[] = {"true", nullptr};
    EXPECT_EQ(plataforma::iniciar_processo(em_pasta_inexistente, "/nao/existe").pid, 0);
}

// Both ends show in the system's table while held, and leave it when closed.
TEST(ConexaoLoopback, AsDuasPontasEstaoNaTabelaAteFechar) {
    EXIGIR_REDE_PRIVADA();
    teste::escuta_loopback escuta;
    ASSERT_TRUE(escuta.pronta());
    teste::conexao_loopback conexao(escuta);
    ASSERT_TRUE(conexao.aberta());
    static plataforma::conexao_tcp linhas[64];
    auto pontas_na_tabela = [&] {
        int n = plataforma::ler_tabela_tcp(linhas, 64), achadas = 0;
        for (int i = 0; i < n && i < 64; ++i) {
            int local = ntohs(linhas[i].porta_local);
            achadas += local == escuta.porta() || local == conexao.porta_cliente();
        }
        return achadas;
    };
    EXPECT_EQ(pontas_na_tabela(), 2);
    conexao.fechar();
    EXPECT_FALSE(conexao.aberta());
    EXPECT_EQ(pontas_na_tabela(), 0);
}

TEST(MemoriaEmUso, CresceComUmBlocoGuardado) {
    std::size_t antes = plataforma::memoria_em_uso();
    if (antes == 0) GTEST_SKIP() << "this allocator keeps no count (a sanitizer build)";
    auto bloco = std::make_unique<char[]>(8 << 20);
    bloco[0] = 1;
    EXPECT_GE(plataforma::memoria_em_uso(), antes + (8u << 20) - (64u << 10));
}

}  // namespace
