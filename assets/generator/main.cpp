// Draws the program's 46 pictures into the run folder's bin/ at build time.
// Usage: gerador_de_imagens <bin folder> <fontes folder>
#include "catalogue.h"
#include "pieces.h"

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "uso: %s <pasta bin> <pasta fontes>\n", argv[0]);
        return 2;
    }
    if (SDL_Init(0) == -1 || TTF_Init() == -1) {
        std::fprintf(stderr, "SDL/SDL_ttf: %s\n", SDL_GetError());
        return 1;
    }
    const std::string pasta_fontes = argv[2];
    const gerador::fontes f{pasta_fontes + "/Fonte_01.ttf", pasta_fontes + "/Fonte_02.ttf",
                            pasta_fontes + "/Fonte_03.ttf", pasta_fontes + "/Fonte_04.ttf"};
    if (!gerador::mundo_disponivel()) {
        std::fprintf(stderr, "sem contornos dos paises em %s\n", gerador::arquivo_dos_paises);
        return 1;
    }
    const int falhas = gerador::gerar_todas(argv[1], f);
    TTF_Quit();
    SDL_Quit();
    return falhas == 0 ? 0 : 1;
}
