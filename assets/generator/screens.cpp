// Full-window backgrounds and the small pictures drawn over them. Every screen
// shares the top bar under the tabs, the light working area and the dark panel.
#include "catalogue.h"
#include "pieces.h"

#include <algorithm>
#include <cmath>

namespace gerador {

namespace {

const cor branco{255, 255, 255};

// The tabs, left to right, as the screens name the one that is theirs.
enum aba { aba_inicio = 0, aba_ferramentas, aba_configuracoes, aba_curso };

// The tab row as the menu draws it: the screen's own tab in the look the menu
// keeps it in (the pressed frame), the others resting.
void fileira_de_abas(SDL_Surface* s, const fontes& f, aba ativa) {
    const int folhas[] = {22, 23, 21, 20}, xs[] = {0, 107, 213, 319};
    for (int i = 0; i < 4; ++i) pintar_quadro_de_folha(s, f, folhas[i], i == ativa ? 2 : 0, xs[i], 10);
}

void barra_superior(SDL_Surface* s, const fontes& f) {
    for (int y = 0; y < 46; ++y) {
        const cor c = cor_da_barra(y + 0.5);
        for (int x = 0; x < s->w; ++x) gravar_pixel(s, x, y, c);
    }
    caixa_arredondada(s, {0, 46, double(s->w), 2}, 0, paleta::acento);
    const ponto icone{778, 23};
    anel(s, icone, 11, 1.6, paleta::acento_claro);
    anel(s, icone, 5.5, 1.4, com_alfa(paleta::acento_claro, 170));
    segmento(s, icone, {icone.x + 7.8, icone.y - 7.8}, 1.8, paleta::acento_claro);
    texto(s, "QUORVEX", {f.negrito, 17, branco, alinhamento::direita}, 760, 7);
    texto(s, "monitor de conex\xf5" "es", {f.condensada, 9, cor{150, 176, 200}, alinhamento::direita}, 760, 28);
}

void cartao(SDL_Surface* s, retangulo r) {
    caixa_arredondada(s, {r.x, r.y + 1.5, r.w, r.h}, 8, cor{20, 40, 60, 28});
    caixa_arredondada(s, r, 8, paleta::cartao);
    moldura_arredondada(s, r, 8, 1, paleta::borda);
}

void titulo_secao(SDL_Surface* s, const fontes& f, const std::string& t, int x, int y) {
    texto(s, t, {f.negrito, 11, paleta::texto_suave}, x, y);
}

// The right half of the control strip: the panel's title and what its colours mean.
void cabecalho_do_painel(SDL_Surface* s, const fontes& f) {
    caixa_arredondada(s, {400, 48, 400, 52}, 0, paleta::painel_linha);
    texto(s, "Conex\xf5" "es do scan", {f.negrito, 12, branco}, 410, 55);
    struct item { cor c; const char* rotulo; };
    const item itens[] = {{{100, 200, 100}, "Web (80/443)"},
                          {{250, 130, 100}, "Outras portas"},
                          {{200, 200, 200}, "Rede local"}};
    int x = 412;
    for (const item& i : itens) {
        disco(s, {x + 4.0, 84.5}, 4, i.c);
        x += 12 + texto(s, i.rotulo, {f.condensada, 10, cor{200, 212, 224}}, x + 11, 77) + 14;
    }
    texto(s, "escuro = encerrada", {f.condensada, 10, cor{130, 146, 162}}, x + 2, 77);
}

void base_da_tela(SDL_Surface* s, const fontes& f, aba ativa) {
    preencher(s, paleta::fundo);
    barra_superior(s, f);
    fileira_de_abas(s, f, ativa);
}

void base_do_inicio(SDL_Surface* s, const fontes& f) {
    base_da_tela(s, f, aba_inicio);
    cabecalho_do_painel(s, f);
    caixa_arredondada(s, {0, 100, 400, 400}, 0, paleta::oceano);
    caixa_arredondada(s, {400, 100, 400, 400}, 0, paleta::painel);
}

void pagina_clara(SDL_Surface* s, const fontes& f, aba ativa, const std::string& titulo,
                  const std::string& subtitulo) {
    base_da_tela(s, f, ativa);
    texto(s, titulo, {f.negrito, 13, branco}, 440, 10);
    texto(s, subtitulo, {f.condensada, 10, cor{150, 176, 200}}, 440, 28);
}

void paragrafo(SDL_Surface* s, const fontes& f, const std::vector<std::string>& linhas, int x, int y, int passo) {
    for (const std::string& l : linhas) {
        texto(s, l, {f.condensada, 11, paleta::texto_suave}, x, y);
        y += passo;
    }
}

void ornamento_radar(SDL_Surface* s, ponto c, double raio, cor tinta) {
    leque_do_radar(s, c, raio, 45, tinta, 150);
    for (int k = 1; k <= 4; ++k) anel(s, c, raio * k / 4, 1.2, com_alfa(tinta, static_cast<Uint8>(40 + 20 * k)));
    segmento(s, {c.x - raio, c.y}, {c.x + raio, c.y}, 1, com_alfa(tinta, 50));
    segmento(s, {c.x, c.y - raio}, {c.x, c.y + raio}, 1, com_alfa(tinta, 50));
    segmento(s, c, {c.x + raio * std::cos(M_PI / 4), c.y - raio * std::sin(M_PI / 4)}, 2, tinta);
}

// What the status line shows before the first sweep: the empty line at (55, 64).
void status_vazio_na_tela(SDL_Surface* s) { caixa_arredondada(s, {55, 64 + 26, 300, 1}, 0, paleta::borda); }

// What the settings screen draws over its background at once, in the look the
// menu's resting buttons give it: the scan lengths, the seven boxes (empty)
// and the start-point buttons.
void controles_de_configuracao(SDL_Surface* s, const fontes& f) {
    SDL_Surface* faixa = nova_superficie(352, 100);
    faixa_duracao(faixa, f);
    compor_superficie(s, faixa, 20, 70);
    SDL_FreeSurface(faixa);
    SDL_Surface* caixa = nova_superficie(25, 25);
    caixa_de_marcar(caixa, f, false);
    for (int linha = 0; linha < 7; ++linha) compor_superficie(s, caixa, 26, 220 + 30 * linha);
    SDL_FreeSurface(caixa);
    const int folhas_dos_pontos[] = {13, 14, 15, 12};
    for (int i = 0; i < 4; ++i) pintar_quadro_de_folha(s, f, folhas_dos_pontos[i], 0, 480, 320 + 36 * i);
}

}  // namespace

void tela_inicio(SDL_Surface* s, const fontes& f) {
    base_do_inicio(s, f);
    pintar_quadro_de_folha(s, f, 2, 0, 20, 70);
    texto(s, "Conex\xf5" "es TCP deste computador", {f.negrito, 11, paleta::texto}, 136, 61);
    texto(s, "ao vivo, no mapa e no painel ao lado.", {f.condensada, 11, paleta::texto_suave}, 136, 77);
}

void tela_scan(SDL_Surface* s, const fontes& f) {
    base_do_inicio(s, f);
    texto(s, "VOLTAS", {f.negrito, 7, paleta::texto_suave}, 20, 54);
    texto(s, "SITUA\xc7\xc3O", {f.negrito, 7, paleta::texto_suave}, 55, 54);
    status_vazio_na_tela(s);
    // Seen only while the scan runs: when it ends, the idle screen's top is
    // drawn back over this before the menu waits.
    anel(s, {446, 23}, 5, 1.6, paleta::acento_claro);
    disco(s, {446, 23}, 2, paleta::acento_claro);
    texto(s, "Scan", {f.negrito, 12, branco}, 458, 8);
    texto(s, "Esc interrompe o scan e grava o relat\xf3rio", {f.condensada, 10, cor{150, 176, 200}}, 458, 26);
}

void tela_configuracoes(SDL_Surface* s, const fontes& f) {
    pagina_clara(s, f, aba_configuracoes, "Configura\xe7\xf5" "es", "valem a partir do pr\xf3ximo scan");
    titulo_secao(s, f, "FILTROS E OP\xc7\xd5" "ES", 26, 194);
    // Rules between the seven rows of check boxes (boxes at y 220 + 30 k).
    for (int linha = 0; linha < 6; ++linha) caixa_arredondada(s, {55, 247.5 + 30 * linha, 320, 1}, 0, paleta::borda);
    cartao(s, {410, 70, 372, 100});
    titulo_secao(s, f, "COMO FUNCIONA", 426, 82);
    paragrafo(s, f, {"Cada altera\xe7\xe3o \xe9 gravada na hora no arquivo de",
                     "configura\xe7\xf5" "es e vale a partir do pr\xf3ximo scan.",
                     "A dura\xe7\xe3o conta voltas completas do radar."},
              426, 102, 19);
    cartao(s, {466, 284, 322, 190});
    controles_de_configuracao(s, f);
}

// Each tool is its tile, the button itself; the text beside it is plain text
// on the page, so nothing outside the tiles looks like something to click.
void tela_ferramentas(SDL_Surface* s, const fontes& f) {
    pagina_clara(s, f, aba_ferramentas, "Ferramentas", "relat\xf3rios, servi\xe7os on-line e terminal");
    const char* descricoes[] = {"Abre a pasta dos relat\xf3rios HTML dos scans.",
                                "Mostra o endere\xe7o com que voc\xea sai na internet.",
                                "Lista de servidores proxy p\xfa" "blicos.",
                                "Descobre onde fica um endere\xe7o IP."};
    const int folhas[] = {26, 17, 24, 16};
    const int y_dos_botoes[] = {80, 175, 270, 365}, y_dos_rotulos[] = {100, 200, 294, 392};
    for (int i = 0; i < 4; ++i) {
        if (i) caixa_arredondada(s, {30, y_dos_botoes[i] - 14.0, 360, 1}, 0, paleta::borda);
        pintar_quadro_de_folha(s, f, folhas[i], 0, 30, y_dos_botoes[i]);
        texto(s, descricoes[i], {f.condensada, 11, paleta::texto_suave}, 95, y_dos_rotulos[i] + 20);
    }
    pintar_quadro_de_folha(s, f, 11, 0, 700, 80);
    texto(s, "terminal", {f.condensada, 10, paleta::texto_suave, alinhamento::centro}, 725, 164);
    caixa_arredondada(s, {410, 72, 262, 150}, 8, cor{222, 229, 236});
    titulo_secao(s, f, "DICAS", 426, 84);
    paragrafo(s, f, {"As ferramentas on-line abrem no", "navegador padr\xe3o.", "",
                     "O terminal (CMD) abre uma janela", "de comandos na raiz do disco."},
              426, 104, 18);
}

void tela_curso(SDL_Surface* s, const fontes& f) {
    pagina_clara(s, f, aba_curso, "Curso", "seguran\xe7" "a e monitoramento de redes");
    ornamento_radar(s, {125, 235}, 88, paleta::acento);
    disco(s, {125, 235}, 5, paleta::acento_escuro);
    texto(s, "Curso online", {f.negrito, 22, paleta::texto}, 240, 110);
    texto(s, "Seguran\xe7" "a de redes na pr\xe1tica", {f.texto, 16, paleta::acento_escuro}, 240, 142);
    caixa_arredondada(s, {240, 176, 60, 3}, 1.5, paleta::acento);
    texto(s, "Inscri\xe7\xf5" "es abertas", {f.condensada, 11, paleta::texto_suave}, 644, 374);
    pintar_quadro_de_folha(s, f, 25, 0, 644, 335);
}

void tela_abertura(SDL_Surface* s, const fontes& f) {
    gradiente_vertical(s, {0, 0, 800, 500}, paleta::barra_topo, cor{8, 16, 28});
    silhueta_do_mundo(s, 2.0, {400, 205}, cor{34, 60, 86, 150});
    ornamento_radar(s, {400, 200}, 130, paleta::acento);
    disco(s, {400, 200}, 5, paleta::acento_claro);
    texto(s, "QUORVEX", {f.negrito, 44, branco, alinhamento::centro}, 400, 340);
    texto(s, "Monitor de conex\xf5" "es de rede", {f.texto, 16, cor{170, 196, 220}, alinhamento::centro}, 400, 398);
    texto(s, "Carregando...", {f.condensada, 10, cor{110, 134, 158}, alinhamento::centro}, 400, 466);
}

void linha_de_status(SDL_Surface* s, const fontes& f, int tipo) {
    preencher(s, paleta::fundo);
    caixa_arredondada(s, {0, 26, double(s->w), 1}, 0, paleta::borda);
    if (tipo == 1) {
        disco(s, {6, 12}, 4, cor{60, 170, 80});
        texto(s, "Nova conex\xe3o", {f.condensada, 11, cor{10, 10, 10}}, 15, 5);
    } else if (tipo == 2) {
        disco(s, {6, 12}, 4, cor{230, 140, 40});
        texto(s, "Conex\xe3o encerrada", {f.condensada, 11, cor{10, 10, 10}}, 15, 5);
    }
}

void remendo(SDL_Surface* s, cor c) { preencher(s, c); }

// The menu draws the check-box sheet over these pictures at every event; they
// carry its resting ring already.
void caixa_de_marcar(SDL_Surface* s, const fontes& f, bool marcada) {
    const retangulo r{0.5, 0.5, 24, 24};
    caixa_arredondada(s, r, 5, marcada ? paleta::acento : paleta::cartao);
    if (marcada) {
        segmento(s, {6.5, 12.5}, {10.5, 16.8}, 2.6, branco);
        segmento(s, {10.5, 16.8}, {18.5, 7.5}, 2.6, branco);
    }
    pintar_quadro_de_folha(s, f, 10, 0, 0, 0);
}

// Around the selected scan length (the button lies 2 pixels right of and 4
// below the marker's corner), with the button's resting ring in place.
void marcador_duracao(SDL_Surface* s, const fontes& f) {
    caixa_arredondada(s, {0, 0, 50, 50}, 11, com_alfa(paleta::acento, 90));
    moldura_arredondada(s, {0, 0, 50, 50}, 11, 3, paleta::acento);
    pintar_quadro_de_folha(s, f, 18, 0, 2, 4);
}

void faixa_duracao(SDL_Surface* s, const fontes& f) {
    preencher(s, paleta::fundo);
    cartao(s, {0.5, 0.5, 351, 99});
    titulo_secao(s, f, "DURA\xc7\xc3O DO SCAN", 10, 9);
    texto(s, "voltas do radar", {f.condensada, 10, paleta::texto_suave}, 134, 10);
    const char* voltas[] = {"1", "2", "4", "8", "16", "32"};
    for (int k = 0; k < 6; ++k) {
        const retangulo botao{8.0 + 57 * k, 32, 46, 42};
        caixa_arredondada(s, botao, 8, cor{244, 247, 250});
        texto(s, voltas[k], {f.negrito, 16, paleta::texto, alinhamento::centro}, static_cast<int>(botao.x + 23), 43);
        pintar_quadro_de_folha(s, f, 18, 0, static_cast<int>(botao.x), static_cast<int>(botao.y));
    }
    texto(s, "1 volta: cerca de 11 s      32 voltas: cerca de 6 min 23 s",
          {f.condensada, 9, paleta::texto_suave}, 10, 81);
}

void emblema(SDL_Surface* s) {
    const ponto c{s->w / 2.0, s->h / 2.0};
    disco(s, c, s->w / 2.0 - 1, paleta::barra_topo);
    anel(s, c, s->w / 2.0 - 5, 1.5, paleta::acento_claro);
    segmento(s, c, {c.x + s->w / 3.0, c.y - s->h / 3.0}, 2, paleta::acento_claro);
}

void painel(SDL_Surface* s, const fontes& f) {
    preencher(s, paleta::painel);
    caixa_arredondada(s, {0, 0, 400, 33}, 0, paleta::painel_linha);
    caixa_arredondada(s, {0, 33, 400, 1}, 0, paleta::acento_escuro);
    for (int linha = 0; linha < 28; linha += 2)
        caixa_arredondada(s, {0, 35.0 + 12 * linha, 400, 12}, 0, cor{22, 30, 40});
    const char* colunas[] = {"Hora", "IP remoto", "Porta", "Processo", "Local"};
    const int x[] = {10, 57, 157, 215, 310};
    for (int i = 0; i < 5; ++i) {
        texto(s, colunas[i], {f.negrito, 10, cor{176, 196, 214}}, x[i], 12);
        if (i) caixa_arredondada(s, {x[i] - 5.0, 6, 1, 22}, 0, cor{52, 66, 82});
    }
}

}  // namespace gerador
