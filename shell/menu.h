// The main menu: the clickable buttons of every screen, the loop that keeps
// their look in step with the mouse, and the actions of the buttons.
//
// A tab does not call the chosen screen from inside the menu: it records the
// screen in `tela_escolhida` and the menu returns TROCA_DE_TELA, so the current
// screen returns too and the dispatcher (executar_telas) enters the chosen one
// afresh. Moving between screens therefore never nests calls.
#pragma once
#include <SDL/SDL.h>

constexpr int CLIP_MOUSEOVER = 0;
constexpr int CLIP_MOUSEOUT = 1;
constexpr int CLIP_MOUSEDOWN = 2;
constexpr int CLIP_MOUSEUP = 3;

// Menu kinds, the argument of menu_principal.
constexpr int MENU_SO_ABAS = 1;
constexpr int MENU_HOME = 2;
constexpr int MENU_FERRAMENTAS = 3;
constexpr int MENU_CONFIGURACOES = 4;
constexpr int MENU_CURSO = 5;

// What menu_principal returns when a tab was clicked.
constexpr int TROCA_DE_TELA = 0;
// What a button's action gives when the menu is to go on waiting.
constexpr int MENU_SEGUE = -2;

enum tela { TELA_HOME = 0, TELA_FERRAMENTAS, TELA_CONFIGURACOES, TELA_CURSO };

// The screen the last tab click chose.
extern tela tela_escolhida;

extern SDL_Event event;        // the event being handled
extern SDL_Rect clips[4];      // sheet frames of the button being drawn
extern int botao_clicado;      // 1 after a left press inside the button
extern int buton_dx, buton_dy, buton_dw, buton_dh;  // the button about to be built

class Button {
public:
    Button(int x, int y, int w, int h);

    // Updates the frame to draw (and botao_clicado) from `event`.
    void handle_events();

    // Draws the current frame of `folha` at the button's place; not presented.
    void show(SDL_Surface* folha);

    SDL_Rect box;
    SDL_Rect* clip;
};

// The frames of a sheet of three w-wide looks side by side.
void set_clips(int w, int h);

// Waits for events and acts on the buttons of the menu kind. Returns 2, 41,
// 421..425 or 43 after a button that stays on the screen, TROCA_DE_TELA after a
// tab. A close request ends the process with status 1.
int menu_principal(int tipo);
