#include "shell/startup.h"

#include <SDL/SDL_image.h>

#include <cstdio>
#include <cstring>

#include "common/diagnostics.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "shell/command_line.h"
#include "shell/navigation.h"
#include "common/text.h"
#include "shell/toolkit.h"
#include "shell/window_icon.h"

SDL_Surface* screen = nullptr;

namespace {

// A path that does not fit its field is refused rather than cut: a cut path
// would name another folder.
void formar_caminho(char* destino, std::size_t largura, const char* pasta, const char* nome) {
    int tamanho = std::snprintf(destino, largura, "%s%c%s", pasta, plataforma::separador, nome);
    if (tamanho < 0 || static_cast<std::size_t>(tamanho) >= largura) {
        mensagem("Caminho longo demais para a pasta de dados do usu\xe1rio");
    }
}

void fixar_diretorios() {
    if (!plataforma::diretorio_atual(diratu2, 256)) {
        // A start folder that fits a larger field is too long; one that fits
        // none cannot be read at all (deleted, or no permission on a parent).
        char maior[4096];
        if (plataforma::diretorio_atual(maior, sizeof maior))
            mensagem("Caminho longo demais para o diret\xf3rio inicial (limite de 255 caracteres)");
        mensagem("O diret\xf3rio inicial n\xe3o p\xf4" "de ser lido (apagado ou sem permiss\xe3o)");
    }
    copiar_celula(diratu, diratu2);
    if (!plataforma::pasta_dados_locais(dirdadoapli, sizeof dirdadoapli)) {
        mensagem("Erro LOCAL_APPDATA");
    }
    formar_caminho(dirlocapli, sizeof dirlocapli, dirdadoapli, "Quorvex");
    if (plataforma::mudar_diretorio(dirlocapli) != 0 &&
        plataforma::criar_diretorio(dirlocapli) != 0) {
        mensagem("ERRO LOCAL APP DATA");
    }
    formar_caminho(file_xml, sizeof file_xml, dirlocapli, "config.xml");
    plataforma::mudar_diretorio(diratu2);
}

void instalar_configuracao_padrao() {
    if (!file_exists(file_xml)) copiar_arquivo(file_xml_padrao, file_xml);
}

// A missing image or font mostly means the program was started from another
// folder: standard error says where it looked and how to start it.
[[noreturn]] void recusar_arquivo_ausente(const char* caminho) {
    char antes[256], depois[512];
    formatar_limitado(antes, sizeof antes, "O Quorvex procurou %s em ", caminho);
    latin1_para_saida(
        " (a pasta onde foi iniciado). Inicie o Quorvex na sua pasta de execu\xe7\xe3o "
        "(cd build && ./quorvex), ou com o comando quorvex depois de instalado.\n",
        depois, sizeof depois);
    std::fflush(stdout);
    // The folder as the system names it, between the program's own words.
    std::fputs(antes, stderr);
    std::fputs(diratu2, stderr);
    std::fputs(depois, stderr);
    char texto[128];
    formatar_limitado(texto, sizeof texto, " Arquivo  %s  Inexistente", caminho);
    mensagem(texto);
}

void verificar_arquivos() {
    char caminho[64];
    for (int i = 1; i <= 46; ++i) {
        formatar_limitado(caminho, sizeof caminho, "bin/A00%s%d.bin", i <= 9 ? "0" : "", i);
        if (!file_exists(caminho)) recusar_arquivo_ausente(caminho);
    }
    for (int i = 1; i <= 4; ++i) {
        formatar_limitado(caminho, sizeof caminho, "fontes/Fonte_%02d.ttf", i);
        if (!file_exists(caminho)) recusar_arquivo_ausente(caminho);
    }
}

void abrir_janela() {
    if (!plataforma::escolher_tela()) {
        char texto[512];
        formatar_limitado(texto, sizeof texto, "O Quorvex precisa de uma tela. %s",
                          plataforma::como_obter_tela());
        mensagem(texto);
    }
    // The video subsystem comes up before the window so the icon can be set:
    // SDL 1.2 takes a window's icon only before the window opens.
    TravaDaTela trava;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) definir_icone_da_janela();
    screen = SDL_SetVideoMode(800, 500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (screen == nullptr) {
        char texto[512];
        formatar_limitado(texto, sizeof texto, "Erro ao abrir a janela: %s", SDL_GetError());
        mensagem(texto);
    }
    SDL_WM_SetCaption("Quorvex", nullptr);
    anunciar_icone_na_janela_aberta();
}

void mostrar_abertura() {
    TravaDaTela trava;
    SDL_Surface* abertura = IMG_Load("bin/A0040.bin");
    if (abertura == nullptr) mensagem("Erro ao carregar a imagem bin/A0040.bin");
    SDL_Rect posicao{0, 0, 0, 0};
    SDL_BlitSurface(abertura, nullptr, screen, &posicao);
    SDL_FreeSurface(abertura);
    apresentar_tela();
}

}  // namespace

int SDL_main(int argc, char** argv) {
    tratar_linha_de_comando(argc, argv);
    plataforma::preparar_pedidos_de_encerramento();
    fixar_diretorios();
    instalar_configuracao_padrao();
    verificar_arquivos();
    if (carregar_xml(file_xml) != 1) mensagem("Erro ao carregar xml");
    abrir_janela();
    mostrar_abertura();
    executar_telas();
}
