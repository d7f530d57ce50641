#include "monitor/sweep.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "capture/capture.h"
#include "capture/location.h"
#include "capture/processes.h"
#include "capture/reverse_dns.h"
#include "monitor/panel.h"
#include "monitor/tables.h"
#include "output/datetime.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "common/diagnostics.h"
#include "shell/toolkit.h"

int rodada = 0;
int delay_netstat = 50;

namespace {

leitura_de_conexoes leitura_atual = scan_nestat;
observador_do_contador observador_atual = nullptr;

using linha_de_captura = char[celulas_captura][largura_celula_captura];
using tabela_de_captura = linha_de_captura[linhas_captura];

// The two readings of one sweep: the capture table just filled and the one
// that holds the previous reading.
struct leituras {
    int corrente;
    tabela_de_captura& linhas_correntes;
    int& num_correntes;
    tabela_de_captura& linhas_anteriores;
    int& num_anteriores;
    int anterior() const { return corrente == 0 ? 1 : 0; }
};

leituras ler_conexoes() {
    if (chave == 0) {
        num_netstat_cap = 0;
        tipo = 0;
        leitura_atual(0);
        return {0, netstat_cap, num_netstat_cap, netstat_capx, num_netstat_capx};
    }
    num_netstat_capx = 0;
    tipo = 1;
    leitura_atual(1);
    return {1, netstat_capx, num_netstat_capx, netstat_cap, num_netstat_cap};
}

// Only an event taken in this sweep counts; anything but quit or Escape is dropped.
resultado_da_varredura evento_da_varredura(bool tirou, const SDL_Event& evento) {
    if (!tirou) return VARREDURA_SEGUE;
    if (evento.type == SDL_QUIT) return VARREDURA_SAIDA;
    if (evento.type == SDL_KEYDOWN && evento.key.keysym.sym == SDLK_ESCAPE)
        return VARREDURA_ESCAPE;
    return VARREDURA_SEGUE;
}

void mostrar_contador(int n, int diferenca) {
    if (n >= diferenca) diferenca = n;
    char texto[32];
    formatar_limitado(texto, sizeof texto, "%d/%d", n, diferenca);
    // Image, counter and presentation as one drawing step: the radar thread's
    // frames cannot come between them.
    TravaDaTela trava;
    apenas_exibir_imagem("bin/A0042.bin", 55, 64);
    desenha_texto_cores(texto, "fontes/Fonte_03.ttf", 11, screen, 148, 69, 10, 10, 10);
    apresentar_tela();
    if (observador_atual) observador_atual(texto);
}

// The live table's counters are read by the radar's map pass; they change
// under the same lock that pass holds.
// Returns whether the reservation raised the high-water mark, so that a row the
// add could not use is handed back the way it was taken.
bool reservar_linha_volatil() {
    std::lock_guard<std::mutex> trava(trava_banco_volatil);
    if (lacunas_conexoes_volatil == 0) {
        ++limite_conexoes_volatil;
        return true;
    }
    --lacunas_conexoes_volatil;
    return false;
}

void desfazer_reserva(bool subiu_o_limite) {
    std::lock_guard<std::mutex> trava(trava_banco_volatil);
    if (subiu_o_limite) --limite_conexoes_volatil;
    else ++lacunas_conexoes_volatil;
}

void devolver_linha_volatil() {
    std::lock_guard<std::mutex> trava(trava_banco_volatil);
    ++lacunas_conexoes_volatil;
}

// A capture row's seven fields, copied out of the table into working texts.
struct campos_da_conexao {
    char ip_local[48], porta_local[48], ip_remoto[48], porta_remota[48], pid[48],
        nome_processo[48];
};

campos_da_conexao copiar_campos(const linha_de_captura& linha) {
    campos_da_conexao c;
    copiar_celula(c.ip_local, linha[CAP_IP_LOCAL]);
    copiar_celula(c.porta_local, linha[CAP_PORTA_LOCAL]);
    copiar_celula(c.ip_remoto, linha[CAP_IP_REMOTO]);
    copiar_celula(c.porta_remota, linha[CAP_PORTA_REMOTA]);
    copiar_celula(c.pid, linha[CAP_PID]);
    copiar_celula(c.nome_processo, linha[CAP_NOME_PROCESSO]);
    return c;
}

bool mesma_chave(const campos_da_conexao& a, const campos_da_conexao& b) {
    return std::strcmp(a.ip_remoto, b.ip_remoto) == 0 &&
           std::strcmp(a.porta_remota, b.porta_remota) == 0 &&
           std::strcmp(a.porta_local, b.porta_local) == 0;
}

// ---- Connections waiting for their names ---------------------------------------
// A new connection is recorded at the reading that finds it (its time is that
// reading's) and listed, on the live table, the map, the panel and so the
// report, once its name is known or its window has passed, in the order the
// connections were found. The sweep never waits for a name: a connection that
// lives for one reading is still caught while other names are on their way.

using relogio_da_varredura = std::chrono::steady_clock;

struct conexao_pendente {
    campos_da_conexao campos;
    char hora[48];
    char caminho_exe[256];
    int rodada;
    int corrente;  // the capture table of the reading that found it
    relogio_da_varredura::time_point fim_da_janela;
    bool encerrada;  // closed before it was listed
    char hora_do_encerramento[48];
};

// Room for the new connections of two full readings (250 each): more than a
// naming window holds unless connections come in hundreds a second, and then
// the sweep waits for the oldest one's window to make room.
constexpr int capacidade_de_pendentes = 512;
conexao_pendente pendentes[capacidade_de_pendentes];
int primeira_pendente = 0;
int num_pendentes = 0;

conexao_pendente& pendente(int ordem) {
    return pendentes[(primeira_pendente + ordem) % capacidade_de_pendentes];
}

void esvaziar_pendentes() {
    primeira_pendente = 0;
    num_pendentes = 0;
}

void guardar_na_tabela_viva(const campos_da_conexao& c, const char* localidade,
                            const char* mapa_x, const char* mapa_y) {
    bool subiu_o_limite = reservar_linha_volatil();
    liberar_gravacao_banco_voltatil();
    // A full live table keeps the connection off the map, not off the panel.
    if (!add_conexao_a_banco_valatil(c.porta_local, c.ip_remoto, c.porta_remota,
                                     c.nome_processo, localidade, mapa_x, mapa_y))
        desfazer_reserva(subiu_o_limite);
}

// Its own row, just appended: an older open row with the same ports is not it.
void marcar_encerrada_no_painel(const char* hora) {
    auto& linha = banco_painel[num_banco_painel - 1];
    copiar_celula(linha[PAI_ATIVO], "0");
    copiar_celula(linha[PAI_HORA_DESCONEXAO], hora);
}

// Whether the connection reached the panel.
bool listar_conexao(const conexao_pendente& p, const char* nome_dns) {
    const campos_da_conexao& c = p.campos;
    texto_fixo<48> sufixo = extenc_ip(nome_dns);
    local_px = 0;
    local_py = 0;
    texto_fixo<128> localidade = definir_a_localidade(c.ip_remoto, sufixo);
    char mapa_x[48], mapa_y[48];
    formatar_limitado(mapa_x, sizeof mapa_x, "%d", local_px);
    formatar_limitado(mapa_y, sizeof mapa_y, "%d", local_py);

    int semelhante =
        verificar_conexoes_semelhantes_painel(c.ip_remoto, c.porta_remota, c.nome_processo, 0);
    // One that closed while its name was on its way is no longer live.
    if (!p.encerrada) guardar_na_tabela_viva(c, localidade, mapa_x, mapa_y);
    if (semelhante) return false;

    add_banco_painel(p.hora, c.ip_local, c.porta_local, c.ip_remoto, c.porta_remota,
                     c.nome_processo, localidade, nome_dns, p.caminho_exe, p.rodada);
    if (p.encerrada) marcar_encerrada_no_painel(p.hora_do_encerramento);
    diagnostico(p.corrente == 0 ? "PAINEL1:%s:%s %s %s\n" : "PAINEL2:%s:%s %s %s\n",
                c.ip_remoto, c.porta_remota, c.nome_processo, localidade.c_str());
    return true;
}

// Lists the oldest waiting connections whose names are decided; stops at the
// first still waiting, so the order of detection holds. The panel is redrawn
// once for all of them: a hundred names whose window ends together would
// otherwise cost a hundred redraws and hold the next reading.
void listar_prontas() {
    char nome_dns[128];
    bool no_painel = false;
    while (num_pendentes > 0) {
        conexao_pendente& p = pendente(0);
        bool janela_passou = relogio_da_varredura::now() >= p.fim_da_janela;
        if (!nome_decidido(p.campos.ip_remoto, janela_passou, nome_dns, sizeof nome_dns)) break;
        no_painel |= listar_conexao(p, nome_dns);
        primeira_pendente = (primeira_pendente + 1) % capacidade_de_pendentes;
        --num_pendentes;
    }
    if (no_painel) exibir_painel(1);
}

// Lists every waiting connection, each as soon as its name is decided: at most
// one window from now.
void listar_todas_as_pendentes() {
    for (listar_prontas(); num_pendentes > 0; listar_prontas()) plataforma::dormir_ms(2);
}

void registrar_nova_conexao(const campos_da_conexao& c, int corrente) {
    while (num_pendentes == capacidade_de_pendentes) {
        listar_prontas();
        if (num_pendentes == capacidade_de_pendentes) plataforma::dormir_ms(2);
    }
    conexao_pendente& p = pendente(num_pendentes);
    p.campos = c;
    copiar_celula(p.hora, hora_atual(1));
    copiar_celula(p.caminho_exe, getexe(ler_numero(c.pid)));
    p.rodada = rodada;
    p.corrente = corrente;
    p.fim_da_janela = relogio_da_varredura::now() + std::chrono::milliseconds(timeout_dns);
    p.encerrada = false;
    ++num_pendentes;
}

// A close of a connection not yet listed is kept with it, newest first: the
// same key may have closed and opened again while names were on their way.
bool encerrar_pendente(const campos_da_conexao& c) {
    for (int i = num_pendentes - 1; i >= 0; --i) {
        conexao_pendente& p = pendente(i);
        if (p.encerrada || !mesma_chave(p.campos, c)) continue;
        p.encerrada = true;
        copiar_celula(p.hora_do_encerramento, hora_atual(1));
        return true;
    }
    return false;
}

void tratar_conexao_encerrada(const campos_da_conexao& c) {
    apenas_exibir_imagem("bin/A0043.bin", 55, 64);
    if (encerrar_pendente(c)) return;
    liberar_gravacao_banco_voltatil();
    // Only a row actually freed becomes a gap: a key that was never live (a
    // duplicate of one reading, or a connection the full table did not take)
    // must not make the gap count drift.
    if (remove_conexao_de_banco_valatil(c.porta_local, c.ip_remoto, c.porta_remota,
                                        c.nome_processo))
        devolver_linha_volatil();
    informa_desconexao(hora_atual(1), c.porta_local, c.ip_remoto, c.porta_remota,
                       c.nome_processo);
    exibir_painel(1);
}

// ---- Which connections opened and closed --------------------------------------
// Each reading is compared with the previous one by the connection key. Both
// tables are put in key order once and every row is looked up by bisection:
// a few thousand comparisons for two full readings, where a row-by-row
// search would make tens of thousands twenty times a second.

int comparar_chaves(const linha_de_captura& a, const linha_de_captura& b) {
    int c = std::strcmp(a[CAP_IP_REMOTO], b[CAP_IP_REMOTO]);
    if (c == 0) c = std::strcmp(a[CAP_PORTA_REMOTA], b[CAP_PORTA_REMOTA]);
    if (c == 0) c = std::strcmp(a[CAP_PORTA_LOCAL], b[CAP_PORTA_LOCAL]);
    return c;
}

struct tabela_em_ordem {
    tabela_de_captura* linhas = nullptr;
    int num = 0;
    int ordem[linhas_captura] = {};

