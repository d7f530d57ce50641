// The parts of the system's name settings that c-ares does not follow: the
// order of the sources and its actions in nsswitch.conf's hosts: line, and
// resolv.conf's "options use-vc".
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/shared/internal.h"

namespace plataforma::nomes {

namespace {

bool branco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The next word of `p` into `palavra` (a bracket is a word of its own).
bool proxima_palavra(const char*& p, char (&palavra)[32]) {
    while (branco(*p)) ++p;
    if (*p == '\0' || *p == '#') return false;
    std::size_t n = 0;
    if (*p == '[' || *p == ']') {
        palavra[n++] = *p++;
    } else {
        for (; *p != '\0' && !branco(*p) && *p != '[' && *p != ']' && *p != '#'; ++p)
            if (n + 1 < sizeof palavra) palavra[n++] = *p;
    }
    palavra[n] = '\0';
    return true;
}

// Statuses and actions are read without regard to case, as the system does.
bool mesma_palavra(const char* a, const char* b, std::size_t tamanho) {
    if (std::strlen(a) != tamanho) return false;
    for (std::size_t i = 0; i < tamanho; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int estado_de(const char* nome, std::size_t tamanho) {
    static const char* const nomes[estados_da_fonte] = {"SUCCESS", "NOTFOUND", "UNAVAIL", "TRYAGAIN"};
    for (int e = 0; e < estados_da_fonte; ++e)
        if (mesma_palavra(nomes[e], nome, tamanho)) return e;
    return -1;
}

// One "[!]STATUS=ACTION" of a bracket; "return" ends the lookup, anything
// else ("continue", "merge") goes on.
void aplicar_acao(const char* item, fonte_de_nomes& fonte) {
    bool negada = item[0] == '!';
    if (negada) ++item;
    const char* igual = std::strchr(item, '=');
    if (igual == nullptr) return;
    int estado = estado_de(item, static_cast<std::size_t>(igual - item));
    if (estado < 0) return;
    bool encerra = mesma_palavra("RETURN", igual + 1, std::strlen(igual + 1));
    for (int e = 0; e < estados_da_fonte; ++e)
        if ((e == estado) != negada) fonte.encerra[e] = encerra;
}

fonte_de_nomes nova_fonte(bool dns) {
    fonte_de_nomes fonte{dns, {true, false, false, false}};
    return fonte;
}

}  // namespace

ordem_das_fontes ler_ordem_das_fontes(const char* linha) {
    ordem_das_fontes ordem{};
    char palavra[32];
    // Actions belong to the source before them; a source passed over (mdns,
    // myhostname, resolve...) takes its actions with it.
    fonte_de_nomes* ultima = nullptr;
    bool entre_colchetes = false;
    const char* p = linha;
    while (proxima_palavra(p, palavra)) {
        if (palavra[0] == '[' || palavra[0] == ']') {
            entre_colchetes = palavra[0] == '[';
            continue;
        }
        if (entre_colchetes) {
            if (ultima) aplicar_acao(palavra, *ultima);
            continue;
        }
        ultima = nullptr;
        bool dns = std::strcmp(palavra, "dns") == 0;
        if ((dns || std::strcmp(palavra, "files") == 0) && ordem.quantas < fontes_maximas) {
            ordem.fontes[ordem.quantas] = nova_fonte(dns);
            ultima = &ordem.fontes[ordem.quantas++];
        }
    }
    return ordem;
}

ordem_das_fontes ordem_do_nsswitch(const char* caminho, const char* padrao) {
    std::FILE* arquivo = caminho[0] ? std::fopen(caminho, "r") : nullptr;
    if (arquivo == nullptr) return ler_ordem_das_fontes(padrao);
    char linha[1024];
    bool achou = false;
    while (!achou && std::fgets(linha, sizeof linha, arquivo) != nullptr) {
        const char* p = linha;
        while (branco(*p)) ++p;
        achou = std::strncmp(p, "hosts:", 6) == 0;
        if (achou) std::memmove(linha, p + 6, std::strlen(p + 6) + 1);
    }
    std::fclose(arquivo);
    return ler_ordem_das_fontes(achou ? linha : padrao);
}

bool mesma_firma(const firma_de_arquivo& a, const firma_de_arquivo& b) {
    return a.existe == b.existe && a.dispositivo == b.dispositivo && a.identidade == b.identidade &&
           a.tamanho == b.tamanho && a.modificado == b.modificado;
}

bool pede_dns_por_tcp(const char* caminho) {
    std::FILE* arquivo = caminho[0] ? std::fopen(caminho, "r") : nullptr;
    if (arquivo == nullptr) return false;
    char linha[1024];
    bool por_tcp = false;
    while (std::fgets(linha, sizeof linha, arquivo) != nullptr) {
        if (std::strncmp(linha, "options", 7) != 0 || !branco(linha[7])) continue;
        char palavra[32];
        for (const char* p = linha + 7; proxima_palavra(p, palavra);)
            por_tcp |= std::strcmp(palavra, "use-vc") == 0;
    }
    std::fclose(arquivo);
    return por_tcp;
}

}  // namespace plataforma::nomes
