// Small routines every part of the program calls: the messages, the orderly
// exit, the detached launcher, the existence test and the file copier.
#pragma once

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

// Opens a web address, a file or a folder with the user's default handler,
// or a terminal in `pasta`, without waiting for either. When the handler is
// missing or answers with an error, a message names `o_que` (Latin-1, e.g.
// "o endere\xe7o http://...") and why. Returns 0 when the handler started.
int abrir_para_o_usuario(const char* alvo, const char* pasta, const char* o_que);
int abrir_terminal_para_o_usuario(const char* pasta);

int file_exists(const char* caminho);
int copiar_arquivo(const char* origem, const char* destino);