    void ordenar(tabela_de_captura& tabela, int n) {
        linhas = &tabela;
        num = std::clamp(n, 0, linhas_captura);
        for (int i = 0; i < num; ++i) ordem[i] = i;
        std::sort(ordem, ordem + num, [this](int a, int b) {
            return comparar_chaves((*linhas)[a], (*linhas)[b]) < 0;
        });
    }

    bool tem(const linha_de_captura& linha) const {
        const int* fim = ordem + num;
        const int* achada = std::lower_bound(ordem, fim, 0, [&](int i, int) {
            return comparar_chaves((*linhas)[i], linha) < 0;
        });
        return achada != fim && comparar_chaves((*linhas)[*achada], linha) == 0;
    }
};

struct diferenca_das_leituras {
    bool nova[linhas_captura];       // by row of the current reading
    bool encerrada[linhas_captura];  // by row of the previous one
};

tabela_em_ordem em_ordem;
diferenca_das_leituras diferenca;

void comparar_leituras(const leituras& l) {
    em_ordem.ordenar(l.linhas_anteriores, l.num_anteriores);
    for (int i = 0; i < std::min(l.num_correntes, linhas_captura); ++i)
        diferenca.nova[i] = !em_ordem.tem(l.linhas_correntes[i]);
    em_ordem.ordenar(l.linhas_correntes, l.num_correntes);
    for (int i = 0; i < std::min(l.num_anteriores, linhas_captura); ++i)
        diferenca.encerrada[i] = !em_ordem.tem(l.linhas_anteriores[i]);
}

// The names of every new connection are asked for side by side, before the
// first of them is recorded: each window starts at the reading.
void antecipar_nomes_das_novas(const leituras& l) {
    for (int i = 0; i < std::min(l.num_correntes, linhas_captura); ++i)
        if (diferenca.nova[i]) antecipar_nome(l.linhas_correntes[i][CAP_IP_REMOTO]);
}

void procurar_novas(const leituras& l) {
    antecipar_nomes_das_novas(l);
    int n = 0;
    for (int i = 0; i < std::min(l.num_correntes, linhas_captura); ++i) {
        if (!diferenca.nova[i]) continue;
        ++n;
        mostrar_contador(n, l.num_correntes - l.num_anteriores);
        registrar_nova_conexao(copiar_campos(l.linhas_correntes[i]), l.corrente);
    }
}

void procurar_encerradas(const leituras& l) {
    for (int i = 0; i < std::min(l.num_anteriores, linhas_captura); ++i)
        if (diferenca.encerrada[i]) tratar_conexao_encerrada(copiar_campos(l.linhas_anteriores[i]));
}

// The pause before a reading, cut short by a request to end the program.
// Names that come meanwhile list their connections at once. The pause ends
// `milissegundos` after the previous reading began, so the time a reading
// takes (a burst of new connections) does not lower the rate of readings.
relogio_da_varredura::time_point inicio_da_leitura_anterior;

bool pausa_interrompida(int milissegundos) {
    relogio_da_varredura::time_point agora = relogio_da_varredura::now();
    relogio_da_varredura::time_point fim = agora + std::chrono::milliseconds(milissegundos);
    if (rodada > 0)
        fim = std::min(fim, inicio_da_leitura_anterior + std::chrono::milliseconds(milissegundos));
    for (; agora < fim; agora = relogio_da_varredura::now()) {
        if (plataforma::encerramento_pedido()) return true;
        listar_prontas();
        auto falta = std::chrono::duration_cast<std::chrono::milliseconds>(fim - agora).count();
        SDL_Delay(static_cast<Uint32>(std::clamp<long long>(falta, 1, 10)));
    }
    return plataforma::encerramento_pedido();
}

}  // namespace

