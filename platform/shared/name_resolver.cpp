// The reverse-name resolver on c-ares: one thread owns the channel and runs
// every lookup on it; other threads only read and write the cache and the
// queue of lookups to start, under one lock, and wake the thread. What is
// specific to an operating system is behind internal.h.
#include <ares.h>
#include <ares_nameser.h>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <netdb.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdio>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/shared/internal.h"
#include "platform/platform.h"
#include "platform/seams.h"

namespace plataforma {

namespace {

using namespace nomes;

enum class estado_da_entrada : uint8_t { livre, pendente, com_nome, sem_nome };

// An address to name: 4 bytes of IPv4 or 16 of IPv6, in network order.
struct endereco_ip {
    int tamanho = 0;
    unsigned char bytes[16] = {0};
    bool operator==(const endereco_ip& outro) const {
        return tamanho == outro.tamanho &&
               std::memcmp(bytes, outro.bytes, static_cast<std::size_t>(tamanho)) == 0;
    }
};

// One address the cache knows. `prazo` is when the window of a pending lookup
// closes, or when a "no name" may be asked again.
struct entrada_de_nome {
    estado_da_entrada estado = estado_da_entrada::livre;
    endereco_ip endereco;
    char nome[256] = {0};
    uint64_t serie = 0;
    uint64_t prazo = 0;
    uint64_t usada_em = 0;
};

// A lookup handed to c-ares: its callback finds the entry it was made for, if
// the entry still waits for that very lookup.
struct consulta_no_canal {
    bool em_uso = false;
    int indice = 0;
    uint64_t serie = 0;
    endereco_ip endereco;
    int passo = 0;  // the source of the system's order it is at
};

struct pedido_de_consulta {
    int indice;
    uint64_t serie;
    endereco_ip endereco;
};

// Everything below `trava` guards is shared between the callers and the
// resolver's thread; the channel and the consultas are the thread's alone.
std::mutex trava;
entrada_de_nome cache[capacidade_do_cache_de_nomes];
pedido_de_consulta fila[limite_de_consultas_de_nomes];
int na_fila = 0;
int no_canal = 0;
uint64_t ultima_serie = 0;
contagem_de_nomes contagem{};
bool cancelar_tudo = false;
bool parar = false;
std::condition_variable aviso_de_resposta;
char servidores_de_teste[256] = {0};
char ordem_de_teste[8] = {0};

consulta_no_canal consultas[limite_de_consultas_de_nomes];

// Starting and stopping the thread are serialised with each other and with
// the requests that may start it.
std::mutex trava_do_ciclo;
std::unique_ptr<std::thread>& thread_do_resolvedor = *new std::unique_ptr<std::thread>;

std::atomic<relogio_de_nomes> relogio_substituto{nullptr};

uint64_t agora_ms() {
    relogio_de_nomes relogio = relogio_substituto.load();
    if (relogio) return relogio();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// A dotted IPv4 address, exactly four decimal parts of 0 to 255 and nothing
// else (c-ares' own parser also takes shortened forms such as "127.0.0").
bool ler_ipv4(const char* ip, unsigned char* endereco) {
    for (int parte = 0; parte < 4; ++parte) {
        if (parte > 0 && *ip++ != '.') return false;
        int valor = 0, digitos = 0;
        for (; *ip >= '0' && *ip <= '9' && digitos < 4; ++ip, ++digitos) valor = valor * 10 + (*ip - '0');
        if (digitos == 0 || digitos > 3 || valor > 255) return false;
        endereco[parte] = static_cast<unsigned char>(valor);
    }
    return *ip == '\0';
}

// An IPv4 address, else an IPv6 one (its name is asked under ip6.arpa).
bool ler_endereco(const char* ip, endereco_ip& endereco) {
    if (ip == nullptr) return false;
    if (ler_ipv4(ip, endereco.bytes)) {
        endereco.tamanho = 4;
        return true;
    }
    uint8_t ipv6[16];
    if (!ler_ipv6(ip, ipv6)) return false;
    std::memcpy(endereco.bytes, ipv6, sizeof ipv6);
    endereco.tamanho = 16;
    return true;
}

// The address as the hosts file's index keeps it: IPv4 as IPv4-mapped IPv6.
void em_16_bytes(const endereco_ip& endereco, unsigned char (&chave)[16]) {
    if (endereco.tamanho == 16) {
        std::memcpy(chave, endereco.bytes, 16);
        return;
    }
    const unsigned char mapeado[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    std::memcpy(chave, mapeado, 12);
    std::memcpy(chave + 12, endereco.bytes, 4);
}

// ---- The cache (callers hold `trava`) ----------------------------------------

int procurar(const endereco_ip& endereco) {
    for (int i = 0; i < capacidade_do_cache_de_nomes; ++i)
        if (cache[i].estado != estado_da_entrada::livre && cache[i].endereco == endereco)
            return i;
    return -1;
}

void liberar(entrada_de_nome& entrada) {
    entrada.estado = estado_da_entrada::livre;
    --contagem.no_cache;
}

// A free entry, else the one used longest ago that no lookup waits on.
int lugar_para_nova_entrada() {
    int escolhida = -1;
    for (int i = 0; i < capacidade_do_cache_de_nomes; ++i) {
        const entrada_de_nome& e = cache[i];
        if (e.estado == estado_da_entrada::livre) return i;
        if (e.estado == estado_da_entrada::pendente) continue;
        if (escolhida < 0 || e.usada_em < cache[escolhida].usada_em) escolhida = i;
    }
    if (escolhida >= 0) liberar(cache[escolhida]);
    return escolhida;
}

void sem_nome_ate(entrada_de_nome& entrada, uint64_t agora) {
    entrada.estado = estado_da_entrada::sem_nome;
    entrada.prazo = agora + nova_tentativa_sem_nome_ms;
}

// A pending lookup whose window has passed ends as "no name".
bool expirar_se_passou(entrada_de_nome& entrada, uint64_t agora) {
    if (entrada.estado != estado_da_entrada::pendente || agora < entrada.prazo) return false;
    sem_nome_ate(entrada, agora);
    ++contagem.expiradas;
    return true;
}

// Whether any lookup is still wanted: a pending one inside its window.
bool expirar_pendentes(uint64_t agora) {
    bool desejadas = false;
    for (entrada_de_nome& e : cache)
        desejadas |= !expirar_se_passou(e, agora) && e.estado == estado_da_entrada::pendente;
    return desejadas;
}

// A name too long for the caller's cell keeps its end, where the domain is.
void copiar_final(char* destino, std::size_t largura, const char* nome) {
    if (destino == nullptr || largura == 0) return;
    std::size_t tamanho = std::strlen(nome);
    const char* inicio = tamanho < largura ? nome : nome + (tamanho - (largura - 1));
    std::size_t n = std::strlen(inicio);
    std::memcpy(destino, inicio, n);
    destino[n] = '\0';
}

// A name is shown and reported as text: control bytes (a hosts file may hold
// any) become "?", as in process names.
void trocar_controles(char* nome) {
    for (; *nome != '\0'; ++nome)
        if (static_cast<unsigned char>(*nome) < 0x20 || *nome == 0x7f) *nome = '?';
}

void registrar_resposta(entrada_de_nome& entrada, const char* nome, uint64_t agora) {
    aviso_de_resposta.notify_all();
    if (nome == nullptr || nome[0] == '\0') {
        sem_nome_ate(entrada, agora);
        ++contagem.sem_nome;
        return;
    }
    copiar_final(entrada.nome, sizeof entrada.nome, nome);
    trocar_controles(entrada.nome);
    entrada.estado = estado_da_entrada::com_nome;
    ++contagem.com_nome;
}

// Queues the lookup of `endereco` in entry `indice` (-1: a new entry). -1 when
// there is no room: the address then has no name this time.
int comecar_consulta(const endereco_ip& endereco, unsigned janela_ms, uint64_t agora,
                     int indice) {
    if (na_fila >= limite_de_consultas_de_nomes || no_canal + na_fila >= limite_de_consultas_de_nomes)
        return -1;
    if (indice < 0) {
        indice = lugar_para_nova_entrada();
        if (indice < 0) return -1;
        ++contagem.no_cache;
        cache[indice].endereco = endereco;
    }
    entrada_de_nome& e = cache[indice];
    e.estado = estado_da_entrada::pendente;
    e.serie = ++ultima_serie;
    e.prazo = agora + janela_ms;
    pedido_de_consulta& p = fila[na_fila++];
    p.indice = indice;
    p.serie = e.serie;
    p.endereco = endereco;
    ++contagem.iniciadas;
    return indice;
}

bool precisa_consultar(const entrada_de_nome& entrada, uint64_t agora) {
    return entrada.estado == estado_da_entrada::sem_nome && agora >= entrada.prazo;
}

resposta_de_nome resposta_da_entrada(const entrada_de_nome& entrada, char* destino,
                                     std::size_t largura) {
    if (entrada.estado == estado_da_entrada::pendente) return resposta_de_nome::pendente;
    if (entrada.estado != estado_da_entrada::com_nome) return resposta_de_nome::sem_nome;
    copiar_final(destino, largura, entrada.nome);
    return resposta_de_nome::com_nome;
}

// Forgets every entry; lookups still waited for end as cancelled.
void esvaziar_cache() {
    for (entrada_de_nome& e : cache) {
        if (e.estado == estado_da_entrada::pendente) ++contagem.canceladas;
        e.estado = estado_da_entrada::livre;
    }
    contagem.no_cache = 0;
    na_fila = 0;
}

// ---- The resolver's thread ---------------------------------------------------

// The system's settings as the thread last read them, and its channel.
struct configuracao_de_nomes {
    bool lida;
    firma_de_arquivo resolv_conf, nsswitch;
    ordem_das_fontes ordem;
    bool por_tcp;
};
configuracao_de_nomes configuracao{};
ares_channel canal = nullptr;
// While a replaced channel is destroyed, its lookups go back to the queue.
bool reencaminhar = false;

void concluir(consulta_no_canal* consulta, const char* nome) {
    consulta->em_uso = false;
    std::lock_guard<std::mutex> guarda(trava);
    --no_canal;
    entrada_de_nome& e = cache[consulta->indice];
    uint64_t agora = agora_ms();
    if (e.estado != estado_da_entrada::pendente || e.serie != consulta->serie ||
        expirar_se_passou(e, agora)) {
        ++contagem.descartadas;
        return;
    }
    registrar_resposta(e, nome, agora);
}

// A lookup c-ares gave up because it was cancelled or its channel destroyed:
// forgotten, or queued again for the channel that replaces it.
void interromper(consulta_no_canal* consulta) {
    consulta->em_uso = false;
    std::lock_guard<std::mutex> guarda(trava);
    --no_canal;
    entrada_de_nome& e = cache[consulta->indice];
    if (e.estado != estado_da_entrada::pendente || e.serie != consulta->serie ||
        expirar_se_passou(e, agora_ms()))
        return;
    if (reencaminhar && na_fila < limite_de_consultas_de_nomes) {
        fila[na_fila++] = {consulta->indice, consulta->serie, consulta->endereco};
        return;
    }
    liberar(e);
    ++contagem.canceladas;
    aviso_de_resposta.notify_all();
}

// How the system's lookup would take a DNS outcome.
estado_da_fonte estado_do_dns(int status) {
    if (status == ARES_ENOTFOUND || status == ARES_ENODATA) return fonte_nao_achou;
    if (status == ARES_ECONNREFUSED) return fonte_indisponivel;
    return fonte_tentar_de_novo;
}

void consultar_a_partir_de(consulta_no_canal* consulta, int passo);

// Runs on the resolver's thread, from inside c-ares.
void ao_responder(void* argumento, int status, int, unsigned char* resposta, int tamanho) {
    auto* consulta = static_cast<consulta_no_canal*>(argumento);
    if (status == ARES_ECANCELLED || status == ARES_EDESTRUCTION) {
        interromper(consulta);
        return;
    }
    hostent* host = nullptr;
    if (status == ARES_SUCCESS)
        status = ares_parse_ptr_reply(resposta, tamanho, consulta->endereco.bytes,
                                      consulta->endereco.tamanho,
                                      consulta->endereco.tamanho == 16 ? AF_INET6 : AF_INET, &host);
    if (status == ARES_SUCCESS && host != nullptr && host->h_name != nullptr) {
        concluir(consulta, host->h_name);
    } else if (configuracao.ordem.fontes[consulta->passo].encerra[estado_do_dns(status)]) {
        concluir(consulta, nullptr);
    } else {
        consultar_a_partir_de(consulta, consulta->passo + 1);
    }
    if (host != nullptr) ares_free_hostent(host);
}

// The reverse name: in-addr.arpa for IPv4, the 32 nibbles of ip6.arpa for IPv6.
void nome_reverso(const endereco_ip& endereco, char (&nome)[80]) {
    const unsigned char* e = endereco.bytes;
    if (endereco.tamanho == 4) {
        std::snprintf(nome, sizeof nome, "%u.%u.%u.%u.in-addr.arpa", e[3], e[2], e[1], e[0]);
        return;
    }
    char* p = nome;
    for (int i = 15; i >= 0; --i) p += std::snprintf(p, 5, "%x.%x.", e[i] & 0xf, e[i] >> 4);
    std::snprintf(p, 9, "ip6.arpa");
}

void pedir_ao_dns(consulta_no_canal* consulta) {
    char nome[80];
    nome_reverso(consulta->endereco, nome);
    ares_query(canal, nome, ns_c_in, ns_t_ptr, ao_responder, consulta);
}

// The system's sources from `passo` on, in its order: the hosts file answers
// at once from its index, DNS later through ao_responder, which goes on from
// the source after it.
void consultar_a_partir_de(consulta_no_canal* consulta, int passo) {
    const ordem_das_fontes& ordem = configuracao.ordem;
    for (; passo < ordem.quantas; ++passo) {
        const fonte_de_nomes& fonte = ordem.fontes[passo];
        if (fonte.dns && canal != nullptr) {
            consulta->passo = passo;
            pedir_ao_dns(consulta);
            return;
        }
        char nome[256];
        unsigned char chave[16];
        em_16_bytes(consulta->endereco, chave);
        estado_da_fonte estado = fonte.dns ? fonte_indisponivel : procurar_no_hosts(chave, nome, sizeof nome);
        if (estado == fonte_achou) {
            concluir(consulta, nome);
            return;
        }
        if (fonte.encerra[estado]) break;
    }
    concluir(consulta, nullptr);
}

consulta_no_canal* consulta_livre() {
    for (consulta_no_canal& c : consultas)
        if (!c.em_uso) return &c;
    return nullptr;
}

void iniciar_consulta(const pedido_de_consulta& pedido) {
    consulta_no_canal* consulta = consulta_livre();
    {
        std::lock_guard<std::mutex> guarda(trava);
        entrada_de_nome& e = cache[pedido.indice];
        // A lookup forgotten while it was queued is not started at all.
        if (e.estado != estado_da_entrada::pendente || e.serie != pedido.serie) return;
        // With every slot taken (requests came while this batch was being
        // started) the address has no name this time.
        if (consulta == nullptr) {
            registrar_resposta(e, nullptr, agora_ms());
            return;
        }
        ++no_canal;
    }
    consulta->em_uso = true;
    consulta->indice = pedido.indice;
    consulta->serie = pedido.serie;
    consulta->endereco = pedido.endereco;
    consultar_a_partir_de(consulta, 0);
}

// An attempt that wants the name waits this long at most for a lookup under
// way to end, as a blocking lookup would: a hosts-file name or a nearby DNS
// server's answer is then there at once instead of one attempt later. Only
// this caller waits; lookups started without wanting the name never do.
constexpr auto espera_pela_resposta = std::chrono::milliseconds(20);

void esperar_resposta(std::unique_lock<std::mutex>& guarda, int indice) {
    const entrada_de_nome& e = cache[indice];
    uint64_t serie = e.serie;
    aviso_de_resposta.wait_for(guarda, espera_pela_resposta, [&] {
        return e.estado != estado_da_entrada::pendente || e.serie != serie;
    });
}

// The order of the sources a test asked for ("fb", "b"), else the system's.
ordem_das_fontes ordem_a_seguir(const char* ordem_pedida, const arquivos_de_nomes& arquivos) {
    if (ordem_pedida[0] == '\0') return ordem_do_nsswitch(arquivos.nsswitch, arquivos.ordem_padrao);
    ordem_das_fontes ordem{};
    for (const char* c = ordem_pedida; *c != '\0' && ordem.quantas < fontes_maximas; ++c)
        if (*c == 'f' || *c == 'b') ordem.fontes[ordem.quantas++] = {*c == 'b', {true, false, false, false}};
    return ordem;
}

// A channel that asks DNS only: the hosts file is the index's.
ares_channel abrir_canal(const char* servidores, bool por_tcp) {
    static std::once_flag biblioteca;
    static int biblioteca_iniciada = ARES_ENOTINITIALIZED;
    std::call_once(biblioteca, [] { biblioteca_iniciada = ares_library_init(ARES_LIB_INIT_ALL); });
    if (biblioteca_iniciada != ARES_SUCCESS) return nullptr;
    ares_options opcoes{};
    int mascara = ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_LOOKUPS;
    opcoes.timeout = static_cast<int>(duracao_de_consulta_dns_ms);
    opcoes.tries = 1;
    char so_dns[] = "b";
    opcoes.lookups = so_dns;
    if (por_tcp) {
        mascara |= ARES_OPT_FLAGS;
        opcoes.flags = ARES_FLAG_USEVC;
    }
    ares_channel novo = nullptr;
    if (ares_init_options(&novo, &opcoes, mascara) != ARES_SUCCESS) return nullptr;
    if (servidores[0] != '\0' && ares_set_servers_ports_csv(novo, servidores) != ARES_SUCCESS) {
        ares_destroy(novo);
        return nullptr;
    }
    return novo;
}

// A new channel for new settings; the lookups the old one held go on in it.
void trocar_canal(const char* servidores) {
    ares_channel antigo = canal;
    canal = abrir_canal(servidores, configuracao.por_tcp);
    if (antigo == nullptr) return;
    reencaminhar = true;
    ares_destroy(antigo);
    reencaminhar = false;
    despertar_nomes();  // the lookups queued again start at the next turn
}

// "No name" answers came from the settings just replaced: asked again.
void esquecer_os_sem_nome() {
    std::lock_guard<std::mutex> guarda(trava);
    for (entrada_de_nome& e : cache)
        if (e.estado == estado_da_entrada::sem_nome) liberar(e);
}

// Reads what changed of the hosts file, resolv.conf and nsswitch.conf since
// the last look: a few file signatures when nothing did.
void seguir_o_sistema() {
    char servidores[sizeof servidores_de_teste];
    char ordem[sizeof ordem_de_teste];
    {
        std::lock_guard<std::mutex> guarda(trava);
        std::memcpy(servidores, servidores_de_teste, sizeof servidores);
        std::memcpy(ordem, ordem_de_teste, sizeof ordem);
    }
    arquivos_de_nomes arquivos = arquivos_de_nomes_do_sistema();
    atualizar_indice_do_hosts(arquivos.hosts);
    firma_de_arquivo resolv_conf = firmar_arquivo(arquivos.resolv_conf);
    firma_de_arquivo nsswitch = firmar_arquivo(arquivos.nsswitch);
    bool resolv_mudou = !configuracao.lida || !mesma_firma(resolv_conf, configuracao.resolv_conf);
    if (!resolv_mudou && mesma_firma(nsswitch, configuracao.nsswitch)) return;
    bool primeira = !configuracao.lida;
    configuracao = {true, resolv_conf, nsswitch, ordem_a_seguir(ordem, arquivos),
                    pede_dns_por_tcp(arquivos.resolv_conf)};
    if (!primeira) esquecer_os_sem_nome();
    if (resolv_mudou) trocar_canal(servidores);
}

struct trabalho_da_volta {
    bool parar = false, cancelar = false;
    int quantos = 0;
    pedido_de_consulta pedidos[limite_de_consultas_de_nomes];
};

void tomar_trabalho(trabalho_da_volta& t) {
    std::lock_guard<std::mutex> guarda(trava);
    t.parar = parar;
    t.cancelar = cancelar_tudo;
    cancelar_tudo = false;
    t.quantos = na_fila;
    std::memcpy(t.pedidos, fila, sizeof(pedido_de_consulta) * static_cast<std::size_t>(na_fila));
    na_fila = 0;
}

// Lookups nobody waits for any more are cancelled as soon as none is wanted:
// c-ares can only cancel every query of a channel at once.
bool ninguem_espera() {
    std::lock_guard<std::mutex> guarda(trava);
    return no_canal > 0 && !expirar_pendentes(agora_ms());
}

// While lookups are in flight the thread looks at their windows this often.
constexpr int olhar_janelas_ms = 20;
// Otherwise it wakes this often to see whether the system's settings changed.
constexpr int olhar_o_sistema_ms = 1000;

int sockets_do_canal(ares_channel canal, socket_de_nomes (&sockets)[ARES_GETSOCK_MAXNUM]) {
    ares_socket_t lista[ARES_GETSOCK_MAXNUM];
    int bits = ares_getsock(canal, lista, ARES_GETSOCK_MAXNUM);
    int n = 0;
    for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
        bool ler = ARES_GETSOCK_READABLE(bits, i), escrever = ARES_GETSOCK_WRITABLE(bits, i);
        if (ler || escrever) sockets[n++] = {lista[i], ler, escrever, false, false};
    }
    return n;
}

void esperar_e_processar(ares_channel canal) {
    socket_de_nomes sockets[ARES_GETSOCK_MAXNUM];
    int n = canal ? sockets_do_canal(canal, sockets) : 0;
    bool em_voo;
    {
        std::lock_guard<std::mutex> guarda(trava);
        contagem.sockets_abertos = n;
        em_voo = no_canal > 0;
    }
    esperar_sockets(sockets, n, em_voo ? olhar_janelas_ms : olhar_o_sistema_ms);
    if (canal == nullptr) return;
    for (int i = 0; i < n; ++i)
        if (sockets[i].pode_ler || sockets[i].pode_escrever)
            ares_process_fd(canal, sockets[i].pode_ler ? sockets[i].socket : ARES_SOCKET_BAD,
                            sockets[i].pode_escrever ? sockets[i].socket : ARES_SOCKET_BAD);
    ares_process_fd(canal, ARES_SOCKET_BAD, ARES_SOCKET_BAD);  // c-ares' own time-outs
}

void corpo_do_resolvedor() {
    configuracao.lida = false;
    static trabalho_da_volta trabalho;  // one thread at a time
    for (;;) {
        tomar_trabalho(trabalho);
        if (trabalho.parar) break;
        // After the work is taken: a lookup asked for after a file changed
        // is made with the new settings.
        seguir_o_sistema();
        if (trabalho.cancelar && canal) ares_cancel(canal);
        for (int i = 0; i < trabalho.quantos; ++i) iniciar_consulta(trabalho.pedidos[i]);
        if (canal && ninguem_espera()) ares_cancel(canal);
        esperar_e_processar(canal);
    }
    if (canal) ares_destroy(canal);
    canal = nullptr;
}

// Starts the thread when it does not run. The caller holds trava_do_ciclo.
void garantir_resolvedor() {
    if (thread_do_resolvedor) return;
    if (!abrir_sistema_de_nomes()) return;
    {
        std::lock_guard<std::mutex> guarda(trava);
        parar = false;
        contagem.thread_ativa = true;
    }
    thread_do_resolvedor.reset(new std::thread(corpo_do_resolvedor));
}

// What pedir_nome and olhar_nome share; `esperar` lets an attempt that wants
// the name wait a moment for a lookup under way.
resposta_de_nome saber_nome(const char* ip, unsigned janela_ms, char* destino,
                            std::size_t largura, bool esperar) {
    endereco_ip endereco;
    if (!ler_endereco(ip, endereco)) return resposta_de_nome::sem_nome;
    std::lock_guard<std::mutex> ciclo(trava_do_ciclo);
    garantir_resolvedor();
    std::unique_lock<std::mutex> guarda(trava);
    uint64_t agora = agora_ms();
    int indice = procurar(endereco);
    if (indice >= 0) expirar_se_passou(cache[indice], agora);
    if (indice < 0 || precisa_consultar(cache[indice], agora)) {
        indice = comecar_consulta(endereco, janela_ms, agora, indice);
        if (indice >= 0) despertar_nomes();
    }
    if (indice < 0) return resposta_de_nome::sem_nome;
    cache[indice].usada_em = agora;
    if (destino != nullptr && esperar) {
        esperar_resposta(guarda, indice);
        expirar_se_passou(cache[indice], agora_ms());
    }
    return resposta_da_entrada(cache[indice], destino, largura);
}

}  // namespace

resposta_de_nome pedir_nome(const char* ip, unsigned janela_ms, char* destino,
                            std::size_t largura) {
    return saber_nome(ip, janela_ms, destino, largura, true);
}

resposta_de_nome olhar_nome(const char* ip, unsigned janela_ms, char* destino,
                            std::size_t largura) {
    return saber_nome(ip, janela_ms, destino, largura, false);
}

void esquecer_nomes() {
    {
        std::lock_guard<std::mutex> guarda(trava);
        esvaziar_cache();
        cancelar_tudo = no_canal > 0;
    }
    despertar_nomes();
}

void encerrar_resolvedor() {
    std::lock_guard<std::mutex> ciclo(trava_do_ciclo);
    if (!thread_do_resolvedor) return;
    {
        std::lock_guard<std::mutex> guarda(trava);
        parar = true;
    }
    despertar_nomes();
    thread_do_resolvedor->join();
    thread_do_resolvedor.reset();
    fechar_sistema_de_nomes();
    std::lock_guard<std::mutex> guarda(trava);
    // Lookups queued but never handed to c-ares are given up with the thread.
    for (int i = 0; i < na_fila; ++i) {
        entrada_de_nome& e = cache[fila[i].indice];
        if (e.estado != estado_da_entrada::pendente || e.serie != fila[i].serie) continue;
        liberar(e);
        ++contagem.canceladas;
    }
    na_fila = 0;
    contagem.thread_ativa = false;
    contagem.sockets_abertos = 0;
}

contagem_de_nomes contar_nomes() {
    std::lock_guard<std::mutex> guarda(trava);
    expirar_pendentes(agora_ms());
    contagem_de_nomes c = contagem;
    c.em_curso = no_canal;
    return c;
}

void usar_servidores_de_nomes(const char* servidores, const char* ordem) {
    std::lock_guard<std::mutex> guarda(trava);
    bool cabe = servidores != nullptr && ordem != nullptr &&
                std::strlen(servidores) < sizeof servidores_de_teste &&
                std::strlen(ordem) < sizeof ordem_de_teste;
    std::strcpy(servidores_de_teste, cabe ? servidores : "");
    std::strcpy(ordem_de_teste, cabe ? ordem : "");
}

void substituir_relogio_de_nomes(relogio_de_nomes relogio) { relogio_substituto.store(relogio); }

}  // namespace plataforma
