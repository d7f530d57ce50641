// What the tests stand on, on Linux: a program started and waited for, and
// the memory in use. (The loopback connections are seen in the connection
// table's tests.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/platform.h"
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

TEST(MemoriaEmUso, CresceComUmBlocoGuardado) {
    std::size_t antes = plataforma::memoria_em_uso();
    if (antes == 0) GTEST_SKIP() << "this allocator keeps no count (a sanitizer build)";
    auto bloco = std::make_unique<char[]>(8 << 20);
    bloco[0] = 1;
    EXPECT_GE(plataforma::memoria_em_uso(), antes + (8u << 20) - (64u << 10));
}

}  // namespace
