// Small routines of the start-up that the rest of the program calls: the fatal
// message, the orderly exit, the detached launcher, the existence test and the
// file copier.
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "shell/diagnostico.h"
#include "shell/startup.h"
#include "shell/toolkit.h"

void encerrar_processo() {
    // The screen lock is taken and never released: the other drawing thread
    // stops at its next SDL call instead of running into SDL while it shuts down.
    new TravaDaTela;
    std::fflush(stdout);
    std::exit(1);
}

void mensagem(const char* texto) {
    char texto_saida[1024];
    latin1_para_saida(texto, texto_saida, sizeof texto_saida);
    plataforma::mostrar_mensagem("Quorvex", texto_saida);
    encerrar_processo();
}

int exec_(const char* const argumentos[]) { return plataforma::lancar_programa(argumentos, nullptr); }

int file_exists(const char* caminho) {
    std::FILE* arquivo = std::fopen(caminho, "rb");
    if (arquivo == nullptr) return 0;
    // A directory opens on Linux but cannot be read: it counts as missing.
    char byte;
    bool legivel = std::fread(&byte, 1, 1, arquivo) == 1 || std::feof(arquivo);
    std::fclose(arquivo);
    return legivel ? 1 : 0;
}

int copiar_arquivo(const char* origem, const char* destino) {
    std::FILE* entrada = std::fopen(origem, "rb");
    if (entrada == nullptr) {
        diagnostico("\nErro ao abrir o arquivo original.\n\n");
        std::exit(1);
    }
    std::FILE* saida = std::fopen(destino, "wb");
    if (saida == nullptr) {
        std::fclose(entrada);
        diagnostico("\nErro ao abrir o arquivo c\xf3pia.\n\n");
        std::exit(1);
    }
    char bloco[4096];
    std::size_t lidos;
    while ((lidos = std::fread(bloco, 1, sizeof bloco, entrada)) > 0) {
        std::fwrite(bloco, 1, lidos, saida);
    }
    std::fclose(entrada);
    if (std::fclose(saida) != 0) {
        diagnostico("\nErro ao abrir o arquivo c\xf3pia.\n\n");
        std::exit(1);
    }
    return 0;
}