void resolver_nome_do_host(const char* ip_remoto, char (&nome_dns)[128]) {
    copiar_celula(ip_a_resolver, ip_remoto);
    nome_dns[0] = '\0';
    copiar_celula(dns_resolvido, "NOID");
    criar_timeout(timeout_dns);
    copiar_nome_dns(nome_dns, sizeof nome_dns, dns_resolvido);
    ip_a_resolver[0] = '\0';
}

resultado_da_varredura fazer_varredura() {
    // A scan starts with nothing waiting from an earlier one.
    if (rodada == 0) esvaziar_pendentes();
    if (plataforma::encerramento_pedido()) return VARREDURA_ENCERRAMENTO;
    SDL_Event evento;
    bool tirou = tirar_evento(&evento) == 1;
    if (pausa_interrompida(delay_netstat)) return VARREDURA_ENCERRAMENTO;
    resultado_da_varredura resultado = evento_da_varredura(tirou, evento);
    if (resultado != VARREDURA_SEGUE) return resultado;

    inicio_da_leitura_anterior = relogio_da_varredura::now();
    leituras l = ler_conexoes();
    comparar_leituras(l);
    procurar_novas(l);
    listar_prontas();
    borrachar_bara(1);
    procurar_encerradas(l);
    borrachar_bara(1);

    chave = l.corrente == 0 ? 1 : 0;
    ++rodada;
    return VARREDURA_SEGUE;
}

