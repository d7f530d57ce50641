// The home screen and the control of a scan: the idle screen with the start
// button, and the scan itself (tables emptied, radar started, sweeps while
// `fazendo_scan` is 1, radar stopped, final panel, report).
#pragma once

// The home screen's loop. Returns -1 when the text engine cannot start;
// otherwise only after a tab click in its menu, with TROCA_DE_TELA. A close
// request ends the process with status 1.
int exib_home(int);

// `loops` for a scan-length setting: 1, 2, 4, 8, 16 or 32 for 0 to 5, 1 for
// anything else.
int voltas_do_scan(int posicao_quantidade);

// Sets x_ponto_partida / y_ponto_partida for a start-point setting 0 to 3;
// other values leave them as they are.
void definir_ponto_de_partida(int local);
