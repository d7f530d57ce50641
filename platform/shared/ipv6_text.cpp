// IPv6 addresses as text, through c-ares' own inet_ntop and inet_pton: the
// same compressed form on every system, Windows before Vista included, whose
// sockets library has neither call.
#include <ares.h>

#include <cstring>

#include "common/text.h"
#include "platform/platform.h"

namespace plataforma {

void escrever_ipv6(const uint8_t (&endereco)[16], char* destino, std::size_t largura) {
    // Room for the longest form inet_ntop knows, with an IPv4 tail
    // (INET6_ADDRSTRLEN); the compressed form of any address is shorter.
    char texto[46];
    if (ares_inet_ntop(AF_INET6, endereco, texto, sizeof texto) == nullptr) texto[0] = '\0';
    copiar_limitado(destino, largura, texto);
}

bool ler_ipv6(const char* texto, uint8_t (&endereco)[16]) {
    return texto != nullptr && ares_inet_pton(AF_INET6, texto, endereco) == 1;
}

}  // namespace plataforma
