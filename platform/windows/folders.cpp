// Folders on Windows: the shell's folders, the process's current directory,
// changing and creating directories, all through the wide calls so that any
// user's and any folder's name works; paths in UTF-8 on this side.
#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "platform/windows/wide_text.h"

namespace plataforma {

extern const char separador = '\\';

using largo::caminho_do_largo;
using largo::caminho_largo;
using largo::largura_de_caminho;

bool diretorio_atual(char* destino, std::size_t largura) {
    wchar_t caminho[largura_de_caminho];
    DWORD tamanho = GetCurrentDirectoryW(largura_de_caminho, caminho);
    return tamanho != 0 && tamanho < largura_de_caminho && caminho_do_largo(caminho, destino, largura);
}

bool pasta_dados_locais(char* destino, std::size_t largura) {
    wchar_t caminho[MAX_PATH];
    HRESULT resultado =
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, caminho);
    return SUCCEEDED(resultado) && caminho[0] != L'\0' && caminho_do_largo(caminho, destino, largura);
}

bool pasta_documentos(char* destino, std::size_t largura) {
    wchar_t caminho[MAX_PATH];
    return SHGetSpecialFolderPathW(nullptr, caminho, CSIDL_PERSONAL, FALSE) && caminho[0] != L'\0' &&
           caminho_do_largo(caminho, destino, largura);
}

int mudar_diretorio(const char* caminho) {
    caminho_largo largo(caminho);
    return largo.valido && SetCurrentDirectoryW(largo.texto) ? 0 : -1;
}

int criar_diretorio(const char* caminho) {
    caminho_largo largo(caminho);
    return largo.valido && CreateDirectoryW(largo.texto, nullptr) ? 0 : -1;
}

// The path's letters outside Latin-1 become "?", as a process's name does.
void caminho_para_exibir(const char* caminho, char* destino, std::size_t largura) {
    caminho_largo largo(caminho);
    largo::latin1_do_largo(largo.texto, destino, largura);
}

}  // namespace plataforma
