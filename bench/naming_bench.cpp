// How long host naming holds the sweep, and what it makes the sweep miss.
// Runs the real sweep (real capture, real resolver) in a network and mount
// namespace of its own: loopback only, a hosts file, resolver configuration
// and name-service order of its own, and a DNS server of its own on
// 127.0.0.1:53 that answers PTR queries with a name, with NXDOMAIN, or never.
// Prints one figure per line with its target. Where the namespaces cannot be
// had (root and unshare are needed) it says so and does nothing else.
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "capture/reverse_dns.h"
#include "monitor/sweep.h"
#include "monitor/tables.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "shell/toolkit.h"
#include "support/dns_server.h"
#include "support/platform_services.h"
#include "support/scan_tables.h"

namespace {

using relogio = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* marca_de_dentro = "QUORVEX_NAMING_BENCH_INSIDE";
constexpr const char* nome_do_hosts = "servidor.exemplo.com.br";

// ---- Addresses and the DNS server's answers ----------------------------------
// 127.10.0.1 and 127.11.x.y have DNS names, 127.12.x.y have none (NXDOMAIN),
// 127.15.x.y have names that come after `atraso_do_dns_ms`, 127.20.0.1 is
// named in the hosts file only; with `dns_mudo` nothing is answered at all.
std::atomic<bool> dns_mudo{false};
std::atomic<int> atraso_do_dns_ms{200};

teste::resposta_dns regra_do_benchmark(const std::string& ip) {
    if (dns_mudo) return {teste::modo_dns::mudo, ""};
    if (ip.rfind("127.15.", 0) == 0)
        return {teste::modo_dns::atrasar, "h" + ip + ".exemplo.de", atraso_do_dns_ms.load()};
    if (ip.rfind("127.12.", 0) == 0) return {teste::modo_dns::sem_nome, ""};
    if (ip.rfind("127.", 0) == 0) return {teste::modo_dns::nome, "h" + ip + ".exemplo.de"};
    return {teste::modo_dns::sem_nome, ""};
}

std::string endereco(int faixa, int n) {
    return "127." + std::to_string(faixa) + "." + std::to_string(n / 250) + "." + std::to_string(1 + n % 250);
}

// ---- Loopback connections ------------------------------------------------------
// Clients bind 127.0.0.1, so the server ends (whose remote is 127.0.0.1) are
// left out by the localhost filter and every connection is one row.

int ouvinte = -1;
int porta_do_ouvinte = 0;

bool abrir_ouvinte() {
    // Non-blocking, so the queue of server ends can be emptied without waiting.
    ouvinte = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in e{};
    e.sin_family = AF_INET;
    e.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(ouvinte, reinterpret_cast<sockaddr*>(&e), sizeof e) != 0 || listen(ouvinte, 4096) != 0)
        return false;
    socklen_t tamanho = sizeof e;
    getsockname(ouvinte, reinterpret_cast<sockaddr*>(&e), &tamanho);
    porta_do_ouvinte = ntohs(e.sin_port);
    return true;
}

