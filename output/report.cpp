#include "output/report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "capture/capture.h"
#include "monitor/panel.h"
#include "monitor/tables.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "common/diagnostics.h"
#include "common/links.h"
#include "common/folders.h"
#include "common/routines.h"
#include "common/text.h"
#include "shell/toolkit.h"

desfecho_do_relatorio desfecho_do_ultimo_relatorio;
char arquivo_log_atual[128] = "";
char data_log_atual[128] = "";
char dirqvxlogs[128] = "";

namespace {

const char* const inicio_do_cabecalho =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n"
    "<html>\n"
    "<head>\n"
    "  <title>Quorvex</title>\n"
    "  <style type=\"text/css\">\n"
    "  h1 {font-size: 20px;}\n"
    "  body {\n"
    "    color: black;\n"
    "\tfont-family: Verdana;\n"
    "\tfont-size: 11px;\n"
    "\tpadding-left: 11em;\n"
    "    background-color: #dcdcdc }\n"
    "\ttable.bordasimples {border-collapse: collapse;}\n"
    "   table.bordasimples tr td {border:1px solid #008B8B;}\n"
    "\ttable.bordasimples_red {border-collapse: collapse;}\n"
    "   table.bordasimples_red tr td {border:1px solid #DC143C;}\n"
    "\ttable.bordasimples_preta {border-collapse: collapse;}\n"
    "   table.bordasimples_preta tr td {border:1px solid #000000;}\n"
    "  </style>\n"
    "</head>\n"
    "<body>\n"
    "<h1>SCAN QUORVEX</h1>\n";

// The report folder and its parents, in the order they are made.
struct pastas_do_relatorio {
    char documentos[256];
    char brellstad[256];
    char logs[256];
    char quorvex[sizeof dirqvxlogs];
};

// Why the report under way was not written, for the home screen to say.
void anotar_motivo(const char* motivo) {
    copiar_celula(desfecho_do_ultimo_relatorio.motivo, motivo);
}

void avisar_usuario(const char* texto_latin1, const char* caminho) {
    char texto[768];
    formatar_limitado(texto, sizeof texto, "%s%s", texto_latin1, caminho ? caminho : "");
    avisar(texto);
}

bool formar_caminho(char* destino, std::size_t largura, const char* base, const char* nome) {
    return std::snprintf(destino, largura, "%s%c%s", base, plataforma::separador, nome) <
           static_cast<int>(largura);
}

// False, with the user told, when there is no documents folder to form the
// paths from.
bool formar_pastas(pastas_do_relatorio& p) {
    if (!plataforma::pasta_documentos(p.documentos, sizeof p.documentos)) {
        diagnostico("Error");
        anotar_motivo("a pasta de documentos n\xe3o foi encontrada");
        avisar_usuario("A pasta de documentos do usu\xe1rio n\xe3o foi encontrada.", nullptr);
        return false;
    }
    bool cabem = formar_caminho(p.brellstad, sizeof p.brellstad, p.documentos, "Brellstad") &&
                 formar_caminho(p.logs, sizeof p.logs, p.brellstad, "LOGS") &&
                 formar_caminho(p.quorvex, sizeof p.quorvex, p.logs, "QUORVEX");
    if (!cabem) p = pastas_do_relatorio{};
    return true;
}

bool entrar_ou_criar(const char* caminho) {
    return caminho[0] != '\0' &&
           (plataforma::mudar_diretorio(caminho) == 0 || plataforma::criar_diretorio(caminho) == 0);
}

// Makes the report folder current, creating it and its parents when missing
// (the documents folder too: a fresh account may not have one yet). On failure
// the user is told and `lembrado` is current again.
bool entrar_na_pasta(const pastas_do_relatorio& p, const char* lembrado) {
    bool pronta = entrar_ou_criar(p.documentos) && entrar_ou_criar(p.brellstad) &&
                  entrar_ou_criar(p.logs) && entrar_ou_criar(p.quorvex) &&
                  plataforma::mudar_diretorio(p.quorvex) == 0;
    if (pronta) return true;
    diagnostico("\n\n ERROR WORK_DIR");
    anotar_motivo("a pasta dos relat\xf3rios n\xe3o p\xf4" "de ser aberta nem criada");
    avisar_usuario("N\xe3o foi poss\xedvel abrir nem criar a pasta dos relat\xf3rios: ",
                   p.quorvex[0] ? p.quorvex : p.logs);
    plataforma::mudar_diretorio(lembrado);
    return false;
}

// The report being written: the whole document goes into a temporary file
// that takes the report's place only once complete, so the report folder never
// holds an empty or cut document.
plataforma::gravacao_de_arquivo relatorio_em_preparo;
char caminho_em_preparo[256] = "";

void avisar_relatorio_nao_gravado(int erro) {
    char motivo[256];
    plataforma::texto_do_erro(erro, motivo, sizeof motivo);
    anotar_motivo(motivo);
    char texto[640];
    formatar_limitado(texto, sizeof texto, "N\xe3o foi poss\xedvel gravar o relat\xf3rio %s: %s",
                      caminho_em_preparo, motivo);
    diagnostico("Problemas na grava\xe7\xe3o do arquivo\n");
    avisar(texto);
}

// A report's file name as data_atual_arquivo forms it: digits and "_", then ".html".
bool nome_de_relatorio(const char* nome) {
    std::size_t n = std::strlen(nome);
    if (n <= 5 || std::strcmp(nome + n - 5, ".html") != 0) return false;
    for (std::size_t i = 0; i + 5 < n; ++i) {
        if (nome[i] != '_' && (nome[i] < '0' || nome[i] > '9')) return false;
    }
    return true;
}

// What a write cut short by a kill left (the program had no chance to remove
// it); a report being written by another run is younger than this.
constexpr unsigned idade_de_temporario_abandonado_s = 60;

bool iniciar_relatorio(const char* arquivo) {
    plataforma::apagar_temporarios_abandonados(dirqvxlogs, nome_de_relatorio,
                                               idade_de_temporario_abandonado_s);
    if (!formar_caminho(caminho_em_preparo, sizeof caminho_em_preparo, dirqvxlogs, arquivo)) {
        copiar_celula(caminho_em_preparo, arquivo);
        avisar_relatorio_nao_gravado(ENAMETOOLONG);
        return false;
    }
    // A second scan in the same second adds its document after the first.
    if (plataforma::iniciar_gravacao(relatorio_em_preparo, caminho_em_preparo,
                                     plataforma::modo_de_gravacao::anexar))
        return true;
    diagnostico("Problemas na abertura do arquivo\n");
    avisar_relatorio_nao_gravado(relatorio_em_preparo.erro);
    return false;
}

void escrever(const char* texto) { plataforma::gravar_texto(relatorio_em_preparo, texto); }

// Field values come from other programs and from DNS: nothing in them may
// become markup in the page.
void escrever_valor(const char* valor) {
    char escapado[8];
    for (const char* c = valor; *c; ++c) {
        switch (*c) {
            case '&': escrever("&amp;"); break;
            case '<': escrever("&lt;"); break;
            case '>': escrever("&gt;"); break;
            case '"': escrever("&quot;"); break;
            default:
                escapado[0] = *c;
                escapado[1] = '\0';
                escrever(escapado);
        }
    }
}

void escrever_cabecalho(const char* data) {
    bool algum = exibir_filtro == 1 || exibir_http == 0 || exibir_https == 0 ||
                 exibir_localhost == 0 || exibir_lan_192 == 0 || exibir_lan_10 == 0;
    char bloqueios[512];
    formatar_limitado(bloqueios, sizeof bloqueios, "Bloqueios:%s %s %s %s %s %s %s<br>\n",
                      exibir_filtro == 1 ? "(Conexoes Resumidas) &nbsp;&nbsp;" : "",
                      exibir_http == 0 ? "HTTP &nbsp;&nbsp;" : "",
                      exibir_https == 0 ? "HTTPS &nbsp;&nbsp;" : "",
                      exibir_localhost == 0 ? "LOCALHOST &nbsp;&nbsp;" : "",
                      exibir_lan_192 == 0 ? "REDE LOCAL 192.168.x.x &nbsp;&nbsp;" : "",
                      exibir_lan_10 == 0 ? "REDE LOCAL 10.x.x.x &nbsp;&nbsp;" : "",
                      algum ? "" : "Nenhum");
    escrever(inicio_do_cabecalho);
    escrever(bloqueios);
    escrever(data);
    escrever("<br><br>\n");
    escrever("\n");
}

const char* classe_da_tabela(const char* ip_remoto, const char* porta_remota) {
    if (endereco_local(ip_remoto)) return "bordasimples_preta";
    int porta = ler_numero(porta_remota);
    return porta == 80 || porta == 443 ? "bordasimples" : "bordasimples_red";
}

void escrever_bloco(const char* hora_conexao, const char* ip_local,
                    const char* porta_local, const char* ip_remoto, const char* porta_remota,
                    const char* nome_processo, const char* nome_dns, const char* caminho_exe,
                    const char* hora_desconexao, int nova_conexao, int ativo) {
    escrever("<br><br><table width=\"700px\" class=\"");
    escrever(classe_da_tabela(ip_remoto, porta_remota));
    escrever("\"> \n<tr> \n<td colspan=\"1\" style=\"width: 110px;\">");
    escrever(nova_conexao > 0 ? "Nova conex&atilde;o" : "Conex&atilde;o:");
    escrever("        </td>    <td colspan=\"3\" style=\"width: 40px;\">");
    escrever_valor(hora_conexao);
    escrever("</td>    <td colspan=\"3\" >");
    escrever_valor(nome_dns);
    escrever("</td></tr><tr> <td colspan=\"3\" >Local ");
    escrever_valor(ip_local);
    escrever(" : ");
    escrever_valor(porta_local);
    escrever("</td>       <td colspan=\"4\" >Remoto ");
    escrever_valor(ip_remoto);
    escrever(" : ");
    escrever_valor(porta_remota);
    escrever("</td></tr><tr>     <td colspan=\"1\">");
    escrever_valor(nome_processo);
    escrever("</td>    <td colspan=\"6\">");
    escrever_valor(caminho_exe);
    escrever("</td></tr>");
    if (ativo == 0) {
        escrever("<tr> \n<td colspan=\"1\" >Desconectou:    <td>");
        escrever_valor(hora_desconexao);
        escrever("</td>\n</td></tr>");
    }
    escrever("</table>\n");
}

void mostrar_aviso_de_geracao() {
    TravaDaTela trava;
    desenha_texto_cores("Gerando arquivo de log, aguarde...", "fontes/Fonte_01.ttf", 12, screen,
                        55, 65, 10, 10, 10);
    apresentar_tela();
}

void abrir_relatorio() {
    char caminho[256];
    if (formar_caminho(caminho, sizeof caminho, dirqvxlogs, arquivo_log_atual))
        abrir_para_o_usuario(caminho, dirqvxlogs, "o relat\xf3rio");
}

bool escrever_relatorio() {
    mostrar_aviso_de_geracao();
    desfecho_do_ultimo_relatorio = desfecho_do_relatorio{};
    bool gravado = iniciar_arquivo_de_log(arquivo_log_atual, data_log_atual) == 1;
    if (gravado) {
        add_arquivo_log(arquivo_log_atual);
        gravado = finalizar_log(arquivo_log_atual) == 1;
    }
    desfecho_do_ultimo_relatorio.houve = true;
    desfecho_do_ultimo_relatorio.gravado = gravado;
    copiar_celula(desfecho_do_ultimo_relatorio.arquivo, arquivo_log_atual);
    copiar_celula(desfecho_do_ultimo_relatorio.pasta, dirqvxlogs);
    plataforma::mudar_diretorio(diratu2);
    borrachar_bara(1);
    return gravado;
}

}  // namespace

