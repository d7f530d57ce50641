// Folders on Windows: the shell's folders, the process's current directory and
// the C runtime's directory calls, all in the ANSI code page.
#include <winsock2.h>
#include <windows.h>
#include <direct.h>
#include <shlobj.h>

#include <cstring>

#include "platform/platform.h"

namespace plataforma {
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

}  // namespace plataforma

// ---- The shell's record of the documents folder -------------------------------

namespace plataforma {
namespace {

// Where the shell keeps the user's folders; SHGetFolderPath reads it each time.
const char* const pastas_do_shell =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char* const documentos_no_shell = "Personal";

bool e_pasta(const char* registrada) {
    char expandida[MAX_PATH * 2];
    DWORD tamanho = ExpandEnvironmentStringsA(registrada, expandida, sizeof expandida);
    if (tamanho == 0 || tamanho > sizeof expandida) return false;
    DWORD atributos = GetFileAttributesA(expandida);
    return atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool documentos_registrados(char* destino, std::size_t largura) {
    char valor[MAX_PATH * 2];
    DWORD tamanho = sizeof valor;
    if (RegGetValueA(HKEY_CURRENT_USER, pastas_do_shell, documentos_no_shell,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, valor,
                     &tamanho) != ERROR_SUCCESS)
        return false;
    const char* escolhida = e_pasta(valor) ? valor : "%USERPROFILE%\\Documents";
    if (std::strlen(escolhida) >= largura) return false;  // a cut path is no folder
    std::memcpy(destino, escolhida, std::strlen(escolhida) + 1);
    return true;
}

void registrar_documentos(const char* pasta) {
    HKEY chave;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, pastas_do_shell, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &chave, nullptr) != ERROR_SUCCESS)
        return;
    if (pasta) {
        RegSetValueExA(chave, documentos_no_shell, 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(pasta), static_cast<DWORD>(std::strlen(pasta) + 1));
    } else {
        RegDeleteValueA(chave, documentos_no_shell);
    }
    RegCloseKey(chave);
}

}  // namespace plataforma
