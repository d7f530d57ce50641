#include "shell/menu.h"

#include <optional>

#include "monitor/report_line.h"
#include "output/report.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "shell/screens.h"
#include "shell/startup.h"
#include "common/text.h"
#include "shell/toolkit.h"

tela tela_escolhida = TELA_HOME;
SDL_Event event;
SDL_Rect clips[4];
int botao_clicado = 0;
int buton_dx = 0, buton_dy = 0, buton_dw = 0, buton_dh = 0;

Button::Button(int x, int y, int w, int h)
    : box{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
          static_cast<Uint16>(h)},
      clip(&clips[CLIP_MOUSEOUT]) {}

namespace {

bool dentro(const SDL_Rect& caixa, int x, int y) {
    return caixa.x < x && x < caixa.x + caixa.w && caixa.y < y && y < caixa.y + caixa.h;
}

}  // namespace

void Button::handle_events() {
    if (event.type == SDL_MOUSEMOTION) {
        clip = &clips[dentro(box, event.motion.x, event.motion.y) ? CLIP_MOUSEOVER : CLIP_MOUSEOUT];
        return;
    }
    if (event.type != SDL_MOUSEBUTTONDOWN && event.type != SDL_MOUSEBUTTONUP) return;
    if (event.button.button != SDL_BUTTON_LEFT) return;
    if (!dentro(box, event.button.x, event.button.y)) return;
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        botao_clicado = 1;
        clip = &clips[CLIP_MOUSEDOWN];
    } else {
        clip = &clips[CLIP_MOUSEUP];
    }
}

void Button::show(SDL_Surface* folha) { apply_surface(box.x, box.y, folha, screen, clip); }

void set_clips(int w, int h) {
    const Sint16 largura = static_cast<Sint16>(w);
    const Uint16 lw = static_cast<Uint16>(w), lh = static_cast<Uint16>(h);
    clips[CLIP_MOUSEOVER] = {largura, 0, lw, lh};
    clips[CLIP_MOUSEOUT] = {0, 0, lw, lh};
    clips[CLIP_MOUSEDOWN] = {static_cast<Sint16>(2 * w), 0, lw, lh};
    clips[CLIP_MOUSEUP] = {largura, 0, lw, lh};
}

