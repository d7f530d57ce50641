// Processes by id on Windows, from Tool Help snapshots taken at each call: the
// executable's file name from a process snapshot, the executable's full path
// from the first module of a module snapshot. Both in the ANSI code page.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "common/text.h"
#include "platform/platform.h"

// The snapshot records must be the ANSI ones: their texts go out unchanged.
static_assert(sizeof(PROCESSENTRY32::szExeFile) == MAX_PATH, "ANSI PROCESSENTRY32 expected");
static_assert(sizeof(MODULEENTRY32::szExePath) == MAX_PATH, "ANSI MODULEENTRY32 expected");

namespace plataforma {
namespace {

// Identifier 0 is the system's idle process, which has neither a name worth
// showing nor modules (a module snapshot of 0 even gives the calling process).
bool pid_valido(int32_t pid) { return pid > 0; }

const char* nome_base(const char* caminho) {
    const char* barra = std::strrchr(caminho, '\\');
    return barra ? barra + 1 : caminho;
}

// Older systems give the full path in szExeFile; the name is its last part.
bool procurar_nome(int32_t pid, char* nome, std::size_t largura) {
    HANDLE instantaneo = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (instantaneo == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entrada;
    entrada.dwSize = sizeof entrada;
    bool achou = false;
    for (BOOL ha = Process32First(instantaneo, &entrada); ha && !achou;
         ha = Process32Next(instantaneo, &entrada)) {
        if (entrada.th32ProcessID != static_cast<DWORD>(pid)) continue;
        copiar_limitado(nome, largura, nome_base(entrada.szExeFile));
        achou = true;
    }
    CloseHandle(instantaneo);
    return achou;
}

// A module snapshot can fail with ERROR_BAD_LENGTH while the process is still
// loading modules; the documented answer is to ask again.
HANDLE instantaneo_de_modulos(int32_t pid) {
    for (int tentativa = 0; tentativa < 3; ++tentativa) {
        HANDLE instantaneo = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, static_cast<DWORD>(pid));
        if (instantaneo != INVALID_HANDLE_VALUE || GetLastError() != ERROR_BAD_LENGTH)
            return instantaneo;
    }
    return INVALID_HANDLE_VALUE;
}

bool caminho_pelos_modulos(int32_t pid, char* caminho, std::size_t largura) {
    HANDLE instantaneo = instantaneo_de_modulos(pid);
    if (instantaneo == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 modulo;
    modulo.dwSize = sizeof modulo;
    bool achou = Module32First(instantaneo, &modulo) != FALSE;
    if (achou) copiar_fim_limitado(caminho, largura, modulo.szExePath);
    CloseHandle(instantaneo);
    return achou;
}

// A 32-bit program cannot list the modules of a 64-bit process, which on a
// 64-bit system is nearly every process; there the system still names the
// executable of any process it lets us query (Vista and later).
bool caminho_pelo_sistema(int32_t pid, char* caminho, std::size_t largura) {
    using funcao_nome_da_imagem = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    static const auto nome_da_imagem = reinterpret_cast<funcao_nome_da_imagem>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                               "QueryFullProcessImageNameA")));
    if (nome_da_imagem == nullptr) return false;
    constexpr DWORD consulta_limitada = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION
    HANDLE processo = OpenProcess(consulta_limitada, FALSE, static_cast<DWORD>(pid));
    if (processo == nullptr) return false;
    char completo[MAX_PATH];
    DWORD tamanho = sizeof completo;
    bool achou = nome_da_imagem(processo, 0, completo, &tamanho) != FALSE;
    CloseHandle(processo);
    if (achou) copiar_fim_limitado(caminho, largura, completo);
    return achou;
}

bool procurar_caminho(int32_t pid, char* caminho, std::size_t largura) {
    return caminho_pelos_modulos(pid, caminho, largura) ||
           caminho_pelo_sistema(pid, caminho, largura);
}

}  // namespace

identidade_processo identificar_processo(int32_t pid, char* nome, std::size_t largura_nome,
                                         char* caminho, std::size_t largura_caminho) {
    if (!pid_valido(pid) || !procurar_nome(pid, nome, largura_nome)) return {false, false};
    return {true, procurar_caminho(pid, caminho, largura_caminho)};
}

}  // namespace plataforma
