#include "output/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "shell/diagnostico.h"
#include "shell/startup.h"

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

// One whole line, however long, without its size being guessed; false at end.
bool ler_linha(std::FILE* arquivo, std::string& linha) {
    linha.clear();
    int c;
    while ((c = std::fgetc(arquivo)) != EOF) {
        linha.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    return !linha.empty();
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

// The temporary file of a rewrite lives beside the settings file, so the final
// rename stays within one file system and replaces the file atomically.
std::string arquivo_temporario_ao_lado(const char* caminho) {
    std::string pasta(caminho);
    std::size_t barra = pasta.find_last_of('/');
    return barra == std::string::npos ? "xml.temp" : pasta.substr(0, barra + 1) + "xml.temp";
}

bool gravar_tudo(std::FILE* arquivo, const std::string& texto) {
    return std::fwrite(texto.data(), 1, texto.size(), arquivo) == texto.size();
}

bool fechar_gravado(std::FILE* arquivo) {
    bool certo = std::fflush(arquivo) == 0 && fsync(fileno(arquivo)) == 0;
    return std::fclose(arquivo) == 0 && certo;
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
    std::FILE* arquivo = std::fopen(caminho, "r");
    if (arquivo == nullptr) {
        diagnostico(problemas_na_abertura);
        return -1;
    }
    std::string linha;
    while (ler_linha(arquivo, linha)) {
        for (const configuracao& c : configuracoes) {
            texto_fixo<512> valor = extrair_texto_tag(linha.c_str(), c.tag_abre, c.tag_fecha);
            if (std::strcmp(valor, "none") != 0) copiar_limitado(c.texto, c.largura, valor);
        }
    }
    std::fclose(arquivo);
    converter_textos();
    resumo_websites = exibir_filtro;
    validar_faixas();
    return 1;
}

int alterar_xml(const char* valor, const char* caminho, const char* tag_abre,
                const char* tag_fecha) {
    char substituta[256];
    formatar_limitado(substituta, sizeof substituta, "%s%s%s\n", tag_abre, valor, tag_fecha);
    std::FILE* original = std::fopen(caminho, "r");
    if (original == nullptr) {
        diagnostico(problemas_na_abertura);
        return -1;
    }
    std::string temporario = arquivo_temporario_ao_lado(caminho);
    std::FILE* novo = std::fopen(temporario.c_str(), "wb");
    if (novo == nullptr) {
        std::fclose(original);
        diagnostico(problemas_na_abertura);
        return -1;
    }
    int substituicoes = 0;
    bool gravado = true;
    std::string linha;
    while (gravado && ler_linha(original, linha)) {
        diagnostico("Linha  : %s", linha.c_str());
        bool da_configuracao =
            std::strcmp(extrair_texto_tag(linha.c_str(), tag_abre, tag_fecha), "none") != 0;
        if (da_configuracao) ++substituicoes;
        gravado = gravar_tudo(novo, da_configuracao ? std::string(substituta) : linha);
    }
    std::fclose(original);
    // The settings file is replaced only by a complete copy: a failed write
    // leaves it as it was.
    if (!fechar_gravado(novo) || !gravado || std::rename(temporario.c_str(), caminho) != 0) {
        std::remove(temporario.c_str());
        diagnostico(problemas_na_abertura);
        return -1;
    }
    return substituicoes;
}
