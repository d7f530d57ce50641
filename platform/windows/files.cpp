// Files on Windows: reading only regular files, and the system's parts of
// writing a file whole or not at all through a temporary file beside it that
// MoveFileExA puts in its place (replacing it, written through to the disk),
// with the replaced file's attributes kept.
#include <winsock2.h>  // before windows.h: the internal header brings in c-ares
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/shared/internal.h"

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

using sistema::copiar_caminho;

// A symbolic link's final target (Vista and later name it); "\\?\" taken off.
bool alvo_da_ligacao(const char* caminho, char* destino, std::size_t largura) {
    using funcao_caminho_final = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    static const auto caminho_final = reinterpret_cast<funcao_caminho_final>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                               "GetFinalPathNameByHandleA")));
    if (caminho_final == nullptr) return false;
    HANDLE h = CreateFileA(caminho, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char final[MAX_PATH + 8];
    DWORD n = caminho_final(h, final, sizeof final, 0);
    CloseHandle(h);
    if (n == 0 || n >= sizeof final) return false;
    const char* sem_prefixo = std::strncmp(final, "\\\\?\\", 4) == 0 ? final + 4 : final;
    return copiar_caminho(destino, largura, sem_prefixo);
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

// Moves the finished file over the destination; the replacement gets the
// replaced file's attributes (hidden, archive...).
bool mover_sobre_o_destino(const gravacao_de_arquivo& g) {
    DWORD atributos = GetFileAttributesA(g.destino);
    bool existia = atributos != INVALID_FILE_ATTRIBUTES;
    if (!MoveFileExA(g.caminho_temporario, g.destino,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    SetFileAttributesA(g.destino, existia ? atributos : FILE_ATTRIBUTE_NORMAL);
    return true;
}

}  // namespace

// Anything Windows finds at the path, a link included.
bool sistema::ha_algo_no_caminho(const char* caminho) {
    return GetFileAttributesA(caminho) != INVALID_FILE_ATTRIBUTES;
}

// A full path.
bool sistema::resolver_destino(const char* caminho, char* destino, std::size_t largura,
                               int& erro) {
    DWORD atributos = GetFileAttributesA(caminho);
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_REPARSE_POINT) &&
        alvo_da_ligacao(caminho, destino, largura))
        return true;
    char completo[MAX_PATH];
    DWORD n = GetFullPathNameA(caminho, sizeof completo, completo, nullptr);
    if (n == 0) {
        erro = erro_da_ultima_chamada();
        return false;
    }
    if (n >= sizeof completo || !copiar_caminho(destino, largura, completo)) {
        erro = ENAMETOOLONG;
        return false;
    }
    return true;
}

// Hidden, beside the destination (so the move stays on one volume), with a
// unique name that GetTempFileNameA makes (and the file with it).
std::FILE* sistema::criar_temporario(gravacao_de_arquivo& g) {
    char pasta[sizeof g.destino];
    copiar_caminho(pasta, sizeof pasta, g.destino);
    char* barra = std::strrchr(pasta, '\\');
    if (barra) barra[1] = '\0';
    else copiar_caminho(pasta, sizeof pasta, ".");
    if (std::strlen(pasta) + 14 > MAX_PATH || sizeof g.caminho_temporario < MAX_PATH) {
        g.erro = ENAMETOOLONG;
        return nullptr;
    }
    if (GetTempFileNameA(pasta, "qvx", 0, g.caminho_temporario) == 0) {
        g.erro = erro_da_ultima_chamada();
        g.caminho_temporario[0] = '\0';
        return nullptr;
    }
    HANDLE h = CreateFileA(g.caminho_temporario, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        g.erro = erro_da_ultima_chamada();
        return nullptr;
    }
    SetFileAttributesA(g.caminho_temporario, FILE_ATTRIBUTE_HIDDEN);
    std::FILE* f = abrir_handle(h, _O_WRONLY, "wb");
    if (f == nullptr) g.erro = EIO;
    return f;
}

bool sistema::preparar_destino(gravacao_de_arquivo& g, modo_de_gravacao modo) {
    DWORD atributos = GetFileAttributesA(g.destino);
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
    if (g.erro != 0) DeleteFileA(g.caminho_temporario);
    g.caminho_temporario[0] = '\0';
    return g.erro == 0;
}

void sistema::apagar_temporario(const char* caminho) { DeleteFileA(caminho); }

// The names GetTempFileNameA makes with criar_temporario's prefix ("qvxNNNN.tmp")
// do not carry the destination's, so `e_destino` cannot choose among them.
void apagar_temporarios_abandonados(const char* pasta, bool (*)(const char* nome),
                                    unsigned idade_minima_s) {
    char padrao[MAX_PATH];
    if (std::snprintf(padrao, sizeof padrao, "%s\\qvx*.tmp", pasta) >= static_cast<int>(sizeof padrao))
        return;
    WIN32_FIND_DATAA achado;
    HANDLE busca = FindFirstFileA(padrao, &achado);
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
        char caminho[MAX_PATH];
        if (std::snprintf(caminho, sizeof caminho, "%s\\%s", pasta, achado.cFileName) <
            static_cast<int>(sizeof caminho))
            DeleteFileA(caminho);
    } while (FindNextFileA(busca, &achado));
    FindClose(busca);
}

// Devices ("CON", "NUL", "COM1"), pipes and folders are refused without
// waiting on them.
std::FILE* abrir_arquivo_regular(const char* caminho) {
    DWORD atributos = GetFileAttributesA(caminho);
    if (atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return nullptr;
    }
    HANDLE h = CreateFileA(caminho, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
