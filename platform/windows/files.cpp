// Files on Windows: reading only regular disk files, and writing a file whole
// or not at all through a temporary file that replaces the destination.
#include <winsock2.h>
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace plataforma {
namespace {

std::FILE* como_arquivo_c(HANDLE alca, int modo, const char* abertura) {
    int descritor = _open_osfhandle(reinterpret_cast<intptr_t>(alca), modo);
    if (descritor < 0) {
        CloseHandle(alca);
        return nullptr;
    }
    std::FILE* f = _fdopen(descritor, abertura);
    if (f == nullptr) _close(descritor);
    return f;
}

// The temporary file: beside the destination (so the replacement stays on one
// volume), hidden, with a name no other copy of the program uses.
std::FILE* criar_temporario(gravacao_de_arquivo& g) {
    static LONG contador = 0;
    const char* barra = std::strrchr(g.destino, '\\');
    std::size_t pasta = barra ? static_cast<std::size_t>(barra - g.destino + 1) : 0;
    int n = std::snprintf(g.caminho_temporario, sizeof g.caminho_temporario, "%.*s.%s.%lu.%ld.tmp",
                          static_cast<int>(pasta), g.destino, g.destino + pasta,
                          GetCurrentProcessId(), InterlockedIncrement(&contador));
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof g.caminho_temporario) {
        g.erro = ERROR_FILENAME_EXCED_RANGE;
        g.caminho_temporario[0] = '\0';
        return nullptr;
    }
    HANDLE alca = CreateFileA(g.caminho_temporario, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (alca == INVALID_HANDLE_VALUE) {
        g.erro = static_cast<int>(GetLastError());
        g.caminho_temporario[0] = '\0';
        return nullptr;
    }
    std::FILE* f = como_arquivo_c(alca, _O_WRONLY | _O_BINARY, "wb");
    if (f == nullptr) g.erro = ERROR_NOT_ENOUGH_MEMORY;
    return f;
}

bool copiar_conteudo_atual(gravacao_de_arquivo& g) {
    std::FILE* atual = abrir_arquivo_regular(g.destino);
    if (atual == nullptr) {
        g.erro = static_cast<int>(GetLastError());
        return false;
    }
    char bloco[8192];
    std::size_t lidos;
    while ((lidos = std::fread(bloco, 1, sizeof bloco, atual)) > 0 && gravar(g, bloco, lidos)) {
    }
    if (std::ferror(atual) && g.erro == 0) g.erro = ERROR_READ_FAULT;
    std::fclose(atual);
    return g.erro == 0;
}

}  // namespace

std::FILE* abrir_arquivo_regular(const char* caminho) {
    // A folder does not open without backup semantics; a device or a pipe
    // opens but is not a disk file.
    HANDLE alca = CreateFileA(caminho, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (alca == INVALID_HANDLE_VALUE) return nullptr;
    if (GetFileType(alca) != FILE_TYPE_DISK) {
        CloseHandle(alca);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return como_arquivo_c(alca, _O_RDONLY | _O_BINARY, "rb");
}

bool iniciar_gravacao(gravacao_de_arquivo& g, const char* caminho, modo_de_gravacao modo) {
    g = gravacao_de_arquivo{};
    DWORD n = GetFullPathNameA(caminho, sizeof g.destino, g.destino, nullptr);
    if (n == 0 || n >= sizeof g.destino) {
        g.erro = n == 0 ? static_cast<int>(GetLastError()) : ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    DWORD atributos = GetFileAttributesA(g.destino);
    bool existe = atributos != INVALID_FILE_ATTRIBUTES;
    if (existe && modo == modo_de_gravacao::criar) g.erro = ERROR_FILE_EXISTS;
    else if (existe && (atributos & FILE_ATTRIBUTE_DIRECTORY)) g.erro = ERROR_DIRECTORY;
    if (g.erro != 0) return false;
    g.temporario = criar_temporario(g);
    if (g.temporario == nullptr) return false;
    if (!existe || modo != modo_de_gravacao::anexar || copiar_conteudo_atual(g)) return true;
    int erro = g.erro;
    desistir_da_gravacao(g);
    g.erro = erro;
    return false;
}

bool gravar(gravacao_de_arquivo& g, const void* dados, std::size_t tamanho) {
    if (g.erro != 0 || g.temporario == nullptr) return false;
    if (tamanho > 0 && std::fwrite(dados, 1, tamanho, g.temporario) != tamanho) {
        g.erro = _doserrno ? static_cast<int>(_doserrno) : ERROR_WRITE_FAULT;
        return false;
    }
    return true;
}

bool gravar_texto(gravacao_de_arquivo& g, const char* texto) {
    return gravar(g, texto, std::strlen(texto));
}

bool concluir_gravacao(gravacao_de_arquivo& g) {
    if (g.temporario == nullptr) {
        if (g.erro == 0) g.erro = ERROR_INVALID_HANDLE;
        return false;
    }
    if (g.erro == 0 && std::fflush(g.temporario) != 0) g.erro = static_cast<int>(_doserrno);
    if (g.erro == 0 && _commit(_fileno(g.temporario)) != 0) g.erro = static_cast<int>(_doserrno);
    if (std::fclose(g.temporario) != 0 && g.erro == 0) g.erro = static_cast<int>(_doserrno);
    g.temporario = nullptr;
    if (g.erro == 0) {
        // ReplaceFile keeps the replaced file's attributes and permissions.
        bool existe = GetFileAttributesA(g.destino) != INVALID_FILE_ATTRIBUTES;
        BOOL feito = existe ? ReplaceFileA(g.destino, g.caminho_temporario, nullptr,
                                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                            : MoveFileExA(g.caminho_temporario, g.destino, MOVEFILE_WRITE_THROUGH);
        if (!feito) g.erro = static_cast<int>(GetLastError());
        else if (!existe) SetFileAttributesA(g.destino, FILE_ATTRIBUTE_NORMAL);
    }
    if (g.erro != 0) DeleteFileA(g.caminho_temporario);
    g.caminho_temporario[0] = '\0';
    return g.erro == 0;
}

void desistir_da_gravacao(gravacao_de_arquivo& g) {
    if (g.temporario) std::fclose(g.temporario);
    g.temporario = nullptr;
    if (g.caminho_temporario[0]) DeleteFileA(g.caminho_temporario);
    g.caminho_temporario[0] = '\0';
}

int ultimo_erro() { return static_cast<int>(GetLastError()); }

void texto_do_erro(int erro, char* destino, std::size_t largura) {
    if (largura == 0) return;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(erro), 0, destino, static_cast<DWORD>(largura), nullptr);
    while (n > 0 && (destino[n - 1] == '\n' || destino[n - 1] == '\r' || destino[n - 1] == '.'))
        destino[--n] = '\0';
    if (n == 0) std::snprintf(destino, largura, "erro %d", erro);
}

}  // namespace plataforma
