// The window's icon: the program's own icon as the artwork generator draws it,
// built into the program so the window carries it from any start folder.
#pragma once

// Hands the icon to SDL: call with the video subsystem up, before the window
// opens (SDL 1.2 takes an icon only then).
void definir_icone_da_janela();