namespace {

struct botao_do_menu;
using acao_do_botao = int (*)(const botao_do_menu&);

// One row of the button table. `tipo` 0 belongs to every menu kind.
struct botao_do_menu {
    int tipo;
    int x, y, w, h;
    const char* folha;
    acao_do_botao acao;
    int valor;          // the screen a tab opens, or the value the button stores
    const char* tag;    // the setting's opening tag, for buttons that change one
    int* alternado;     // the setting a check box toggles
    int codigo;         // what the menu returns after the action
};

int escolher_tela(const botao_do_menu& b) {
    tela_escolhida = static_cast<tela>(b.valor);
    return TROCA_DE_TELA;
}

int devolver_codigo(const botao_do_menu& b) { return b.codigo; }

// The idle home screen's line about the last report is no button of its own:
// a click elsewhere in its area, or while there is no line, leaves the menu
// waiting.
int ver_pasta_do_ultimo_relatorio(const botao_do_menu&) {
    abrir_pasta_da_linha_do_relatorio();
    return MENU_SEGUE;
}

int ver_logs(const botao_do_menu& b) {
    vizualizar_log(1);
    return b.codigo;
}
int ver_ip_publico(const botao_do_menu& b) {
    vizualizar_ip_publico(1);
    return b.codigo;
}
int ver_proxys(const botao_do_menu& b) {
    exibir_lista_de_proxys(1);
    return b.codigo;
}
int ver_geolocalizador(const botao_do_menu& b) {
    exibir_geolocalizador(1);
    return b.codigo;
}
int abrir_cmd(const botao_do_menu& b) {
    star_cmd(1);
    return b.codigo;
}
int ver_curso(const botao_do_menu& b) {
    saiba_mais_tavrel(1);
    return b.codigo;
}

void gravar_configuracao(const char* valor, const char* tag) {
    char tag_fecha[64];
    formatar_limitado(tag_fecha, sizeof tag_fecha, "</%s", tag + 1);
    alterar_xml(valor, file_xml, tag, tag_fecha);
}

int guardar_valor(const botao_do_menu& b) {
    char valor[16];
    formatar_limitado(valor, sizeof valor, "%d", b.valor);
    gravar_configuracao(valor, b.tag);
    return b.codigo;
}

// Stores the opposite of the setting as last loaded.
int alternar(const botao_do_menu& b) {
    gravar_configuracao(*b.alternado == 0 ? "1" : "0", b.tag);
    return b.codigo;
}

constexpr int todos = 0;

const botao_do_menu botoes_do_menu[] = {
    {todos, 0, 10, 106, 36, "bin/A0022.bin", escolher_tela, TELA_HOME, nullptr, nullptr, 0},
    {todos, 107, 10, 106, 36, "bin/A0023.bin", escolher_tela, TELA_FERRAMENTAS, nullptr, nullptr, 0},
    {todos, 213, 10, 106, 36, "bin/A0021.bin", escolher_tela, TELA_CONFIGURACOES, nullptr, nullptr, 0},
    {todos, 319, 10, 106, 36, "bin/A0020.bin", escolher_tela, TELA_CURSO, nullptr, nullptr, 0},
    {MENU_HOME, 20, 70, 103, 22, "bin/A0002.bin", devolver_codigo, 0, nullptr, nullptr, 2},
    {MENU_HOME, area_da_linha_do_relatorio.x, area_da_linha_do_relatorio.y,
     area_da_linha_do_relatorio.w, area_da_linha_do_relatorio.h, nullptr,
     ver_pasta_do_ultimo_relatorio, 0, nullptr, nullptr, 0},
    {MENU_FERRAMENTAS, 30, 80, 50, 67, "bin/A0026.bin", ver_logs, 0, nullptr, nullptr, 2},
    {MENU_FERRAMENTAS, 30, 175, 50, 67, "bin/A0017.bin", ver_ip_publico, 0, nullptr, nullptr, 2},
    {MENU_FERRAMENTAS, 30, 270, 50, 67, "bin/A0024.bin", ver_proxys, 0, nullptr, nullptr, 2},
    {MENU_FERRAMENTAS, 30, 365, 50, 67, "bin/A0016.bin", ver_geolocalizador, 0, nullptr, nullptr, 2},
    {MENU_FERRAMENTAS, 700, 80, 50, 67, "bin/A0011.bin", abrir_cmd, 0, nullptr, nullptr, 2},
    {MENU_CONFIGURACOES, 28, 102, 46, 42, "bin/A0018.bin", guardar_valor, 0, "<lopps_scan>", nullptr, 41},
    {MENU_CONFIGURACOES, 85, 102, 46, 42, "bin/A0018.bin", guardar_valor, 1, "<lopps_scan>", nullptr, 41},
    {MENU_CONFIGURACOES, 142, 102, 46, 42, "bin/A0018.bin", guardar_valor, 2, "<lopps_scan>", nullptr, 41},
    {MENU_CONFIGURACOES, 199, 102, 46, 42, "bin/A0018.bin", guardar_valor, 3, "<lopps_scan>", nullptr, 41},
    {MENU_CONFIGURACOES, 256, 102, 46, 42, "bin/A0018.bin", guardar_valor, 4, "<lopps_scan>", nullptr, 41},
    {MENU_CONFIGURACOES, 313, 102, 46, 42, "bin/A0018.bin", guardar_valor, 5, "<lopps_scan>", nullptr, 41},
    {MENU_CONFIGURACOES, 26, 220, 25, 25, "bin/A0010.bin", alternar, 0, "<exibir_http>", &exibir_http, 421},
    {MENU_CONFIGURACOES, 26, 250, 25, 25, "bin/A0010.bin", alternar, 0, "<exibir_https>", &exibir_https, 422},
    {MENU_CONFIGURACOES, 26, 280, 25, 25, "bin/A0010.bin", alternar, 0, "<exibir_localhost>", &exibir_localhost, 423},
    {MENU_CONFIGURACOES, 26, 310, 25, 25, "bin/A0010.bin", alternar, 0, "<exibir_lan_10>", &exibir_lan_10, 424},
    {MENU_CONFIGURACOES, 26, 340, 25, 25, "bin/A0010.bin", alternar, 0, "<exibir_lan_192>", &exibir_lan_192, 425},
    {MENU_CONFIGURACOES, 26, 400, 25, 25, "bin/A0010.bin", alternar, 0, "<exibir_log>", &exibir_log, 425},
    {MENU_CONFIGURACOES, 26, 370, 25, 25, "bin/A0010.bin", alternar, 0, "<filtro>", &exibir_filtro, 425},
    {MENU_CONFIGURACOES, 480, 320, 100, 35, "bin/A0013.bin", guardar_valor, 1, "<local>", nullptr, 43},
    {MENU_CONFIGURACOES, 480, 356, 100, 35, "bin/A0014.bin", guardar_valor, 2, "<local>", nullptr, 43},
    {MENU_CONFIGURACOES, 480, 392, 100, 35, "bin/A0015.bin", guardar_valor, 3, "<local>", nullptr, 43},
    {MENU_CONFIGURACOES, 480, 428, 100, 35, "bin/A0012.bin", guardar_valor, 0, "<local>", nullptr, 43},
    {MENU_CURSO, 644, 335, 105, 33, "bin/A0025.bin", ver_curso, 0, nullptr, nullptr, 2},
};

constexpr int total_de_botoes = sizeof botoes_do_menu / sizeof botoes_do_menu[0];

bool ativo(const botao_do_menu& b, int tipo) { return b.tipo == todos || b.tipo == tipo; }

// The tab of the screen whose menu this is shows which screen is in view: it
// stays in its pressed look whatever the mouse does, as the screen's background
// shows it before the first event.
bool aba_da_tela(const botao_do_menu& b, int tipo) {
    if (b.acao != escolher_tela) return false;
    switch (tipo) {
        case MENU_HOME:
            return b.valor == TELA_HOME;
        case MENU_FERRAMENTAS:
            return b.valor == TELA_FERRAMENTAS;
        case MENU_CONFIGURACOES:
            return b.valor == TELA_CONFIGURACOES;
        case MENU_CURSO:
            return b.valor == TELA_CURSO;
    }
    return false;
}

// The buttons and sheets of one menu call. Sheets are released when the call
// ends, so entering screens again and again holds no more than one set.
class menu_em_uso {
public:
    explicit menu_em_uso(int tipo) : tipo_(tipo) {
        TravaDaTela trava;
        for (int i = 0; i < total_de_botoes; ++i) {
            const botao_do_menu& b = botoes_do_menu[i];
            buton_dx = b.x;
            buton_dy = b.y;
            buton_dw = b.w;
            buton_dh = b.h;
            if (ativo(b, tipo_) && b.folha) folhas_[i] = load_image(b.folha);
            set_clips(buton_dw, buton_dh);
            botoes_[i].emplace(buton_dx, buton_dy, buton_dw, buton_dh);
        }
    }
    ~menu_em_uso() {
        TravaDaTela trava;
        for (SDL_Surface* folha : folhas_) SDL_FreeSurface(folha);
    }
    menu_em_uso(const menu_em_uso&) = delete;
    menu_em_uso& operator=(const menu_em_uso&) = delete;

