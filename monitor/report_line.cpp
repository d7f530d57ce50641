#include "monitor/report_line.h"

#include <SDL/SDL_ttf.h>

#include <cstring>

#include "common/text.h"
#include "output/report.h"
#include "platform/platform.h"
#include "shell/toolkit.h"

namespace {

constexpr int margem = 6;
constexpr int largura_util = area_da_linha_do_relatorio.w - margem;

// `prefixo`, then `texto` cut from its beginning behind marca_de_corte until
// the line fits: the end of a path or a reason says the most.
void escrever(TTF_Font* fonte, const char* prefixo, const char* texto, int y, SDL_Color cor) {
    char linha[512];
    int largura = 0;
    const std::size_t n = std::strlen(texto);
    formatar_limitado(linha, sizeof linha, "%s%s", prefixo, texto);
    for (std::size_t inicio = 1; inicio < n && TTF_SizeText(fonte, linha, &largura, nullptr) == 0 &&
                                 largura > largura_util;
         ++inicio)
        formatar_limitado(linha, sizeof linha, "%s%s%s", prefixo, marca_de_corte, texto + inicio);
    desenha_texto_cores_loop(linha, fonte, screen, area_da_linha_do_relatorio.x + margem, y, cor.r,
                             cor.g, cor.b);
}

// The idle header's own background, taken from the window beneath the line.
void limpar_area() {
    SDL_Rect area = area_da_linha_do_relatorio;
    SDL_FillRect(screen, &area, get_pixel32(screen, area.x + area.w - 1, area.y));
}

}  // namespace

void desenhar_linha_do_relatorio() {
    const desfecho_do_relatorio& d = desfecho_do_ultimo_relatorio;
    if (!d.houve) return;
    TravaDaTela trava;
    if (!TTF_WasInit() && TTF_Init() == -1) return;
    TTF_Font* titulo = TTF_OpenFont("fontes/Fonte_01.ttf", 10);
    TTF_Font* detalhe = TTF_OpenFont("fontes/Fonte_03.ttf", 10);
    if (titulo && detalhe) {
        limpar_area();
        if (d.gravado) {
            escrever(titulo, "Relat\xf3rio: ", d.arquivo, 60, {20, 35, 55, 0});
            char pasta[400];
            plataforma::caminho_para_exibir(d.pasta, pasta, sizeof pasta);
            escrever(detalhe, "na pasta ", pasta, 78, {80, 95, 110, 0});
        } else {
            escrever(titulo, "O relat\xf3rio do scan n\xe3o foi gravado", "", 60, {170, 30, 30, 0});
            escrever(detalhe, "", d.motivo[0] ? d.motivo : "motivo desconhecido", 78, {120, 40, 40, 0});
        }
    }
    if (titulo) TTF_CloseFont(titulo);
    if (detalhe) TTF_CloseFont(detalhe);
}

bool abrir_pasta_da_linha_do_relatorio() {
    if (!desfecho_do_ultimo_relatorio.houve) return false;
    if (desfecho_do_ultimo_relatorio.gravado) vizualizar_log(1);
    return true;
}
