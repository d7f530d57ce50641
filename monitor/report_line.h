// The idle home screen's line about the last report: where it was written, or
// that it could not be, until the next scan ends. A click on it opens the
// report folder, as the tools screen's "Visualizar Logs" does.
#pragma once
#include <SDL/SDL.h>

// Where the line stands: over the idle header's own two lines of text.
constexpr SDL_Rect area_da_linha_do_relatorio = {130, 52, 268, 46};

// Draws the line when a report was tried since the program started (not
// presented); nothing otherwise. The idle header must be drawn beneath.
void desenhar_linha_do_relatorio();

// A click inside the line's area: opens the report folder when the last
// report was written. False when there was no such line to click.
bool abrir_pasta_da_linha_do_relatorio();
