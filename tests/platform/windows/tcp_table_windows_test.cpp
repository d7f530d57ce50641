// The IPv4 TCP table read through IP Helper, against loopback connections the
// test opens with Winsock: both ends of each connection, in order, established
// only, with the system's owner of each (Wine says 0 for every row).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support_windows.h"
#include "platform/platform.h"
#include "platform/seams.h"

namespace {

using plataforma::conexao_tcp;

struct Winsock {
    Winsock() {
        WSADATA dados;
        iniciado = WSAStartup(MAKEWORD(2, 2), &dados) == 0;
    }
    ~Winsock() {
        if (iniciado) WSACleanup();
    }
    bool iniciado;
};

sockaddr_in loopback(u_short porta_de_rede) {
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    endereco.sin_port = porta_de_rede;
    return endereco;
}

u_short porta_de(SOCKET s) {
    sockaddr_in endereco{};
    int tamanho = sizeof endereco;
    getsockname(s, reinterpret_cast<sockaddr*>(&endereco), &tamanho);
    return endereco.sin_port;
}

// A listening socket on 127.0.0.1 and the connections made to it, each as its
// two ends; everything closed at destruction.
class ServidorLocal {
public:
    ServidorLocal() {
        escuta_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in endereco = loopback(0);
        bind(escuta_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco);
        listen(escuta_, 16);
        porta_ = porta_de(escuta_);
    }
    ~ServidorLocal() {
        for (auto& par : pares_) {
            closesocket(par.first);
            closesocket(par.second);
        }
        closesocket(escuta_);
    }
    // The client end's local port (network order), or 0 on failure.
    u_short conectar() {
        SOCKET cliente = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in endereco = loopback(porta_);
        if (connect(cliente, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) {
            closesocket(cliente);
            return 0;
        }
        SOCKET aceito = accept(escuta_, nullptr, nullptr);
        pares_.emplace_back(cliente, aceito);
        return porta_de(cliente);
    }
    void fechar_ultima() {
        closesocket(pares_.back().first);
        closesocket(pares_.back().second);
        pares_.pop_back();
    }
    u_short porta() const { return porta_; }

private:
    SOCKET escuta_;
    u_short porta_ = 0;
    std::vector<std::pair<SOCKET, SOCKET>> pares_;
};

std::vector<conexao_tcp> ler_tabela() {
    static conexao_tcp linhas[plataforma::maximo_conexoes_tcp];
    int total = plataforma::ler_tabela_tcp(linhas, plataforma::maximo_conexoes_tcp);
    if (total < 0) return {};
    return std::vector<conexao_tcp>(linhas, linhas + std::min(total, plataforma::maximo_conexoes_tcp));
}

int linhas_entre(const std::vector<conexao_tcp>& tabela, u_short local, u_short remota) {
    return static_cast<int>(std::count_if(tabela.begin(), tabela.end(), [&](const conexao_tcp& c) {
        return c.porta_local == local && c.porta_remota == remota &&
               c.ip_local == htonl(INADDR_LOOPBACK) && c.ip_remoto == htonl(INADDR_LOOPBACK);
    }));
}

uint64_t chave(uint32_t ip, uint16_t porta) {
    return static_cast<uint64_t>(ntohl(ip)) << 16 | ntohs(porta);
}

class TabelaTcp : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(winsock.iniciado);
        if (GetParam() && !tem_chamada_antiga())
            GTEST_SKIP() << "this system's IP Helper has no AllocateAndGetTcpExTableFromStack";
        plataforma::usar_segunda_via_da_tabela(GetParam());
    }
    static bool tem_chamada_antiga() {
        HMODULE biblioteca = LoadLibraryA("iphlpapi.dll");
        bool tem = biblioteca && GetProcAddress(biblioteca, "AllocateAndGetTcpExTableFromStack");
        if (biblioteca) FreeLibrary(biblioteca);
        return tem;
    }
    void TearDown() override { plataforma::usar_segunda_via_da_tabela(false); }
    Winsock winsock;
};

