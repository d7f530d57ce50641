#include "shell/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/diagnostics.h"

namespace {

// Latin-1, as every text of the program; written as the output expects it.
const char* const uso =
    "Usage: quorvex [--help | --version]\n"
    "Watches this computer's TCP connections during a scan: each one named by its\n"
    "process, placed on a world map, listed on a panel and written to an HTML report.\n"
    "Quorvex opens one window; it starts from its run folder (./quorvex there), or\n"
    "from anywhere as quorvex once installed.\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Uso: quorvex [--help | --version]\n"
    "Observa as conex\xf5" "es TCP deste computador durante um scan: cada uma com o seu\n"
    "processo, no mapa-m\xfa" "ndi, no painel e num relat\xf3rio HTML.\n"
    "O Quorvex abre uma janela; inicie-o na sua pasta de execu\xe7\xe3o (./quorvex), ou de\n"
    "qualquer pasta com quorvex depois de instalado.\n"
    "  -h, --help     mostra esta ajuda e sai\n"
    "      --version  mostra a vers\xe3o e sai\n";

void escrever(std::FILE* saida, const char* texto_latin1) {
    char texto[2048];
    latin1_para_saida(texto_latin1, texto, sizeof texto);
    std::fputs(texto, saida);
    std::fflush(saida);
}

}  // namespace

void tratar_linha_de_comando(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            escrever(stdout, uso);
            std::exit(0);
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            escrever(stdout, "Quorvex " QUORVEX_VERSAO "\n");
            std::exit(0);
        }
    }
    if (argc <= 1) return;
    // The option as the system gave it, between the program's own words.
    escrever(stderr, "quorvex: unknown option '");
    std::fputs(argv[1], stderr);
    escrever(stderr, "' (op\xe7\xe3o desconhecida); see quorvex --help\n");
    std::exit(2);
}
