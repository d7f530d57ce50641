// The test services on Windows: loopback TCP connections (Winsock sockets, which
// a program started without handle inheritance does not get; Winsock is started
// once for them), programs started and waited for, another program's window
// driven as a user drives it, the process's threads and memory, and the shell's
// records of the user's folders.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <cwchar>

#include "platform/windows/command_line.h"
#include "platform/windows/wide_text.h"
#include "support/platform_services.h"

namespace plataforma {
namespace {

bool winsock_iniciado() {
    static const bool iniciado = [] {
        WSADATA dados;
        return WSAStartup(MAKEWORD(2, 2), &dados) == 0;
    }();
    return iniciado;
}

sockaddr_in loopback_na_porta(int porta) {
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    endereco.sin_port = htons(static_cast<u_short>(porta));
    return endereco;
}

int porta_local(SOCKET soquete) {
    sockaddr_in endereco{};
    int tamanho = sizeof endereco;
    if (getsockname(soquete, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0) return 0;
    return ntohs(endereco.sin_port);
}

soquete_tcp como_soquete_tcp(SOCKET soquete) {
    return soquete == INVALID_SOCKET ? sem_soquete : static_cast<soquete_tcp>(soquete);
}

// Where the shell keeps the user's folders; SHGetFolderPath reads it each time.
// Written and read wide, so that a folder of any name can be recorded.
const wchar_t* const pastas_do_shell =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

bool e_pasta(const wchar_t* registrada) {
    wchar_t expandida[largo::largura_de_caminho];
    DWORD tamanho = ExpandEnvironmentStringsW(registrada, expandida, largo::largura_de_caminho);
    if (tamanho == 0 || tamanho > largo::largura_de_caminho) return false;
    DWORD atributos = GetFileAttributesW(expandida);
    return atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

soquete_tcp escutar_em_loopback(int& porta) {
    if (!winsock_iniciado()) return sem_soquete;
    SOCKET soquete = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in endereco = loopback_na_porta(0);
    if (soquete == INVALID_SOCKET ||
        bind(soquete, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        listen(soquete, 64) != 0 || (porta = porta_local(soquete)) == 0) {
        fechar_soquete(como_soquete_tcp(soquete));
        return sem_soquete;
    }
    return como_soquete_tcp(soquete);
}

bool conectar_em_loopback(soquete_tcp escuta, int porta, pontas_de_conexao& pontas) {
    pontas = {};
    if (!winsock_iniciado()) return false;
    SOCKET cliente = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in endereco = loopback_na_porta(porta);
    if (cliente == INVALID_SOCKET ||
        connect(cliente, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) {
        fechar_soquete(como_soquete_tcp(cliente));
        return false;
    }
    SOCKET aceita = accept(static_cast<SOCKET>(escuta), nullptr, nullptr);
    if (aceita == INVALID_SOCKET) {
        fechar_soquete(como_soquete_tcp(cliente));
        return false;
    }
    pontas = {como_soquete_tcp(cliente), como_soquete_tcp(aceita), porta_local(cliente)};
    return true;
}

void fechar_soquete(soquete_tcp soquete) {
    if (soquete != sem_soquete) closesocket(static_cast<SOCKET>(soquete));
}

// Started in this console, as a program started from it by hand.
namespace {

bool ligar(SOCKET soquete, const char* endereco, int porta) {
    sockaddr_in e{};
    e.sin_family = AF_INET;
    e.sin_port = htons(static_cast<u_short>(porta));
    return inet_pton(AF_INET, endereco, &e.sin_addr) == 1 &&
           bind(soquete, reinterpret_cast<sockaddr*>(&e), sizeof e) == 0;
}

static_assert(sizeof(origem_de_datagrama::endereco) >= sizeof(sockaddr_in));

}  // namespace

soquete_tcp abrir_udp(const char* endereco, int& porta) {
    if (!winsock_iniciado()) return sem_soquete;
    SOCKET soquete = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (soquete == INVALID_SOCKET || !ligar(soquete, endereco, porta) ||
        (porta = porta_local(soquete)) == 0) {
        fechar_soquete(como_soquete_tcp(soquete));
        return sem_soquete;
    }
    return como_soquete_tcp(soquete);
}

soquete_tcp escutar_tcp(const char* endereco, int porta) {
    if (!winsock_iniciado()) return sem_soquete;
    SOCKET soquete = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (soquete == INVALID_SOCKET || !ligar(soquete, endereco, porta) || listen(soquete, 8) != 0) {
        fechar_soquete(como_soquete_tcp(soquete));
        return sem_soquete;
    }
    return como_soquete_tcp(soquete);
}

soquete_tcp aceitar_conexao(soquete_tcp ouvinte) {
    return como_soquete_tcp(accept(static_cast<SOCKET>(ouvinte), nullptr, nullptr));
}

int receber_datagrama(soquete_tcp soquete, void* dados, int largura, origem_de_datagrama& origem) {
    int tamanho = sizeof(sockaddr_in);
    return recvfrom(static_cast<SOCKET>(soquete), static_cast<char*>(dados), largura, 0,
                    reinterpret_cast<sockaddr*>(origem.endereco), &tamanho);
}

void enviar_datagrama(soquete_tcp soquete, const void* dados, int tamanho,
                      const origem_de_datagrama& destino) {
    sendto(static_cast<SOCKET>(soquete), static_cast<const char*>(dados), tamanho, 0,
           reinterpret_cast<const sockaddr*>(destino.endereco), sizeof(sockaddr_in));
}

bool receber_exatamente(soquete_tcp soquete, void* dados, int tamanho) {
    return recv(static_cast<SOCKET>(soquete), static_cast<char*>(dados), tamanho, MSG_WAITALL) ==
           tamanho;
}

void enviar_na_conexao(soquete_tcp soquete, const void* dados, int tamanho) {
    send(static_cast<SOCKET>(soquete), static_cast<const char*>(dados), tamanho, 0);
}

void esperar_leitura(const soquete_tcp* soquetes, bool* prontos, int n, int limite_ms) {
    WSAPOLLFD vigiados[64];
    const int vistos = n < 64 ? n : 64;
    for (int i = 0; i < vistos; ++i) vigiados[i] = {static_cast<SOCKET>(soquetes[i]), POLLRDNORM, 0};
    int prontos_ao_todo = WSAPoll(vigiados, static_cast<ULONG>(vistos), limite_ms);
    for (int i = 0; i < n; ++i) prontos[i] = prontos_ao_todo > 0 && i < vistos && vigiados[i].revents != 0;
}

processo_filho iniciar_processo(const char* const argumentos[], const char* pasta) {
    if (argumentos == nullptr || argumentos[0] == nullptr || argumentos[0][0] == '\0') return {};
    PROCESS_INFORMATION processo{};
    if (!windows::criar_processo(windows::linha_de_comando(argumentos), pasta, 0, processo)) return {};
    processo_filho filho;
    filho.alca = reinterpret_cast<std::intptr_t>(processo.hProcess);
    filho.pid = static_cast<long>(processo.dwProcessId);
    return filho;
}

bool esperar_processo(processo_filho& processo, unsigned limite_ms, int& status) {
    HANDLE alca = reinterpret_cast<HANDLE>(processo.alca);
    if (!processo.terminou && alca != nullptr && WaitForSingleObject(alca, limite_ms) == WAIT_OBJECT_0) {
        DWORD codigo = 0;
        GetExitCodeProcess(alca, &codigo);
        processo.terminou = true;
        processo.status = static_cast<int>(codigo);
    }
    status = processo.status;
    return processo.terminou;
}

void liberar_processo(processo_filho& processo) {
    HANDLE alca = reinterpret_cast<HANDLE>(processo.alca);
    if (alca == nullptr) return;
    if (!processo.terminou && WaitForSingleObject(alca, 0) != WAIT_OBJECT_0) TerminateProcess(alca, 99);
    CloseHandle(alca);
    processo = {};
}

int threads_do_processo() {
    HANDLE retrato = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (retrato == INVALID_HANDLE_VALUE) return -1;
    const DWORD este = GetCurrentProcessId();
    int total = 0;
    THREADENTRY32 fio;
    fio.dwSize = sizeof fio;
    for (BOOL ha = Thread32First(retrato, &fio); ha; ha = Thread32Next(retrato, &fio))
        total += fio.th32OwnerProcessID == este;
    CloseHandle(retrato);
    return total;
}

int alcas_abertas() {
    DWORD alcas = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &alcas) ? static_cast<int>(alcas) : -1;
}

// The commit charge: the private memory the process holds, the heap's large
// blocks included. (A walk of the heap would be closer to Linux's measure, but
// under Wine it does not see the large blocks, images among them.)
std::size_t memoria_em_uso() {
    PROCESS_MEMORY_COUNTERS contadores{};
    contadores.cb = sizeof contadores;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &contadores, sizeof contadores)) return 0;
    return contadores.PagefileUsage;
}

bool sob_wine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool pasta_registrada(const char* valor, const char* padrao, char* destino, std::size_t largura) {
    HKEY chave;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, pastas_do_shell, 0, KEY_QUERY_VALUE, &chave) != ERROR_SUCCESS)
        return false;
    largo::caminho_largo nome(valor);
    wchar_t dados[largo::largura_de_caminho] = L"";
    DWORD tamanho = sizeof dados - sizeof *dados;
    DWORD tipo = 0;
    LONG resultado = RegQueryValueExW(chave, nome.texto, nullptr, &tipo,
                                      reinterpret_cast<BYTE*>(dados), &tamanho);
    RegCloseKey(chave);
    if (resultado != ERROR_SUCCESS || (tipo != REG_SZ && tipo != REG_EXPAND_SZ)) return false;
    dados[tamanho / sizeof *dados] = L'\0';
    if (e_pasta(dados)) return largo::caminho_do_largo(dados, destino, largura);
    if (std::strlen(padrao) >= largura) return false;  // a cut path is no folder
    std::memcpy(destino, padrao, std::strlen(padrao) + 1);
    return true;
}

void registrar_pasta(const char* valor, const char* pasta) {
    HKEY chave;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, pastas_do_shell, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &chave, nullptr) != ERROR_SUCCESS)
        return;
    largo::caminho_largo nome(valor);
    if (pasta) {
        largo::caminho_largo texto(pasta);
        for (wchar_t* c = texto.texto; *c; ++c)
            if (*c == L'/') *c = L'\\';
        RegSetValueExW(chave, nome.texto, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(texto.texto),
                       static_cast<DWORD>((std::wcslen(texto.texto) + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(chave, nome.texto);
    }
    RegCloseKey(chave);
}

std::uintptr_t janela_do_processo(const processo_filho& processo, const char* titulo) {
    HWND janela = nullptr;
    while ((janela = FindWindowExA(nullptr, janela, nullptr, titulo)) != nullptr) {
        DWORD dono = 0;
        GetWindowThreadProcessId(janela, &dono);
        if (static_cast<long>(dono) == processo.pid && IsWindowVisible(janela)) break;
    }
    return reinterpret_cast<std::uintptr_t>(janela);
}

void clicar_na_janela(std::uintptr_t janela, int x, int y) {
    HWND destino = reinterpret_cast<HWND>(janela);
    const LPARAM ponto = MAKELPARAM(x, y);
    PostMessageA(destino, WM_MOUSEMOVE, 0, ponto);
    PostMessageA(destino, WM_LBUTTONDOWN, MK_LBUTTON, ponto);
    PostMessageA(destino, WM_LBUTTONUP, 0, ponto);
}

void fechar_janela(std::uintptr_t janela) {
    PostMessageA(reinterpret_cast<HWND>(janela), WM_CLOSE, 0, 0);
}

}  // namespace plataforma
