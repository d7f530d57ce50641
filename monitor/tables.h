// The connection tables: two capture tables that hold the current and the
// previous reading, the live table of connections seen open, and the panel
// table, the history of the current scan. Fixed-size arrays of fixed-width
// text cells; nothing grows at run time.
#pragma once
#include <mutex>

extern int max_loop;                   // 256 rows of each capture table and of the live table
extern int max_iten;                   // 7 cells used in a capture row
extern int max_dado;                   // 48: working width of one capture field
extern int limite_conexoes_scan;       // 250 kept connections per reading
extern int max_conexoes_banco_painel;  // 500 panel rows

constexpr int linhas_captura = 256;
constexpr int celulas_captura = 8;
constexpr int largura_celula_captura = 128;
constexpr int linhas_painel = 500;
constexpr int celulas_painel = 12;
constexpr int largura_celula_painel = 256;

// Cells of a capture row (linha_conexao).
enum celula_conexao {
    CAP_IP_LOCAL = 0,
    CAP_PORTA_LOCAL,
    CAP_IP_REMOTO,
    CAP_PORTA_REMOTA,
    CAP_PID,
    CAP_NOME_PROCESSO,
    CAP_MARCADOR,
};

// Cells of a live row (linha_volatil).
enum celula_volatil {
    VOL_PORTA_LOCAL = 0,
    VOL_IP_REMOTO,
    VOL_PORTA_REMOTA,
    VOL_NOME_PROCESSO,
    VOL_LOCALIDADE,
    VOL_MAPA_X,
    VOL_MAPA_Y,
    VOL_ATIVO,
};

// Cells of a panel row (linha_painel).
enum celula_painel {
    PAI_IP_LOCAL = 0,
    PAI_PORTA_LOCAL,
    PAI_IP_REMOTO,
    PAI_PORTA_REMOTA,
    PAI_NOME_PROCESSO,
    PAI_LOCALIDADE,
    PAI_NOME_DNS,
    PAI_CAMINHO_EXE,
    PAI_HORA_CONEXAO,
    PAI_HORA_DESCONEXAO,
    PAI_NOVA_CONEXAO,
    PAI_ATIVO,
};

extern char netstat_cap[linhas_captura][celulas_captura][largura_celula_captura];
extern char netstat_capx[linhas_captura][celulas_captura][largura_celula_captura];
extern int num_netstat_cap;
extern int num_netstat_capx;

extern char banco_volatil[linhas_captura][celulas_captura][largura_celula_captura];
extern int limite_conexoes_volatil;   // high-water mark
extern int lacunas_conexoes_volatil;  // free rows below it

extern char banco_painel[linhas_painel][celulas_painel][largura_celula_painel];
extern int num_banco_painel;

extern int tipo;                        // capture table the capture fills: 0 netstat_cap, 1 netstat_capx
extern int chave;                       // capture table of the next reading
extern int total_conexoes_scan_estabi;  // connections kept so far in the reading under way

// 1 while the map drawing reads the live table. The real exclusion is
// trava_banco_volatil, held by the map pass and by each add or removal.
extern int mostrando_locais;
extern std::mutex trava_banco_volatil;

int verificar_se_existe(const char* ip_remoto, const char* porta_remota,
                        const char* porta_local, int tabela);

// Returns once no map pass reads the live table. The add and the removal take
// the live table's lock themselves, so the write that follows cannot overlap a
// map pass.
void liberar_gravacao_banco_voltatil();

int add_conexao_a_banco_valatil(const char* porta_local, const char* ip_remoto,
                                const char* porta_remota, const char* nome_processo,
                                const char* localidade, const char* mapa_x,
                                const char* mapa_y);
int remove_conexao_de_banco_valatil(const char* porta_local, const char* ip_remoto,
                                    const char* porta_remota, const char* nome_processo);

void add_banco_painel(const char* hora_conexao, const char* ip_local,
                      const char* porta_local, const char* ip_remoto,
                      const char* porta_remota, const char* nome_processo,
                      const char* localidade, const char* nome_dns,
                      const char* caminho_exe, int rodada);
int informa_desconexao(const char* hora, const char* porta_local, const char* ip_remoto,
                       const char* porta_remota, const char* nome_processo);

// Emptying, done by the home screen when a scan starts.
void esvaziar_tabela_captura(int tabela);
void esvaziar_banco_painel();
void esvaziar_banco_volatil();

// Reaching a table limit ends the program with the limit's message (status 1).
// The routine set here runs first: during a scan the home screen writes the
// report of the rows so far there. nullptr for none.
using rotina_antes_do_limite = void (*)();
void antes_de_um_limite(rotina_antes_do_limite rotina);
[[noreturn]] void limite_atingido(const char* texto);