    // One event through every active button in table order: each is redrawn and
    // presented. The action of a clicked button gives the menu's result.
    std::optional<int> tratar_evento() {
        for (int i = 0; i < total_de_botoes; ++i) {
            const botao_do_menu& b = botoes_do_menu[i];
            if (!ativo(b, tipo_)) continue;
            botao_clicado = 0;
            desenhar(i, aba_da_tela(b, tipo_));
            if (botao_clicado == 1) {
                botao_clicado = 0;
                int codigo = b.acao(b);
                if (codigo != MENU_SEGUE) return codigo;
            }
        }
        return std::nullopt;
    }

private:
    void desenhar(int i, bool aba_ativa) {
        TravaDaTela trava;
        Button& botao = *botoes_[i];
        botao.handle_events();
        set_clips(botao.box.w, botao.box.h);
        if (aba_ativa) botao.clip = &clips[CLIP_MOUSEDOWN];
        if (folhas_[i] == nullptr) return;
        botao.show(folhas_[i]);
        apresentar_tela();
    }

    int tipo_;
    SDL_Surface* folhas_[total_de_botoes] = {};
    std::optional<Button> botoes_[total_de_botoes];
};

// The menu runs only while no other thread draws, so holding the screen lock
// while it sleeps blocks nobody. It sleeps on the window itself: SDL's own
// wait would look a hundred times a second.
void esperar_evento() {
    TravaDaTela trava;
    while (SDL_PollEvent(&event) != 1) plataforma::esperar_a_janela(100);
}

}  // namespace

int menu_principal(int tipo) {
    menu_em_uso menu(tipo);
    for (;;) {
        botao_clicado = 0;
        esperar_evento();
        if (event.type == SDL_QUIT) encerrar_processo();
        if (std::optional<int> resultado = menu.tratar_evento()) return *resultado;
    }
}
