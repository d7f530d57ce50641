// Processes by id: what the program's user may read of /proc itself, and
// through the helper what only the helper's capabilities let it read (another
// user's executable).
#include <limits.h>

#include "common/text.h"
#include "platform/linux/helper_client.h"
#include "platform/linux/latin1_text.h"
#include "platform/linux/process_identity.h"
#include "platform/platform.h"

namespace plataforma {

identidade_processo identificar_processo(int32_t pid, char* nome, std::size_t largura_nome,
                                         char* caminho, std::size_t largura_caminho) {
    char nome_lido[256];
    char caminho_lido[PATH_MAX];
    proc::identidade_crua id =
        proc::ler_identidade(pid, nome_lido, sizeof nome_lido, caminho_lido, sizeof caminho_lido);
    if (id.recusada)
        ajudante::pedir_identidade(pid, nome_lido, sizeof nome_lido, caminho_lido, sizeof caminho_lido, id);
    if (id.existe) {
        utf8_para_latin1(nome_lido);
        copiar_limitado(nome, largura_nome, nome_lido);
    }
    if (id.tem_caminho) {
        utf8_para_latin1(caminho_lido);
        copiar_fim_limitado(caminho, largura_caminho, caminho_lido);
    }
    return {id.existe, id.tem_caminho};
}

}  // namespace plataforma
