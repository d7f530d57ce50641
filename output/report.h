// The HTML report of a scan: one file per scan in the user's documents folder
// under Brellstad/LOGS/QUORVEX, written from the panel table at the scan's end,
// newest connection first.
#pragma once

extern char arquivo_log_atual[128];  // file name of the current scan's report
extern char data_log_atual[128];     // the scan's start, for the report's header
extern char dirqvxlogs[128];         // the report folder, once prepared

// What became of the last report the program tried to write.
struct desfecho_do_relatorio {
    bool houve = false;      // a report was tried since the program started
    bool gravado = false;    // and written whole
    char arquivo[128] = "";  // its file name
    char pasta[128] = "";    // its folder, as the system names it ("" when not prepared)
    char motivo[256] = "";   // why it was not written
};
extern desfecho_do_relatorio desfecho_do_ultimo_relatorio;

// Writes the whole report of the scan and opens it when the settings ask for it.
void fabricar_log(int);

// Writes the whole report of the scan without opening it: the program is about
// to end (a signal, a table limit).
void fabricar_log_antes_de_encerrar();

// Prepares the report folder (parents created) and begins the report: the
// header, then what the calls below add, goes into a temporary file that
// finalizar_log puts in place. 0 when the folder cannot be used or the report
// cannot be begun (the user is told); nothing is written then, anywhere.
int iniciar_arquivo_de_log(const char* arquivo, const char* data);

// Adds the header to the report begun.
void cabecalho_log(const char* arquivo, const char* data);

// Adds one block per panel row, newest row first.
void add_arquivo_log(const char* arquivo);

// Adds one connection block to the report begun. Every field value is written
// with & < > and " escaped.
void adciona_log_nova_conexao(const char* arquivo, const char* hora_conexao,
                              const char* ip_local, const char* porta_local,
                              const char* ip_remoto, const char* porta_remota,
                              const char* nome_processo, const char* localidade,
                              const char* nome_dns, const char* caminho_exe,
                              const char* hora_desconexao, int nova_conexao, int ativo);

// Adds the footer and puts the report in place, after what the file already
// held (a second scan in the same second adds a second document). 1 when the
// whole report was written; 0 when any write failed: the file is then as it
// was (absent, or holding only the earlier documents) and the user is told
// which file and why.
int finalizar_log(const char* arquivo);

// Opens the report folder (created when missing) in the file manager. 0 when
// it cannot be used.
int vizualizar_log(int);
