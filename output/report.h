// The HTML report of a scan: one file per scan in the user's documents folder
// under Brellstad/LOGS/QUORVEX, written from the panel table at the scan's end,
// newest connection first.
#pragma once

extern char arquivo_log_atual[128];  // file name of the current scan's report
extern char data_log_atual[128];     // the scan's start, for the report's header
extern char dirqvxlogs[128];         // the report folder, once prepared

// Writes the whole report of the scan and opens it when the settings ask for it.
void fabricar_log(int);

// Prepares the report folder (parents created) and writes the header. 0 when
// the folder cannot be used or the header cannot be written; nothing is written
// then, anywhere.
int iniciar_arquivo_de_log(const char* arquivo, const char* data);

// Appends the header to `arquivo` in the current directory.
void cabecalho_log(const char* arquivo, const char* data);

// Appends one block per panel row, newest row first.
void add_arquivo_log(const char* arquivo);

// Appends one connection block to `arquivo` in the report folder. Every field
// value is written with & < > and " escaped.
void adciona_log_nova_conexao(const char* arquivo, const char* hora_conexao,
                              const char* ip_local, const char* porta_local,
                              const char* ip_remoto, const char* porta_remota,
                              const char* nome_processo, const char* localidade,
                              const char* nome_dns, const char* caminho_exe,
                              const char* hora_desconexao, int nova_conexao, int ativo);

// Appends the footer to `arquivo` in the report folder.
void finalizar_log(const char* arquivo);

// Opens the report folder (created when missing) in the file manager. 0 when
// it cannot be used.
int vizualizar_log(int);
