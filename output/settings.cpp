#include "output/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "platform/platform.h"
#include "common/diagnostics.h"
#include "common/routines.h"

char c_loops_scan[64];
char c_exibir_http[64];
char c_exibir_https[64];
char c_exibir_localhost[64];
char c_exibir_lan_10[64];
char c_exibir_lan_192[64];
char c_exibir_log[64];
char c_exibir_filtro[64];
char c_local[48];

int posicao_quantidade_loop;
int exibir_http;
int exibir_https;
int exibir_localhost;
int exibir_lan_10;
int exibir_lan_192;
int exibir_log;
int exibir_filtro;
int local_secionado;
int resumo_websites;

namespace {

struct configuracao {
    const char* tag_abre;
    const char* tag_fecha;
    char* texto;
    std::size_t largura;
};

// The nine settings in the order the reader looks for them on each line.
const configuracao configuracoes[] = {
    {"<lopps_scan>", "</lopps_scan>", c_loops_scan, sizeof c_loops_scan},
    {"<exibir_http>", "</exibir_http>", c_exibir_http, sizeof c_exibir_http},
    {"<exibir_https>", "</exibir_https>", c_exibir_https, sizeof c_exibir_https},
    {"<exibir_localhost>", "</exibir_localhost>", c_exibir_localhost, sizeof c_exibir_localhost},
    {"<exibir_lan_10>", "</exibir_lan_10>", c_exibir_lan_10, sizeof c_exibir_lan_10},
    {"<exibir_lan_192>", "</exibir_lan_192>", c_exibir_lan_192, sizeof c_exibir_lan_192},
    {"<local>", "</local>", c_local, sizeof c_local},
    {"<exibir_log>", "</exibir_log>", c_exibir_log, sizeof c_exibir_log},
    {"<filtro>", "</filtro>", c_exibir_filtro, sizeof c_exibir_filtro},
};

const char problemas_na_abertura[] = "Problemas na abertura do arquivo\n";

// A settings line is short. A longer one is read, and kept by a rewrite, in
// pieces of this width, so memory stays the same whatever the file holds.
constexpr std::size_t largura_de_linha = 512;
// A settings file holds a few hundred characters; one larger than this is not
// a settings file (a link to a device, a log written to the wrong place).
constexpr std::size_t tamanho_maximo = 1 << 20;

struct leitor_de_linhas {
    std::FILE* arquivo;
    std::size_t lidos = 0;
    bool grande_demais = false;
};

// The next line, or the next piece of a line longer than `linha`: at most
// largura_de_linha - 1 characters, through the line feed. Returns its length
// (the text may hold NUL characters, which a rewrite keeps); 0 at the end.
std::size_t ler_linha(leitor_de_linhas& leitor, char (&linha)[largura_de_linha]) {
    std::size_t n = 0;
    int c;
    while (n + 1 < sizeof linha && (c = std::fgetc(leitor.arquivo)) != EOF) {
        linha[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    linha[n] = '\0';
    leitor.lidos += n;
    if (leitor.lidos > tamanho_maximo) {
        leitor.grande_demais = true;
        return 0;
    }
    return n;
}

void converter_textos() {
    posicao_quantidade_loop = ler_numero(c_loops_scan);
    exibir_http = ler_numero(c_exibir_http);
    exibir_https = ler_numero(c_exibir_https);
    exibir_localhost = ler_numero(c_exibir_localhost);
    exibir_lan_10 = ler_numero(c_exibir_lan_10);
    exibir_lan_192 = ler_numero(c_exibir_lan_192);
    exibir_log = ler_numero(c_exibir_log);
    exibir_filtro = ler_numero(c_exibir_filtro);
    local_secionado = ler_numero(c_local);
}

bool chave_valida(int valor) { return valor == 0 || valor == 1; }

void validar_faixas() {
    const int chaves[] = {exibir_http,    exibir_https, exibir_localhost, exibir_lan_10,
                          exibir_lan_192, exibir_log,   exibir_filtro};
    for (int valor : chaves) {
        if (!chave_valida(valor)) mensagem("Erro conteudo XML");
    }
    if (local_secionado < 0 || local_secionado > 3) mensagem("Erro conteudo XML");
    if (posicao_quantidade_loop < 0 || posicao_quantidade_loop > 5) mensagem("Erro conteudo XML");
}

// The folder of the settings file, for telling the user where a change could
// not be stored.
void pasta_do_arquivo(const char* caminho, char (&pasta)[512]) {
    copiar_celula(pasta, caminho);
    char* barra = std::strrchr(pasta, plataforma::separador);
    if (barra == pasta) barra[1] = '\0';
    else if (barra) *barra = '\0';
    else copiar_celula(pasta, ".");
}

void avisar_configuracao_nao_gravada(const char* caminho, const char* motivo) {
    char pasta[512];
    pasta_do_arquivo(caminho, pasta);
    char complemento[800];
    formatar_limitado(complemento, sizeof complemento, "%s: %s", pasta, motivo);
    avisar("A configura\xe7\xe3o n\xe3o p\xf4" "de ser gravada na pasta ", complemento);
}

// A reason in the program's own words (Latin-1), not the system's.
void avisar_motivo_proprio(const char* caminho, const char* motivo) {
    char motivo_saida[320];
    latin1_para_saida(motivo, motivo_saida, sizeof motivo_saida);
    avisar_configuracao_nao_gravada(caminho, motivo_saida);
}

void avisar_falha(const char* caminho, int erro) {
    char motivo[256];
    plataforma::texto_do_erro(erro, motivo, sizeof motivo);
    diagnostico(problemas_na_abertura);
    avisar_configuracao_nao_gravada(caminho, motivo);
}

// The replacement keeps the line ending of the line it replaces.
void formar_substituta(char (&substituta)[256], const char* linha, std::size_t n,
                       const char* tag_abre, const char* valor, const char* tag_fecha) {
    bool crlf = n >= 2 && linha[n - 2] == '\r' && linha[n - 1] == '\n';
    formatar_limitado(substituta, sizeof substituta, "%s%s%s%s", tag_abre, valor, tag_fecha,
                      crlf ? "\r\n" : "\n");
}

}  // namespace

texto_fixo<512> extrair_texto_tag(const char* linha, const char* tag_abre, const char* tag_fecha) {
    const char* fecha = std::strstr(linha, tag_fecha);
    if (fecha == nullptr || fecha == linha) return texto_fixo<512>("none");
    const char* abre = std::strstr(linha, tag_abre);
    // A line without an opening tag before its closing tag holds no value.
    if (abre == nullptr || abre + std::strlen(tag_abre) > fecha) return texto_fixo<512>("none");
    const char* valor = abre + std::strlen(tag_abre);
    texto_fixo<512> resultado;
    std::size_t tamanho = static_cast<std::size_t>(fecha - valor);
    if (tamanho >= sizeof resultado.s) tamanho = sizeof resultado.s - 1;
    std::memcpy(resultado.s, valor, tamanho);
    resultado.s[tamanho] = '\0';
    return resultado;
}

int carregar_xml(const char* caminho) {
    leitor_de_linhas leitor{plataforma::abrir_arquivo_regular(caminho)};
    if (leitor.arquivo == nullptr) {
        diagnostico(problemas_na_abertura);
        return -1;
    }
    char linha[largura_de_linha];
    while (ler_linha(leitor, linha) > 0) {
        for (const configuracao& c : configuracoes) {
            texto_fixo<512> valor = extrair_texto_tag(linha, c.tag_abre, c.tag_fecha);
            if (std::strcmp(valor, "none") != 0) copiar_limitado(c.texto, c.largura, valor);
        }
    }
    bool lido = !std::ferror(leitor.arquivo) && !leitor.grande_demais;
    std::fclose(leitor.arquivo);
    if (!lido) {
        diagnostico(problemas_na_abertura);
        return -1;
    }
    converter_textos();
    resumo_websites = exibir_filtro;
    validar_faixas();
    return 1;
}

// The settings file is replaced only by a complete copy (a temporary file of a
// unique name renamed over it, its permissions kept, a link's target changed
// and the link kept): a failed write leaves it as it was, and the user is told.
int alterar_xml(const char* valor, const char* caminho, const char* tag_abre,
                const char* tag_fecha) {
    leitor_de_linhas leitor{plataforma::abrir_arquivo_regular(caminho)};
    if (leitor.arquivo == nullptr) {
        avisar_falha(caminho, plataforma::ultimo_erro());
        return -1;
    }
    plataforma::gravacao_de_arquivo novo;
    if (!plataforma::iniciar_gravacao(novo, caminho, plataforma::modo_de_gravacao::substituir)) {
        std::fclose(leitor.arquivo);
        avisar_falha(caminho, novo.erro);
        return -1;
    }
    int substituicoes = 0;
    char linha[largura_de_linha];
    std::size_t n;
    while ((n = ler_linha(leitor, linha)) > 0) {
        diagnostico("Linha  : %s", linha);
        if (std::strcmp(extrair_texto_tag(linha, tag_abre, tag_fecha), "none") == 0) {
            plataforma::gravar(novo, linha, n);
            continue;
        }
        char substituta[256];
        formar_substituta(substituta, linha, n, tag_abre, valor, tag_fecha);
        plataforma::gravar_texto(novo, substituta);
        ++substituicoes;
    }
    bool lido = !std::ferror(leitor.arquivo) && !leitor.grande_demais;
    std::fclose(leitor.arquivo);
    if (!lido) {
        plataforma::desistir_da_gravacao(novo);
        diagnostico(problemas_na_abertura);
        avisar_motivo_proprio(caminho, "o arquivo de configura\xe7\xe3o n\xe3o p\xf4" "de ser lido inteiro");
        return -1;
    }
    if (!plataforma::concluir_gravacao(novo)) {
        avisar_falha(caminho, novo.erro);
        return -1;
    }
    if (substituicoes == 0) {
        char motivo[160];
        formatar_limitado(motivo, sizeof motivo, "o arquivo n\xe3o tem a linha %s", tag_abre);
        avisar_motivo_proprio(caminho, motivo);
    }
    return substituicoes;
}
