// Files on Windows: reading only regular files, and the system's parts of
// writing a file whole or not at all through a temporary file beside it that
// MoveFileExW puts in its place (replacing it, written through to the disk),
// with the replaced file's attributes kept. Paths go to the wide calls, so any
// folder's name works.
#include <winsock2.h>  // before windows.h: the internal header brings in c-ares
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "platform/platform.h"
#include "platform/shared/internal.h"
#include "platform/windows/wide_text.h"

namespace plataforma {
namespace {

// The C runtime's error numbers for the system's errors a file write meets;
// the rest of the program compares and shows those.
int erro_do_sistema(DWORD erro) {
    switch (erro) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_DIRECTORY:  // a temporary file asked for in a missing folder
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW:
            return ENAMETOOLONG;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_INVALID_NAME:
            return EINVAL;
        default:
            return EIO;
    }
}

int erro_da_ultima_chamada() { return erro_do_sistema(GetLastError()); }

using largo::caminho_do_largo;
using largo::caminho_largo;
using largo::largura_de_caminho;

// The attributes a file can be given (the rest belong to how it is stored).
constexpr DWORD atributos_atribuiveis = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                        FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                        FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

DWORD atributos_de(const char* caminho) {
    caminho_largo largo(caminho);
    return largo.valido ? GetFileAttributesW(largo.texto) : INVALID_FILE_ATTRIBUTES;
}

bool dar_atributos(const char* caminho, DWORD atributos) {
    caminho_largo largo(caminho);
    return largo.valido && SetFileAttributesW(largo.texto, atributos);
}

void apagar(const char* caminho) {
    caminho_largo largo(caminho);
    if (largo.valido) DeleteFileW(largo.texto);
}

// A symbolic link's final target; "\\?\" taken off.
bool alvo_da_ligacao(const char* caminho, char* destino, std::size_t largura) {
    caminho_largo largo(caminho);
    if (!largo.valido) return false;
    HANDLE h = CreateFileW(largo.texto, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    wchar_t final[largura_de_caminho];
    DWORD n = GetFinalPathNameByHandleW(h, final, largura_de_caminho, 0);
    CloseHandle(h);
    if (n == 0 || n >= largura_de_caminho) return false;
    const wchar_t* sem_prefixo = std::wcsncmp(final, L"\\\\?\\", 4) == 0 ? final + 4 : final;
    return caminho_do_largo(sem_prefixo, destino, largura);
}

std::FILE* abrir_handle(HANDLE h, int modo, const char* modo_do_arquivo) {
    int descritor = _open_osfhandle(reinterpret_cast<intptr_t>(h), modo | _O_BINARY);
    if (descritor < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE* f = _fdopen(descritor, modo_do_arquivo);
    if (f == nullptr) _close(descritor);
    return f;
}

// Moves the finished file over the destination (a read-only one was refused
// before). The replacement gets the replaced file's attributes (hidden,
// archive...) while it is still the temporary file, so a failure there leaves
// the destination as it was.
bool mover_sobre_o_destino(const gravacao_de_arquivo& g) {
    DWORD atributos = atributos_de(g.destino);
    DWORD finais = atributos != INVALID_FILE_ATTRIBUTES
                       ? atributos & atributos_atribuiveis & ~FILE_ATTRIBUTE_READONLY
                       : 0;
    if (!dar_atributos(g.caminho_temporario, finais ? finais : FILE_ATTRIBUTE_NORMAL)) return false;
    caminho_largo temporario(g.caminho_temporario), destino(g.destino);
    return MoveFileExW(temporario.texto, destino.texto, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

// Anything Windows finds at the path, a link included.
bool sistema::ha_algo_no_caminho(const char* caminho) {
    return atributos_de(caminho) != INVALID_FILE_ATTRIBUTES;
}

// A full path.
bool sistema::resolver_destino(const char* caminho, char* destino, std::size_t largura,
                               int& erro) {
    DWORD atributos = atributos_de(caminho);
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_REPARSE_POINT) &&
        alvo_da_ligacao(caminho, destino, largura))
        return true;
    caminho_largo largo(caminho);
    if (!largo.valido) {
        erro = ENAMETOOLONG;
        return false;
    }
    wchar_t completo[largura_de_caminho];
    DWORD n = GetFullPathNameW(largo.texto, largura_de_caminho, completo, nullptr);
    if (n == 0) {
        erro = erro_da_ultima_chamada();
        return false;
    }
    if (n >= largura_de_caminho || !caminho_do_largo(completo, destino, largura)) {
        erro = ENAMETOOLONG;
        return false;
    }
    return true;
}

// Hidden, beside the destination (so the move stays on one volume), with a
// unique name that GetTempFileNameW makes (and the file with it).
std::FILE* sistema::criar_temporario(gravacao_de_arquivo& g) {
    caminho_largo pasta(g.destino);
    wchar_t* barra = std::wcsrchr(pasta.texto, L'\\');
    if (barra) barra[1] = L'\0';
    else std::wcscpy(pasta.texto, L".");
    wchar_t temporario[MAX_PATH];
    if (!pasta.valido || std::wcslen(pasta.texto) + 14 > MAX_PATH) {
        g.erro = ENAMETOOLONG;
        return nullptr;
    }
    if (GetTempFileNameW(pasta.texto, L"qvx", 0, temporario) == 0) {
        g.erro = erro_da_ultima_chamada();
        return nullptr;
    }
    if (!caminho_do_largo(temporario, g.caminho_temporario, sizeof g.caminho_temporario)) {
        DeleteFileW(temporario);
        g.erro = ENAMETOOLONG;
        return nullptr;
    }
    HANDLE h = CreateFileW(temporario, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        g.erro = erro_da_ultima_chamada();
        return nullptr;
    }
    // Only so that a file left behind by a crash stays out of sight: a failure
    // here changes nothing else (the file gets its final attributes before it
    // takes the destination's place).
    SetFileAttributesW(temporario, FILE_ATTRIBUTE_HIDDEN);
    std::FILE* f = abrir_handle(h, _O_WRONLY, "wb");
    if (f == nullptr) g.erro = EIO;
    return f;
}

bool sistema::preparar_destino(gravacao_de_arquivo& g, modo_de_gravacao modo) {
    DWORD atributos = atributos_de(g.destino);
    if (atributos == INVALID_FILE_ATTRIBUTES) {
        DWORD erro = GetLastError();
        if (erro == ERROR_FILE_NOT_FOUND) return true;
        g.erro = erro_do_sistema(erro);
        return false;
    }
    if (modo == modo_de_gravacao::criar) {
        g.erro = EEXIST;
        return false;
    }
    if (atributos & FILE_ATTRIBUTE_DIRECTORY) {
        g.erro = EISDIR;
        return false;
    }
    // A file the user made read-only is not replaced behind their back.
    if (atributos & FILE_ATTRIBUTE_READONLY) {
        g.erro = EACCES;
        return false;
    }
    if (modo != modo_de_gravacao::anexar) return true;
    return copiar_conteudo_atual(g);
}

bool sistema::por_no_lugar(gravacao_de_arquivo& g) {
    if (g.erro == 0 && std::fflush(g.temporario) != 0) g.erro = errno ? errno : EIO;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(g.temporario)));
    if (g.erro == 0 && !FlushFileBuffers(h)) g.erro = erro_da_ultima_chamada();
    if (std::fclose(g.temporario) != 0 && g.erro == 0) g.erro = EIO;
    g.temporario = nullptr;
    if (g.erro == 0 && !mover_sobre_o_destino(g)) g.erro = erro_da_ultima_chamada();
    if (g.erro != 0) apagar(g.caminho_temporario);
    g.caminho_temporario[0] = '\0';
    return g.erro == 0;
}

void sistema::apagar_temporario(const char* caminho) { apagar(caminho); }

// The names GetTempFileNameA makes with criar_temporario's prefix ("qvxNNNN.tmp")
// do not carry the destination's, so `e_destino` cannot choose among them.
void apagar_temporarios_abandonados(const char* pasta, bool (*)(const char* nome),
                                    unsigned idade_minima_s) {
    caminho_largo padrao(pasta);
    std::size_t tamanho_da_pasta = std::wcslen(padrao.texto);
    const wchar_t nomes[] = L"\\qvx*.tmp";
    if (!padrao.valido || tamanho_da_pasta + sizeof nomes / sizeof *nomes > largura_de_caminho) return;
    std::wcscpy(padrao.texto + tamanho_da_pasta, nomes);
    WIN32_FIND_DATAW achado;
    HANDLE busca = FindFirstFileW(padrao.texto, &achado);
    if (busca == INVALID_HANDLE_VALUE) return;
    FILETIME agora_ft;
    GetSystemTimeAsFileTime(&agora_ft);
    auto em_100ns = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    const unsigned long long limite = em_100ns(agora_ft) - idade_minima_s * 10000000ULL;
    do {
        if (achado.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (em_100ns(achado.ftLastWriteTime) > limite) continue;
        // The pattern's folder with the file's name in place of "qvx*.tmp".
        if (tamanho_da_pasta + 1 + std::wcslen(achado.cFileName) >= largura_de_caminho) continue;
        std::wcscpy(padrao.texto + tamanho_da_pasta + 1, achado.cFileName);
        DeleteFileW(padrao.texto);
    } while (FindNextFileW(busca, &achado));
    FindClose(busca);
}

// Devices ("CON", "NUL", "COM1"), pipes and folders are refused without
// waiting on them.
std::FILE* abrir_arquivo_regular(const char* caminho) {
    caminho_largo largo(caminho);
    if (!largo.valido) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    DWORD atributos = GetFileAttributesW(largo.texto);
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return nullptr;
    }
    HANDLE h = CreateFileW(largo.texto, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = erro_da_ultima_chamada();
        return nullptr;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        errno = EINVAL;
        return nullptr;
    }
    std::FILE* f = abrir_handle(h, _O_RDONLY, "rb");
    if (f == nullptr) errno = EIO;
    return f;
}

void texto_do_erro(int erro, char* destino, std::size_t largura) {
    if (largura == 0) return;
    std::snprintf(destino, largura, "%s", std::strerror(erro));
}

}  // namespace plataforma
