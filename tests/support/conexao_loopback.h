// Loopback connections held open by the test's own process, on both systems: a
// listener on 127.0.0.1 at a free port, and connections to it whose two ends
// stay open until closed. Programs the test starts do not inherit them.
#pragma once
#include <memory>

namespace teste {

class escuta_loopback {
public:
    escuta_loopback();
    ~escuta_loopback();
    bool pronta() const { return porta_ != 0; }
    int porta() const { return porta_; }

    struct soquete;  // the system's own

private:
    friend class conexao_loopback;
    std::unique_ptr<soquete> soquete_;
    int porta_ = 0;
};

// One connection to `escuta`: the client's end and the accepted end.
class conexao_loopback {
public:
    explicit conexao_loopback(const escuta_loopback& escuta);
    ~conexao_loopback();
    bool aberta() const { return pontas_ != nullptr; }
    int porta_cliente() const { return porta_cliente_; }
    void fechar();

    struct pontas;  // the system's own

private:
    std::unique_ptr<pontas> pontas_;
    int porta_cliente_ = 0;
};

}  // namespace teste
