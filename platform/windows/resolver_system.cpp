// The Windows side of the resolver's system seam: Winsock started once, a UDP
// socket on 127.0.0.1 that sends to itself wakes the resolver's thread (select
// watches sockets only), and select() watches it and the channel's sockets.
#include "platform/shared/internal.h"

#include <winsock2.h>

#include <atomic>
#include <cstring>

namespace plataforma::nomes {

namespace {

std::atomic<SOCKET> despertador{INVALID_SOCKET};

// Winsock stays started for the whole run: the resolver's thread may start
// again after it was stopped, and the program's other sockets share it.
bool winsock_iniciado() {
    static const bool iniciado = [] {
        WSADATA dados;
        return WSAStartup(MAKEWORD(2, 2), &dados) == 0;
    }();
    return iniciado;
}

SOCKET criar_despertador() {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int tamanho = sizeof endereco;
    u_long sem_bloqueio = 1;
    bool pronto = bind(s, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0 &&
                  getsockname(s, reinterpret_cast<sockaddr*>(&endereco), &tamanho) == 0 &&
                  connect(s, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0 &&
                  ioctlsocket(s, FIONBIO, &sem_bloqueio) == 0;
    if (pronto) return s;
    closesocket(s);
    return INVALID_SOCKET;
}

void consumir_despertar(SOCKET s) {
    char bytes[64];
    while (recv(s, bytes, sizeof bytes, 0) > 0) {
    }
}

// select() with no socket at all fails at once instead of waiting; without
// even the wake-up (closed under a running thread) the wait is a short sleep.
int esperar_em_select(fd_set& leitura, fd_set& escrita, fd_set& erro, int espera_ms) {
    if (leitura.fd_count + escrita.fd_count + erro.fd_count == 0) {
        Sleep(espera_ms >= 0 && espera_ms < 10 ? static_cast<DWORD>(espera_ms) : 10);
        return 0;
    }
    timeval limite{espera_ms / 1000, (espera_ms % 1000) * 1000};
    return select(0, &leitura, &escrita, &erro, espera_ms < 0 ? nullptr : &limite);
}

}  // namespace

bool abrir_sistema_de_nomes() {
    if (!winsock_iniciado()) return false;
    SOCKET s = criar_despertador();
    despertador.store(s);
    return s != INVALID_SOCKET;
}

void fechar_sistema_de_nomes() {
    SOCKET s = despertador.exchange(INVALID_SOCKET);
    if (s != INVALID_SOCKET) closesocket(s);
}

void despertar_nomes() {
    SOCKET s = despertador.load();
    if (s == INVALID_SOCKET) return;
    // A full buffer already means "awake"; nothing to do when it fails.
    char um = 1;
    send(s, &um, 1, 0);
}

void esperar_sockets(socket_de_nomes* sockets, int quantos, int espera_ms) {
    fd_set leitura, escrita, erro;
    FD_ZERO(&leitura);
    FD_ZERO(&escrita);
    FD_ZERO(&erro);
    SOCKET acordar = despertador.load();
    if (acordar != INVALID_SOCKET) FD_SET(acordar, &leitura);
    int n = quantos < ARES_GETSOCK_MAXNUM ? quantos : ARES_GETSOCK_MAXNUM;
    for (int i = 0; i < n; ++i) {
        if (sockets[i].quer_ler) FD_SET(sockets[i].socket, &leitura);
        if (sockets[i].quer_escrever) FD_SET(sockets[i].socket, &escrita);
        FD_SET(sockets[i].socket, &erro);
    }
    if (esperar_em_select(leitura, escrita, erro, espera_ms) <= 0) {
        FD_ZERO(&leitura);
        FD_ZERO(&escrita);
        FD_ZERO(&erro);
    }
    if (acordar != INVALID_SOCKET && FD_ISSET(acordar, &leitura)) consumir_despertar(acordar);
    for (int i = 0; i < n; ++i) {
        // A failed connection is handed to c-ares as readable: its read fails
        // and it deals with the server as it does on any failed read.
        sockets[i].pode_ler = FD_ISSET(sockets[i].socket, &leitura) ||
                              FD_ISSET(sockets[i].socket, &erro);
        sockets[i].pode_escrever = FD_ISSET(sockets[i].socket, &escrita) != 0;
    }
}

arquivos_de_nomes arquivos_de_nomes_do_sistema() {
    // The hosts file beside the system's drivers, as Windows and c-ares find it.
    static char hosts[MAX_PATH + 32] = {0};
    if (hosts[0] == '\0') {
        UINT n = GetSystemDirectoryA(hosts, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) hosts[0] = '\0';
        else std::strcat(hosts, "\\drivers\\etc\\hosts");
    }
    return {hosts, "", "", "files dns"};
}

firma_de_arquivo firmar_arquivo(const char* caminho) {
    if (caminho[0] == '\0') return {false, 0, 0, 0, 0};
    HANDLE arquivo = CreateFileA(caminho, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (arquivo == INVALID_HANDLE_VALUE) return {false, 0, 0, 0, 0};
    BY_HANDLE_FILE_INFORMATION dados;
    bool lido = GetFileInformationByHandle(arquivo, &dados) != 0;
    CloseHandle(arquivo);
    if (!lido) return {false, 0, 0, 0, 0};
    auto juntar = [](DWORD alto, DWORD baixo) { return (static_cast<uint64_t>(alto) << 32) | baixo; };
    return {true, dados.dwVolumeSerialNumber, juntar(dados.nFileIndexHigh, dados.nFileIndexLow),
            juntar(dados.nFileSizeHigh, dados.nFileSizeLow),
            juntar(dados.ftLastWriteTime.dwHighDateTime, dados.ftLastWriteTime.dwLowDateTime)};
}

}  // namespace plataforma::nomes
