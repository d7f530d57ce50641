// The window's icon: the program's own icon as the artwork generator draws it,
// built into the program so the window carries it from any start folder.
#pragma once

// Hands the icon to SDL: call with the video subsystem up, before the window
// opens (SDL 1.2 takes an icon only then).
void definir_icone_da_janela();

// Announces the same icon on the open window as today's task bars read it
// (SDL 1.2 sets only the older form).
void anunciar_icone_na_janela_aberta();
