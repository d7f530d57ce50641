#include "support_windows.h"

#include <cstdio>

namespace teste_windows {

namespace {

void remover(const std::string& caminho) {
    WIN32_FIND_DATAA item;
    HANDLE busca = FindFirstFileA((caminho + "\\*").c_str(), &item);
    if (busca != INVALID_HANDLE_VALUE) {
        do {
            std::string nome = item.cFileName;
            if (nome == "." || nome == "..") continue;
            std::string filho = caminho + "\\" + nome;
            if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remover(filho);
            else DeleteFileA(filho.c_str());
        } while (FindNextFileA(busca, &item));
        FindClose(busca);
    }
    RemoveDirectoryA(caminho.c_str());
}

}  // namespace

PastaTemporaria::PastaTemporaria() {
    char temporaria[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temporaria, temporaria);
    std::string base(temporaria, n);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    static unsigned sequencia = 0;
    for (;;) {
        char nome[64];
        std::snprintf(nome, sizeof nome, "\\quorvex-teste-%lu-%lu-%u", GetCurrentProcessId(),
                      GetTickCount(), ++sequencia);
        caminho_ = base + nome;
        if (CreateDirectoryA(caminho_.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

PastaTemporaria::~PastaTemporaria() { remover(caminho_); }

bool existe(const std::string& caminho) {
    return GetFileAttributesA(caminho.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool e_pasta(const std::string& caminho) {
    DWORD atributos = GetFileAttributesA(caminho.c_str());
    return atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ler_arquivo(const std::string& caminho) {
    std::string conteudo;
    if (std::FILE* f = std::fopen(caminho.c_str(), "rb")) {
        char bloco[4096];
        std::size_t n;
        while ((n = std::fread(bloco, 1, sizeof bloco, f)) > 0) conteudo.append(bloco, n);
        std::fclose(f);
    }
    return conteudo;
}

bool sob_wine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string este_programa() {
    char caminho[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, caminho, sizeof caminho);
    return std::string(caminho, n);
}

}  // namespace teste_windows
