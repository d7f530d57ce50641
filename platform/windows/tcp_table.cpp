// The TCP connection table on Windows, through IP Helper's GetExtendedTcpTable,
// for IPv4 and IPv6. iphlpapi.dll is loaded from the system folder at every
// reading and the call found at run time. (The program needs Windows 7 or
// later, which all have the call: older systems' table calls are not used.)
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "platform/platform.h"
#include "platform/seams.h"

namespace plataforma {

namespace {

// The row of the IPv4 table, MIB_TCPROW_OWNER_PID. Addresses in network byte order, ports in the low 16 bits
// of their word, also in network byte order.
struct linha_ip_helper {
    DWORD estado;
    DWORD ip_local;
    DWORD porta_local;
    DWORD ip_remoto;
    DWORD porta_remota;
    DWORD pid;
};
static_assert(sizeof(linha_ip_helper) == sizeof(MIB_TCPROW_OWNER_PID), "row layout");

struct tabela_ip_helper {
    DWORD quantidade;
    linha_ip_helper linhas[1];
};

// The row of the IPv6 table, MIB_TCP6ROW_OWNER_PID: addresses as 16 bytes in
// network order, each with its scope, then ports, state and owner as above.
struct linha_ipv6_ip_helper {
    UCHAR ip_local[16];
    DWORD escopo_local;
    DWORD porta_local;
    UCHAR ip_remoto[16];
    DWORD escopo_remoto;
    DWORD porta_remota;
    DWORD estado;
    DWORD pid;
};
static_assert(sizeof(linha_ipv6_ip_helper) == 56, "row layout");

struct tabela_ipv6_ip_helper {
    DWORD quantidade;
    linha_ipv6_ip_helper linhas[1];
};

using funcao_tabela_estendida = DWORD(WINAPI*)(PVOID, PDWORD, BOOL, ULONG, TCP_TABLE_CLASS, ULONG);

// Room for the largest table the interface hands over, so a reading needs no
// memory of its own unless the system holds even more rows than that.
constexpr std::size_t bytes_da_tabela =
    sizeof(DWORD) + sizeof(linha_ip_helper) * maximo_conexoes_tcp;
union {
    tabela_ip_helper tabela;
    unsigned char bytes[bytes_da_tabela];
} espaco;

std::mutex trava_da_leitura;
std::atomic<const char*> fonte_atual{"nenhuma"};

template <typename Funcao>
Funcao procurar(HMODULE biblioteca, const char* nome) {
    return reinterpret_cast<Funcao>(reinterpret_cast<void*>(GetProcAddress(biblioteca, nome)));
}

uint64_t chave(DWORD ip, DWORD porta) {
    return static_cast<uint64_t>(ntohl(ip)) << 16 | ntohs(static_cast<u_short>(porta));
}

bool vem_antes(const linha_ip_helper& a, const linha_ip_helper& b) {
    uint64_t local_a = chave(a.ip_local, a.porta_local);
    uint64_t local_b = chave(b.ip_local, b.porta_local);
    if (local_a != local_b) return local_a < local_b;
    return chave(a.ip_remoto, a.porta_remota) < chave(b.ip_remoto, b.porta_remota);
}

// The established rows of a table, in order, as the interface hands them over.
// The system sorts its table on request, but the order promised here is our
// own, so it is made sure of.
int entregar(tabela_ip_helper& tabela, conexao_tcp* linhas, int capacidade) {
    linha_ip_helper* inicio = tabela.linhas;
    linha_ip_helper* fim = inicio + tabela.quantidade;
    std::sort(inicio, fim, vem_antes);
    int estabelecidas = 0;
    for (linha_ip_helper* l = inicio; l != fim && estabelecidas < maximo_conexoes_tcp; ++l) {
        if ((l->estado & 0xFFFF) != estado_estabelecido) continue;
        if (estabelecidas < capacidade) {
            linhas[estabelecidas] = conexao_tcp{
                estado_estabelecido, l->ip_local, static_cast<uint16_t>(l->porta_local),
                l->ip_remoto, static_cast<uint16_t>(l->porta_remota), static_cast<int32_t>(l->pid)};
        }
        ++estabelecidas;
    }
    return estabelecidas;
}

int entregar_ipv4(void* tabela, conexao_tcp* linhas, int capacidade) {
    return entregar(*static_cast<tabela_ip_helper*>(tabela), linhas, capacidade);
}

bool ipv4_mapeado(const UCHAR (&ip)[16]) {
    static const UCHAR prefixo[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    return std::memcmp(ip, prefixo, sizeof prefixo) == 0;
}

// A row of the IPv6 table; an IPv4 connection of a dual-stack socket
// (IPv4-mapped addresses) becomes the IPv4 row it is.
conexao_tcp conexao_ipv6(const linha_ipv6_ip_helper& l) {
    conexao_tcp c{estado_estabelecido, 0, static_cast<uint16_t>(l.porta_local), 0,
                  static_cast<uint16_t>(l.porta_remota), static_cast<int32_t>(l.pid)};
    if (ipv4_mapeado(l.ip_local) && ipv4_mapeado(l.ip_remoto)) {
        std::memcpy(&c.ip_local, l.ip_local + 12, 4);
        std::memcpy(&c.ip_remoto, l.ip_remoto + 12, 4);
        return c;
    }
    c.ipv6 = true;
    std::memcpy(c.ip6_local, l.ip_local, 16);
    std::memcpy(c.ip6_remoto, l.ip_remoto, 16);
    return c;
}

// The established rows of the IPv6 table, in the table's order; the reading
// sorts them with the IPv4 rows afterwards.
int entregar_ipv6(void* tabela, conexao_tcp* linhas, int capacidade) {
    const tabela_ipv6_ip_helper& t = *static_cast<tabela_ipv6_ip_helper*>(tabela);
    int estabelecidas = 0;
    for (DWORD i = 0; i < t.quantidade && estabelecidas < maximo_conexoes_tcp; ++i) {
        const linha_ipv6_ip_helper& l = t.linhas[i];
        if ((l.estado & 0xFFFF) != estado_estabelecido) continue;
        if (estabelecidas < capacidade) linhas[estabelecidas] = conexao_ipv6(l);
        ++estabelecidas;
    }
    return estabelecidas;
}

using entrega_de_linhas = int (*)(void* tabela, conexao_tcp* linhas, int capacidade);

// Asks for the size first, then reads into room of that size. The table can
// grow between the two calls; then the read fails with the new size and is
// asked again, since rows may come only from a call that succeeded.
int ler_pela_tabela_estendida(funcao_tabela_estendida ler, ULONG familia,
                              entrega_de_linhas entregar_linhas, conexao_tcp* linhas,
                              int capacidade) {
    DWORD tamanho = 0;
    DWORD resultado = ler(nullptr, &tamanho, TRUE, familia, TCP_TABLE_OWNER_PID_ALL, 0);
    for (int tentativa = 0; tentativa < 4; ++tentativa) {
        if (resultado != ERROR_INSUFFICIENT_BUFFER && resultado != NO_ERROR) return -1;
        bool cabe = tamanho <= sizeof espaco;
        void* destino = cabe ? &espaco : HeapAlloc(GetProcessHeap(), 0, tamanho);
        if (destino == nullptr) return -1;
        DWORD tamanho_dado = cabe ? static_cast<DWORD>(sizeof espaco) : tamanho;
        resultado = ler(destino, &tamanho_dado, TRUE, familia, TCP_TABLE_OWNER_PID_ALL, 0);
        int total = resultado == NO_ERROR ? entregar_linhas(destino, linhas, capacidade) : -1;
        if (!cabe) HeapFree(GetProcessHeap(), 0, destino);
        if (total >= 0) return total;
        tamanho = tamanho_dado;
    }
    return -1;
}

bool conexao_vem_antes(const conexao_tcp& a, const conexao_tcp& b) {
    if (a.ipv6 != b.ipv6) return b.ipv6;
    if (!a.ipv6) {
        uint64_t local_a = chave(a.ip_local, a.porta_local);
        uint64_t local_b = chave(b.ip_local, b.porta_local);
        if (local_a != local_b) return local_a < local_b;
        return chave(a.ip_remoto, a.porta_remota) < chave(b.ip_remoto, b.porta_remota);
    }
    if (int local = std::memcmp(a.ip6_local, b.ip6_local, 16)) return local < 0;
    if (a.porta_local != b.porta_local) return ntohs(a.porta_local) < ntohs(b.porta_local);
    if (int remoto = std::memcmp(a.ip6_remoto, b.ip6_remoto, 16)) return remoto < 0;
    return ntohs(a.porta_remota) < ntohs(b.porta_remota);
}

bool mesma_conexao(const conexao_tcp& a, const conexao_tcp& b) {
    return !conexao_vem_antes(a, b) && !conexao_vem_antes(b, a);
}

// The IPv4 table, then the IPv6 one after it. Where the IPv6 table lists a
// dual-stack socket's IPv4 connection that the IPv4 table lists too, the row
// is kept once; the rows written are sorted, IPv4 first. A system without the
// IPv6 table gives the IPv4 rows alone.
int ler_as_duas_familias(funcao_tabela_estendida ler, conexao_tcp* linhas, int capacidade) {
    int ipv4 = ler_pela_tabela_estendida(ler, AF_INET, entregar_ipv4, linhas, capacidade);
    if (ipv4 < 0) return -1;
    int escritas = std::min(ipv4, capacidade);
    int ipv6 = ler_pela_tabela_estendida(ler, AF_INET6, entregar_ipv6, linhas + escritas,
                                         capacidade - escritas);
    if (ipv6 <= 0) return ipv4;
    int escritas_ipv6 = std::min(ipv6, capacidade - escritas);
    conexao_tcp* fim = linhas + escritas + escritas_ipv6;
    std::sort(linhas, fim, conexao_vem_antes);
    int repetidas = static_cast<int>(fim - std::unique(linhas, fim, mesma_conexao));
    return std::min(ipv4 + ipv6 - repetidas, maximo_conexoes_tcp);
}

int ler_da_biblioteca(HMODULE biblioteca, conexao_tcp* linhas, int capacidade) {
    auto estendida = procurar<funcao_tabela_estendida>(biblioteca, "GetExtendedTcpTable");
    if (estendida == nullptr) return -1;
    fonte_atual = "GetExtendedTcpTable";
    return ler_as_duas_familias(estendida, linhas, capacidade);
}

// IP Helper from the system's own folder, by its full path: by its bare name
// the search would start in the program's folder, where a stray copy would be
// loaded into the program.
HMODULE carregar_ip_helper() {
    wchar_t caminho[MAX_PATH];
    const wchar_t nome[] = L"\\iphlpapi.dll";
    UINT tamanho = GetSystemDirectoryW(caminho, MAX_PATH);
    if (tamanho == 0 || tamanho + sizeof nome / sizeof *nome > MAX_PATH) return nullptr;
    std::wcscpy(caminho + tamanho, nome);
    return LoadLibraryW(caminho);
}

}  // namespace

int ler_tabela_tcp(conexao_tcp* linhas, int capacidade) {
    std::lock_guard<std::mutex> guarda(trava_da_leitura);
    if (capacidade < 0) capacidade = 0;
    HMODULE biblioteca = carregar_ip_helper();
    if (biblioteca == nullptr) {
        fonte_atual = "nenhuma";
        return -1;
    }
    int total = ler_da_biblioteca(biblioteca, linhas, capacidade);
    FreeLibrary(biblioteca);
    if (total < 0) fonte_atual = "nenhuma";
    return total;
}

const char* fonte_da_tabela_tcp() { return fonte_atual; }

// Windows offers one way to read the table: the second way is the same one.
void usar_segunda_via_da_tabela(bool) {}

// Nothing is kept between readings here: the system names each row's owner.
void esquecer_donos_das_conexoes() {}

}  // namespace plataforma
