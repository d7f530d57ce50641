#include "output/report.h"

#include <cstdio>
#include <cstring>

#include "monitor/panel.h"
#include "monitor/tables.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "shell/diagnostico.h"
#include "shell/links.h"
#include "shell/startup.h"
#include "common/texto.h"
#include "shell/toolkit.h"

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

void avisar_usuario(const char* texto_latin1, const char* caminho) {
    char texto[768];
    latin1_para_saida(texto_latin1, texto, sizeof texto);
    std::size_t usado = std::strlen(texto);
    if (caminho) copiar_limitado(texto + usado, sizeof texto - usado, caminho);
    plataforma::mostrar_mensagem("Quorvex", texto);
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
    avisar_usuario("N\xe3o foi poss\xedvel abrir nem criar a pasta dos relat\xf3rios: ",
                   p.quorvex[0] ? p.quorvex : p.logs);
    plataforma::mudar_diretorio(lembrado);
    return false;
}

std::FILE* abrir_para_anexar(const char* arquivo) {
    std::FILE* f = std::fopen(arquivo, "ab");
    if (f == nullptr) diagnostico("Problemas na abertura do arquivo\n");
    return f;
}

bool fechar(std::FILE* f) {
    bool gravado = !std::ferror(f);
    if (std::fclose(f) != 0) gravado = false;
    if (!gravado) diagnostico("Problemas na grava\xe7\xe3o do arquivo\n");
    return gravado;
}

// Field values come from other programs and from DNS: nothing in them may
// become markup in the page.
void escrever_valor(std::FILE* f, const char* valor) {
    for (const char* c = valor; *c; ++c) {
        switch (*c) {
            case '&': std::fputs("&amp;", f); break;
            case '<': std::fputs("&lt;", f); break;
            case '>': std::fputs("&gt;", f); break;
            case '"': std::fputs("&quot;", f); break;
            default: std::fputc(*c, f);
        }
    }
}

bool escrever_cabecalho(const char* arquivo, const char* data) {
    std::FILE* f = abrir_para_anexar(arquivo);
    if (f == nullptr) return false;
    bool algum = exibir_filtro == 1 || exibir_http == 0 || exibir_https == 0 ||
                 exibir_localhost == 0 || exibir_lan_192 == 0 || exibir_lan_10 == 0;
    std::fputs(inicio_do_cabecalho, f);
    std::fprintf(f, "Bloqueios:%s %s %s %s %s %s %s<br>\n",
                 exibir_filtro == 1 ? "(Conexoes Resumidas) &nbsp;&nbsp;" : "",
                 exibir_http == 0 ? "HTTP &nbsp;&nbsp;" : "",
                 exibir_https == 0 ? "HTTPS &nbsp;&nbsp;" : "",
                 exibir_localhost == 0 ? "LOCALHOST &nbsp;&nbsp;" : "",
                 exibir_lan_192 == 0 ? "REDE LOCAL 192.168.x.x &nbsp;&nbsp;" : "",
                 exibir_lan_10 == 0 ? "REDE LOCAL 10.x.x.x &nbsp;&nbsp;" : "",
                 algum ? "" : "Nenhum");
    std::fputs(data, f);
    std::fputs("<br><br>\n", f);
    std::fputs("\n", f);
    return fechar(f);
}

bool endereco_local(const char* ip) {
    return std::strcmp(ip, "127.0.0.1") == 0 || std::strncmp(ip, "10.", 3) == 0 ||
           std::strncmp(ip, "192.168", 7) == 0;
}

const char* classe_da_tabela(const char* ip_remoto, const char* porta_remota) {
    if (endereco_local(ip_remoto)) return "bordasimples_preta";
    int porta = ler_numero(porta_remota);
    return porta == 80 || porta == 443 ? "bordasimples" : "bordasimples_red";
}

void escrever_bloco(std::FILE* f, const char* hora_conexao, const char* ip_local,
                    const char* porta_local, const char* ip_remoto, const char* porta_remota,
                    const char* nome_processo, const char* nome_dns, const char* caminho_exe,
                    const char* hora_desconexao, int nova_conexao, int ativo) {
    std::fputs("<br><br><table width=\"700px\" class=\"", f);
    std::fputs(classe_da_tabela(ip_remoto, porta_remota), f);
    std::fputs("\"> \n<tr> \n<td colspan=\"1\" style=\"width: 110px;\">", f);
    std::fputs(nova_conexao > 0 ? "Nova conex&atilde;o" : "Conex&atilde;o:", f);
    std::fputs("        </td>    <td colspan=\"3\" style=\"width: 40px;\">", f);
    escrever_valor(f, hora_conexao);
    std::fputs("</td>    <td colspan=\"3\" >", f);
    escrever_valor(f, nome_dns);
    std::fputs("</td></tr><tr> <td colspan=\"3\" >Local ", f);
    escrever_valor(f, ip_local);
    std::fputs(" : ", f);
    escrever_valor(f, porta_local);
    std::fputs("</td>       <td colspan=\"4\" >Remoto ", f);
    escrever_valor(f, ip_remoto);
    std::fputs(" : ", f);
    escrever_valor(f, porta_remota);
    std::fputs("</td></tr><tr>     <td colspan=\"1\">", f);
    escrever_valor(f, nome_processo);
    std::fputs("</td>    <td colspan=\"6\">", f);
    escrever_valor(f, caminho_exe);
    std::fputs("</td></tr>", f);
    if (ativo == 0) {
        std::fputs("<tr> \n<td colspan=\"1\" >Desconectou:    <td>", f);
        escrever_valor(f, hora_desconexao);
        std::fputs("</td>\n</td></tr>", f);
    }
    std::fputs("</table>\n", f);
}

