// What the connection panel's tests share: pixels read back, and a fixture with
// the window (dummy video driver), the panel's font and the empty panel drawn,
// which draws the lines the panel must show for comparison.
#pragma once
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "monitor/panel.h"
#include "monitor/tables.h"
#include "shell/toolkit.h"

namespace painel_teste {

inline Uint32 pixel(SDL_Surface* s, int x, int y) {
    return static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x];
}

// The first window row where the two surfaces differ; -1 when they are equal.
inline int primeira_diferenca(SDL_Surface* a, SDL_Surface* b) {
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 800; ++x)
            if (pixel(a, x, y) != pixel(b, x, y)) return y;
    return -1;
}

struct rgb {
    Uint8 r, g, b;
};

struct linha_de_teste {
    std::string ip, porta;
    bool aberta;
    rgb cor;
};

class Painel : public ::testing::Test {
protected:
    TTF_Font* fonte = nullptr;
    TTF_Font* fonte_anterior = nullptr;
    SDL_Surface* fundo = nullptr;

    void SetUp() override {
        if (!screen) {
            setenv("SDL_VIDEODRIVER", "dummy", 0);
            SDL_Init(SDL_INIT_VIDEO);
            screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
        }
        ASSERT_NE(screen, nullptr);
        if (!TTF_WasInit()) TTF_Init();
        fonte = TTF_OpenFont("fontes/Fonte_03.ttf", 10);
        ASSERT_NE(fonte, nullptr) << "run from the build folder (fontes/)";
        fonte_anterior = my_font_10_painel;
        my_font_10_painel = fonte;
        esvaziar_banco_painel();
        SDL_FillRect(screen, nullptr, 0);
        exibir_painel(1);
        fundo = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    }

    void TearDown() override {
        my_font_10_painel = fonte_anterior;
        if (fonte) TTF_CloseFont(fonte);
        if (fundo) SDL_FreeSurface(fundo);
    }

    // Row n of the table: time 10:00:nn, local port 40000 + n.
    void acrescentar(int n, const linha_de_teste& l) {
        char hora[16], porta_local[16], processo[32];
        std::snprintf(hora, sizeof hora, "10:00:%02d", n);
        std::snprintf(porta_local, sizeof porta_local, "%d", 40000 + n);
        std::snprintf(processo, sizeof processo, "proc%d.exe", n);
        add_banco_painel(hora, "192.168.0.5", porta_local, l.ip.c_str(), l.porta.c_str(),
                         processo, "Brasil", "NOID", "/usr/bin/x", 1);
        if (!l.aberta) informa_desconexao("10:01:00", porta_local, "", l.porta.c_str(), "");
    }

    // What the panel must show for row n at y: five columns rendered here.
    void desenhar_esperado(SDL_Surface* destino, int n, int y, const linha_de_teste& l) {
        auto& linha = banco_painel[n];
        const char* textos[] = {linha[PAI_HORA_CONEXAO], l.ip.c_str(), l.porta.c_str(),
                                linha[PAI_NOME_PROCESSO], linha[PAI_LOCALIDADE]};
        const int xs[] = {410, 457, 557, 615, 710};
        for (int c = 0; c < 5; ++c) {
            SDL_Surface* t = TTF_RenderText_Blended(fonte, textos[c], {l.cor.r, l.cor.g, l.cor.b, 0});
            SDL_Rect onde{static_cast<Sint16>(xs[c]), static_cast<Sint16>(y), 0, 0};
            SDL_BlitSurface(t, nullptr, destino, &onde);
            SDL_FreeSurface(t);
        }
    }

    // Compares the window with the empty panel plus the given rows, top line
    // first: the first differing window row, or -1.
    int comparar_com(const std::vector<std::pair<int, linha_de_teste>>& de_cima_para_baixo) {
        SDL_Surface* esperado = SDL_ConvertSurface(fundo, fundo->format, SDL_SWSURFACE);
        int y = 135;
        for (const auto& [n, l] : de_cima_para_baixo) {
            desenhar_esperado(esperado, n, y, l);
            y += 12;
        }
        int diferenca = primeira_diferenca(esperado, screen);
        SDL_FreeSurface(esperado);
        return diferenca;
    }
};

}  // namespace painel_teste
