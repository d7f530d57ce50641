// The settings file: a line-based config.xml with one tag pair per setting.
#pragma once
#include "common/text.h"

extern char c_loops_scan[64];
extern char c_exibir_http[64];
extern char c_exibir_https[64];
extern char c_exibir_localhost[64];
extern char c_exibir_lan_10[64];
extern char c_exibir_lan_192[64];
extern char c_exibir_log[64];
extern char c_exibir_filtro[64];
extern char c_local[48];

extern int posicao_quantidade_loop;  // <lopps_scan>, 0..5
extern int exibir_http;              // 0: remote port 80 omitted
extern int exibir_https;             // 0: remote port 443 omitted
extern int exibir_localhost;         // 0: remote 127.0.0.1 omitted
extern int exibir_lan_10;            // 0: remote 10.x omitted
extern int exibir_lan_192;           // 0: remote 192.168.x omitted
extern int exibir_log;               // 1: the report is opened once written
extern int exibir_filtro;            // 1: similar connections are filtered
extern int local_secionado;          // <local>, 0..3
extern int resumo_websites;          // copy of exibir_filtro after every load

// The value between the tags on `linha`, or "none".
texto_fixo<512> extrair_texto_tag(const char* linha, const char* tag_abre,
                                  const char* tag_fecha);

// 1 when read and in range; -1 when the file cannot be opened. A value out of
// range ends the process with "Erro conteudo XML".
int carregar_xml(const char* caminho);

// Rewrites the setting's line(s); returns the number replaced, -1 on failure.
int alterar_xml(const char* valor, const char* caminho, const char* tag_abre,
                const char* tag_fecha);
