// A DNS server of our own on a loopback UDP port, for the resolver's tests and
// benchmark: it answers reverse (PTR) queries as its rule says for each
// address — with a name, with "no such name" (NXDOMAIN), never, only once
// the test releases the answer, or with a name after a set delay; over UDP,
// and over TCP too once asked to listen there. Header-only so the benchmark
// can use it too.
#pragma once
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace teste {

// The UDP socket under each system's calls (Winsock started for its life).
#ifdef _WIN32
using soquete_dns = SOCKET;
constexpr soquete_dns sem_soquete_dns = INVALID_SOCKET;
constexpr int tipo_do_soquete_dns = SOCK_DGRAM;
constexpr int tipo_do_soquete_tcp = SOCK_STREAM;
constexpr int sem_sinal_ao_enviar = 0;
inline void fechar_soquete_dns(soquete_dns s) { closesocket(s); }
struct rede_do_servidor_dns {
    rede_do_servidor_dns() {
        WSADATA dados;
        WSAStartup(MAKEWORD(2, 2), &dados);
    }
    ~rede_do_servidor_dns() { WSACleanup(); }
};
#else
using soquete_dns = int;
constexpr soquete_dns sem_soquete_dns = -1;
constexpr int tipo_do_soquete_dns = SOCK_DGRAM | SOCK_CLOEXEC;  // not for programs the tests start
constexpr int tipo_do_soquete_tcp = SOCK_STREAM | SOCK_CLOEXEC;
constexpr int sem_sinal_ao_enviar = MSG_NOSIGNAL;
inline void fechar_soquete_dns(soquete_dns s) { close(s); }
struct rede_do_servidor_dns {};
#endif

enum class modo_dns { nome, sem_nome, mudo, reter, atrasar };

struct resposta_dns {
    modo_dns modo;
    std::string nome;   // for nome and atrasar, and for reter once released
    int atraso_ms = 0;  // for atrasar
};

class ServidorDns {
public:
    using regra = std::function<resposta_dns(const std::string& ip)>;

    // Listens on `endereco`:`porta` (0: any free port).
    explicit ServidorDns(regra r, const char* endereco = "127.0.0.1", int porta = 0)
        : regra_(std::move(r)) {
        socket_ = socket(AF_INET, tipo_do_soquete_dns, IPPROTO_UDP);
        sockaddr_in e{};
        e.sin_family = AF_INET;
        e.sin_port = htons(static_cast<uint16_t>(porta));
        e.sin_addr.s_addr = inet_addr(endereco);
        if (socket_ == sem_soquete_dns ||
            bind(socket_, reinterpret_cast<sockaddr*>(&e), sizeof e) != 0)
            return;
        socklen_t tamanho = sizeof e;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&e), &tamanho);
        porta_ = ntohs(e.sin_port);
        endereco_ = endereco;
        thread_ = std::thread([this] { servir(); });
    }

    ~ServidorDns() {
        parar_ = true;
        if (thread_.joinable()) thread_.join();
        if (socket_ != sem_soquete_dns) fechar_soquete_dns(socket_);
        if (ouvinte_tcp_ != sem_soquete_dns) fechar_soquete_dns(ouvinte_tcp_);
        for (soquete_dns c : clientes_tcp_) fechar_soquete_dns(c);
    }

    // Listens for TCP on the same address and port too; before the first query.
    bool ouvir_tcp() {
        soquete_dns s = socket(AF_INET, tipo_do_soquete_tcp, IPPROTO_TCP);
        sockaddr_in e{};
        e.sin_family = AF_INET;
        e.sin_port = htons(static_cast<uint16_t>(porta_));
        e.sin_addr.s_addr = inet_addr(endereco_.c_str());
        if (s == sem_soquete_dns) return false;
        if (bind(s, reinterpret_cast<sockaddr*>(&e), sizeof e) != 0 || listen(s, 8) != 0) {
            fechar_soquete_dns(s);
            return false;
        }
        ouvinte_tcp_ = s;
        return true;
    }
    int consultas_tcp() const { return consultas_tcp_.load(); }

    bool pronto() const { return porta_ > 0; }
    int porta() const { return porta_; }
    // The server as c-ares takes it: "127.0.0.1:port".
    std::string servidores() const { return endereco_ + ":" + std::to_string(porta_); }

    // Queries received for `ip` (all addresses when empty).
    int consultas(const std::string& ip = "") const {
        std::lock_guard<std::mutex> guarda(trava_);
        if (ip.empty()) return total_;
        auto p = por_ip_.find(ip);
        return p == por_ip_.end() ? 0 : p->second;
    }
    int enviadas() const { return enviadas_.load(); }

    // Sends the held answers for `ip` (all when empty) as the rule's name.
    void liberar(const std::string& ip = "") {
        std::lock_guard<std::mutex> guarda(trava_);
        std::vector<retida> ficam;
        for (retida& r : retidas_) {
            if (ip.empty() || r.ip == ip) responder(r.consulta, r.origem, r.nome, false);
            else ficam.push_back(r);
        }
        retidas_.swap(ficam);
    }

