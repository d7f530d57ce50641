#include "monitor/home.h"

#include <SDL/SDL_ttf.h>

#include "capture/reverse_dns.h"
#include "monitor/panel.h"
#include "monitor/report_line.h"
#include "monitor/sweep.h"
#include "monitor/tables.h"
#include "output/datetime.h"
#include "output/radar.h"
#include "output/report.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "shell/menu.h"
#include "common/routines.h"
#include "shell/toolkit.h"

namespace {

struct ponto {
    int x, y;
};
const ponto pontos_de_partida[4] = {{129, 436}, {137, 340}, {180, 270}, {205, 330}};
const int voltas_por_duracao[6] = {1, 2, 4, 8, 16, 32};

enum fim_do_scan { SCAN_COMPLETO, SCAN_INTERROMPIDO };

// The radar thread clears these while the main thread reads them between sweeps.
int ler_sinal(const int& sinal) { return __atomic_load_n(&sinal, __ATOMIC_SEQ_CST); }
void gravar_sinal(int& sinal, int valor) { __atomic_store_n(&sinal, valor, __ATOMIC_SEQ_CST); }

void fechar_fonte(TTF_Font*& fonte) {
    TravaDaTela trava;
    if (fonte) TTF_CloseFont(fonte);
    fonte = nullptr;
}

// The fonts of the coming scan. The handles of an earlier pass are closed
// first, so passes after an Escape or a tab click hold no stray fonts.
bool abrir_fontes() {
    TravaDaTela trava;
    if (!TTF_WasInit() && TTF_Init() == -1) return false;
    fechar_fonte(my_font_10_painel);
    fechar_fonte(my_font_25);
    my_font_10_painel = TTF_OpenFont("fontes/Fonte_03.ttf", 10);
    my_font_25 = TTF_OpenFont("fontes/Fonte_01.ttf", 25);
    return true;
}

void esvaziar_tabelas() {
    rodada = 0;
    total_conexoes_scan_estabi = 0;
    esvaziar_tabela_captura(0);
    esvaziar_tabela_captura(1);
    esvaziar_banco_painel();
    tipo = 0;
    esvaziar_banco_volatil();
}

void preparar_nomes_do_relatorio() {
    copiar_celula(arquivo_log_atual, data_atual_arquivo(1));
    copiar_celula(data_log_atual, data_atual_log(1));
}

void desenhar_home_parada() {
    apenas_exibir_imagem("bin/A0039.bin", 0, 0);
    apenas_exibir_imagem("bin/A0035.bin", 400, 100);
    apenas_exibir_imagem("bin/A0034.bin", 0, 100);
    apenas_exibir_imagem("bin/A0045.bin", 0, 100);
    TravaDaTela trava;
    desenhar_linha_do_relatorio();
    apresentar_tela();
}

void mostrar_voltas_encerradas() {
    TravaDaTela trava;
    apenas_exibir_imagem("bin/A0031.bin", 20, 66);
    desenha_texto_cores("0", "fontes/Fonte_04.ttf", 13, screen, 20, 66, 10, 10, 10);
    apresentar_tela();
}

// Writing the report blanks the panel; the finished scan's lines are put back
// so they stay in view while the menu waits.
void mostrar_painel_final() {
    TravaDaTela trava;
    exibir_painel(1);
    apresentar_tela();
}

// Once the scan has ended, the top of the window is the idle home screen's
// again: a header that claims no scan and names the report just written, and
// the start button the menu waits on.
void mostrar_cabecalho_parado() {
    TravaDaTela trava;
    SDL_Surface* parada = load_image("bin/A0039.bin");
    SDL_Rect cabecalho = {0, 0, 800, 100};
    if (parada) apply_surface(0, 0, parada, screen, &cabecalho);
    SDL_FreeSurface(parada);
    desenhar_linha_do_relatorio();
    apresentar_tela();
}

// A signal, the window's close request or a table limit during a scan ends
// the program only after the report of the rows so far is written, on this
// thread.
void gravar_relatorio_antes_do_fim() {
    antes_de_um_limite(nullptr);
    parar_radar();
    fabricar_log_antes_de_encerrar();
}

// Connections found in the last readings, whose names were still on their
// way, belong to the scan as much as those listed: they are listed first.
[[noreturn]] void encerrar_com_relatorio() {
    listar_conexoes_pendentes();
    gravar_relatorio_antes_do_fim();
    encerrar_processo();
}

// While a scan runs, signals are only noted and limits write the report first.
// A signal noted while the scan ended ends the program once its report is out.
void guardar_o_scan(bool guardar) {
    antes_de_um_limite(guardar ? gravar_relatorio_antes_do_fim : nullptr);
    if (!guardar && plataforma::encerramento_pedido()) encerrar_processo();
    plataforma::segurar_pedidos_de_encerramento(guardar);
}

// An Escape or a close request the radar thread took counts as one a sweep took.
resultado_da_varredura proxima_varredura() {
    if (tomar_saida_do_radar()) return VARREDURA_SAIDA;
    if (tomar_escape_do_radar()) return VARREDURA_ESCAPE;
    return fazer_varredura();
}

// A close request the radar took while the scan was ending is honoured too.
void parar_radar_atendendo_a_saida() {
    parar_radar();
    if (tomar_saida_do_radar()) encerrar_com_relatorio();
}

fim_do_scan rodar_scan() {
    NomesDoScan nomes_do_scan;
    num_banco_painel = 0;
    gravar_sinal(primeiro_scan, 1);
    // Named when the scan starts, not when the idle screen was drawn: the
    // report carries the scan's own start, and a scan started after waiting
    // in the menu does not take the name of an earlier report.
    preparar_nomes_do_relatorio();
    apenas_exibir_imagem("bin/A0033.bin", 0, 0);
    apenas_exibir_imagem("bin/A0035.bin", 400, 100);
    loops = voltas_do_scan(posicao_quantidade_loop);
    // Raised before the thread starts, so an Escape the radar takes in its
    // first frame cannot be overwritten.
    gravar_sinal(fazendo_scan, 1);
    guardar_o_scan(true);
    iniciar_radar();
    while (ler_sinal(fazendo_scan) == 1) {
        resultado_da_varredura resultado = proxima_varredura();
        if (resultado == VARREDURA_SAIDA || resultado == VARREDURA_ENCERRAMENTO)
            encerrar_com_relatorio();
        if (resultado == VARREDURA_ESCAPE) {
            gravar_sinal(primeiro_scan, 0);
            listar_conexoes_pendentes();
            parar_radar_atendendo_a_saida();
            fabricar_log(1);
            guardar_o_scan(false);
            return SCAN_INTERROMPIDO;
        }
    }
    // Connections found in the last readings reach the panel and the report.
    listar_conexoes_pendentes();
    parar_radar_atendendo_a_saida();
    mostrar_voltas_encerradas();
    exibir_painel(1);
    fabricar_log(1);
    guardar_o_scan(false);
    mostrar_painel_final();
    mostrar_cabecalho_parado();
    return SCAN_COMPLETO;
}

int sair_da_home(int codigo) {
    fechar_fonte(my_font_10_painel);
    fechar_fonte(my_font_25);
    return codigo;
}

}  // namespace

int voltas_do_scan(int posicao_quantidade) {
    if (posicao_quantidade < 0 || posicao_quantidade > 5) return 1;
    return voltas_por_duracao[posicao_quantidade];
}

void definir_ponto_de_partida(int local) {
    if (local < 0 || local > 3) return;
    x_ponto_partida = pontos_de_partida[local].x;
    y_ponto_partida = pontos_de_partida[local].y;
}

int exib_home(int) {
    total_conexoes_scan_estabi = 0;
    num_netstat_cap = 0;
    num_netstat_capx = 0;
    tipo = 0;
    gravar_sinal(primeiro_scan, 0);
    for (;;) {
        esvaziar_tabelas();
        if (!abrir_fontes()) return -1;
        definir_ponto_de_partida(local_secionado);
        desenhar_home_parada();
        int codigo = ler_sinal(primeiro_scan) == 0 ? menu_principal(MENU_HOME) : 2;
        if (codigo != 2) return sair_da_home(codigo);
        if (rodar_scan() == SCAN_INTERROMPIDO) continue;
        fechar_fonte(my_font_10_painel);
        codigo = menu_principal(MENU_HOME);
        if (codigo != 2) return sair_da_home(codigo);
    }
}
