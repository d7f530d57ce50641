// Folders on Windows: the shell's folders, the process's current directory and
// the C runtime's directory calls, all in the ANSI code page.
#include <winsock2.h>
#include <windows.h>
#include <direct.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace plataforma {

extern const char separador = '\\';
namespace {

bool copiar_se_couber(const char* caminho, char* destino, std::size_t largura) {
    std::size_t tamanho = std::strlen(caminho);
    if (tamanho == 0 || tamanho >= largura) return false;
    std::memcpy(destino, caminho, tamanho + 1);
    return true;
}

}  // namespace

bool diretorio_atual(char* destino, std::size_t largura) {
    if (largura == 0) return false;
    // The limit keeps the returned length within a DWORD; a longer result
    // (the size the path would need) means it did not fit.
    DWORD limite = largura > 32768 ? 32768 : static_cast<DWORD>(largura);
    DWORD tamanho = GetCurrentDirectoryA(limite, destino);
    return tamanho != 0 && tamanho < limite;
}

bool pasta_dados_locais(char* destino, std::size_t largura) {
    char caminho[MAX_PATH];
    HRESULT resultado =
        SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, caminho);
    return SUCCEEDED(resultado) && copiar_se_couber(caminho, destino, largura);
}

bool pasta_documentos(char* destino, std::size_t largura) {
    char caminho[MAX_PATH];
    return SHGetSpecialFolderPathA(nullptr, caminho, CSIDL_PERSONAL, FALSE) &&
           copiar_se_couber(caminho, destino, largura);
}

int mudar_diretorio(const char* caminho) { return _chdir(caminho) == 0 ? 0 : -1; }

int criar_diretorio(const char* caminho) { return _mkdir(caminho) == 0 ? 0 : -1; }

void caminho_para_exibir(const char* caminho, char* destino, std::size_t largura) {
    if (largura > 0) std::snprintf(destino, largura, "%s", caminho);
}

}  // namespace plataforma
