// The radar thread of a scan: the radar turning over the world map, the
// remaining-turns counter, and every 20 frames a marker and a line for each
// live connection. It also ends the scan after `loops` turns.
#pragma once
#include <SDL/SDL.h>

extern int loops;                          // full turns a scan lasts
extern int fazendo_scan;                   // 1 while a scan runs; only ever cleared here
extern int primeiro_scan;                  // 0: the menu comes before the next scan
extern int delay_radar;                    // ms at least from one frame to the next
extern int taxa_ataualizacao_locais_mapa;  // frames between two marker redraws
extern int x_ponto_partida, y_ponto_partida;  // where every map line starts
extern SDL_Surface* locais_copia;  // last window snapshot with markers; outlives the thread

// The thread's body: frames until parar_radar asks it to stop. Returns 0.
int rodar_radar_independente(void*);

// The remaining-turns counter at (20, 66); drawn, not presented.
void mostar_dysplay_loop(int restantes);

// One pass over the live table, a marker for every live row. Holds the live
// table's lock for the pass.
void exib_locais_no_mapa(int);

// One line and one "*" marker for the map point (x, y); -1 when the text engine
// cannot start.
int funcao_mapa_exibir_xy(int x, int y);

// Starts the radar thread for a scan (loops and the start point already set).
void iniciar_radar();
// True once for an Escape the radar thread took from the event queue since the
// scan started: the main thread ends the scan as for an Escape a sweep took.
bool tomar_escape_do_radar();
// The same for the window's close request: the main thread writes the report
// of the rows so far before the program ends.
bool tomar_saida_do_radar();

// Called on the radar thread right after each frame was presented (tests time
// the frames through here); nullptr for none.
using observador_de_quadros = void (*)();
void observar_quadros(observador_de_quadros observador);

// Asks the thread to stop at its next frame boundary and joins it. Afterwards
// no lock is held, mostrando_locais is 0 and the thread's images are freed.
// Harmless when no thread runs. Not to be called while holding the screen lock:
// the frame under way needs it to finish.
void parar_radar();

// The images one run of the thread draws with, loaded when it starts.
struct imagens_do_radar {
    SDL_Surface* radar = nullptr;       // the image turned every frame
    SDL_Surface* referencia = nullptr;  // display-format copy; only its height is used
    // The map background as every frame drew it, a copy of the map turned by 0
    // degrees: made once, since the map never changes.
    SDL_Surface* fundo = nullptr;
    Uint32 pixel_frequente = 0;  // the radar's commonest pixel, most of its disc
};
imagens_do_radar carregar_imagens_do_radar();
void liberar_imagens_do_radar(imagens_do_radar& imagens);

// One frame, from the turned radar to its presentation, under the screen
// lock: the map background (hidden under the snapshot of the markers once
// there is one), every 20 frames the markers and a new snapshot, the snapshot,
// the radar turned by `angulo`. Presents the map area and the radar, or the
// whole window when markers or the counter were drawn since the last frame.
void desenhar_quadro_do_radar(const imagens_do_radar& imagens, double angulo,
                              bool com_marcadores);

// The frame-by-frame bookkeeping of one run of the thread, apart from drawing
// and from real time.
struct relogio_do_radar {
    double angulo = 40.2;
    int contador_de_quadros = 0;
    int voltas = 0;
};

// True in the frames that redraw the markers (21, 41, 61, ...). Advances the
// frame counter; call once per frame, before concluir_quadro.
bool quadro_de_marcadores(relogio_do_radar& relogio);

// The end of a frame: turns the radar 3 degrees, clears fazendo_scan once
// `loops` turns are done, counts a turn at 360 degrees. Returns the turns still
// to go when this frame completed a turn, else -1.
int concluir_quadro(relogio_do_radar& relogio);
