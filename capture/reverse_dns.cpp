#include "capture/reverse_dns.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/platform.h"

TestTimer mmt;

char ip_a_resolver[256];
char dns_resolvido[256];
int status_funcao = 0;
int timeout_dns = 500;

namespace {

// Guards the timer's state: the scan cycle and a successful tick may both stop
// the timer at the same moment.
std::mutex trava_timer;

// Guards the hand-over between a tick and the wait it was made for. Every wait
// has its own number, so an answer can only reach the wait whose address it
// resolved, and only while that wait is still open.
std::mutex trava_espera;
uint64_t espera_atual = 0;
bool espera_aberta = false;

// Set by an attempt that found the address has no name: the wait it was made
// for ends at once with "NOID".
std::atomic<bool> espera_sem_nome{false};

// status_funcao stays a plain int for the scan cycle's code, but it is written
// on the timer's thread and polled on the scan thread.
void gravar_status(int valor) { __atomic_store_n(&status_funcao, valor, __ATOMIC_RELEASE); }
int ler_status() { return __atomic_load_n(&status_funcao, __ATOMIC_ACQUIRE); }

void abrir_espera() {
    std::lock_guard<std::mutex> guarda(trava_espera);
    ++espera_atual;
    espera_aberta = true;
    espera_sem_nome = false;
    gravar_status(0);
}

void fechar_espera() {
    std::lock_guard<std::mutex> guarda(trava_espera);
    espera_aberta = false;
    espera_sem_nome = false;
    gravar_status(0);
}

// Between waits the scan cycle rewrites ip_a_resolver without a lock, so a
// tick that began just before its wait ended must not read it then.
bool ler_pedido(const char* ip, char (&endereco)[256], uint64_t& espera) {
    std::lock_guard<std::mutex> guarda(trava_espera);
    if (ip == ip_a_resolver && !espera_aberta) return false;
    copiar_celula(endereco, ip);
    espera = espera_atual;
    return true;
}

// The timer is stopped outside `trava_espera`: stopping it waits for a tick
// under way, which may be waiting for that lock.
void entregar_resposta(uint64_t espera, const char* nome) {
    {
        std::lock_guard<std::mutex> guarda(trava_espera);
        if (!espera_aberta || espera != espera_atual) return;
        copiar_celula(dns_resolvido, nome);
        gravar_status(1);
    }
    mmt.kill();
}

// Each address's window is the wait's bound, in milliseconds.
unsigned janela_ms() { return static_cast<unsigned>(timeout_dns > 0 ? timeout_dns : 0); }

void encerrar_sem_nome(uint64_t espera) {
    {
        std::lock_guard<std::mutex> guarda(trava_espera);
        if (!espera_aberta || espera != espera_atual) return;
        espera_sem_nome = true;
    }
    mmt.kill();
}

}  // namespace

MultiMediaTimer::MultiMediaTimer(uint32_t atraso_, int32_t periodico_, uint32_t resolucao_)
    : resolucao(resolucao_), atraso(atraso_), parado(1), periodico(periodico_) {}

void MultiMediaTimer::start() {
    kill();
    std::lock_guard<std::mutex> guarda(trava_timer);
    parado = 0;
    identificador = plataforma::armar_timer(atraso, periodico == 1, TimerHandler, this);
}

// Disarmed outside `trava_timer`: disarming waits for a tick under way, and
// that tick may be stopping the timer itself. The last arming is disarmed
// even when a tick already stopped it, so that its end is waited for.
void MultiMediaTimer::kill() {
    if (periodico != 1) return;
    uint32_t ultimo;
    {
        std::lock_guard<std::mutex> guarda(trava_timer);
        ultimo = identificador;
        parado = 1;
    }
    if (ultimo != 0) plataforma::desarmar_timer(ultimo);
}

void MultiMediaTimer::TimerHandler(void* contexto) {
    static_cast<MultiMediaTimer*>(contexto)->run();
}

TestTimer::TestTimer() : MultiMediaTimer(100, 1, 0) {}

void TestTimer::run() { ip_to_dns_nova(ip_a_resolver); }

texto_fixo<256> ip_to_dns_nova(const char* ip) {
    char endereco[256];
    uint64_t espera = 0;
    char nome[256];
    texto_fixo<256> resultado;
    if (!ler_pedido(ip, endereco, espera)) return resultado;
    plataforma::resposta_de_nome resposta =
        plataforma::pedir_nome(endereco, janela_ms(), nome, sizeof nome);
    if (resposta == plataforma::resposta_de_nome::sem_nome) encerrar_sem_nome(espera);
    if (resposta != plataforma::resposta_de_nome::com_nome) return resultado;
    copiar_nome_dns(resultado.s, resultado.largura, nome);
    entregar_resposta(espera, resultado);
    return resultado;
}

void criar_timeout(int limite) {
    abrir_espera();
    mmt.start();
    mmt.run();  // the first attempt at arming; the ticks make the later ones
    for (int i = 0; i < limite && ler_status() != 1 && !espera_sem_nome; ++i)
        plataforma::dormir_ms(1);
    mmt.kill();
    fechar_espera();
}

void antecipar_nome(const char* ip) {
    plataforma::pedir_nome(ip, janela_ms(), nullptr, 0);
}

bool nome_decidido(const char* ip, bool janela_passou, char* nome_dns, std::size_t largura) {
    char nome[256];
    plataforma::resposta_de_nome resposta = plataforma::olhar_nome(ip, janela_ms(), nome, sizeof nome);
    if (resposta == plataforma::resposta_de_nome::pendente && !janela_passou) return false;
    copiar_nome_dns(nome_dns, largura,
                    resposta == plataforma::resposta_de_nome::com_nome ? nome : "NOID");
    return true;
}

NomesDoScan::NomesDoScan() { plataforma::esquecer_nomes(); }

NomesDoScan::~NomesDoScan() { plataforma::encerrar_resolvedor(); }

void copiar_nome_dns(char* destino, std::size_t largura, const char* nome) {
    if (largura == 0) return;
    if (nome == nullptr) nome = "";
    std::size_t tamanho = std::strlen(nome);
    if (tamanho < largura) {
        copiar_limitado(destino, largura, nome);
        return;
    }
    const char* inicio = nome + (tamanho - (largura - 1));
    const char* ponto = inicio[-1] == '.' ? nullptr : std::strchr(inicio, '.');
    if (ponto != nullptr) inicio = ponto;
    copiar_limitado(destino, largura, inicio);
}
