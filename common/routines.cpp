#include "common/routines.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/diagnostics.h"
#include "common/screen_lock.h"
#include "common/text.h"
#include "platform/platform.h"

void encerrar_processo() {
    // The screen lock is taken and never released: the other drawing thread
    // stops at its next SDL call instead of running into SDL while it shuts down.
    new TravaDaTela;
    std::fflush(stdout);
    std::exit(1);
}

void avisar(const char* texto, const char* complemento) {
    char texto_saida[1024];
    latin1_para_saida(texto, texto_saida, sizeof texto_saida);
    if (complemento) {
        std::size_t usado = std::strlen(texto_saida);
        copiar_limitado(texto_saida + usado, sizeof texto_saida - usado, complemento);
    }
    plataforma::mostrar_mensagem("Quorvex", texto_saida);
}

void mensagem(const char* texto) {
    avisar(texto);
    encerrar_processo();
}

int exec_(const char* const argumentos[]) { return plataforma::lancar_programa(argumentos, nullptr); }

namespace {

// Runs on the caller's thread, or on the platform's thread that watched the
// handler: the message waits for its OK there, not in the window's loop.
void avisar_falha_ao_abrir(const plataforma::falha_ao_abrir& falha) {
    char porque[320];
    if (falha.erro != 0) {
        char motivo[256];
        plataforma::texto_do_erro(falha.erro, motivo, sizeof motivo);
        formatar_limitado(porque, sizeof porque, "%s n\xe3o p\xf4" "de ser iniciado (%s)",
                          falha.programa, motivo);
    } else {
        formatar_limitado(porque, sizeof porque, "%s terminou com o erro %d", falha.programa,
                          falha.status);
    }
    char texto[1024];
    formatar_limitado(texto, sizeof texto, "N\xe3o foi poss\xedvel abrir %s: %s", falha.contexto,
                      porque);
    avisar(texto);
}

}  // namespace

int abrir_para_o_usuario(const char* alvo, const char* pasta, const char* o_que) {
    return plataforma::abrir_com_programa_padrao(alvo, pasta, avisar_falha_ao_abrir, o_que);
}

int abrir_terminal_para_o_usuario(const char* pasta) {
    return plataforma::abrir_terminal(pasta, avisar_falha_ao_abrir, "o terminal");
}

// Only a regular file counts: a directory, FIFO or device where a file should
// be counts as missing, and is never waited on.
int file_exists(const char* caminho) {
    std::FILE* arquivo = plataforma::abrir_arquivo_regular(caminho);
    if (arquivo == nullptr) return 0;
    std::fclose(arquivo);
    return 1;
}

// The copy is written whole or not at all (a temporary file renamed into
// place), and never over anything already at the destination: a failed copy
// leaves no file behind for later starts to take as the settings.
int copiar_arquivo(const char* origem, const char* destino) {
    std::FILE* entrada = plataforma::abrir_arquivo_regular(origem);
    if (entrada == nullptr) {
        diagnostico("\nErro ao abrir o arquivo original.\n\n");
        std::exit(1);
    }
    plataforma::gravacao_de_arquivo saida;
    if (!plataforma::iniciar_gravacao(saida, destino, plataforma::modo_de_gravacao::criar)) {
        std::fclose(entrada);
        diagnostico("\nErro ao abrir o arquivo c\xf3pia.\n\n");
        std::exit(1);
    }
    char bloco[4096];
    std::size_t lidos;
    while ((lidos = std::fread(bloco, 1, sizeof bloco, entrada)) > 0 &&
           plataforma::gravar(saida, bloco, lidos)) {
    }
    bool lido = !std::ferror(entrada);
    std::fclose(entrada);
    if (!lido) {
        plataforma::desistir_da_gravacao(saida);
        diagnostico("\nErro ao abrir o arquivo original.\n\n");
        std::exit(1);
    }
    if (!plataforma::concluir_gravacao(saida)) {
        diagnostico("\nErro ao abrir o arquivo c\xf3pia.\n\n");
        std::exit(1);
    }
    return 0;
}
