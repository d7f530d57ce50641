// The colours and faces shared by every picture, so the screens speak one
// visual language.
#pragma once
#include "image.h"

#include <string>

namespace gerador {

namespace paleta {
constexpr cor barra_topo{15, 30, 48};
constexpr cor barra_base{24, 46, 70};
constexpr cor acento{18, 166, 160};
constexpr cor acento_escuro{10, 112, 110};
constexpr cor acento_claro{120, 220, 210};
constexpr cor fundo{232, 237, 242};
constexpr cor cartao{255, 255, 255};
constexpr cor borda{196, 206, 216};
constexpr cor texto{22, 32, 44};
constexpr cor texto_suave{92, 106, 122};
constexpr cor painel{17, 24, 33};
constexpr cor painel_linha{30, 40, 52};
constexpr cor oceano{196, 220, 234};
constexpr cor fronteira{150, 156, 146};
}  // namespace paleta

// The run folder's fonts: the program's four faces, by use.
struct fontes {
    std::string negrito;    // Fonte_01
    std::string texto;      // Fonte_02
    std::string condensada; // Fonte_03
    std::string rotulo;     // Fonte_04
};

}  // namespace gerador
