#include "support/platform_services.h"

namespace plataforma {

bool nome_do_processo(int32_t pid, char* destino, std::size_t largura) {
    char caminho[1024];
    return identificar_processo(pid, destino, largura, caminho, sizeof caminho).existe;
}

bool caminho_do_executavel(int32_t pid, char* destino, std::size_t largura) {
    char nome[260];
    return identificar_processo(pid, nome, sizeof nome, destino, largura).tem_caminho;
}

}  // namespace plataforma
