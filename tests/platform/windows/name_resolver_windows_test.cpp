// The reverse-name resolver on Winsock: its thread woken through the loopback
// wake-up and waiting in select(), against a DNS server of the test's own on a
// loopback UDP port that names 203.0.113.x and never answers anything else.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support_windows.h"
#include "platform/platform.h"
#include "platform/seams.h"

namespace {

using plataforma::resposta_de_nome;

class ServidorDnsLocal {
public:
    ServidorDnsLocal() {
        WSADATA dados;
        WSAStartup(MAKEWORD(2, 2), &dados);
        socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in e{};
        e.sin_family = AF_INET;
        e.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int tamanho = sizeof e;
        if (bind(socket_, reinterpret_cast<sockaddr*>(&e), sizeof e) != 0 ||
            getsockname(socket_, reinterpret_cast<sockaddr*>(&e), &tamanho) != 0)
            return;
        servidores_ = "127.0.0.1:" + std::to_string(ntohs(e.sin_port));
        thread_ = std::thread([this] { servir(); });
    }
    ~ServidorDnsLocal() {
        parar_ = true;
        if (thread_.joinable()) thread_.join();
        closesocket(socket_);
        WSACleanup();
    }
    const std::string& servidores() const { return servidores_; }
    int consultas() const { return consultas_; }

private:
    // The answer to a PTR question for x.113.0.203.in-addr.arpa: the question
    // copied, one PTR record naming "h<x>.exemplo.pt".
    static std::vector<char> responder(const std::vector<char>& p) {
        std::size_t i = 12;
        std::vector<std::string> rotulos;
        while (i < p.size() && p[i] != 0) {
            std::size_t n = static_cast<unsigned char>(p[i]);
            if (i + 1 + n > p.size()) return {};
            rotulos.emplace_back(&p[i + 1], n);
            i += 1 + n;
        }
        if (i + 5 > p.size() || rotulos.size() != 6 || rotulos[0].empty() || rotulos[1] != "113" ||
            rotulos[2] != "0" || rotulos[3] != "203")
            return {};
        std::vector<char> r(p.begin(), p.begin() + static_cast<long>(i + 5));
        r[2] = static_cast<char>(0x84 | (p[2] & 1));
        r[3] = static_cast<char>(0x80);
        r[6] = 0, r[7] = 1, r[8] = r[9] = r[10] = r[11] = 0;
        std::string nome = "h" + rotulos[0];
        const char cabeca[] = {'\xC0', 0x0C, 0, 12, 0, 1, 0, 0, 0, 60, 0,
                               static_cast<char>(nome.size() + 1 + 8 + 3 + 1)};
        r.insert(r.end(), cabeca, cabeca + sizeof cabeca);
        r.push_back(static_cast<char>(nome.size()));
        r.insert(r.end(), nome.begin(), nome.end());
        for (const char* rotulo : {"exemplo", "pt"}) {
            r.push_back(static_cast<char>(std::strlen(rotulo)));
            r.insert(r.end(), rotulo, rotulo + std::strlen(rotulo));
        }
        r.push_back(0);
        return r;
    }

    void servir() {
        std::vector<char> pacote(1500);
        while (!parar_) {
            fd_set leitura;
            FD_ZERO(&leitura);
            FD_SET(socket_, &leitura);
            timeval espera{0, 20000};
            if (select(0, &leitura, nullptr, nullptr, &espera) <= 0) continue;
            sockaddr_in origem{};
            int tamanho = sizeof origem;
            int n = recvfrom(socket_, pacote.data(), static_cast<int>(pacote.size()), 0,
                             reinterpret_cast<sockaddr*>(&origem), &tamanho);
            if (n < 12) continue;
            ++consultas_;
            std::vector<char> r = responder(std::vector<char>(pacote.begin(), pacote.begin() + n));
            if (!r.empty())
                sendto(socket_, r.data(), static_cast<int>(r.size()), 0,
                       reinterpret_cast<sockaddr*>(&origem), sizeof origem);
        }
    }

