#include "monitor/panel.h"

#include <algorithm>
#include <cstring>

#include "capture/capture.h"
#include "monitor/tables.h"
#include "common/text.h"
#include "shell/toolkit.h"

int py_painel = 135;

namespace {

constexpr int primeira_linha_y = 135;
constexpr int altura_da_linha = 12;
constexpr int linhas_visiveis = 28;
constexpr int colunas_x[] = {410, 457, 557, 615, 710};

struct cor_rgb {
    int vermelho, verde, azul;
};

cor_rgb cor_da_linha(const char* ip_remoto, const char* porta_remota, const char* ativo) {
    int b = ler_numero(ativo) != 0 ? 100 : 0;
    if (endereco_local(ip_remoto)) return {b + 100, b + 100, b + 100};
    int porta = ler_numero(porta_remota);
    if (porta == 80 || porta == 443) return {b, b + 100, b};
    return {b + 150, b + 30, b};
}

// The remote address must end this far left of the port column. An IPv6
// address wider than that keeps its start and its end, which tell networks
// and hosts apart, with a mark between them; the report and the standard
// output carry the whole address.
constexpr int largura_coluna_endereco = colunas_x[2] - colunas_x[1] - 4;
constexpr char marca_de_corte[] = "\xB7\xB7";  // two middle dots, in the font's Latin-1

int largura_do_texto(const char* texto) {
    int largura = 0, altura = 0;
    if (TTF_SizeText(my_font_10_painel, texto, &largura, &altura) != 0) return 0;
    return largura;
}

// The address as the column shows it, in `visivel` (as wide as the address's cell).
void encurtar_endereco(const char* ip, char (&visivel)[largura_celula_painel]) {
    copiar_celula(visivel, ip);
    int tamanho = static_cast<int>(std::strlen(ip));
    if (my_font_10_painel == nullptr || largura_do_texto(ip) <= largura_coluna_endereco) return;
    for (int mantidos = tamanho - 1; mantidos > 1; --mantidos) {
        int inicio = (mantidos + 1) / 2, fim = mantidos / 2;
        formatar_limitado(visivel, sizeof visivel, "%.*s%s%s", inicio, ip, marca_de_corte,
                          ip + tamanho - fim);
        if (largura_do_texto(visivel) <= largura_coluna_endereco) return;
    }
}

}  // namespace

int mostrar_painel(int y, const char* hora_conexao, const char* ip_remoto,
                   const char* porta_remota, const char* nome_processo,
                   const char* localidade, const char* ativo) {
    TravaDaTela trava;
    if (!TTF_WasInit() && TTF_Init() == -1) return -1;
    cor_rgb cor = cor_da_linha(ip_remoto, porta_remota, ativo);
    char endereco_visivel[largura_celula_painel];
    encurtar_endereco(ip_remoto, endereco_visivel);
    const char* colunas[] = {hora_conexao, endereco_visivel, porta_remota, nome_processo,
                             localidade};
    for (int c = 0; c < 5; ++c) {
        desenha_texto_cores_loop(colunas[c], my_font_10_painel, screen, colunas_x[c], y,
                                 cor.vermelho, cor.verde, cor.azul);
    }
    return 0;
}

void exibir_painel(int) {
    // One redraw as one step: the radar's frames never present a panel that is
    // half drawn, only the empty background the redraw starts from.
    TravaDaTela trava;
    py_painel = primeira_linha_y;
    apenas_exibir_imagem("bin/A0035.bin", 400, 100);
    int linhas = std::clamp(num_banco_painel, 0, linhas_painel);
    for (int i = linhas - 1, restantes = linhas_visiveis; i >= 0 && restantes > 0;
         --i, --restantes) {
        auto& linha = banco_painel[i];
        mostrar_painel(py_painel, linha[PAI_HORA_CONEXAO], linha[PAI_IP_REMOTO],
                       linha[PAI_PORTA_REMOTA], linha[PAI_NOME_PROCESSO],
                       linha[PAI_LOCALIDADE], linha[PAI_ATIVO]);
        py_painel += altura_da_linha;
    }
}

void borrachar_bara(int) { apenas_exibir_imagem("bin/A0008.bin", 55, 64); }
