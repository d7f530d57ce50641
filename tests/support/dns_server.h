// A DNS server of our own on a loopback UDP port, for the resolver's tests and
// benchmark: it answers reverse (PTR) queries as its rule says for each
// address — with a name, with "no such name" (NXDOMAIN), never, only once
// the test releases the answer, or with a name after a set delay; over UDP,
// and over TCP too once asked to listen there. Header-only so the benchmark
// can use it too; its sockets are the test services' own.
#pragma once
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/platform_services.h"

namespace teste {

using plataforma::origem_de_datagrama;
using plataforma::sem_soquete;
using plataforma::soquete_tcp;

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
        socket_ = plataforma::abrir_udp(endereco, porta);
        if (socket_ == sem_soquete) return;
        porta_ = porta;
        endereco_ = endereco;
        thread_ = std::thread([this] { servir(); });
    }

    ~ServidorDns() {
        parar_ = true;
        if (thread_.joinable()) thread_.join();
        plataforma::fechar_soquete(socket_);
        plataforma::fechar_soquete(ouvinte_tcp_);
        for (soquete_tcp c : clientes_tcp_) plataforma::fechar_soquete(c);
    }

    // Listens for TCP on the same address and port too; before the first query.
    bool ouvir_tcp() {
        ouvinte_tcp_ = plataforma::escutar_tcp(endereco_.c_str(), porta_);
        return ouvinte_tcp_ != sem_soquete;
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
        origem_de_datagrama origem;
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

    void responder(const std::vector<uint8_t>& consulta, const origem_de_datagrama& origem,
                   const std::string& nome, bool sem_nome, soquete_tcp tcp = sem_soquete) {
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
        if (tcp != sem_soquete) {
            uint8_t tamanho[2] = {static_cast<uint8_t>(r.size() >> 8), static_cast<uint8_t>(r.size() & 0xFF)};
            r.insert(r.begin(), tamanho, tamanho + 2);
            plataforma::enviar_na_conexao(tcp, r.data(), static_cast<int>(r.size()));
        } else {
            plataforma::enviar_datagrama(socket_, r.data(), static_cast<int>(r.size()), origem);
        }
        ++enviadas_;
    }

    void atender(const std::vector<uint8_t>& consulta, const origem_de_datagrama& origem,
                 soquete_tcp tcp = sem_soquete) {
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
    bool atender_tcp(soquete_tcp cliente) {
        uint8_t tamanho[2];
        if (!plataforma::receber_exatamente(cliente, tamanho, 2)) return false;
        std::vector<uint8_t> consulta(static_cast<std::size_t>(tamanho[0] << 8 | tamanho[1]));
        if (!plataforma::receber_exatamente(cliente, consulta.data(), static_cast<int>(consulta.size())))
            return false;
        ++consultas_tcp_;
        atender(consulta, origem_de_datagrama{}, cliente);
        return true;
    }

    // The clients still open after serving those with something to read;
    // `prontos` follows the clients' order.
    void servir_tcp(bool ouvinte_pronto, const bool* prontos) {
        std::vector<soquete_tcp> ficam;
        for (std::size_t i = 0; i < clientes_tcp_.size(); ++i) {
            soquete_tcp c = clientes_tcp_[i];
            if (!prontos[i] || atender_tcp(c)) ficam.push_back(c);
            else plataforma::fechar_soquete(c);
        }
        clientes_tcp_.swap(ficam);
        if (!ouvinte_pronto) return;
        soquete_tcp cliente = plataforma::aceitar_conexao(ouvinte_tcp_);
        if (cliente != sem_soquete) clientes_tcp_.push_back(cliente);
    }

    // The UDP socket first, then the TCP listener and its clients.
    void servir() {
        std::vector<uint8_t> pacote(1500);
        while (!parar_) {
            std::vector<soquete_tcp> vigiados{socket_};
            soquete_tcp ouvinte = ouvinte_tcp_;
            if (ouvinte != sem_soquete) vigiados.push_back(ouvinte);
            vigiados.insert(vigiados.end(), clientes_tcp_.begin(), clientes_tcp_.end());
            std::unique_ptr<bool[]> prontos(new bool[vigiados.size()]);
            plataforma::esperar_leitura(vigiados.data(), prontos.get(), static_cast<int>(vigiados.size()),
                                        responder_atrasadas());
            if (ouvinte != sem_soquete) servir_tcp(prontos[1], prontos.get() + 2);
            if (!prontos[0]) continue;
            origem_de_datagrama origem;
            int n = plataforma::receber_datagrama(socket_, pacote.data(), static_cast<int>(pacote.size()), origem);
            if (n > 0) atender(std::vector<uint8_t>(pacote.begin(), pacote.begin() + n), origem);
        }
    }

    regra regra_;
    soquete_tcp socket_ = sem_soquete;
    // Set before the first query, read by the server's thread.
    std::atomic<soquete_tcp> ouvinte_tcp_{sem_soquete};
    std::vector<soquete_tcp> clientes_tcp_;  // the server's thread only
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
