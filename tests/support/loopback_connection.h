// Loopback connections held open by the test's own process, on both systems: a
// listener on 127.0.0.1 at a free port, and connections to it whose two ends
// stay open until closed. Programs the test starts do not inherit them.
#pragma once
#include "support/platform_services.h"

namespace teste {

class escuta_loopback {
public:
    escuta_loopback() : soquete_(plataforma::escutar_em_loopback(porta_)) {}
    ~escuta_loopback() { plataforma::fechar_soquete(soquete_); }
    escuta_loopback(const escuta_loopback&) = delete;
    escuta_loopback& operator=(const escuta_loopback&) = delete;
    bool pronta() const { return soquete_ != plataforma::sem_soquete; }
    int porta() const { return porta_; }

private:
    friend class conexao_loopback;
    int porta_ = 0;
    plataforma::soquete_tcp soquete_;
};

// One connection to `escuta`: the client's end and the accepted end.
class conexao_loopback {
public:
    explicit conexao_loopback(const escuta_loopback& escuta) {
        if (escuta.pronta()) plataforma::conectar_em_loopback(escuta.soquete_, escuta.porta_, pontas_);
    }
    ~conexao_loopback() { fechar(); }
    conexao_loopback(const conexao_loopback&) = delete;
    conexao_loopback& operator=(const conexao_loopback&) = delete;
    bool aberta() const { return pontas_.aceita != plataforma::sem_soquete; }
    int porta_cliente() const { return pontas_.porta_cliente; }
    // Both ends closed; the client's port stays known, to find the connection
    // in what the program wrote.
    void fechar() {
        plataforma::fechar_soquete(pontas_.aceita);
        plataforma::fechar_soquete(pontas_.cliente);
        pontas_.aceita = pontas_.cliente = plataforma::sem_soquete;
    }

private:
    plataforma::pontas_de_conexao pontas_;
};

}  // namespace teste
