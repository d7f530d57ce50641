#include "platform/platform.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace plataforma {

namespace {

// A name longer than the caller's cell keeps its end: the end carries the
// domain, which is what the rest of the program looks at.
void copiar_final(char* destino, std::size_t largura, const char* nome) {
    std::size_t tamanho = std::strlen(nome);
    const char* inicio = tamanho < largura ? nome : nome + (tamanho - (largura - 1));
    std::size_t n = std::strlen(inicio);
    std::memcpy(destino, inicio, n);
    destino[n] = '\0';
}

}  // namespace

bool resolver_nome(const char* ip, char* destino, std::size_t largura) {
    if (ip == nullptr || destino == nullptr || largura == 0) return false;
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    if (inet_pton(AF_INET, ip, &endereco.sin_addr) != 1) return false;
    char nome[NI_MAXHOST];
    int erro = getnameinfo(reinterpret_cast<const sockaddr*>(&endereco), sizeof endereco,
                           nome, sizeof nome, nullptr, 0, NI_NAMEREQD);
    if (erro != 0 || nome[0] == '\0') return false;
    copiar_final(destino, largura, nome);
    return true;
}

}  // namespace plataforma
