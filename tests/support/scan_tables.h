// The connection tables as a scan starts from the home screen, and the
// panel's filters kept across a test, for the tests and the benchmark that run
// sweeps without the home screen. Header-only so the benchmark can use it too.
#pragma once
#include "monitor/sweep.h"
#include "monitor/tables.h"
#include "output/settings.h"

namespace teste {

// Both capture tables, the panel and the live table emptied; the next reading
// goes into the first capture table, as the first sweep of a scan.
inline void esvaziar_tabelas_do_scan() {
    esvaziar_tabela_captura(0);
    esvaziar_tabela_captura(1);
    esvaziar_banco_painel();
    esvaziar_banco_volatil();
    chave = 0;
    tipo = 0;
    rodada = 0;
}

// The panel's filters as they were when made, put back when destroyed: a
// test's fixture holds one, so the filters a test sets do not reach the next.
class FiltrosGuardados {
public:
    FiltrosGuardados()
        : http_(exibir_http), https_(exibir_https), localhost_(exibir_localhost),
          lan_10_(exibir_lan_10), lan_192_(exibir_lan_192) {}
    ~FiltrosGuardados() {
        exibir_http = http_;
        exibir_https = https_;
        exibir_localhost = localhost_;
        exibir_lan_10 = lan_10_;
        exibir_lan_192 = lan_192_;
    }
    FiltrosGuardados(const FiltrosGuardados&) = delete;
    FiltrosGuardados& operator=(const FiltrosGuardados&) = delete;

private:
    int http_, https_, localhost_, lan_10_, lan_192_;
};

}  // namespace teste
