#include "platform/linux/proc_parsers.h"

#include <arpa/inet.h>

#include <cstring>

#include "common/text.h"

namespace plataforma::proc {

namespace {

int valor_hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads exactly `digitos` hexadecimal digits at *p.
bool ler_hex(const char*& p, int digitos, uint32_t* valor) {
    uint32_t v = 0;
    for (int i = 0; i < digitos; ++i) {
        int d = valor_hex(p[i]);
        if (d < 0) return false;
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    p += digitos;
    *valor = v;
    return true;
}

void pular_brancos(const char*& p) {
    while (*p == ' ' || *p == '\t') ++p;
}

void pular_campo(const char*& p) {
    pular_brancos(p);
    while (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n') ++p;
}

// "0100007F:818B": the words of the address as the kernel printed them (each
// the address bytes read as a host-order number), then the port.
bool ler_endereco(const char*& p, int palavras, uint32_t* endereco, uint16_t* porta) {
    pular_brancos(p);
    for (int i = 0; i < palavras; ++i) {
        if (!ler_hex(p, 8, &endereco[i])) return false;
    }
    if (*p++ != ':') return false;
    uint32_t valor;
    if (!ler_hex(p, 4, &valor)) return false;
    *porta = static_cast<uint16_t>(valor);
    return true;
}

int palavras_do_endereco(const char* p) {
    std::size_t n = 0;
    while (valor_hex(p[n]) >= 0) ++n;
    if (p[n] != ':') return 0;
    if (n == 8) return 1;
    if (n == 32) return 4;
    return 0;
}

bool ler_decimal(const char*& p, uint64_t* valor) {
    pular_brancos(p);
    if (*p < '0' || *p > '9') return false;
    uint64_t v = 0;
    while (*p >= '0' && *p <= '9') v = v * 10 + static_cast<uint64_t>(*p++ - '0');
    *valor = v;
    return true;
}

}  // namespace

bool ler_linha_tcp(const char* linha, linha_tcp* saida) {
    const char* p = linha;
    uint64_t numero;
    if (!ler_decimal(p, &numero) || *p++ != ':') return false;
    pular_brancos(p);
    linha_tcp l{};
    l.palavras = palavras_do_endereco(p);
    if (l.palavras == 0) return false;
    if (!ler_endereco(p, l.palavras, l.local, &l.porta_local)) return false;
    if (!ler_endereco(p, l.palavras, l.remoto, &l.porta_remota)) return false;
    pular_brancos(p);
    uint32_t estado;
    if (!ler_hex(p, 2, &estado)) return false;
    l.estado_linux = static_cast<int>(estado);
    // tx:rx queues, timer, retransmits, uid, timeout; then the inode.
    for (int i = 0; i < 5; ++i) pular_campo(p);
    if (!ler_decimal(p, &l.inode)) return false;
    *saida = l;
    return true;
}

bool ipv4_mapeado(const uint32_t palavras[4], uint32_t* ipv4) {
    if (palavras[0] != 0 || palavras[1] != 0 || palavras[2] != htonl(0xffffu)) return false;
    *ipv4 = palavras[3];
    return true;
}

int estado_da_tabela(int estado_linux) {
    switch (estado_linux) {
        case 1: return 5;    // established
        case 2: return 3;    // syn-sent
        case 3: return 4;    // syn-received
        case 4: return 6;    // fin-wait-1
        case 5: return 7;    // fin-wait-2
        case 6: return 11;   // time-wait
        case 7: return 1;    // closed
        case 8: return 8;    // close-wait
        case 9: return 10;   // last-ack
        case 10: return 2;   // listen
        case 11: return 9;   // closing
        case 12: return 4;   // a request socket still in the handshake
        default: return 0;
    }
}

bool inode_de_socket(const char* alvo, std::size_t tamanho, uint64_t* inode) {
    static const char prefixo[] = "socket:[";
    constexpr std::size_t n = sizeof prefixo - 1;
    if (tamanho < n + 2 || std::memcmp(alvo, prefixo, n) != 0 || alvo[tamanho - 1] != ']')
        return false;
    uint64_t v = 0;
    for (std::size_t i = n; i < tamanho - 1; ++i) {
        if (alvo[i] < '0' || alvo[i] > '9') return false;
        v = v * 10 + static_cast<uint64_t>(alvo[i] - '0');
    }
    *inode = v;
    return true;
}

bool nome_no_stat(const char* linha, char* destino, std::size_t largura) {
    const char* abre = std::strchr(linha, '(');
    const char* fecha = std::strrchr(linha, ')');
    if (abre == nullptr || fecha == nullptr || fecha < abre || largura == 0) return false;
    std::size_t n = static_cast<std::size_t>(fecha - abre - 1);
    if (n > largura - 1) n = largura - 1;
    std::memcpy(destino, abre + 1, n);
    destino[n] = '\0';
    return true;
}

void caminho_sem_removido(const char* alvo, char* destino, std::size_t largura) {
    static const char sufixo[] = " (deleted)";
    constexpr std::size_t n_sufixo = sizeof sufixo - 1;
    std::size_t n = std::strlen(alvo);
    if (n >= n_sufixo && std::strcmp(alvo + n - n_sufixo, sufixo) == 0) n -= n_sufixo;
    if (largura == 0) return;
    if (n > largura - 1) n = largura - 1;
    std::memmove(destino, alvo, n);
    destino[n] = '\0';
}

void nome_base(const char* caminho, char* destino, std::size_t largura) {
    const char* barra = std::strrchr(caminho, '/');
    copiar_limitado(destino, largura, barra ? barra + 1 : caminho);
}

}  // namespace plataforma::proc
