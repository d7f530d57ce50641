#include "monitor/tables.h"

#include <algorithm>
#include <cstring>

#include "common/routines.h"
#include "common/text.h"

int max_loop = 256;
int max_iten = 7;
int max_dado = 48;
int limite_conexoes_scan = 250;
int max_conexoes_banco_painel = 500;

char netstat_cap[linhas_captura][celulas_captura][largura_celula_captura];
char netstat_capx[linhas_captura][celulas_captura][largura_celula_captura];
int num_netstat_cap = 0;
int num_netstat_capx = 0;

char banco_volatil[linhas_captura][celulas_captura][largura_celula_captura];
int limite_conexoes_volatil = 0;
int lacunas_conexoes_volatil = 0;

char banco_painel[linhas_painel][celulas_painel][largura_celula_painel];
int num_banco_painel = 0;

int tipo = 0;
int chave = 0;
int total_conexoes_scan_estabi = 0;

int mostrando_locais = 0;
std::mutex trava_banco_volatil;

namespace {

using linha_captura = char[celulas_captura][largura_celula_captura];

bool mesmo_texto(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// Rows 0 to `n` - 1 of a table of `linhas` rows, whatever a counter says.
int linhas_validas(int n, int linhas) { return std::clamp(n, 0, linhas); }

bool tem_a_chave(linha_captura& linha, const char* ip_remoto, const char* porta_remota,
                 const char* porta_local) {
    return mesmo_texto(linha[CAP_IP_REMOTO], ip_remoto) &&
           mesmo_texto(linha[CAP_PORTA_REMOTA], porta_remota) &&
           mesmo_texto(linha[CAP_PORTA_LOCAL], porta_local);
}

int procurar_chave(linha_captura* tabela, int num, const char* ip_remoto,
                   const char* porta_remota, const char* porta_local) {
    for (int i = 0; i < linhas_validas(num, linhas_captura); ++i) {
        if (tem_a_chave(tabela[i], ip_remoto, porta_remota, porta_local)) return 1;
    }
    return 0;
}

// The add and the removal look at rows 0 to the high-water mark inclusive:
// the caller reserves the row before adding, so the mark already counts it.
int ultima_linha_volatil() { return std::min(limite_conexoes_volatil, linhas_captura - 1); }

bool linha_volatil_livre(int i) { return ler_numero(banco_volatil[i][VOL_ATIVO]) == 0; }

bool linha_volatil_viva(int i) { return ler_numero(banco_volatil[i][VOL_ATIVO]) == 1; }

}  // namespace

int verificar_se_existe(const char* ip_remoto, const char* porta_remota,
                        const char* porta_local, int tabela) {
    if (tabela == 0)
        return procurar_chave(netstat_cap, num_netstat_cap, ip_remoto, porta_remota, porta_local);
    if (tabela == 1)
        return procurar_chave(netstat_capx, num_netstat_capx, ip_remoto, porta_remota,
                              porta_local);
    return 0;
}

void liberar_gravacao_banco_voltatil() {
    // Taking the lock waits for a map pass in progress; it is released at once
    // because the write that follows takes it again for itself.
    std::lock_guard<std::mutex> trava(trava_banco_volatil);
}

int add_conexao_a_banco_valatil(const char* porta_local, const char* ip_remoto,
                                const char* porta_remota, const char* nome_processo,
                                const char* localidade, const char* mapa_x,
                                const char* mapa_y) {
    std::lock_guard<std::mutex> trava(trava_banco_volatil);
    for (int i = 0; i <= ultima_linha_volatil(); ++i) {
        if (!linha_volatil_livre(i)) continue;
        auto& linha = banco_volatil[i];
        copiar_celula(linha[VOL_PORTA_LOCAL], porta_local);
        copiar_celula(linha[VOL_IP_REMOTO], ip_remoto);
        copiar_celula(linha[VOL_PORTA_REMOTA], porta_remota);
        copiar_celula(linha[VOL_NOME_PROCESSO], nome_processo);
        copiar_celula(linha[VOL_LOCALIDADE], localidade);
        copiar_celula(linha[VOL_MAPA_X], mapa_x);
        copiar_celula(linha[VOL_MAPA_Y], mapa_y);
        copiar_celula(linha[VOL_ATIVO], "1");
        return 1;
    }
    return 0;
}

int remove_conexao_de_banco_valatil(const char* porta_local, const char* ip_remoto,
                                    const char* porta_remota, const char*) {
    // Two connections of one reading may share the key (it leaves out the local
    // address and the process id); each was stored in a row of its own. Only a
    // live row is freed here, so each removal frees exactly one row, the oldest
    // live one with the key, and the caller's gap count stays equal to the free
    // rows below the high-water mark. A removal that finds no live row changes
    // nothing and returns 0, and the caller then has no gap to count.
    std::lock_guard<std::mutex> trava(trava_banco_volatil);
    for (int i = 0; i <= ultima_linha_volatil(); ++i) {
        auto& linha = banco_volatil[i];
        if (!linha_volatil_viva(i)) continue;
        if (!mesmo_texto(linha[VOL_PORTA_LOCAL], porta_local) ||
            !mesmo_texto(linha[VOL_IP_REMOTO], ip_remoto) ||
            !mesmo_texto(linha[VOL_PORTA_REMOTA], porta_remota))
            continue;
        copiar_celula(linha[VOL_ATIVO], "0");
        return 1;
    }
    return 0;
}

void add_banco_painel(const char* hora_conexao, const char* ip_local,
                      const char* porta_local, const char* ip_remoto,
                      const char* porta_remota, const char* nome_processo,
                      const char* localidade, const char* nome_dns,
                      const char* caminho_exe, int rodada) {
    if (num_banco_painel >= std::min(max_conexoes_banco_painel, linhas_painel))
        limite_atingido("Limite de conexoes:500");
    auto& linha = banco_painel[std::max(num_banco_painel, 0)];
    copiar_celula(linha[PAI_IP_LOCAL], ip_local);
    copiar_celula(linha[PAI_PORTA_LOCAL], porta_local);
    copiar_celula(linha[PAI_IP_REMOTO], ip_remoto);
    copiar_celula(linha[PAI_PORTA_REMOTA], porta_remota);
    copiar_celula(linha[PAI_NOME_PROCESSO], nome_processo);
    copiar_celula(linha[PAI_LOCALIDADE], localidade);
    copiar_celula(linha[PAI_NOME_DNS], nome_dns);
    copiar_celula(linha[PAI_CAMINHO_EXE], caminho_exe);
    copiar_celula(linha[PAI_HORA_CONEXAO], hora_conexao);
    copiar_celula(linha[PAI_HORA_DESCONEXAO], "none");
    copiar_celula(linha[PAI_NOVA_CONEXAO], rodada > 0 ? "1" : "0");
    copiar_celula(linha[PAI_ATIVO], "1");
    num_banco_painel = std::max(num_banco_painel, 0) + 1;
}

int informa_desconexao(const char* hora, const char* porta_local, const char*,
                       const char* porta_remota, const char*) {
    int local = ler_numero(porta_local);
    int remota = ler_numero(porta_remota);
    for (int i = 0; i < linhas_validas(num_banco_painel, linhas_painel); ++i) {
        auto& linha = banco_painel[i];
        if (ler_numero(linha[PAI_ATIVO]) != 1) continue;
        if (ler_numero(linha[PAI_PORTA_LOCAL]) != local) continue;
        if (ler_numero(linha[PAI_PORTA_REMOTA]) != remota) continue;
        copiar_celula(linha[PAI_ATIVO], "0");
        copiar_celula(linha[PAI_HORA_DESCONEXAO], hora);
        return 1;
    }
    return 0;
}

void esvaziar_tabela_captura(int tabela) {
    if (tabela == 0) num_netstat_cap = 0;
    if (tabela == 1) num_netstat_capx = 0;
}

void esvaziar_banco_painel() { num_banco_painel = 0; }

void esvaziar_banco_volatil() {
    std::lock_guard<std::mutex> trava(trava_banco_volatil);
    for (auto& linha : banco_volatil) linha[VOL_ATIVO][0] = '\0';
    limite_conexoes_volatil = 0;
    lacunas_conexoes_volatil = 0;
}

namespace {
rotina_antes_do_limite rotina_do_limite = nullptr;
}

void antes_de_um_limite(rotina_antes_do_limite rotina) { rotina_do_limite = rotina; }

void limite_atingido(const char* texto) {
    // Taken before it runs, so a limit reached inside the routine cannot loop.
    rotina_antes_do_limite rotina = rotina_do_limite;
    rotina_do_limite = nullptr;
    if (rotina) rotina();
    mensagem(texto);
}