void fabricar_log(int) {
    // A report that could not be written whole is not opened.
    if (escrever_relatorio() && exibir_log == 1) abrir_relatorio();
    plataforma::mudar_diretorio(diratu2);
}

void fabricar_log_antes_de_encerrar() { escrever_relatorio(); }

int iniciar_arquivo_de_log(const char* arquivo, const char* data) {
    plataforma::desistir_da_gravacao(relatorio_em_preparo);
    dirqvxlogs[0] = '\0';
    pastas_do_relatorio p{};
    if (!formar_pastas(p)) return 0;
    char lembrado[256] = "";
    plataforma::diretorio_atual(lembrado, sizeof lembrado);
    if (!entrar_na_pasta(p, lembrado)) return 0;
    copiar_celula(dirqvxlogs, p.quorvex);
    plataforma::mudar_diretorio(lembrado);
    if (!iniciar_relatorio(arquivo)) return 0;
    cabecalho_log(arquivo, data);
    return 1;
}

void cabecalho_log(const char*, const char* data) { escrever_cabecalho(data); }

void add_arquivo_log(const char* arquivo) {
    apenas_exibir_imagem("bin/A0035.bin", 400, 100);
    for (int i = num_banco_painel - 1; i >= 0; --i) {
        auto& linha = banco_painel[i];
        adciona_log_nova_conexao(arquivo, linha[PAI_HORA_CONEXAO], linha[PAI_IP_LOCAL],
                                 linha[PAI_PORTA_LOCAL], linha[PAI_IP_REMOTO],
                                 linha[PAI_PORTA_REMOTA], linha[PAI_NOME_PROCESSO],
                                 linha[PAI_LOCALIDADE], linha[PAI_NOME_DNS],
                                 linha[PAI_CAMINHO_EXE], linha[PAI_HORA_DESCONEXAO],
                                 ler_numero(linha[PAI_NOVA_CONEXAO]), ler_numero(linha[PAI_ATIVO]));
    }
}

