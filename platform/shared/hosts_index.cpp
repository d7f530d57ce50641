// The hosts file as an index from address to the first name the file gives
// it, as the system's own lookup answers. Blocking lists of 50,000 to 150,000
// lines are common in /etc/hosts; reading the file for every lookup held each
// lookup for tens of milliseconds. The index is rebuilt on the resolver's
// thread when the file's signature changes, and a lookup is one probe.
//
// Fixed tables: an open-addressing table of addresses, at most half full, and
// one block of names. Such lists give most of their lines one address
// ("0.0.0.0"), so the distinct addresses are few; what does not fit is left
// out and said once on standard output.
#include <ares.h>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

#include <cstdio>
#include <cstring>

#include "common/diagnostics.h"
#include "platform/shared/internal.h"

namespace plataforma::nomes {

namespace {

constexpr int vagas = 1 << 15;
constexpr int enderecos_maximos = vagas / 2;
constexpr std::size_t espaco_dos_nomes = std::size_t(1) << 20;
constexpr std::size_t nome_maximo = 255;

struct vaga {
    unsigned char endereco[16];
    uint32_t nome;  // where its name starts in `nomes`
    bool usada;
};

vaga tabela[vagas];
char nomes[espaco_dos_nomes];
std::size_t nomes_usados = 0;
int enderecos_guardados = 0;
bool faltou_espaco = false;
bool arquivo_legivel = false;
bool indexado = false;
firma_de_arquivo firma_indexada{};

uint32_t espalhar(const unsigned char (&endereco)[16]) {
    uint32_t h = 2166136261u;
    for (unsigned char b : endereco) h = (h ^ b) * 16777619u;
    return h;
}

// The slot that holds `endereco`, or the free one where it would go.
int vaga_de(const unsigned char (&endereco)[16]) {
    int v = static_cast<int>(espalhar(endereco) & (vagas - 1));
    while (tabela[v].usada && std::memcmp(tabela[v].endereco, endereco, 16) != 0)
        v = (v + 1) & (vagas - 1);
    return v;
}

// The first line that names an address wins, as in the system's lookup.
void guardar(const unsigned char (&endereco)[16], const char* nome, std::size_t tamanho) {
    int v = vaga_de(endereco);
    if (tabela[v].usada) return;
    if (tamanho > nome_maximo) tamanho = nome_maximo;
    if (enderecos_guardados >= enderecos_maximos || nomes_usados + tamanho + 1 > espaco_dos_nomes) {
        faltou_espaco = true;
        return;
    }
    std::memcpy(tabela[v].endereco, endereco, 16);
    tabela[v].nome = static_cast<uint32_t>(nomes_usados);
    tabela[v].usada = true;
    std::memcpy(nomes + nomes_usados, nome, tamanho);
    nomes[nomes_usados + tamanho] = '\0';
    nomes_usados += tamanho + 1;
    ++enderecos_guardados;
}

// An IPv4 address as the IPv4-mapped IPv6 one, so "::ffff:a.b.c.d" lines name
// a.b.c.d as the system's lookup does.
bool ler_endereco_do_arquivo(const char* texto, unsigned char (&endereco)[16]) {
    unsigned char v4[4];
    if (ares_inet_pton(AF_INET, texto, v4) == 1) {
        static const unsigned char prefixo[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        std::memcpy(endereco, prefixo, 12);
        std::memcpy(endereco + 12, v4, 4);
        return true;
    }
    return ares_inet_pton(AF_INET6, texto, endereco) == 1;
}

// Blanks between fields; a carriage return ends a field too (files written
// on Windows).
bool separador(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// The next field of a line from `p`: `p` is moved to its start, and its
// length returned (0 at the end of the line or at a comment).
std::size_t campo(const char*& p) {
    while (separador(*p)) ++p;
    const char* inicio = p;
    while (*p != '\0' && *p != '#' && !separador(*p)) ++p;
    std::size_t n = static_cast<std::size_t>(p - inicio);
    p = inicio;
    return n;
}

void indexar_linha(const char* linha) {
    const char* p = linha;
    std::size_t n = campo(p);
    if (n == 0 || n >= 64) return;
    char texto[64];
    std::memcpy(texto, p, n);
    texto[n] = '\0';
    p += n;
    std::size_t tamanho_do_nome = campo(p);
    unsigned char endereco[16];
    if (tamanho_do_nome > 0 && ler_endereco_do_arquivo(texto, endereco)) guardar(endereco, p, tamanho_do_nome);
}

void esvaziar_indice() {
    std::memset(tabela, 0, sizeof tabela);
    nomes_usados = 0;
    enderecos_guardados = 0;
    faltou_espaco = false;
}

// A line longer than the buffer is indexed by its beginning, where its
// address and first name are; the rest of it is passed over.
void indexar(std::FILE* arquivo) {
    char linha[1024];
    bool continuacao = false;
    while (std::fgets(linha, sizeof linha, arquivo) != nullptr) {
        if (!continuacao) indexar_linha(linha);
        continuacao = std::strchr(linha, '\n') == nullptr;
    }
}

}  // namespace

void atualizar_indice_do_hosts(const char* caminho) {
    firma_de_arquivo firma = firmar_arquivo(caminho);
    if (indexado && mesma_firma(firma, firma_indexada)) return;
    esvaziar_indice();
    indexado = true;
    firma_indexada = firma;
    std::FILE* arquivo = firma.existe ? std::fopen(caminho, "rb") : nullptr;
    arquivo_legivel = arquivo != nullptr;
    if (!arquivo_legivel) return;
    indexar(arquivo);
    std::fclose(arquivo);
    if (faltou_espaco)
        diagnostico("Arquivo hosts grande demais: %d enderecos lidos\n", enderecos_guardados);
}

estado_da_fonte procurar_no_hosts(const unsigned char (&endereco)[16], char* nome,
                                  std::size_t largura) {
    if (!arquivo_legivel) return fonte_indisponivel;
    int v = vaga_de(endereco);
    if (!tabela[v].usada) return fonte_nao_achou;
    if (largura > 0) {
        std::strncpy(nome, nomes + tabela[v].nome, largura - 1);
        nome[largura - 1] = '\0';
    }
    return fonte_achou;
}

}  // namespace plataforma::nomes
