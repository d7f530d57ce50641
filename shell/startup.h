// Start-up: the directories the program works in, the per-user settings file,
// the asset check, the window, and the small routines other parts call.
#pragma once
#include <SDL/SDL.h>

extern char diratu2[256];         // the start directory
extern char diratu[256];          // a second copy of it
extern char dirdadoapli[260];     // the user's local application-data folder
extern char dirlocapli[512];      // <dirdadoapli>/Quorvex
extern char file_xml[512];        // <dirlocapli>/config.xml
extern char file_xml_padrao[64];  // "config.xml", the default in the start directory
extern SDL_Surface* screen;       // the window surface

// Shows a message titled "Quorvex" that does not end the program: `texto` in
// the program's own words (Latin-1), then `complemento` as the system gave it
// (a path, the system's error text), or nothing.
void avisar(const char* texto, const char* complemento = nullptr);

// Shows a fatal message titled "Quorvex" and ends the process with status 1.
[[noreturn]] void mensagem(const char* texto);

// Ends the process with status 1 while holding the screen lock, so no other
// thread is inside SDL while SDL shuts down. Every exit of the running program
// (close request, fatal message, table limits) goes through here.
[[noreturn]] void encerrar_processo();

// Starts a program detached and hidden, without waiting (argument vector,
// nullptr-terminated). Returns 0 when started, -1 otherwise.
int exec_(const char* const argumentos[]);

int file_exists(const char* caminho);
int copiar_arquivo(const char* origem, const char* destino);

// The whole start-up; does not return while the program runs.
int SDL_main(int argc, char** argv);
