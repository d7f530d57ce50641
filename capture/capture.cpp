#include "capture/capture.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "capture/processes.h"
#include "monitor/tables.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "common/diagnostics.h"
#include "common/text.h"

namespace {

constexpr int largura_dado = 48;  // max_dado: every cell is built in a buffer this wide

plataforma::conexao_tcp linhas_lidas[plataforma::maximo_conexoes_tcp];
const char* fonte_anunciada = nullptr;
leitura_da_tabela_tcp ler_tabela = plataforma::ler_tabela_tcp;

// The diagnostic says where the table comes from at the first reading and
// whenever that changes (netlink refused, the table unreadable).
void anunciar_fonte() {
    const char* fonte = plataforma::fonte_da_tabela_tcp();
    if (fonte_anunciada != nullptr && std::strcmp(fonte, fonte_anunciada) == 0) return;
    diagnostico("Tabela TCP: %s\n", fonte);
    fonte_anunciada = fonte;
}

// Numbers as "%d" writes them, without the cost of the formatting engine:
// a reading formats several numbers for every connection of the system. At
// most 20 characters, well inside a working buffer.
char* escrever_decimal(char* p, long long valor) {
    unsigned long long v = valor < 0 ? 0ull - static_cast<unsigned long long>(valor)
                                     : static_cast<unsigned long long>(valor);
    if (valor < 0) *p++ = '-';
    char digitos[20];
    int n = 0;
    do {
        digitos[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0) *p++ = digitos[--n];
    *p = '\0';
    return p;
}

// An address kept in network byte order as dotted decimal text (at most 15
// characters).
void formatar_ip(uint32_t ip, char* destino) {
    unsigned char b[4];
    std::memcpy(b, &ip, 4);
    char* p = destino;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) *p++ = '.';
        p = escrever_decimal(p, b[i]);
    }
}

// Every cell an address is copied into holds the longest IPv6 text whole.
constexpr bool cabe_ipv6(int largura) {
    return largura > 0 && static_cast<std::size_t>(largura) >= plataforma::largura_texto_ipv6;
}
static_assert(cabe_ipv6(largura_dado) && cabe_ipv6(largura_celula_captura) &&
                  cabe_ipv6(largura_celula_painel),
              "an IPv6 address fits its cells");

// IPv6 rows carry their addresses apart; an IPv4 row's are dotted decimal.
void formatar_endereco(const plataforma::conexao_tcp& c, bool remoto, char* destino) {
    if (c.ipv6) plataforma::escrever_ipv6(remoto ? c.ip6_remoto : c.ip6_local, destino, largura_dado);
    else formatar_ip(remoto ? c.ip_remoto : c.ip_local, destino);
}

int porta_em_ordem_do_host(uint16_t porta) {
    unsigned char b[2];
    std::memcpy(b, &porta, 2);
    return (b[0] << 8) | b[1];
}

bool comeca_com(const char* ip_remoto, const char* prefixo) {
    char copia[largura_dado];
    copiar_limitado(copia, sizeof copia, ip_remoto);
    return std::strcmp(substring(copia, 0, static_cast<int>(std::strlen(prefixo))), prefixo) == 0;
}

struct linha_capturada {
    char celula[7][largura_dado];
};

void montar_linha(const plataforma::conexao_tcp& c, linha_capturada& l) {
    formatar_endereco(c, false, l.celula[CAP_IP_LOCAL]);
    escrever_decimal(l.celula[CAP_PORTA_LOCAL], porta_em_ordem_do_host(c.porta_local));
    escrever_decimal(l.celula[CAP_PID], c.pid);
    texto_fixo<128> nome = getpro(c.pid);
    copiar_limitado(l.celula[CAP_NOME_PROCESSO], largura_dado, nome.c_str());
    copiar_limitado(l.celula[CAP_MARCADOR], largura_dado, "1");
}

using tabela_de_captura = char[linhas_captura][celulas_captura][largura_celula_captura];

void gravar(const linha_capturada& l, tabela_de_captura& tabela, int& contagem) {
    if (contagem < 0 || contagem >= linhas_captura) return;
    for (int c = 0; c < 7; ++c) copiar_celula(tabela[contagem][c], l.celula[c]);
    ++contagem;
}

void manter(const plataforma::conexao_tcp& c, linha_capturada& l) {
    if (++total_conexoes_scan_estabi > limite_conexoes_scan) limite_atingido("Limite de conexoes:250");
    montar_linha(c, l);
    if (tipo == 0) gravar(l, netstat_cap, num_netstat_cap);
    if (tipo == 1) gravar(l, netstat_capx, num_netstat_capx);
}

}  // namespace

char* substring(char* texto, int inicio, int quantidade) {
    if (texto == nullptr) return texto;
    std::size_t tamanho = std::strlen(texto);
    if (inicio < 0 || static_cast<std::size_t>(inicio) > tamanho) inicio = 0;
    std::size_t resto = tamanho - static_cast<std::size_t>(inicio);
    std::size_t n = static_cast<unsigned>(quantidade);
    if (n > resto) n = resto;
    std::memmove(texto, texto + inicio, n);
    texto[n] = '\0';
    return texto;
}

int conexao_omitida(const char* ip_remoto, const char* porta_remota) {
    int porta = std::atoi(porta_remota);
    if (!exibir_http && porta == 80) return 1;
    if (!exibir_https && porta == 443) return 1;
    if (!exibir_localhost && endereco_localhost(ip_remoto)) return 1;
    if (!exibir_lan_10 && comeca_com(ip_remoto, "10.")) return 1;
    if (!exibir_lan_192 && comeca_com(ip_remoto, "192.168")) return 1;
    return 0;
}

bool endereco_localhost(const char* ip) {
    return std::strcmp(ip, "127.0.0.1") == 0 || std::strcmp(ip, "::1") == 0;
}

bool endereco_local(const char* ip) {
    if (endereco_localhost(ip) || comeca_com(ip, "10.") || comeca_com(ip, "192.168")) return true;
    uint8_t b[16];
    if (!plataforma::ler_ipv6(ip, b)) return false;
    bool enlace_local = b[0] == 0xfe && (b[1] & 0xc0) == 0x80;  // fe80::/10
    bool unico_local = (b[0] & 0xfe) == 0xfc;                    // fc00::/7
    return enlace_local || unico_local;
}

int scan_nestat(int) {
    novo_instantaneo_de_processos();
    int total = ler_tabela(linhas_lidas, plataforma::maximo_conexoes_tcp);
    anunciar_fonte();
    if (total < 0) return -1;
    if (total > plataforma::maximo_conexoes_tcp) total = plataforma::maximo_conexoes_tcp;
    total_conexoes_scan_estabi = 0;
    linha_capturada l;
    for (int i = 0; i < total; ++i) {
        const plataforma::conexao_tcp& c = linhas_lidas[i];
        if (c.estado != plataforma::estado_estabelecido) continue;
        formatar_endereco(c, true, l.celula[CAP_IP_REMOTO]);
        escrever_decimal(l.celula[CAP_PORTA_REMOTA], porta_em_ordem_do_host(c.porta_remota));
        if (conexao_omitida(l.celula[CAP_IP_REMOTO], l.celula[CAP_PORTA_REMOTA])) continue;
        manter(c, l);
    }
    return 0;
}

void substituir_tabela_tcp(leitura_da_tabela_tcp leitura) {
    ler_tabela = leitura ? leitura : plataforma::ler_tabela_tcp;
}
