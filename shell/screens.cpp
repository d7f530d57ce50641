#include "shell/screens.h"

#include <SDL/SDL_ttf.h>

#include "output/settings.h"
#include "platform/platform.h"
#include "common/links.h"
#include "common/routines.h"
#include "common/text.h"
#include "shell/menu.h"
#include "shell/startup.h"
#include "shell/toolkit.h"

namespace {

const char* const fonte_dos_rotulos = "fontes/Fonte_04.ttf";

void rotulo(const char* texto, int x, int y) {
    desenha_texto_cores(texto, fonte_dos_rotulos, 13, screen, x, y, 0, 0, 0);
}

// ---- Tools screen ----

// The labels are shown with the screen, not at the menu's first event: the
// screen is whole before the mouse moves.
void desenhar_ferramentas() {
    TravaDaTela trava;
    apenas_exibir_imagem("bin/A0041.bin", 0, 0);
    rotulo("Visualizar Logs", 95, 100);
    rotulo("Visualizar IP P\xfa" "blico", 95, 200);
    rotulo("Lista de Proxys", 95, 294);
    rotulo("Geolocalizar IP", 95, 392);
    rotulo("CMD", 710, 145);
    apresentar_tela();
}

// ---- Settings screen ----

struct linha_de_configuracao {
    int y_caixa;
    int y_rotulo;
    const char* rotulo;
    const int* configuracao;
    int valor_marcado;  // the setting's value that ticks the box
};

const linha_de_configuracao linhas_de_configuracao[7] = {
    {220, 223, "Omitir HTTP", &exibir_http, 0},
    {250, 253, "Omitir HTTPS", &exibir_https, 0},
    {280, 283, "Omitir Localhost", &exibir_localhost, 0},
    {310, 313, "Omitir LAN 10.x.x.x", &exibir_lan_10, 0},
    {340, 343, "Omitir LAN 192.168.x.x", &exibir_lan_192, 0},
    {370, 373, "Filtrar conex\xf5" "es semelhantes", &exibir_filtro, 1},
    {400, 403, "Exibir Log ap\xf3s Scan", &exibir_log, 1},
};

constexpr int x_das_caixas = 26;

void desenhar_caixa(int linha) {
    const linha_de_configuracao& l = linhas_de_configuracao[linha];
    bool marcada = *l.configuracao == l.valor_marcado;
    apenas_exibir_imagem(marcada ? "bin/A0028.bin" : "bin/A0027.bin", x_das_caixas, l.y_caixa);
}

void redesenhar_caixa(int linha) {
    apenas_exibir_imagem("bin/A0031.bin", x_das_caixas, linhas_de_configuracao[linha].y_caixa);
    desenhar_caixa(linha);
}

void desenhar_duracao() {
    apenas_exibir_imagem("bin/A0046.bin", 20, 70);
    apenas_exibir_imagem("bin/A0029.bin", 26 + 57 * posicao_quantidade_loop, 98);
}

void desenhar_ponto_de_partida() {
    static const char* const imagens[4] = {"bin/A0005.bin", "bin/A0004.bin", "bin/A0006.bin",
                                           "bin/A0003.bin"};
    if (local_secionado < 0 || local_secionado > 3) return;
    apenas_exibir_imagem(imagens[local_secionado], 606, 320);
}

void desenhar_configuracoes() {
    apenas_exibir_imagem("bin/A0038.bin", 0, 0);
    desenhar_duracao();
    for (int linha = 0; linha < 7; ++linha) desenhar_caixa(linha);
    for (const linha_de_configuracao& l : linhas_de_configuracao) rotulo(l.rotulo, 55, l.y_rotulo);
    rotulo("Local Selecionado", 613, 300);
    desenhar_ponto_de_partida();
}

// What changed after the menu returned `codigo`, drawn from the reloaded file.
void redesenhar_configuracao(int codigo) {
    switch (codigo) {
        case 41:
            desenhar_duracao();
            break;
        case 421:
        case 422:
        case 423:
        case 424:
            redesenhar_caixa(codigo - 421);
            break;
        case 425:
            redesenhar_caixa(4);
            redesenhar_caixa(6);
            redesenhar_caixa(5);
            break;
        case 43:
            apenas_exibir_imagem("bin/A0030.bin", 606, 320);
            desenhar_ponto_de_partida();
            break;
    }
}

// ---- Course screen ----

void desenhar_texto_do_curso() {
    static const char* const linhas[5] = {
        "Estude conosco e aprenda como os dados trafegam na internet, todas as, ",
        "t\xe9" "cnicas de ataque, defesa e monitoramento.",
        "Aulas pr\xe1ticas, com situa\xe7\xf5" "es reais de Seguran\xe7" "a/Inseguran\xe7" "a.",
        "Acompanhamento did\xe1tico em uma exelente plataforma de ensino.",
        "Voc\xea pode escolher os melhores dias e hor\xe1rios para estudar. ",
    };
    static const int deslocamentos[5] = {160, 175, 205, 235, 265};
    TravaDaTela trava;
    if (!TTF_WasInit() && TTF_Init() == -1) return;
    TTF_Font* fonte = TTF_OpenFont("fontes/Fonte_02.ttf", 16);
    if (fonte == nullptr) return;
    for (int i = 0; i < 5; ++i) {
        desenha_texto_cores_loop(linhas[i], fonte, screen, 240, 37 + deslocamentos[i], 20, 35, 55);
    }
    TTF_CloseFont(fonte);
    // Shown with the screen, not at the menu's first event.
    apresentar_tela();
}

int abrir_endereco(const char* endereco) {
    char o_que[320];
    formatar_limitado(o_que, sizeof o_que, "o endere\xe7o %s", endereco);
    return abrir_para_o_usuario(endereco, nullptr, o_que);
}

}  // namespace

int exib_tolls(int) {
    for (;;) {
        desenhar_ferramentas();
        if (menu_principal(MENU_FERRAMENTAS) == TROCA_DE_TELA) return TROCA_DE_TELA;
    }
}

int exib_conf(int) {
    if (carregar_xml(file_xml) != 1) {
        plataforma::mostrar_mensagem("Quorvex", "erro ao carregar xml");
        encerrar_processo();
    }
    desenhar_configuracoes();
    for (;;) {
        int codigo = menu_principal(MENU_CONFIGURACOES);
        if (codigo == TROCA_DE_TELA) return TROCA_DE_TELA;
        carregar_xml(file_xml);
        redesenhar_configuracao(codigo);
    }
}

int exib_tavrel(int) {
    for (;;) {
        apenas_exibir_imagem("bin/A0037.bin", 0, 0);
        desenhar_texto_do_curso();
        if (menu_principal(MENU_CURSO) == TROCA_DE_TELA) return TROCA_DE_TELA;
    }
}

int vizualizar_ip_publico(int) { return abrir_endereco(loc_ip_publico); }
int exibir_lista_de_proxys(int) { return abrir_endereco(lista_de_proxys); }
int exibir_geolocalizador(int) { return abrir_endereco(geolocalizador); }
int saiba_mais_tavrel(int) { return abrir_endereco(loc_curso_saiba_mais); }

int star_cmd(int) { return abrir_terminal_para_o_usuario("/"); }