int verificar_conexoes_semelhantes_painel(const char* ip_remoto, const char* porta_remota,
                                          const char* nome_processo, int) {
    if (resumo_websites == 0) return 0;
    texto_fixo<128> bloco = retorna_3_digitos_ip(ip_remoto);
    int limite = limite_conexoes_volatil < linhas_captura ? limite_conexoes_volatil : linhas_captura;
    for (int i = 0; i < limite; ++i) {
        auto& linha = banco_volatil[i];
        if (ler_numero(linha[VOL_ATIVO]) != 1) continue;
        if (std::strcmp(retorna_3_digitos_ip(linha[VOL_IP_REMOTO]), bloco) == 0 &&
            std::strcmp(linha[VOL_NOME_PROCESSO], nome_processo) == 0 &&
            std::strcmp(linha[VOL_PORTA_REMOTA], porta_remota) == 0)
            return 1;
    }
    return 0;
}

namespace {

// An IPv6 address's block, as an IPv4 one's is its first three of four parts:
// its first seven of eight groups, written in full so that the compressed
// form of the last group cannot change the text.
bool bloco_ipv6(const char* ip, texto_fixo<128>& bloco) {
    uint8_t b[16];
    if (!plataforma::ler_ipv6(ip, b)) return false;
    formatar_limitado(bloco.s, bloco.largura, "%x:%x:%x:%x:%x:%x:%x", b[0] << 8 | b[1],
                      b[2] << 8 | b[3], b[4] << 8 | b[5], b[6] << 8 | b[7], b[8] << 8 | b[9],
                      b[10] << 8 | b[11], b[12] << 8 | b[13]);
    return true;
}

}  // namespace

texto_fixo<128> retorna_3_digitos_ip(const char* ip) {
    texto_fixo<128> bloco;
    if (bloco_ipv6(ip, bloco)) return bloco;
    int ponto = ultima_posicao_caractere(ip, '.');
    if (ponto > 0) {
        std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(ponto), bloco.largura - 1);
        std::memcpy(bloco.s, ip, n);
        bloco.s[n] = '\0';
    }
    return bloco;
}

int ultima_posicao_caractere(const char* texto, char caractere) {
    const char* ultimo = std::strrchr(texto, caractere);
    return ultimo && caractere != '\0' ? static_cast<int>(ultimo - texto) : -1;
}

void listar_conexoes_pendentes() { listar_todas_as_pendentes(); }

void substituir_leitura(leitura_de_conexoes leitura) {
    leitura_atual = leitura ? leitura : scan_nestat;
}

void observar_contador(observador_do_contador observador) { observador_atual = observador; }
