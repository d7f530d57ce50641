// Processes by id on Windows, from Tool Help snapshots taken at each call: the
// executable's file name from a process snapshot, the executable's full path
// from the first module of a module snapshot. Both taken wide and handed over
// in Latin-1, "?" for what Latin-1 lacks, whatever the system's code page.
#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>

#include "common/text.h"
#include "platform/platform.h"
#include "platform/windows/wide_text.h"

namespace plataforma {
namespace {

// Identifier 0 is the system's idle process, which has neither a name worth
// showing nor modules (a module snapshot of 0 even gives the calling process).
bool pid_valido(int32_t pid) { return pid > 0; }

const wchar_t* nome_base(const wchar_t* caminho) {
    const wchar_t* barra = std::wcsrchr(caminho, L'\\');
    return barra ? barra + 1 : caminho;
}

using largo::latin1_do_largo;

// A path in Latin-1 ("?" for what it lacks), its end kept when it is cut: the
// executable's name is what a user reads first.
void copiar_caminho_em_latin1(char* destino, std::size_t largura, const wchar_t* caminho) {
    char latin1[largo::largura_de_caminho];
    latin1_do_largo(caminho, latin1, sizeof latin1);
    copiar_fim_limitado(destino, largura, latin1);
}

// Older systems give the full path in szExeFile; the name is its last part.
bool procurar_nome(int32_t pid, char* nome, std::size_t largura) {
    HANDLE instantaneo = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (instantaneo == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entrada;
    entrada.dwSize = sizeof entrada;
    bool achou = false;
    for (BOOL ha = Process32FirstW(instantaneo, &entrada); ha && !achou;
         ha = Process32NextW(instantaneo, &entrada)) {
        if (entrada.th32ProcessID != static_cast<DWORD>(pid)) continue;
        latin1_do_largo(nome_base(entrada.szExeFile), nome, largura);
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
    MODULEENTRY32W modulo;
    modulo.dwSize = sizeof modulo;
    bool achou = Module32FirstW(instantaneo, &modulo) != FALSE;
    if (achou) copiar_caminho_em_latin1(caminho, largura, modulo.szExePath);
    CloseHandle(instantaneo);
    return achou;
}

// A 32-bit program cannot list the modules of a 64-bit process, which on a
// 64-bit system is nearly every process; there the system still names the
// executable of any process it lets us query (Vista and later).
bool caminho_pelo_sistema(int32_t pid, char* caminho, std::size_t largura) {
    HANDLE processo = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (processo == nullptr) return false;
    wchar_t completo[largo::largura_de_caminho];
    DWORD tamanho = largo::largura_de_caminho;
    bool achou = QueryFullProcessImageNameW(processo, 0, completo, &tamanho) != FALSE;
    CloseHandle(processo);
    if (achou) copiar_caminho_em_latin1(caminho, largura, completo);
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
