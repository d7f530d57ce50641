// The drawings behind each picture of the catalogue.
#pragma once
#include "drawing.h"
#include "palette.h"

#include <string>

namespace gerador {

// The three looks of a button sheet, left to right.
enum class estado_botao { repouso = 0, sob_o_mouse = 1, pressionado = 2 };

enum class icone { pasta, ip_publico, proxys, geolocalizar, terminal };

// Button sheets (three frames side by side).
void folha_aba(SDL_Surface* s, const fontes& f, const std::string& rotulo);
void folha_iniciar(SDL_Surface* s, const fontes& f);
void folha_ferramenta(SDL_Surface* s, const fontes& f, icone i);
void folha_caixa_de_marcar(SDL_Surface* s, const fontes& f);
void folha_duracao(SDL_Surface* s, const fontes& f);
void folha_ponto_de_partida(SDL_Surface* s, const fontes& f, int local);
void folha_curso(SDL_Surface* s, const fontes& f);

// The top bar every screen shares, as it looks between y 0 and 48.
cor cor_da_barra(double y);

// Full-window backgrounds.
void tela_inicio(SDL_Surface* s, const fontes& f);
void tela_scan(SDL_Surface* s, const fontes& f);
void tela_configuracoes(SDL_Surface* s, const fontes& f);
void tela_ferramentas(SDL_Surface* s, const fontes& f);
void tela_curso(SDL_Surface* s, const fontes& f);
void tela_abertura(SDL_Surface* s, const fontes& f);

// Small pictures of the home and settings screens.
void linha_de_status(SDL_Surface* s, const fontes& f, int tipo);  // 0 empty, 1 new, 2 closed
void remendo(SDL_Surface* s, cor c);
void caixa_de_marcar(SDL_Surface* s, const fontes& f, bool marcada);
void marcador_duracao(SDL_Surface* s, const fontes& f);
void faixa_duracao(SDL_Surface* s, const fontes& f);
void emblema(SDL_Surface* s);

// A translucent sweep wedge: strongest at its leading edge (at `angulo`
// degrees, counter-clockwise from the right), fading over the 75 degrees
// behind it.
void leque_do_radar(SDL_Surface* s, ponto centro, double raio, double angulo, cor c, double alfa_maximo);
// The countries' shapes in one colour, the map scaled by `escala` around its
// centre, which lands at `centro`.
void silhueta_do_mundo(SDL_Surface* s, double escala, ponto centro, cor c);

// Map, radar and start points.
void painel(SDL_Surface* s, const fontes& f);
void mapa_mundi(SDL_Surface* s, const fontes& f);
void radar(SDL_Surface* s);
void veu_inicial(SDL_Surface* s, const fontes& f);
void imagem_ponto_de_partida(SDL_Surface* s, const fontes& f, int local);

// The country outlines and the map fitted to the location table, read from
// the file below (relative to the generator's working directory) on first use.
constexpr const char* arquivo_dos_paises = "map/countries.txt";
bool mundo_disponivel();

// Names of the four start points (0 this computer; 1..3 places on the map).
std::string nome_ponto_de_partida(int local);

}  // namespace gerador