// Blocks and footer go into the report folder only: with the folder gone they
// are not written at all, rather than into a stray file elsewhere.
std::FILE* abrir_na_pasta_do_relatorio(const char* arquivo) {
    if (dirqvxlogs[0] == '\0' || plataforma::mudar_diretorio(dirqvxlogs) != 0) return nullptr;
    std::FILE* f = abrir_para_anexar(arquivo);
    if (f == nullptr) plataforma::mudar_diretorio(diratu2);
    return f;
}

void fechar_na_pasta_do_relatorio(std::FILE* f) {
    fechar(f);
    plataforma::mudar_diretorio(diratu2);
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
        plataforma::abrir_com_programa_padrao(caminho, dirqvxlogs);
}

}  // namespace

void fabricar_log(int) {
    mostrar_aviso_de_geracao();
    bool iniciado = iniciar_arquivo_de_log(arquivo_log_atual, data_log_atual) == 1;
    if (iniciado) {
        add_arquivo_log(arquivo_log_atual);
        finalizar_log(arquivo_log_atual);
    }
    plataforma::mudar_diretorio(diratu2);
    borrachar_bara(1);
    if (iniciado && exibir_log == 1) abrir_relatorio();
    plataforma::mudar_diretorio(diratu2);
}

int iniciar_arquivo_de_log(const char* arquivo, const char* data) {
    dirqvxlogs[0] = '\0';
    pastas_do_relatorio p{};
    if (!formar_pastas(p)) return 0;
    char lembrado[256] = "";
    plataforma::diretorio_atual(lembrado, sizeof lembrado);
    if (!entrar_na_pasta(p, lembrado)) return 0;
    copiar_celula(dirqvxlogs, p.quorvex);
    bool escrito = escrever_cabecalho(arquivo, data);
    plataforma::mudar_diretorio(lembrado);
    if (!escrito) dirqvxlogs[0] = '\0';
    return escrito ? 1 : 0;
}

void cabecalho_log(const char* arquivo, const char* data) { escrever_cabecalho(arquivo, data); }

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

void adciona_log_nova_conexao(const char* arquivo, const char* hora_conexao,
                              const char* ip_local, const char* porta_local,
                              const char* ip_remoto, const char* porta_remota,
                              const char* nome_processo, const char*, const char* nome_dns,
                              const char* caminho_exe, const char* hora_desconexao,
                              int nova_conexao, int ativo) {
    std::FILE* f = abrir_na_pasta_do_relatorio(arquivo);
    if (f == nullptr) return;
    escrever_bloco(f, hora_conexao, ip_local, porta_local, ip_remoto, porta_remota, nome_processo,
                   nome_dns, caminho_exe, hora_desconexao, nova_conexao, ativo);
    fechar_na_pasta_do_relatorio(f);
}

void finalizar_log(const char* arquivo) {
    std::FILE* f = abrir_na_pasta_do_relatorio(arquivo);
    if (f == nullptr) return;
    std::fputs("<br><br> Deseja aprender mais sobre a seguran&ccedil;a em seu computador?<br>\n", f);
    std::fputs("Participe de nosso curso online, <a href=\"", f);
    std::fputs(loc_curso_log, f);
    std::fputs("\">clique aqui</a>\n", f);
    std::fputs("e saiba mais.\n", f);
    std::fputs("</body>\n", f);
    std::fputs("</html>\n", f);
    fechar_na_pasta_do_relatorio(f);
}

int vizualizar_log(int) {
    pastas_do_relatorio p{};
    if (!formar_pastas(p)) return 0;
    char lembrado[256] = "";
    plataforma::diretorio_atual(lembrado, sizeof lembrado);
    if (!entrar_na_pasta(p, lembrado)) return 0;
    plataforma::mudar_diretorio(p.logs);
    plataforma::abrir_com_programa_padrao(p.quorvex, p.logs);
    plataforma::mudar_diretorio(lembrado);
    return 1;
}