private:
    using relogio = std::chrono::steady_clock;

    struct retida {
        std::string ip, nome;
        std::vector<uint8_t> consulta;
        sockaddr_in origem;
        relogio::time_point quando;  // for a delayed answer
    };

    // Sends the delayed answers whose time has come; the wait until the next.
    int responder_atrasadas() {
        std::lock_guard<std::mutex> guarda(trava_);
        relogio::time_point agora = relogio::now();
        int espera = 20;
        std::vector<retida> ficam;
        for (retida& r : atrasadas_) {
            if (r.quando <= agora) {
                responder(r.consulta, r.origem, r.nome, false);
                continue;
            }
            auto falta = std::chrono::duration_cast<std::chrono::milliseconds>(r.quando - agora).count();
            espera = std::min(espera, static_cast<int>(falta) + 1);
            ficam.push_back(r);
        }
        atrasadas_.swap(ficam);
        return espera;
    }

    // "5.113.0.203.in-addr.arpa" -> "203.0.113.5"; "" for anything else.
    static std::string endereco_da_pergunta(const std::vector<std::string>& rotulos) {
        if (rotulos.size() != 6 || rotulos[4] != "in-addr" || rotulos[5] != "arpa") return "";
        return rotulos[3] + "." + rotulos[2] + "." + rotulos[1] + "." + rotulos[0];
    }

    // The question's labels and where it ends; 0 when the packet is not a query.
    static std::size_t ler_pergunta(const std::vector<uint8_t>& p, std::vector<std::string>& rotulos) {
        if (p.size() < 12 || (p[2] & 0x80) != 0 || p[4] != 0 || p[5] < 1) return 0;
        std::size_t i = 12;
        while (i < p.size() && p[i] != 0) {
            std::size_t n = p[i];
            if (n > 63 || i + 1 + n > p.size()) return 0;
            rotulos.emplace_back(reinterpret_cast<const char*>(&p[i + 1]), n);
            i += 1 + n;
        }
        return i + 5 <= p.size() ? i + 5 : 0;
    }

    void responder(const std::vector<uint8_t>& consulta, const sockaddr_in& origem,
                   const std::string& nome, bool sem_nome, soquete_dns tcp = sem_soquete_dns) {
        std::vector<std::string> rotulos;
        std::size_t fim = ler_pergunta(consulta, rotulos);
        std::vector<uint8_t> r(consulta.begin(), consulta.begin() + static_cast<long>(fim));
        r[2] = static_cast<uint8_t>(0x84 | (consulta[2] & 0x01));  // answer, authoritative, RD kept
        r[3] = static_cast<uint8_t>(0x80 | (sem_nome ? 3 : 0));     // RA; NXDOMAIN or no error
        r[4] = 0, r[5] = 1, r[6] = 0, r[7] = sem_nome ? 0 : 1;
        r[8] = r[9] = r[10] = r[11] = 0;
        if (!sem_nome) {
            std::vector<uint8_t> dados;
            std::size_t inicio = 0;
            while (inicio <= nome.size()) {
                std::size_t ponto = nome.find('.', inicio);
                if (ponto == std::string::npos) ponto = nome.size();
                dados.push_back(static_cast<uint8_t>(ponto - inicio));
                dados.insert(dados.end(), nome.begin() + static_cast<long>(inicio),
                             nome.begin() + static_cast<long>(ponto));
                inicio = ponto + 1;
            }
            dados.push_back(0);
            uint8_t cabeca[] = {0xC0, 0x0C, 0, 12, 0, 1, 0, 0, 0, 60,
                                static_cast<uint8_t>(dados.size() >> 8),
                                static_cast<uint8_t>(dados.size() & 0xFF)};
            r.insert(r.end(), cabeca, cabeca + sizeof cabeca);
            r.insert(r.end(), dados.begin(), dados.end());
        }
        if (tcp != sem_soquete_dns) {
            uint8_t tamanho[2] = {static_cast<uint8_t>(r.size() >> 8), static_cast<uint8_t>(r.size() & 0xFF)};
            r.insert(r.begin(), tamanho, tamanho + 2);
            send(tcp, reinterpret_cast<const char*>(r.data()), static_cast<int>(r.size()), sem_sinal_ao_enviar);
        } else {
            sendto(socket_, reinterpret_cast<const char*>(r.data()), static_cast<int>(r.size()), 0,
                   reinterpret_cast<const sockaddr*>(&origem), sizeof origem);
        }
        ++enviadas_;
    }

    void atender(const std::vector<uint8_t>& consulta, const sockaddr_in& origem,
                 soquete_dns tcp = sem_soquete_dns) {
        std::vector<std::string> rotulos;
        if (ler_pergunta(consulta, rotulos) == 0) return;
        std::string ip = endereco_da_pergunta(rotulos);
        resposta_dns r = ip.empty() ? resposta_dns{modo_dns::sem_nome, ""} : regra_(ip);
        std::lock_guard<std::mutex> guarda(trava_);
        ++total_;
        ++por_ip_[ip];
        if (r.modo == modo_dns::nome) responder(consulta, origem, r.nome, false, tcp);
        if (r.modo == modo_dns::sem_nome) responder(consulta, origem, "", true, tcp);
        if (r.modo == modo_dns::reter) retidas_.push_back({ip, r.nome, consulta, origem, {}});
        if (r.modo == modo_dns::atrasar)
            atrasadas_.push_back({ip, r.nome, consulta, origem,
                                  relogio::now() + std::chrono::milliseconds(r.atraso_ms)});
    }

    // One query of a TCP client (its length first); false when it closed.
    bool atender_tcp(soquete_dns cliente) {
        uint8_t tamanho[2];
        if (recv(cliente, reinterpret_cast<char*>(tamanho), 2, MSG_WAITALL) != 2) return false;
        std::vector<uint8_t> consulta(static_cast<std::size_t>(tamanho[0] << 8 | tamanho[1]));
        int n = static_cast<int>(consulta.size());
        if (recv(cliente, reinterpret_cast<char*>(consulta.data()), n, MSG_WAITALL) != n) return false;
        ++consultas_tcp_;
        atender(consulta, sockaddr_in{}, cliente);
        return true;
    }

    void servir_tcp(fd_set& leitura) {
        if (FD_ISSET(ouvinte_tcp_, &leitura)) {
            soquete_dns cliente = accept(ouvinte_tcp_, nullptr, nullptr);
            if (cliente != sem_soquete_dns) clientes_tcp_.push_back(cliente);
        }
        std::vector<soquete_dns> ficam;
        for (soquete_dns c : clientes_tcp_) {
            if (!FD_ISSET(c, &leitura) || atender_tcp(c)) ficam.push_back(c);
            else fechar_soquete_dns(c);
        }
        clientes_tcp_.swap(ficam);
    }

    void servir() {
        std::vector<uint8_t> pacote(1500);
        while (!parar_) {
            fd_set leitura;
            FD_ZERO(&leitura);
            FD_SET(socket_, &leitura);
            soquete_dns maior = socket_;
            soquete_dns ouvinte = ouvinte_tcp_;
            auto observar = [&](soquete_dns s) {
                FD_SET(s, &leitura);
                maior = std::max(maior, s);
            };
            if (ouvinte != sem_soquete_dns) observar(ouvinte);
            for (soquete_dns c : clientes_tcp_) observar(c);
            int espera_ms = responder_atrasadas();
            timeval espera{0, espera_ms * 1000};
            if (select(static_cast<int>(maior) + 1, &leitura, nullptr, nullptr, &espera) <= 0)
                continue;
            if (ouvinte != sem_soquete_dns) servir_tcp(leitura);
            if (!FD_ISSET(socket_, &leitura)) continue;
            sockaddr_in origem{};
            socklen_t tamanho = sizeof origem;
            auto n = recvfrom(socket_, reinterpret_cast<char*>(pacote.data()),
                              static_cast<int>(pacote.size()), 0,
                              reinterpret_cast<sockaddr*>(&origem), &tamanho);
            if (n > 0) atender(std::vector<uint8_t>(pacote.begin(), pacote.begin() + n), origem);
        }
    }

    rede_do_servidor_dns rede_;
    regra regra_;
    soquete_dns socket_ = sem_soquete_dns;
    // Set before the first query, read by the server's thread.
    std::atomic<soquete_dns> ouvinte_tcp_{sem_soquete_dns};
    std::vector<soquete_dns> clientes_tcp_;  // the server's thread only
    std::atomic<int> consultas_tcp_{0};
    int porta_ = 0;
    std::string endereco_;
    std::thread thread_;
    std::atomic<bool> parar_{false};
    mutable std::mutex trava_;
    int total_ = 0;
    std::map<std::string, int> por_ip_;
    std::vector<retida> retidas_;
    std::vector<retida> atrasadas_;
    std::atomic<int> enviadas_{0};
};

}  // namespace teste
