#include "platform/linux/socket_owners.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/linux/proc_parsers.h"
#include "platform/platform.h"

namespace plataforma::donos {

namespace {

enum class situacao : uint8_t { conhecido, procurar, desconhecido };

struct dono {
    uint64_t inode;
    int64_t tentar_em_ms;  // an unknown socket is looked for again from then on
    int32_t pid;
    int32_t fd;
    uint32_t geracao;
    situacao estado;
    bool na_lista;
};

constexpr int tentar_de_novo_ms = 1000;
constexpr uint32_t vagas_maximas = 2u * static_cast<uint32_t>(maximo_conexoes_tcp);

// Open addressing over a generation stamp: a slot belongs to the table only
// when it carries the table's current generation, so emptying is one increment
// and a reading touches no more memory than its own sockets need.
struct tabela_de_donos {
    dono* vagas;
    uint32_t mascara;
    uint32_t geracao;

    uint32_t inicio(uint64_t inode) const {
        return static_cast<uint32_t>((inode * 0x9E3779B97F4A7C15ull) >> 32) & mascara;
    }
    dono* achar(uint64_t inode) {
        for (uint32_t i = inicio(inode);; i = (i + 1) & mascara) {
            if (vagas[i].geracao != geracao) return nullptr;
            if (vagas[i].inode == inode) return &vagas[i];
        }
    }
    // The slot of `inode`; `novo` tells whether it was just taken.
    dono* inserir(uint64_t inode, bool& novo) {
        for (uint32_t i = inicio(inode);; i = (i + 1) & mascara) {
            novo = vagas[i].geracao != geracao;
            if (novo || vagas[i].inode == inode) return &vagas[i];
        }
    }
    void preparar(int sockets) {
        uint32_t tamanho = 64;
        while (tamanho < 2u * static_cast<uint32_t>(sockets)) tamanho <<= 1;
        mascara = tamanho - 1;
        ++geracao;
    }
};

dono vagas_a[vagas_maximas];
dono vagas_b[vagas_maximas];
tabela_de_donos tabelas[2] = {{vagas_a, 63, 1}, {vagas_b, 63, 1}};
int tabela_corrente = 0;
int proxima_verificacao = 0;

dono* procurados[maximo_conexoes_tcp];
int num_procurados = 0;
int32_t donos_conhecidos[maximo_conexoes_tcp];

int64_t agora_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// ---- reading /proc directories ----------------------------------------------

struct entrada_dirent64 {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

// One buffer for the list of processes and one for the descriptors of the
// process being looked through: the two listings are read nested.
struct bloco_de_entradas {
    alignas(8) char bytes[32 * 1024];
};
bloco_de_entradas entradas_de_processos;
bloco_de_entradas entradas_de_descritores;

bool nome_numerico(const char* nome, int32_t* numero) {
    if (*nome < '0' || *nome > '9') return false;
    int64_t v = 0;
    for (; *nome; ++nome) {
        if (*nome < '0' || *nome > '9' || v > INT32_MAX / 10) return false;
        v = v * 10 + (*nome - '0');
    }
    *numero = static_cast<int32_t>(v);
    return true;
}

// Calls `visitar(numero)` for every numeric entry of the directory `fd` until
// it returns false.
template <typename F>
void numeros_do_diretorio(int fd, bloco_de_entradas& bloco, F visitar) {
    for (;;) {
        ssize_t lidos = getdents64(fd, bloco.bytes, sizeof bloco.bytes);
        if (lidos <= 0) return;
        for (ssize_t pos = 0; pos < lidos;) {
            auto* e = reinterpret_cast<entrada_dirent64*>(bloco.bytes + pos);
            pos += e->d_reclen;
            int32_t numero;
            if (nome_numerico(e->d_name, &numero) && !visitar(numero)) return;
        }
    }
}

bool socket_do_link(int dir, const char* nome, uint64_t* inode) {
    char alvo[64];
    ssize_t n = readlinkat(dir, nome, alvo, sizeof alvo);
    return n > 0 && n < static_cast<ssize_t>(sizeof alvo) &&
           proc::inode_de_socket(alvo, static_cast<std::size_t>(n), inode);
}

// ---- the walk -----------------------------------------------------------------

int restantes = 0;

// Looks through one process's descriptors; false once nothing is left to find.
bool varrer_processo(tabela_de_donos& tabela, int32_t pid) {
    char caminho[32];
    std::snprintf(caminho, sizeof caminho, "/proc/%d/fd", pid);
    int dir = open(caminho, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return true;
    char nome[16];
    numeros_do_diretorio(dir, entradas_de_descritores, [&](int32_t fd) {
        std::snprintf(nome, sizeof nome, "%d", fd);
        uint64_t inode;
        if (!socket_do_link(dir, nome, &inode)) return true;
        dono* d = tabela.achar(inode);
        if (d == nullptr || d->estado != situacao::procurar) return true;
        d->pid = pid;
        d->fd = fd;
        d->estado = situacao::conhecido;
        return --restantes > 0;
    });
    close(dir);
    return restantes > 0;
}

// The processes that already own a socket of this reading, sorted, once each.
int reunir_donos_conhecidos(tabela_de_donos& tabela, const diag::socket_tcp* sockets, int n) {
    int num = 0;
    for (int i = 0; i < n; ++i) {
        dono* d = sockets[i].inode ? tabela.achar(sockets[i].inode) : nullptr;
        if (d && d->estado == situacao::conhecido) donos_conhecidos[num++] = d->pid;
    }
    std::sort(donos_conhecidos, donos_conhecidos + num);
    return static_cast<int>(std::unique(donos_conhecidos, donos_conhecidos + num) -
                            donos_conhecidos);
}

void varrer_todos(tabela_de_donos& tabela, int ja_varridos) {
    int dir = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    numeros_do_diretorio(dir, entradas_de_processos, [&](int32_t pid) {
        if (std::binary_search(donos_conhecidos, donos_conhecidos + ja_varridos, pid))
            return true;
        return varrer_processo(tabela, pid);
    });
    close(dir);
}

void procurar_donos(tabela_de_donos& tabela, const diag::socket_tcp* sockets, int n) {
    restantes = num_procurados;
    int conhecidos = reunir_donos_conhecidos(tabela, sockets, n);
    for (int i = 0; i < conhecidos; ++i) {
        if (!varrer_processo(tabela, donos_conhecidos[i])) return;
    }
    varrer_todos(tabela, conhecidos);
}

// ---- one reading ----------------------------------------------------------------

void procurar(dono* d) {
    d->estado = situacao::procurar;
    if (!d->na_lista) procurados[num_procurados++] = d;
    d->na_lista = true;
}

void tomar_do_cache(tabela_de_donos& atual, tabela_de_donos& anterior, uint64_t inode,
                    int64_t agora) {
    bool novo;
    dono* d = atual.inserir(inode, novo);
    if (!novo) return;
    const dono* antes = anterior.achar(inode);
    if (antes) {
        *d = *antes;
    } else {
        *d = dono{inode, 0, 0, -1, 0, situacao::procurar, false};
    }
    d->geracao = atual.geracao;
    d->na_lista = false;
    if (d->estado == situacao::procurar ||
        (d->estado == situacao::desconhecido && agora >= d->tentar_em_ms))
        procurar(d);
}

bool ainda_e_dono(const dono& d) {
    char caminho[48];
    std::snprintf(caminho, sizeof caminho, "/proc/%d/fd/%d", d.pid, d.fd);
    char alvo[64];
    ssize_t n = readlink(caminho, alvo, sizeof alvo);
    uint64_t inode;
    return n > 0 && n < static_cast<ssize_t>(sizeof alvo) &&
           proc::inode_de_socket(alvo, static_cast<std::size_t>(n), &inode) &&
           inode == d.inode;
}

// A slice of the cached owners is checked each reading, so every owner is
// checked again within about twenty readings at a small, steady cost.
void verificar_alguns(tabela_de_donos& tabela, const diag::socket_tcp* sockets, int n) {
    if (n == 0) return;
    int quantos = std::min(n, 4 + n / 20);
    if (proxima_verificacao >= n) proxima_verificacao = 0;
    for (int k = 0; k < quantos; ++k) {
        int i = (proxima_verificacao + k) % n;
        dono* d = sockets[i].inode ? tabela.achar(sockets[i].inode) : nullptr;
        if (d && d->estado == situacao::conhecido && !ainda_e_dono(*d)) procurar(d);
    }
    proxima_verificacao = (proxima_verificacao + quantos) % n;
}

void desistir_dos_nao_achados(int64_t agora) {
    for (int i = 0; i < num_procurados; ++i) {
        dono* d = procurados[i];
        if (d->estado != situacao::procurar) continue;
        d->estado = situacao::desconhecido;
        d->pid = 0;
        d->tentar_em_ms = agora + tentar_de_novo_ms;
    }
}

}  // namespace

void resolver(const diag::socket_tcp* sockets, int32_t* pids, int n) {
    int64_t agora = agora_ms();
    tabela_de_donos& anterior = tabelas[tabela_corrente];
    tabela_corrente ^= 1;
    tabela_de_donos& atual = tabelas[tabela_corrente];
    atual.preparar(n);
    num_procurados = 0;
    for (int i = 0; i < n; ++i) {
        if (sockets[i].inode) tomar_do_cache(atual, anterior, sockets[i].inode, agora);
    }
    verificar_alguns(atual, sockets, n);
    if (num_procurados > 0) procurar_donos(atual, sockets, n);
    if (num_procurados > 0) desistir_dos_nao_achados(agora);
    for (int i = 0; i < n; ++i) {
        const dono* d = sockets[i].inode ? atual.achar(sockets[i].inode) : nullptr;
        pids[i] = d && d->estado == situacao::conhecido ? d->pid : 0;
    }
}

void esquecer() {
    ++tabelas[0].geracao;
    ++tabelas[1].geracao;
}

}  // namespace plataforma::donos
