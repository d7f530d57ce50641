// Starting other programs on Windows without the command interpreter: programs
// through CreateProcessW, whose command line is formed from the arguments with
// the C runtime's quoting rules (so every argument arrives as one, whatever it
// holds), and addresses, files and folders through ShellExecuteW, which hands
// them to their registered handler without parsing a command line at all. The
// wide calls take any folder's name (paths are UTF-8 on this side).
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstring>
#include <cerrno>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/windows/command_line.h"
#include "platform/windows/wide_text.h"

namespace plataforma {
namespace {

// One argument as CommandLineToArgv and the C runtime read it back: quoted when
// it holds blanks or quotes, with the backslashes before a quote doubled.
void acrescentar_argumento(std::string& linha, const char* argumento) {
    if (!linha.empty()) linha += ' ';
    if (argumento[0] != '\0' && std::strpbrk(argumento, " \t\n\v\"") == nullptr) {
        linha += argumento;
        return;
    }
    linha += '"';
    for (const char* p = argumento;; ++p) {
        std::size_t barras = 0;
        while (*p == '\\') {
            ++barras;
            ++p;
        }
        if (*p == '\0') {
            linha.append(barras * 2, '\\');
            break;
        }
        if (*p == '"') {
            linha.append(barras * 2 + 1, '\\');
        } else {
            linha.append(barras, '\\');
        }
        linha += *p;
    }
    linha += '"';
}

// The program's folders may be written with '/'; Windows calls want '\'.
std::string pasta_do_windows(const char* pasta) {
    std::string convertida(pasta);
    for (char& c : convertida) {
        if (c == '/') c = '\\';
    }
    return convertida;
}

// The command interpreter of this system, by its full path: a cmd.exe in the
// current folder must not be the one started.
std::string interpretador_de_comandos() {
    char sistema[MAX_PATH];
    UINT tamanho = GetSystemDirectoryA(sistema, sizeof sistema);
    if (tamanho == 0 || tamanho >= sizeof sistema) return "cmd.exe";
    return std::string(sistema) + "\\cmd.exe";
}

}  // namespace

namespace windows {

bool criar_processo(std::string linha, const char* pasta, DWORD modo,
                    PROCESS_INFORMATION& processo) {
    largo::caminho_largo linha_larga(linha.c_str());
    largo::caminho_largo pasta_larga(pasta ? pasta_do_windows(pasta).c_str() : "");
    if (!linha_larga.valido || !pasta_larga.valido) return false;
    STARTUPINFOW inicio{};
    inicio.cb = sizeof inicio;
    if (!CreateProcessW(nullptr, linha_larga.texto, nullptr, nullptr, FALSE, modo, nullptr,
                        pasta ? pasta_larga.texto : nullptr, &inicio, &processo))
        return false;
    CloseHandle(processo.hThread);
    return true;
}

std::string linha_de_comando(const char* const argumentos[]) {
    std::string linha;
    for (const char* const* a = argumentos; *a; ++a) acrescentar_argumento(linha, *a);
    return linha;
}

}  // namespace windows

using windows::linha_de_comando;

namespace {

// Started and let go: 0 when the program started, -1 otherwise.
int iniciar_sem_esperar(std::string linha, const char* pasta, DWORD modo) {
    PROCESS_INFORMATION processo{};
    if (!windows::criar_processo(std::move(linha), pasta, modo, processo)) return -1;
    CloseHandle(processo.hProcess);
    return 0;
}

}  // namespace

// Console programs get a console of their own that is never shown: their output
// goes nowhere, as on the other systems. The program is not waited for.
int lancar_programa(const char* const argumentos[], const char* pasta) {
    if (argumentos == nullptr || argumentos[0] == nullptr || argumentos[0][0] == '\0') return -1;
    return iniciar_sem_esperar(linha_de_comando(argumentos), pasta, CREATE_NO_WINDOW);
}

// ShellExecuteA answers at once, so a failure is told before the return.
int abrir_com_programa_padrao(const char* alvo, const char* pasta,
                              aviso_de_falha_ao_abrir aviso, const char* contexto) {
    if (alvo == nullptr || alvo[0] == '\0') return -1;
    // Shell extensions that handle the target may use COM; the call is harmless
    // when this thread has COM already.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    largo::caminho_largo alvo_largo(alvo);
    largo::caminho_largo pasta_larga(pasta ? pasta_do_windows(pasta).c_str() : "");
    if (!alvo_largo.valido || !pasta_larga.valido) return -1;
    HINSTANCE resultado = ShellExecuteW(nullptr, nullptr, alvo_largo.texto, nullptr,
                                        pasta ? pasta_larga.texto : nullptr, SW_SHOWNORMAL);
    // ShellExecuteW reports success with a value above 32.
    INT_PTR codigo = reinterpret_cast<INT_PTR>(resultado);
    if (codigo > 32) return 0;
    if (aviso) aviso({"ShellExecute", 0, static_cast<int>(codigo), contexto ? contexto : ""});
    return -1;
}

// A visible command prompt in light green on black (colour 0A) that stays open.
int abrir_terminal(const char* pasta, aviso_de_falha_ao_abrir aviso, const char* contexto) {
    std::string linha;
    acrescentar_argumento(linha, interpretador_de_comandos().c_str());
    linha += " /t:0A /K";
    int resultado = iniciar_sem_esperar(linha, pasta, CREATE_NEW_CONSOLE);
    if (resultado != 0 && aviso) aviso({"cmd.exe", ENOENT, 0, contexto ? contexto : ""});
    return resultado;
}

}  // namespace plataforma
