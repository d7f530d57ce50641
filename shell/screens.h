// The tools, settings and course screens, and the links and the command prompt
// their buttons open.
//
// Each screen draws itself and waits in the main menu with its kind; after a
// button that stays on the screen it redraws what changed and waits again. A
// tab click makes the screen return TROCA_DE_TELA to the dispatcher, which
// enters the chosen screen.
#pragma once

int exib_tolls(int);
int exib_conf(int);
int exib_tavrel(int);

// Open the maker's web tools and the course page in the default browser and
// return at once; 0 when the browser was started, -1 otherwise.
int vizualizar_ip_publico(int);
int exibir_lista_de_proxys(int);
int exibir_geolocalizador(int);
int saiba_mais_tavrel(int);

// Opens a terminal window in the root folder and returns at once.
int star_cmd(int);
