// What the Windows connection table's shared tests expect: one way of reading
// (IP Helper's GetExtendedTcpTable), and the owner Windows names (Wine gives every row the owner 0). And
// what only Windows has to show: IPv6 connections over Winsock's own sockets.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/tcp_table_system.h"
#include "support/platform_services.h"
#include "support/test_support.h"

namespace tabela_do_sistema {

int32_t dono_das_conexoes_deste_processo() {
    return plataforma::sob_wine() ? 0 : static_cast<int32_t>(GetCurrentProcessId());
}

bool segunda_via_disponivel() { return false; }

const char* fonte(bool) { return "GetExtendedTcpTable"; }

}  // namespace tabela_do_sistema

namespace {

using plataforma::conexao_tcp;

int linhas_ipv6_entre(const std::vector<conexao_tcp>& tabela, u_short local, u_short remota) {
    return static_cast<int>(std::count_if(tabela.begin(), tabela.end(), [&](const conexao_tcp& c) {
        return c.ipv6 && c.porta_local == local && c.porta_remota == remota &&
               std::memcmp(c.ip6_remoto, &in6addr_loopback, 16) == 0;
    }));
}

int linhas_ipv4_ate(const std::vector<conexao_tcp>& tabela, u_short local, u_short remota) {
    return static_cast<int>(std::count_if(tabela.begin(), tabela.end(), [&](const conexao_tcp& c) {
        return !c.ipv6 && c.porta_local == local && c.porta_remota == remota &&
               c.ip_remoto == htonl(INADDR_LOOPBACK);
    }));
}

std::vector<conexao_tcp> ler_tabela() {
    static conexao_tcp linhas[plataforma::maximo_conexoes_tcp];
    int n = plataforma::ler_tabela_tcp(linhas, plataforma::maximo_conexoes_tcp);
    return std::vector<conexao_tcp>(linhas, linhas + std::max(n, 0));
}

// A dual-stack listener with one client over ::1 and one over 127.0.0.1: the
// first's two ends as IPv6 rows after every IPv4 row, the second's accepted
// end once, as IPv4 (Wine lists it in the IPv6 table only).
TEST(TabelaTcpWindows, ConexoesIPv6EDuplaPilha) {
    WSADATA dados;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &dados), 0);
    SOCKET escuta = socket(AF_INET6, SOCK_STREAM, IPPROTO_TCP);
    DWORD nao = 0;
    setsockopt(escuta, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&nao), sizeof nao);
    sockaddr_in6 endereco{}, cliente{};
    endereco.sin6_family = AF_INET6;
    int tamanho = sizeof endereco;
    bind(escuta, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco);
    listen(escuta, 4);
    getsockname(escuta, reinterpret_cast<sockaddr*>(&endereco), &tamanho);
    endereco.sin6_addr = in6addr_loopback;
    SOCKET cliente6 = socket(AF_INET6, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(connect(cliente6, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco), 0);
    SOCKET aceito6 = accept(escuta, nullptr, nullptr);
    getsockname(cliente6, reinterpret_cast<sockaddr*>(&cliente), &tamanho);
    SOCKET cliente4 = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in destino4{};
    destino4.sin_family = AF_INET;
    destino4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    destino4.sin_port = endereco.sin6_port;
    ASSERT_EQ(connect(cliente4, reinterpret_cast<sockaddr*>(&destino4), sizeof destino4), 0);
    SOCKET aceito4 = accept(escuta, nullptr, nullptr);

    std::vector<conexao_tcp> tabela = ler_tabela();
    EXPECT_EQ(linhas_ipv6_entre(tabela, cliente.sin6_port, endereco.sin6_port), 1);
    EXPECT_EQ(linhas_ipv6_entre(tabela, endereco.sin6_port, cliente.sin6_port), 1);
    sockaddr_in de_cliente4{};
    tamanho = sizeof de_cliente4;
    getsockname(cliente4, reinterpret_cast<sockaddr*>(&de_cliente4), &tamanho);
    EXPECT_EQ(linhas_ipv4_ate(tabela, endereco.sin6_port, de_cliente4.sin_port), 1);
    EXPECT_TRUE(std::is_partitioned(tabela.begin(), tabela.end(),
                                    [](const conexao_tcp& c) { return !c.ipv6; }));
    for (SOCKET s : {aceito4, cliente4, aceito6, cliente6, escuta}) closesocket(s);
    WSACleanup();
}

}  // namespace