// Closes the server ends waiting in the queue. Only between cases: a server
// end closed early would end its connection.
void esvaziar_fila_do_ouvinte() {
    for (;;) {
        int s = accept4(ouvinte, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (s < 0) return;
        close(s);
    }
}

struct conexao {
    int socket = -1;
    int porta_local = 0;
};

conexao conectar(const std::string& destino) {
    conexao c;
    c.socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.1", &local.sin_addr);
    sockaddr_in remoto{};
    remoto.sin_family = AF_INET;
    remoto.sin_port = htons(static_cast<uint16_t>(porta_do_ouvinte));
    inet_pton(AF_INET, destino.c_str(), &remoto.sin_addr);
    if (bind(c.socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        connect(c.socket, reinterpret_cast<sockaddr*>(&remoto), sizeof remoto) != 0) {
        close(c.socket);
        return {};
    }
    socklen_t tamanho = sizeof local;
    getsockname(c.socket, reinterpret_cast<sockaddr*>(&local), &tamanho);
    c.porta_local = ntohs(local.sin_port);
    return c;
}

void fechar(conexao& c) {
    if (c.socket >= 0) close(c.socket);
    c.socket = -1;
}

// ---- The sweep ----------------------------------------------------------------

void preparar_janela() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
    TTF_Init();
    my_font_10_painel = TTF_OpenFont("fontes/Fonte_03.ttf", 10);
    exibir_localhost = 0;
    exibir_http = exibir_https = exibir_lan_10 = exibir_lan_192 = 1;
    resumo_websites = 0;
}

double segundos_desde(relogio::time_point inicio) {
    return std::chrono::duration<double>(relogio::now() - inicio).count();
}

// The sweep prints a line per connection on the panel to standard output,
// which goes to /dev/null; the figures go to the original standard output.
FILE* figuras = stdout;

void separar_figuras() {
    figuras = fdopen(dup(STDOUT_FILENO), "w");
    if (figuras == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr) figuras = stdout;
    setvbuf(figuras, nullptr, _IOLBF, 0);
}

void varrer_em_silencio() { fazer_varredura(); }

int linhas_com_nome(const char* nome) {
    int n = 0;
    for (int i = 0; i < num_banco_painel; ++i) n += std::strcmp(banco_painel[i][PAI_NOME_DNS], nome) == 0;
    return n;
}

int linha_da_porta(int porta_local) {
    std::string porta = std::to_string(porta_local);
    for (int i = 0; i < num_banco_painel; ++i)
        if (porta == banco_painel[i][PAI_PORTA_LOCAL]) return i;
    return -1;
}

void linha(const char* caso, double valor, const char* unidade, double alvo, bool no_maximo) {
    bool atinge = no_maximo ? valor <= alvo : valor >= alvo;
    std::fprintf(figuras, "%s: %.2f %s (target %s %.2f %s) %s\n", caso, valor, unidade, no_maximo ? "<=" : ">=",
                alvo, unidade, atinge ? "met" : "MISSED");
}

int threads_do_processo() {
    DIR* pasta = opendir("/proc/self/task");
    if (pasta == nullptr) return -1;
    int n = 0;
    while (dirent* e = readdir(pasta)) n += e->d_name[0] != '.';
    closedir(pasta);
    return n;
}

// ---- First reading of 100 new connections -------------------------------------

struct primeira_leitura {
    double segundos;
    int no_painel;
    int threads_min, threads_max;
};

primeira_leitura medir_primeira_leitura(const std::vector<std::string>& destinos) {
    std::vector<conexao> abertas;
    for (const std::string& d : destinos) abertas.push_back(conectar(d));
    teste::esvaziar_tabelas_do_scan();
    std::atomic<bool> medindo{true};
    int minimo = 1 << 30, maximo = 0;
    std::thread amostras([&] {
        while (medindo) {
            int n = threads_do_processo();
            minimo = std::min(minimo, n);
            maximo = std::max(maximo, n);
            std::this_thread::sleep_for(milliseconds(2));
        }
    });
    primeira_leitura r{};
    {
        NomesDoScan nomes;
        relogio::time_point inicio = relogio::now();
        varrer_em_silencio();
        listar_conexoes_pendentes();
        r.segundos = segundos_desde(inicio);
        r.no_painel = num_banco_painel;
    }
    medindo = false;
    amostras.join();
    r.threads_min = minimo;
    r.threads_max = maximo;
    for (conexao& c : abertas) fechar(c);
    esvaziar_fila_do_ouvinte();
    return r;
}

std::vector<std::string> destinos(int faixa, int quantos, bool todos_iguais) {
    std::vector<std::string> lista;
    for (int i = 0; i < quantos; ++i) lista.push_back(endereco(faixa, todos_iguais ? 0 : i));
    return lista;
}

void casos_da_primeira_leitura() {
    // From the first reading until every connection is listed.
    primeira_leitura r = medir_primeira_leitura(destinos(10, 100, true));
    linha("first reading, 100 new connections to one named address", r.segundos, "s", 0.3, true);
    std::fprintf(figuras, "  rows on the panel: %d, named: %d\n", r.no_painel, linhas_com_nome("h127.10.0.1.exemplo.de"));

    r = medir_primeira_leitura(destinos(11, 100, false));
    linha("first reading, 100 new connections to 100 different named addresses", r.segundos, "s", 0.5, true);
    std::fprintf(figuras, "  rows on the panel: %d, NOID: %d\n", r.no_painel, linhas_com_nome("NOID"));

    r = medir_primeira_leitura(destinos(12, 100, false));
    linha("first reading, 100 new connections to 100 addresses the DNS server says have no name",
          r.segundos, "s", 0.5, true);
    std::fprintf(figuras, "  rows on the panel: %d, NOID: %d\n", r.no_painel, linhas_com_nome("NOID"));

    dns_mudo = true;
    // The threads of the timers of the cases before end first.
    std::this_thread::sleep_for(milliseconds(700));
    int threads_antes = threads_do_processo();
    r = medir_primeira_leitura(destinos(13, 100, false));
    linha("first reading, 100 new connections to 100 addresses, DNS server never answers", r.segundos,
          "s", 1.0, true);
    std::fprintf(figuras, "  rows on the panel: %d, NOID: %d\n", r.no_painel, linhas_com_nome("NOID"));
    std::fprintf(figuras, "threads during that scan: %d to %d (%d before it, with the sampling thread: %d)\n",
                r.threads_min, r.threads_max, threads_antes, threads_antes + 1);

    r = medir_primeira_leitura({"127.20.0.1"});
    linha("a name in the hosts file while the DNS server never answers", r.segundos, "s", 0.2, true);
    std::fprintf(figuras, "  host text: \"%s\" (expected \"%s\")\n", num_banco_painel > 0 ? banco_painel[0][PAI_NOME_DNS] : "",
                nome_do_hosts);
    dns_mudo = false;
}

// ---- Short-lived connections ----------------------------------------------------

struct evento {
    double em_s;
    int conexao;
    bool abrir;
};

struct curta {
    std::string destino;
    int vida_ms;
    conexao aberta;
    int porta = 0;
};

// Runs sweeps for `duracao_s` while `eventos` open and close `conexoes`.
void rodar_com_roteiro(std::vector<curta>& conexoes, std::vector<evento> eventos, double duracao_s) {
    std::sort(eventos.begin(), eventos.end(), [](const evento& a, const evento& b) { return a.em_s < b.em_s; });
    teste::esvaziar_tabelas_do_scan();
    NomesDoScan nomes;
    std::atomic<bool> rodando{true};
    relogio::time_point inicio = relogio::now();
    std::thread roteiro([&] {
        for (const evento& e : eventos) {
            std::this_thread::sleep_until(inicio + std::chrono::duration_cast<relogio::duration>(
                                                       std::chrono::duration<double>(e.em_s)));
            curta& c = conexoes[static_cast<std::size_t>(e.conexao)];
            if (e.abrir) {
                c.aberta = conectar(c.destino);
                c.porta = c.aberta.porta_local;
            } else {
                fechar(c.aberta);
            }
        }
        rodando = false;
    });
    while (rodando || segundos_desde(inicio) < duracao_s) varrer_em_silencio();
    listar_conexoes_pendentes();  // as the end of a scan does
    roteiro.join();
    for (curta& c : conexoes) fechar(c.aberta);
    esvaziar_fila_do_ouvinte();
}

double parte_vista(const std::vector<curta>& conexoes, int vida_ms) {
    int vistas = 0, total = 0;
    for (const curta& c : conexoes) {
        if (c.vida_ms != vida_ms) continue;
        ++total;
        vistas += c.porta > 0 && linha_da_porta(c.porta) >= 0;
    }
    return total ? 100.0 * vistas / total : 0;
}

// 24 short-lived connections of each life, one of each every 1.25 s, each to
// a named address of its own; with bursts, 8 new connections to addresses
// without a name every 6 s, each kept for 3 s.
void casos_das_conexoes_curtas() {
    const int vidas_com_rajadas[] = {100, 300, 1000};
    std::vector<curta> conexoes;
    std::vector<evento> eventos;
    int faixa_curta = 0;
    auto curta_em = [&](double em_s, int vida_ms) {
        int id = static_cast<int>(conexoes.size());
        conexoes.push_back({endereco(14, faixa_curta++), vida_ms, {}, 0});
        eventos.push_back({em_s, id, true});
        eventos.push_back({em_s + vida_ms / 1000.0, id, false});
    };
    for (int i = 0; i < 24; ++i)
        for (int v = 0; v < 3; ++v) curta_em(0.5 + 1.25 * i + 0.4 * v, vidas_com_rajadas[v]);
    int sem_nome = 0;
    for (double rajada = 3.0; rajada < 30.0; rajada += 6.0)
        for (int k = 0; k < 8; ++k) {
            int id = static_cast<int>(conexoes.size());
            conexoes.push_back({endereco(12, 500 + sem_nome++), 3000, {}, 0});
            eventos.push_back({rajada, id, true});
            eventos.push_back({rajada + 3.0, id, false});
        }
    rodar_com_roteiro(conexoes, eventos, 31.0);
    linha("short-lived connections caught under bursts, 100 ms", parte_vista(conexoes, 100), "%", 90, false);
    linha("short-lived connections caught under bursts, 300 ms", parte_vista(conexoes, 300), "%", 95, false);
    linha("short-lived connections caught under bursts, 1 s", parte_vista(conexoes, 1000), "%", 100, false);

    conexoes.clear();
    eventos.clear();
    for (int i = 0; i < 24; ++i) curta_em(0.3 + 0.5 * i, 100);
    rodar_com_roteiro(conexoes, eventos, 12.5);
    linha("short-lived connections caught without bursts, 100 ms", parte_vista(conexoes, 100), "%", 98, false);
}

// 4 new connections a second for 10 s, each to an address without a name of
// its own and open for 2 s: the sweep keeps up when it lists 4 a second.
void caso_do_fluxo_constante() {
    std::vector<curta> conexoes;
    std::vector<evento> eventos;
    for (int i = 0; i < 40; ++i) {
        conexoes.push_back({endereco(12, 1000 + i), 2000, {}, 0});
        eventos.push_back({0.25 * i, i, true});
        eventos.push_back({0.25 * i + 2.0, i, false});
    }
    rodar_com_roteiro(conexoes, eventos, 12.0);
    int listadas = 0;
    for (const curta& c : conexoes) listadas += c.porta > 0 && linha_da_porta(c.porta) >= 0;
    linha("steady churn of 4 new unnamed connections a second, listed a second", listadas / 10.0,
          "/s", 4.0, false);
}

void escrever(const std::string& caminho, const std::string& texto) { std::ofstream(caminho) << texto; }

// ---- Names that come while the readings go on ------------------------------------

int nomeadas(const std::vector<curta>& conexoes) {
    int n = 0;
    for (const curta& c : conexoes) {
        int i = c.porta > 0 ? linha_da_porta(c.porta) : -1;
        n += i >= 0 && std::strcmp(banco_painel[i][PAI_NOME_DNS], "NOID") != 0;
    }
    return n;
}

// 40 connections of 100 ms, one every 110 ms, each to a fresh address whose
// name the DNS server sends after 200, 400 or 700 ms.
void casos_das_respostas_lentas() {
    int proximo = 0;
    for (int atraso : {200, 400, 700}) {
        atraso_do_dns_ms = atraso;
        std::vector<curta> conexoes;
        std::vector<evento> eventos;
        for (int i = 0; i < 40; ++i) {
            conexoes.push_back({endereco(15, proximo++), 100, {}, 0});
            eventos.push_back({0.2 + 0.11 * i, i, true});
            eventos.push_back({0.3 + 0.11 * i, i, false});
        }
        rodar_com_roteiro(conexoes, eventos, 5.0);
        std::string caso = "100 ms connections, one every 110 ms, DNS answering in " + std::to_string(atraso) + " ms";
        linha((caso + ", listed").c_str(), parte_vista(conexoes, 100), "%", 98, false);
        double nomeadas_pc = 100.0 * nomeadas(conexoes) / 40;
        if (atraso < timeout_dns) linha((caso + ", named").c_str(), nomeadas_pc, "%", 100, false);
        else std::fprintf(figuras, "%s, named: %.2f %% (answers after the %d ms limit)\n", caso.c_str(), nomeadas_pc, timeout_dns);
    }
}

std::vector<relogio::time_point> detectadas;
void ao_detectar(const char*) { detectadas.push_back(relogio::now()); }

// One connection at a time to a fresh address named after 200 ms: from the
// reading that finds it to the end of the sweep that lists it.
void caso_do_tempo_ate_a_linha() {
    atraso_do_dns_ms = 200;
    teste::esvaziar_tabelas_do_scan();
    NomesDoScan nomes;
    observar_contador(ao_detectar);
    double pior = 0, soma = 0;
    int medidas = 0;
    for (int i = 0; i < 10; ++i) {
        conexao c = conectar(endereco(15, 900 + i));
        detectadas.clear();
        int antes = num_banco_painel;
        relogio::time_point limite = relogio::now() + std::chrono::seconds(2);
        while (num_banco_painel == antes && relogio::now() < limite) varrer_em_silencio();
        if (num_banco_painel > antes && !detectadas.empty()) {
            double ms = std::chrono::duration<double, std::milli>(relogio::now() - detectadas[0]).count();
            pior = std::max(pior, ms);
            soma += ms;
            ++medidas;
        }
        fechar(c);
        varrer_em_silencio();
    }
    observar_contador(nullptr);
    esvaziar_fila_do_ouvinte();
    linha("from first reading to the row, named address, DNS answering in 200 ms (worst of 10)", pior, "ms",
          300, true);
    std::fprintf(figuras, "  mean: %.1f ms over %d rows\n", medidas ? soma / medidas : 0.0, medidas);
}

// A burst of 100 new connections to addresses a dead DNS server never names.
void caso_da_rajada() {
    dns_mudo = true;
    teste::esvaziar_tabelas_do_scan();
    NomesDoScan nomes;
    varrer_em_silencio();
    std::vector<conexao> abertas;
    for (int i = 0; i < 100; ++i) abertas.push_back(conectar(endereco(16, i)));
    relogio::time_point inicio = relogio::now();
    int leituras = 0;
    for (; segundos_desde(inicio) < 1.0; ++leituras) varrer_em_silencio();
    double por_segundo = leituras / segundos_desde(inicio);
    listar_conexoes_pendentes();
    linha("readings a second during a burst of 100 unnamed new connections, DNS server dead", por_segundo,
          "/s", 18, false);
    std::fprintf(figuras, "  rows listed: %d, NOID: %d\n", num_banco_painel, linhas_com_nome("NOID"));
    for (conexao& c : abertas) fechar(c);
    esvaziar_fila_do_ouvinte();
    dns_mudo = false;
}

std::string ler(const std::string& caminho) {
    std::ifstream f(caminho);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// 100 new connections: 50 to addresses named at the end of a 150,000-line
// hosts file (blocking lists are that long), 50 the DNS server says have none.
void caso_do_hosts_grande() {
    std::string original = ler("/etc/hosts");
    std::string grande = original;
    for (int i = 0; i < 149950; ++i) grande += "0.0.0.0 bloqueado" + std::to_string(i) + ".anuncios.exemplo\n";
    for (int i = 0; i < 50; ++i) grande += endereco(21, i) + " nome" + std::to_string(i) + ".hosts.exemplo.de\n";
    escrever("/etc/hosts", grande);
    std::vector<std::string> lista = destinos(21, 50, false);
    for (int i = 0; i < 50; ++i) lista.push_back(endereco(12, 2000 + i));
    primeira_leitura r = medir_primeira_leitura(lista);
    int certas = 0;
    for (int i = 0; i < 50; ++i) certas += linhas_com_nome(("nome" + std::to_string(i) + ".hosts.exemplo.de").c_str());
    linha("100 new connections, 50 named in a 150,000-line hosts file, all listed", r.segundos, "s", 1.0, true);
    linha("  of them named from the hosts file", certas, "", 50, false);
    std::fprintf(figuras, "  rows on the panel: %d\n", r.no_painel);
    escrever("/etc/hosts", original);
}

// The DNS settings change during a scan: the next new address is named.
void caso_da_mudanca_do_resolv_conf() {
    std::string original = ler("/etc/resolv.conf");
    escrever("/etc/resolv.conf", "nameserver 127.0.0.9\n");
    teste::esvaziar_tabelas_do_scan();
    NomesDoScan nomes;
    varrer_em_silencio();
    conexao antes = conectar(endereco(11, 300));
    varrer_em_silencio();
    listar_conexoes_pendentes();
    escrever("/etc/resolv.conf", original);
    conexao depois = conectar(endereco(11, 301));
    varrer_em_silencio();
    listar_conexoes_pendentes();
    std::fprintf(figuras, "resolv.conf changed mid-scan: before \"%s\", next new address \"%s\" (target: named) %s\n",
                 num_banco_painel > 0 ? banco_painel[0][PAI_NOME_DNS] : "",
                 num_banco_painel > 1 ? banco_painel[1][PAI_NOME_DNS] : "",
                 linhas_com_nome(("h" + endereco(11, 301) + ".exemplo.de").c_str()) == 1 ? "met" : "MISSED");
    fechar(antes);
    fechar(depois);
    esvaziar_fila_do_ouvinte();
}

// ---- The private namespaces ----------------------------------------------------


// Runs this program again inside its own network and mount namespaces with
// the private name files bound over the system's. Returns its exit status, or
// -1 when the namespaces could not be had.
int rodar_por_dentro(const char* programa) {
    char modelo[] = "/tmp/quorvex_nomes_XXXXXX";
    if (mkdtemp(modelo) == nullptr) return -1;
    std::string pasta = modelo;
    escrever(pasta + "/hosts", std::string("127.0.0.1 localhost\n127.20.0.1 ") + nome_do_hosts + "\n");
    escrever(pasta + "/resolv.conf", "nameserver 127.0.0.1\n");
    escrever(pasta + "/nsswitch.conf", "hosts: files dns\n");
    const char* roteiro =
        "ip link set lo up && mount --bind \"$0/hosts\" /etc/hosts && "
        "mount --bind \"$0/resolv.conf\" /etc/resolv.conf && "
        "mount --bind \"$0/nsswitch.conf\" /etc/nsswitch.conf && exec \"$1\"";
    pid_t filho = fork();
    if (filho == 0) {
        setenv(marca_de_dentro, "1", 1);
        execl("/usr/bin/unshare", "unshare", "--net", "--mount", "/bin/sh", "-c", roteiro, pasta.c_str(),
              programa, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(filho, &status, 0);
    for (const char* f : {"/hosts", "/resolv.conf", "/nsswitch.conf"}) unlink((pasta + f).c_str());
    rmdir(pasta.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int por_dentro() {
    if (chdir(QUORVEX_RUN_DIR) != 0 || !abrir_ouvinte()) return 1;
    teste::ServidorDns dns(regra_do_benchmark, "127.0.0.1", 53);
    if (!dns.pronto()) {
        std::printf("naming_bench: no DNS server of our own on 127.0.0.1:53\n");
        return 1;
    }
    separar_figuras();
    preparar_janela();
    casos_da_primeira_leitura();
    casos_das_conexoes_curtas();
    caso_do_fluxo_constante();
    casos_das_respostas_lentas();
    caso_do_tempo_ate_a_linha();
    caso_da_rajada();
    caso_do_hosts_grande();
    caso_da_mudanca_do_resolv_conf();
    return 0;
}

}  // namespace

int main() {
    if (std::getenv(marca_de_dentro)) return por_dentro();
    if (geteuid() != 0 || system("unshare --net --mount true 2>/dev/null") != 0) {
        std::printf("naming_bench: skipped, a private network and mount namespace cannot be had here "
                    "(needs root and unshare)\n");
        return 0;
    }
    char programa[4096] = {0};
    if (readlink("/proc/self/exe", programa, sizeof programa - 1) <= 0) return 1;
    int status = rodar_por_dentro(programa);
    if (status != 0) std::printf("naming_bench: the run inside the private namespaces failed (%d)\n", status);
    return status == 0 ? 0 : 1;
}
