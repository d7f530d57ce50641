// One reading of the system's TCP connection table (IPv4 and IPv6) into a
// capture table.
#pragma once
#include "platform/platform.h"

// One reading into the capture table that `tipo` names (the caller stores the
// same number in `tipo`, passes it as `n` and empties that table first): the
// established connections that the display filters do not omit. The 251st
// kept connection ends the program with "Limite de conexoes:250". Returns 0
// after a reading, -1 when the table could not be read (nothing written).
int scan_nestat(int n);

// Cuts `texto` in place to `quantidade` characters from `inicio` and returns
// it. A start outside the text counts as 0; a count beyond the text (or a
// negative one) means up to the end.
char* substring(char* texto, int inicio, int quantidade);

// 1 when the display filters omit a connection to this remote address and
// port (texts as in the capture row), else 0. Only the remote side counts.
int conexao_omitida(const char* ip_remoto, const char* porta_remota);

// What an address text, as the capture writes it, says by itself.
// The machine itself: "127.0.0.1" or "::1".
bool endereco_localhost(const char* ip);
// Local, as the panel's colour and the report's border show it: the machine
// itself, 10.x and 192.168.x, and the IPv6 link-local (fe80::/10) and
// unique-local (fc00::/7) ranges.
bool endereco_local(const char* ip);

// Tests: the capture reads the table through `leitura` instead of the
// platform's (nullptr puts the platform's back), so a reading can be checked
// against a table the test writes, owning processes included, where the system
// itself gives none (Wine gives every connection the process 0).
using leitura_da_tabela_tcp = int (*)(plataforma::conexao_tcp* linhas, int capacidade);
void substituir_tabela_tcp(leitura_da_tabela_tcp leitura);
