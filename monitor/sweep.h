// One sweep of a scan: a fresh reading of the TCP connections compared with the
// previous one; new connections are named, located, stored and listed on the
// panel, closed ones are taken off the live table and marked on the panel.
#pragma once
#include "common/text.h"

extern int rodada;         // sweeps completed in the current scan
extern int delay_netstat;  // period of the readings: a sweep pauses until this long after the last began, ms

// VARREDURA_ENCERRAMENTO: a request from outside to end the program (a signal)
// was noted at the start of the sweep or during its pause.
enum resultado_da_varredura {
    VARREDURA_SEGUE = 0,
    VARREDURA_SAIDA,
    VARREDURA_ESCAPE,
    VARREDURA_ENCERRAMENTO
};

// One sweep. A quit request or an Escape taken from the event queue in this
// sweep ends it at once, before the reading, and is handed back to the caller.
// New connections are recorded at the reading and listed once their names
// are decided, by this sweep or a later one (see listar_conexoes_pendentes).
resultado_da_varredura fazer_varredura();

// Lists every new connection still waiting for its name, each once its name
// is decided (at most `timeout_dns` from now): the end of a scan shows and
// reports every connection it found.
void listar_conexoes_pendentes();

// The host name of a remote address by the bounded wait of
// capture/reverse_dns.h over `ip_remoto`, the same name the sweep lists;
// "NOID" when no name came within `timeout_dns`.
void resolver_nome_do_host(const char* ip_remoto, char (&nome_dns)[128]);

// 1 when the similarity filter is on and a live connection of the same process
// to the same remote port lies in the same block (the first three octets of an
// IPv4 address, the first seven groups of an IPv6 one); else 0.
int verificar_conexoes_semelhantes_painel(const char* ip_remoto, const char* porta_remota,
                                          const char* nome_processo, int reservado);

// The address before its last "." ("203.0.113" for "203.0.113.7"); "" without
// one. Of an IPv6 address, its first seven groups in full ("2001:db8:0:0:0:0:0"
// for "2001:db8::7").
texto_fixo<128> retorna_3_digitos_ip(const char* ip);

// Zero-based position of the last `caractere` in `texto`, -1 when absent.
int ultima_posicao_caractere(const char* texto, char caractere);

// The reading the sweep takes (scan_nestat unless replaced): fills the capture
// table `tabela` (0 netstat_cap, 1 netstat_capx) and advances its count.
using leitura_de_conexoes = int (*)(int tabela);
// Tests feed scripted readings through here; nullptr puts scan_nestat back.
void substituir_leitura(leitura_de_conexoes leitura);

// Called with every "n/d" counter text as it is drawn on the status line
// (tests follow the counter through here); nullptr for none.
using observador_do_contador = void (*)(const char* texto);
void observar_contador(observador_do_contador observador);