TEST_P(TabelaTcp, AsDuasPontasDeCadaConexaoEstabelecidaEmOrdem) {
    ServidorLocal servidor;
    u_short clientes[3];
    for (u_short& c : clientes) ASSERT_NE(c = servidor.conectar(), 0);

    std::vector<conexao_tcp> tabela = ler_tabela();
    EXPECT_EQ(plataforma::fonte_da_tabela_tcp(),
              std::string(GetParam() ? "AllocateAndGetTcpExTableFromStack" : "GetExtendedTcpTable"));
    for (u_short c : clientes) {
        EXPECT_EQ(linhas_entre(tabela, c, servidor.porta()), 1) << "client end " << ntohs(c);
        EXPECT_EQ(linhas_entre(tabela, servidor.porta(), c), 1) << "server end " << ntohs(c);
    }
    // Wine gives no owners; Windows names this process for its own sockets.
    int32_t dono = teste_windows::sob_wine() ? 0 : static_cast<int32_t>(GetCurrentProcessId());
    for (const conexao_tcp& c : tabela) {
        EXPECT_EQ(c.estado, plataforma::estado_estabelecido);
        EXPECT_NE(c.porta_remota, 0) << "a listening socket was listed";
        bool nossa = c.porta_local == servidor.porta() || c.porta_remota == servidor.porta();
        if (nossa) {
            EXPECT_EQ(c.pid, dono);
        }
    }
    for (std::size_t i = 1; i < tabela.size(); ++i) {
        const conexao_tcp& a = tabela[i - 1];
        const conexao_tcp& b = tabela[i];
        uint64_t local_a = chave(a.ip_local, a.porta_local), local_b = chave(b.ip_local, b.porta_local);
        EXPECT_TRUE(local_a < local_b ||
                    (local_a == local_b && chave(a.ip_remoto, a.porta_remota) <
                                               chave(b.ip_remoto, b.porta_remota)))
            << "rows " << i - 1 << " and " << i << " out of order";
    }
}

TEST_P(TabelaTcp, ConexaoFechadaSaiDaTabela) {
    ServidorLocal servidor;
    u_short fica = servidor.conectar();
    u_short sai = servidor.conectar();
    ASSERT_NE(fica, 0);
    ASSERT_NE(sai, 0);
    ASSERT_EQ(linhas_entre(ler_tabela(), sai, servidor.porta()), 1);
    servidor.fechar_ultima();
    EXPECT_TRUE(teste_windows::esperar_ate([&] {
        std::vector<conexao_tcp> tabela = ler_tabela();
        return linhas_entre(tabela, sai, servidor.porta()) == 0 &&
               linhas_entre(tabela, servidor.porta(), sai) == 0;
    }));
    EXPECT_EQ(linhas_entre(ler_tabela(), fica, servidor.porta()), 1);
}

// The count is that of the whole table; only as many rows as there is room for
// are written.
TEST_P(TabelaTcp, ContaTodasMasEscreveSoOQueCabe) {
    ServidorLocal servidor;
    for (int i = 0; i < 4; ++i) ASSERT_NE(servidor.conectar(), 0);
    conexao_tcp linhas[3];
    conexao_tcp sentinela{77, 1, 2, 3, 4, 5};
    linhas[2] = sentinela;
    int total = plataforma::ler_tabela_tcp(linhas, 2);
    EXPECT_GE(total, 8);
    EXPECT_EQ(linhas[2].estado, 77);
    EXPECT_EQ(linhas[2].pid, 5);
    EXPECT_EQ(plataforma::ler_tabela_tcp(linhas, 0), total);
}

INSTANTIATE_TEST_SUITE_P(AsDuasChamadas, TabelaTcp, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "ChamadaAntiga" : "TabelaEstendida";
                         });

}  // namespace
