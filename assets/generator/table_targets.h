// The location table's map points as targets for the map: every row but the
// two that name no place ("XXX" and ".a2"), paired with its country's outline.
#pragma once
#include "assets/generator/geography.h"
#include "capture/location.h"

#include <cstring>

namespace geografia {

inline bool linha_sem_lugar(const localidade_por_sufixo& l) {
    return std::strcmp(l.sufixo, "XXX") == 0 || std::strcmp(l.sufixo, ".a2") == 0;
}

inline std::vector<alvo> alvos_da_tabela(const std::vector<pais>& paises) {
    std::vector<alvo> alvos;
    for (const localidade_por_sufixo& l : tabela_localidades) {
        if (linha_sem_lugar(l)) continue;
        const char* nome = nome_do_pais_do_sufixo(l.sufixo);
        alvos.push_back({l.sufixo, l.nome, nome ? pais_chamado(paises, nome) : nullptr,
                         {l.x + 7.0, l.y + 15.0}});
    }
    return alvos;
}

// The start points 1 to 3 of the map lines (the user's own place, chosen on
// the settings screen), with the country each is named after there. The map
// is fitted to them as well, so each lies inside the country it is named for.
struct ponto_de_partida {
    int local;
    const char* pais;
    const char* nome;  // Latin-1, as shown on the settings screen
    ponto_mapa ponto;
};

inline const ponto_de_partida pontos_de_partida[] = {
    {1, "Brazil", "Brasil", {137, 340}},
    {2, "Portugal", "Portugal", {180, 270}},
    {3, "Angola", "Angola", {205, 330}},
};

// Every point the map is fitted to: the table's rows and the start points.
inline std::vector<alvo> alvos_do_mapa(const std::vector<pais>& paises) {
    std::vector<alvo> alvos = alvos_da_tabela(paises);
    for (const ponto_de_partida& p : pontos_de_partida)
        alvos.push_back({"partida", p.nome, pais_chamado(paises, p.pais), p.ponto});
    return alvos;
}

}  // namespace geografia