    SOCKET socket_ = INVALID_SOCKET;
    std::string servidores_;
    std::thread thread_;
    std::atomic<bool> parar_{false};
    std::atomic<int> consultas_{0};
};

class Resolvedor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dns.servidores().empty());
        plataforma::encerrar_resolvedor();
        plataforma::esquecer_nomes();
        plataforma::usar_servidores_de_nomes(dns.servidores().c_str(), "b");
    }
    void TearDown() override {
        plataforma::encerrar_resolvedor();
        plataforma::esquecer_nomes();
        plataforma::usar_servidores_de_nomes(nullptr, nullptr);
        plataforma::substituir_relogio_de_nomes(nullptr);
    }
    static resposta_de_nome resposta_final(const char* ip, std::string& nome) {
        char texto[256];
        resposta_de_nome r = resposta_de_nome::pendente;
        teste_windows::esperar_ate([&] {
            r = plataforma::pedir_nome(ip, 500, texto, sizeof texto);
            return r != resposta_de_nome::pendente;
        });
        if (r == resposta_de_nome::com_nome) nome = texto;
        return r;
    }
    ServidorDnsLocal dns;
};

// Each lookup after the first finds the thread asleep in select() with nothing
// to wait for: only the wake-up gets its query sent.
TEST_F(Resolvedor, NomesDoServidorUmAposOOutro) {
    for (const char* ip : {"203.0.113.5", "203.0.113.6", "203.0.113.7"}) {
        std::string nome;
        EXPECT_EQ(resposta_final(ip, nome), resposta_de_nome::com_nome) << ip;
        EXPECT_EQ(nome, "h" + std::string(ip + 10) + ".exemplo.pt");
        Sleep(50);
    }
    EXPECT_EQ(dns.consultas(), 3);
    plataforma::contagem_de_nomes c = plataforma::contar_nomes();
    EXPECT_TRUE(c.thread_ativa);
    EXPECT_EQ(c.em_curso, 0);
}

// The resolver's clock moves only when the test moves it, so the window passes
// after the query was sent however slowly a loaded machine starts the thread.
std::atomic<uint64_t> instante_do_teste{1000000};
uint64_t relogio_do_teste() { return instante_do_teste; }

TEST_F(Resolvedor, ServidorMudoExpiraEEncerrarNaoDeixaNada) {
    plataforma::substituir_relogio_de_nomes(relogio_do_teste);
    plataforma::contagem_de_nomes antes = plataforma::contar_nomes();
    char texto[256];
    EXPECT_EQ(plataforma::pedir_nome("192.0.2.1", 500, texto, sizeof texto),
              resposta_de_nome::pendente);
    ASSERT_TRUE(teste_windows::esperar_ate([&] { return dns.consultas() >= 1; }));
    instante_do_teste += 499;
    EXPECT_EQ(plataforma::pedir_nome("192.0.2.1", 500, texto, sizeof texto),
              resposta_de_nome::pendente);
    instante_do_teste += 1;
    EXPECT_EQ(plataforma::pedir_nome("192.0.2.1", 500, texto, sizeof texto),
              resposta_de_nome::sem_nome);
    EXPECT_EQ(plataforma::contar_nomes().expiradas - antes.expiradas, 1u);

    int feitas = dns.consultas();
    char nome_curto[64];
    EXPECT_EQ(plataforma::pedir_nome("192.0.2.2", 600000, nome_curto, sizeof nome_curto),
              resposta_de_nome::pendente);
    ASSERT_TRUE(teste_windows::esperar_ate([&] { return dns.consultas() > feitas; }));
    plataforma::encerrar_resolvedor();
    plataforma::contagem_de_nomes depois = plataforma::contar_nomes();
    EXPECT_FALSE(depois.thread_ativa);
    EXPECT_EQ(depois.sockets_abertos, 0);
    EXPECT_EQ(depois.em_curso, 0);
    EXPECT_EQ(depois.canceladas - antes.canceladas, 1u);
}

TEST_F(Resolvedor, TextoQueNaoEEnderecoNaoTemNome) {
    for (const char* ip : {"", "abc", "999.1.1.1", "127.0.0"})
        EXPECT_EQ(plataforma::pedir_nome(ip, 500, nullptr, 0), resposta_de_nome::sem_nome) << ip;
    EXPECT_EQ(dns.consultas(), 0);
}

}  // namespace
