// The POSIX side of the loopback connections: the sockets of the platform
// tests' loopback helpers, close-on-exec.
#include "support/conexao_loopback.h"

#include "platform/tcp_loopback.h"

namespace teste {

struct escuta_loopback::soquete {
    loopback::ouvinte ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
};

struct conexao_loopback::pontas {
    loopback::par par;
};

escuta_loopback::escuta_loopback() : soquete_(std::make_unique<soquete>()) {
    if (soquete_->ouvinte.pronto()) porta_ = soquete_->ouvinte.porta();
}

escuta_loopback::~escuta_loopback() = default;

conexao_loopback::conexao_loopback(const escuta_loopback& escuta) {
    if (!escuta.pronta()) return;
    auto novas = std::make_unique<pontas>();
    novas->par = loopback::conectar(escuta.soquete_->ouvinte, "127.0.0.1");
    if (!novas->par.pronto()) return;
    porta_cliente_ = novas->par.porta_cliente;
    pontas_ = std::move(novas);
}

conexao_loopback::~conexao_loopback() = default;

void conexao_loopback::fechar() { pontas_.reset(); }

}  // namespace teste
