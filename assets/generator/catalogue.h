// The 46 pictures: their number, size, storage kind and the drawing that makes each.
#pragma once
#include "image.h"
#include "palette.h"

#include <functional>
#include <string>
#include <vector>

namespace gerador {

struct imagem_do_programa {
    int numero;          // A00nn
    int largura, altura;
    tipo_imagem tipo;
    cor fundo;           // what shows beneath transparent or keyed parts
    std::function<void(SDL_Surface*, const fontes&)> desenhar;
};

std::vector<imagem_do_programa> catalogo();

std::string nome_do_arquivo(int numero);  // "A0007.bin"

// Frame `quadro` (0 resting, 1 under the mouse, 2 pressed) of the button sheet
// `numero`, drawn at (x, y) exactly as the menu draws it from the stored
// picture: opaque, its keyed pixels leaving what lies beneath. Backgrounds and
// pictures the buttons lie on carry the resting look this way, so nothing
// changes when the menu draws it.
void pintar_quadro_de_folha(SDL_Surface* destino, const fontes& f, int numero, int quadro, int x, int y);

// Draws and writes every picture; returns the number that failed.
int gerar_todas(const std::string& pasta_bin, const fontes& f);

}  // namespace gerador
