#include "platform/platform.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace plataforma {

namespace {

using relogio = std::chrono::steady_clock;

// One armed timer. Its thread and the registry share it, so a thread still
// inside its routine after the timer was disarmed never touches freed memory.
struct estado_timer {
    std::mutex trava;
    std::condition_variable aviso;
    bool cancelado = false;
    std::chrono::milliseconds periodo{0};
    bool periodico = false;
    rotina_de_timer rotina = nullptr;
    void* contexto = nullptr;
    uint32_t identificador = 0;
    relogio::time_point primeiro_prazo;
};

// Never destroyed: a detached timer thread may still use it while the process
// exits.
using mapa_de_timers = std::unordered_map<uint32_t, std::shared_ptr<estado_timer>>;
std::mutex trava_registro;
mapa_de_timers& registro = *new mapa_de_timers;
uint32_t ultimo_identificador = 0;

uint32_t registrar(const std::shared_ptr<estado_timer>& estado) {
    std::lock_guard<std::mutex> guarda(trava_registro);
    do {
        ++ultimo_identificador;
    } while (ultimo_identificador == 0 || registro.count(ultimo_identificador) != 0);
    registro[ultimo_identificador] = estado;
    return ultimo_identificador;
}

std::shared_ptr<estado_timer> retirar(uint32_t identificador) {
    std::lock_guard<std::mutex> guarda(trava_registro);
    auto posicao = registro.find(identificador);
    if (posicao == registro.end()) return nullptr;
    std::shared_ptr<estado_timer> estado = posicao->second;
    registro.erase(posicao);
    return estado;
}

// Ticks that a slow routine made us miss are not made up for: the next call
// keeps the period's phase but never comes in a burst.
relogio::time_point proximo_prazo(relogio::time_point prazo, std::chrono::milliseconds periodo) {
    relogio::time_point agora = relogio::now();
    do {
        prazo += periodo;
    } while (prazo <= agora);
    return prazo;
}

void executar_ticks(estado_timer& estado) {
    relogio::time_point prazo = estado.primeiro_prazo;
    std::unique_lock<std::mutex> guarda(estado.trava);
    while (!estado.aviso.wait_until(guarda, prazo, [&] { return estado.cancelado; })) {
        guarda.unlock();
        estado.rotina(estado.contexto);
        guarda.lock();
        if (!estado.periodico) break;
        prazo = proximo_prazo(prazo, estado.periodo);
    }
}

void* corpo_do_timer(void* argumento) {
    std::unique_ptr<std::shared_ptr<estado_timer>> dono(
        static_cast<std::shared_ptr<estado_timer>*>(argumento));
    std::shared_ptr<estado_timer> estado = *dono;
    executar_ticks(*estado);
    if (!estado->periodico) retirar(estado->identificador);
    return nullptr;
}

bool iniciar_thread(const std::shared_ptr<estado_timer>& estado) {
    pthread_attr_t atributos;
    if (pthread_attr_init(&atributos) != 0) return false;
    pthread_attr_setdetachstate(&atributos, PTHREAD_CREATE_DETACHED);
    auto* copia = new std::shared_ptr<estado_timer>(estado);
    pthread_t thread;
    bool iniciada = pthread_create(&thread, &atributos, corpo_do_timer, copia) == 0;
    pthread_attr_destroy(&atributos);
    if (!iniciada) delete copia;
    return iniciada;
}

}  // namespace

// The timer's thread is detached and ends by itself once it sees the
// cancellation, so disarming never waits: not for a routine blocked in a slow
// call, and not when the routine disarms its own timer.
uint32_t armar_timer(unsigned periodo_ms, bool periodico, rotina_de_timer rotina,
                     void* contexto) {
    if (rotina == nullptr) return 0;
    auto estado = std::make_shared<estado_timer>();
    // A zero period would spin; the shortest period is one millisecond.
    estado->periodo = std::chrono::milliseconds(periodo_ms == 0 ? 1 : periodo_ms);
    estado->primeiro_prazo = relogio::now() + estado->periodo;
    estado->periodico = periodico;
    estado->rotina = rotina;
    estado->contexto = contexto;
    std::lock_guard<std::mutex> guarda(estado->trava);
    estado->identificador = registrar(estado);
    if (iniciar_thread(estado)) return estado->identificador;
    retirar(estado->identificador);
    return 0;
}

void desarmar_timer(uint32_t identificador) {
    std::shared_ptr<estado_timer> estado = retirar(identificador);
    if (!estado) return;
    std::lock_guard<std::mutex> guarda(estado->trava);
    estado->cancelado = true;
    estado->aviso.notify_all();
}

}  // namespace plataforma
