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

// Serialises arming and disarming: the scan cycle and a successful tick may
// both stop the timer at the same moment.
std::mutex trava_timer;

// Guards the hand-over between a tick and the wait it was made for. Every wait
// has its own number, so an answer can only reach the wait whose address it
// resolved, and only while that wait is still open.
std::mutex trava_espera;
uint64_t espera_atual = 0;
bool espera_aberta = false;

std::atomic<int> consultas_em_curso{0};
std::atomic<resolvedor_reverso> resolvedor{nullptr};

// status_funcao stays a plain int for the scan cycle's code, but it is written
// on the timer's thread and polled on the scan thread.
void gravar_status(int valor) { __atomic_store_n(&status_funcao, valor, __ATOMIC_RELEASE); }
int ler_status() { return __atomic_load_n(&status_funcao, __ATOMIC_ACQUIRE); }

void abrir_espera() {
    std::lock_guard<std::mutex> guarda(trava_espera);
    ++espera_atual;
    espera_aberta = true;
    gravar_status(0);
}

void fechar_espera() {
    std::lock_guard<std::mutex> guarda(trava_espera);
    espera_aberta = false;
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

void entregar_resposta(uint64_t espera, const char* nome) {
    std::lock_guard<std::mutex> guarda(trava_espera);
    if (!espera_aberta || espera != espera_atual) return;
    copiar_celula(dns_resolvido, nome);
    gravar_status(1);
    mmt.kill();
}

bool reservar_consulta() {
    if (consultas_em_curso.fetch_add(1) < limite_consultas_em_curso) return true;
    consultas_em_curso.fetch_sub(1);
    return false;
}

bool consultar(const char* endereco, char* nome, std::size_t largura) {
    if (!reservar_consulta()) return false;
    resolvedor_reverso escolhido = resolvedor.load();
    bool achou = escolhido ? escolhido(endereco, nome, largura)
                           : plataforma::resolver_nome(endereco, nome, largura);
    consultas_em_curso.fetch_sub(1);
    return achou;
}

}  // namespace

MultiMediaTimer::MultiMediaTimer(uint32_t atraso_, int32_t periodico_, uint32_t resolucao_)
    : resolucao(resolucao_), atraso(atraso_), parado(1), periodico(periodico_) {}

void MultiMediaTimer::start() {
    std::lock_guard<std::mutex> guarda(trava_timer);
    if (periodico == 1 && parado == 0) plataforma::desarmar_timer(identificador);
    parado = 0;
    identificador = plataforma::armar_timer(atraso, periodico == 1, TimerHandler, this);
}

void MultiMediaTimer::kill() {
    if (periodico != 1) return;
    std::lock_guard<std::mutex> guarda(trava_timer);
    if (parado == 0) plataforma::desarmar_timer(identificador);
    parado = 1;
}

void MultiMediaTimer::TimerHandler(void* contexto) {
    static_cast<MultiMediaTimer*>(contexto)->run();
}

TestTimer::TestTimer() : MultiMediaTimer(100, 1, 0) {}

void TestTimer::run() { ip_to_dns_nova(ip_a_resolver); }

texto_fixo<256> ip_to_dns_nova(const char* ip) {
    char endereco[256];
    uint64_t espera = 0;
    char nome[1025];
    if (!ler_pedido(ip, endereco, espera) || !consultar(endereco, nome, sizeof nome))
        return texto_fixo<256>();
    texto_fixo<256> resultado;
    copiar_nome_dns(resultado.s, resultado.largura, nome);
    entregar_resposta(espera, resultado);
    return resultado;
}

void criar_timeout(int limite) {
    abrir_espera();
    mmt.start();
    for (int i = 0; i < limite && ler_status() != 1; ++i) plataforma::dormir_ms(1);
    mmt.kill();
    fechar_espera();
}

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

void substituir_resolvedor(resolvedor_reverso novo) { resolvedor.store(novo); }