void adciona_log_nova_conexao(const char*, const char* hora_conexao, const char* ip_local,
                              const char* porta_local, const char* ip_remoto,
                              const char* porta_remota, const char* nome_processo, const char*,
                              const char* nome_dns, const char* caminho_exe,
                              const char* hora_desconexao, int nova_conexao, int ativo) {
    escrever_bloco(hora_conexao, ip_local, porta_local, ip_remoto, porta_remota, nome_processo,
                   nome_dns, caminho_exe, hora_desconexao, nova_conexao, ativo);
}

int finalizar_log(const char*) {
    escrever("<br><br> Deseja aprender mais sobre a seguran&ccedil;a em seu computador?<br>\n");
    escrever("Participe de nosso curso online, <a href=\"");
    escrever(loc_curso_log);
    escrever("\">clique aqui</a>\n");
    escrever("e saiba mais.\n");
    escrever("</body>\n");
    escrever("</html>\n");
    if (plataforma::concluir_gravacao(relatorio_em_preparo)) return 1;
    avisar_relatorio_nao_gravado(relatorio_em_preparo.erro);
    return 0;
}

int vizualizar_log(int) {
    pastas_do_relatorio p{};
    if (!formar_pastas(p)) return 0;
    char lembrado[256] = "";
    plataforma::diretorio_atual(lembrado, sizeof lembrado);
    if (!entrar_na_pasta(p, lembrado)) return 0;
    plataforma::mudar_diretorio(p.logs);
    abrir_para_o_usuario(p.quorvex, p.logs, "a pasta dos relat\xf3rios");
    plataforma::mudar_diretorio(lembrado);
    return 1;
}
