// The readers of kernel text, on lines taken from this machine's /proc with a
// listener, established connections, a closing one and a dual-stack listener.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "platform/linux/proc_parsers.h"

using namespace plataforma::proc;

namespace {

const char cabecalho_tcp[] =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
    "timeout inode";
const char ouvinte_tcp[] =
    "   1: 0100007F:818B 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0     "
    "   0 30108 1 000000001790869b 100 0 0 10 0";
const char estabelecida_tcp[] =
    "   3: 0100007F:D392 0100007F:818B 01 00000000:00000000 00:00000000 00000000     0     "
    "   0 30109 2 00000000c51e9085 20 0 0 10 -1";
const char fin_wait2_tcp[] =
    "   4: 0100007F:D396 0100007F:818B 05 00000000:00000000 03:00001766 00000000     0     "
    "   0 0 3 00000000d4c4ca80";
const char mapeada_tcp6[] =
    "   2: 0000000000000000FFFF00000100007F:C723 0000000000000000FFFF00000100007F:BB5A 01 "
    "00000000:00000000 00:00000000 00000000     0        0 30113 1 0000000023bd1393 20 0 0 "
    "10 -1";
const char ipv6_real_tcp6[] =
    "   1: 00000000000000000000000001000000:C723 00000000000000000000000001000000:C1FA 01 "
    "00000000:00000000 00:00000000 00000000     0        0 30115 1 000000006ce2320f 20 0 0 "
    "10 -1";
const char stat_nome_estranho[] =
    "19658 (we) ir(d x) R 19655 19655 6870 0 -1 4194304 3087 6587 15 1 2 2 4 1 20 0 1 0 "
    "98969 20021248 3679 18446744073709551615 94337696690176 94337696690517";

TEST(LinhaTcp, EstabelecidaDaTabelaIPv4) {
    linha_tcp l;
    ASSERT_TRUE(ler_linha_tcp(estabelecida_tcp, &l));
    EXPECT_EQ(l.palavras, 1);
    EXPECT_EQ(l.local[0], htonl(0x7f000001));
    EXPECT_EQ(l.remoto[0], htonl(0x7f000001));
    EXPECT_EQ(l.porta_local, 0xD392);
    EXPECT_EQ(l.porta_remota, 0x818B);
    EXPECT_EQ(l.estado_linux, linux_estabelecido);
    EXPECT_EQ(l.inode, 30109u);
}

TEST(LinhaTcp, EstadosViramOsNumerosDaTabela) {
    linha_tcp l;
    ASSERT_TRUE(ler_linha_tcp(ouvinte_tcp, &l));
    EXPECT_EQ(estado_da_tabela(l.estado_linux), 2);  // listen
    ASSERT_TRUE(ler_linha_tcp(fin_wait2_tcp, &l));
    // The kernel's fin-wait-2 is 5, the table's established number: it must
    // not pass for established.
    EXPECT_EQ(l.estado_linux, 5);
    EXPECT_EQ(estado_da_tabela(l.estado_linux), 7);
    EXPECT_EQ(l.inode, 0u);
    EXPECT_EQ(estado_da_tabela(linux_estabelecido), 5);
    EXPECT_EQ(estado_da_tabela(6), 11);  // time-wait
    EXPECT_EQ(estado_da_tabela(99), 0);
}

TEST(LinhaTcp, CabecalhoELixoNaoSaoConexoes) {
    linha_tcp l;
    EXPECT_FALSE(ler_linha_tcp(cabecalho_tcp, &l));
    EXPECT_FALSE(ler_linha_tcp("", &l));
    EXPECT_FALSE(ler_linha_tcp("   3: 0100007F:D392", &l));
    EXPECT_FALSE(ler_linha_tcp("   3: 0100007:D392 0100007F:818B 01 0:0 0:0 0 0 0 1", &l));
}

TEST(LinhaTcp6, MapeadaEhIPv4EReal6Nao) {
    linha_tcp l;
    ASSERT_TRUE(ler_linha_tcp(mapeada_tcp6, &l));
    EXPECT_EQ(l.palavras, 4);
    EXPECT_EQ(l.porta_local, 0xC723);
    EXPECT_EQ(l.porta_remota, 0xBB5A);
    EXPECT_EQ(l.inode, 30113u);
    uint32_t ipv4 = 0;
    ASSERT_TRUE(ipv4_mapeado(l.local, &ipv4));
    EXPECT_EQ(ipv4, htonl(0x7f000001));

    ASSERT_TRUE(ler_linha_tcp(ipv6_real_tcp6, &l));
    EXPECT_FALSE(ipv4_mapeado(l.local, &ipv4));  // ::1
    const uint32_t qualquer[4] = {0, 0, 0, 0};
    EXPECT_FALSE(ipv4_mapeado(qualquer, &ipv4));
}

TEST(LinkDeDescritor, SoSocketsTemInode) {
    uint64_t inode = 0;
    const char socket[] = "socket:[30108]";
    ASSERT_TRUE(inode_de_socket(socket, sizeof socket - 1, &inode));
    EXPECT_EQ(inode, 30108u);
    const char* recusados[] = {"pipe:[30108]", "socket:[]", "socket:[12a]", "socket:[12",
                               "/dev/null", "anon_inode:[eventpoll]"};
    for (const char* alvo : recusados) {
        EXPECT_FALSE(inode_de_socket(alvo, strlen(alvo), &inode)) << alvo;
    }
}

TEST(StatDoProcesso, NomeEntreOPrimeiroEOUltimoParentese) {
    char nome[64];
    ASSERT_TRUE(nome_no_stat(stat_nome_estranho, nome, sizeof nome));
    EXPECT_STREQ(nome, "we) ir(d x");
    char curto[4];
    ASSERT_TRUE(nome_no_stat(stat_nome_estranho, curto, sizeof curto));
    EXPECT_STREQ(curto, "we)");
    EXPECT_FALSE(nome_no_stat("19658 sem nome R 1", nome, sizeof nome));
    EXPECT_FALSE(nome_no_stat("19658 ) R (", nome, sizeof nome));
}

TEST(CaminhoDoExecutavel, SemOSufixoDeRemovidoEComNomeBase) {
    char caminho[64];
    caminho_sem_removido("/usr/bin/python3.11 (deleted)", caminho, sizeof caminho);
    EXPECT_STREQ(caminho, "/usr/bin/python3.11");
    caminho_sem_removido("/opt/x (deleted) y", caminho, sizeof caminho);
    EXPECT_STREQ(caminho, "/opt/x (deleted) y");
    char curto[5];
    caminho_sem_removido("/usr/bin/sleep (deleted)", curto, sizeof curto);
    EXPECT_STREQ(curto, "/usr");

    char nome[16];
    nome_base("/usr/bin/python3.11", nome, sizeof nome);
    EXPECT_STREQ(nome, "python3.11");
    nome_base("semdiretorio", nome, sizeof nome);
    EXPECT_STREQ(nome, "semdiretorio");
    nome_base("/pasta/", nome, sizeof nome);
    EXPECT_STREQ(nome, "");
}

}  // namespace
