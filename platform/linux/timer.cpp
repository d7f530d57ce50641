#include "platform/platform.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace plataforma {

namespace {

using relogio = std::chrono::steady_clock;

// One armed timer. Everything here changes under `trava`.
struct estado_timer {
    std::chrono::milliseconds periodo{0};
    bool periodico = false;
    rotina_de_timer rotina = nullptr;
    void* contexto = nullptr;
    uint32_t identificador = 0;
    relogio::time_point prazo;
    bool cancelado = false;
};

// A thread that runs timers, one at a time. Once its timer is disarmed it is
// free at once for the next one (even before it has woken up): timers armed
// one after another, one per new connection in a scan, run on one thread
// instead of leaving a trail of threads still ending. A free thread that gets
// no timer within `espera_por_outro_timer` ends.
struct trabalhador {
    std::condition_variable aviso;
    std::shared_ptr<estado_timer> atual;
    bool na_rotina = false;
    bool tem_thread = false;
    std::thread::id thread;  // set by the thread itself before its first routine
};

constexpr auto espera_por_outro_timer = std::chrono::milliseconds(500);

// Never destroyed: a detached timer thread may still use them while the
// process exits.
std::mutex& trava = *new std::mutex;
// Told whenever a routine returns, for those who disarm while it runs.
std::condition_variable& fim_de_rotina = *new std::condition_variable;
using mapa_de_timers = std::unordered_map<uint32_t, std::shared_ptr<estado_timer>>;
mapa_de_timers& registro = *new mapa_de_timers;
std::unordered_map<estado_timer*, std::shared_ptr<trabalhador>>& donos =
    *new std::unordered_map<estado_timer*, std::shared_ptr<trabalhador>>;
std::vector<std::shared_ptr<trabalhador>>& livres = *new std::vector<std::shared_ptr<trabalhador>>;
uint32_t ultimo_identificador = 0;

uint32_t novo_identificador() {
    do {
        ++ultimo_identificador;
    } while (ultimo_identificador == 0 || registro.count(ultimo_identificador) != 0);
    return ultimo_identificador;
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

// The thread lets go of its timer and is free for another. Under `trava`.
void liberar(const std::shared_ptr<trabalhador>& t) {
    if (t->atual) donos.erase(t->atual.get());
    t->atual.reset();
    livres.push_back(t);
}

bool tirar_dos_livres(const std::shared_ptr<trabalhador>& t) {
    for (auto p = livres.begin(); p != livres.end(); ++p)
        if (*p == t) {
            livres.erase(p);
            return true;
        }
    return false;
}

// Runs one tick of `timer` with `guarda` released; false when the timer is over.
bool tick(const std::shared_ptr<trabalhador>& t, const std::shared_ptr<estado_timer>& timer,
          std::unique_lock<std::mutex>& guarda) {
    t->na_rotina = true;
    guarda.unlock();
    timer->rotina(timer->contexto);
    guarda.lock();
    t->na_rotina = false;
    fim_de_rotina.notify_all();
    if (!timer->periodico) registro.erase(timer->identificador);
    if (timer->cancelado || !timer->periodico) return false;
    timer->prazo = proximo_prazo(timer->prazo, timer->periodo);
    return true;
}

void trabalhar(const std::shared_ptr<trabalhador>& t) {
    std::unique_lock<std::mutex> guarda(trava);
    t->thread = std::this_thread::get_id();
    for (;;) {
        if (!t->atual) {
            if (!t->aviso.wait_for(guarda, espera_por_outro_timer, [&] { return t->atual != nullptr; })) {
                tirar_dos_livres(t);
                return;
            }
        }
        std::shared_ptr<estado_timer> timer = t->atual;
        bool chegou = !t->aviso.wait_until(guarda, timer->prazo,
                                           [&] { return timer->cancelado || t->atual != timer; });
        if (t->atual != timer) continue;  // disarmed, and maybe already given another timer
        if (timer->cancelado || !chegou || !tick(t, timer, guarda)) {
            if (t->atual == timer) liberar(t);
        }
    }
}

void* corpo_do_timer(void* argumento) {
    std::unique_ptr<std::shared_ptr<trabalhador>> dono(static_cast<std::shared_ptr<trabalhador>*>(argumento));
    trabalhar(*dono);
    return nullptr;
}

bool iniciar_thread(const std::shared_ptr<trabalhador>& t) {
    pthread_attr_t atributos;
    if (pthread_attr_init(&atributos) != 0) return false;
    pthread_attr_setdetachstate(&atributos, PTHREAD_CREATE_DETACHED);
    auto* copia = new std::shared_ptr<trabalhador>(t);
    pthread_t thread;
    bool iniciada = pthread_create(&thread, &atributos, corpo_do_timer, copia) == 0;
    pthread_attr_destroy(&atributos);
    if (!iniciada) delete copia;
    return iniciada;
}

// A free thread for `timer`, else a new one. Under `trava`.
bool dar_a_um_trabalhador(const std::shared_ptr<estado_timer>& timer) {
    std::shared_ptr<trabalhador> t;
    if (!livres.empty()) {
        t = livres.back();
        livres.pop_back();
    } else {
        t = std::make_shared<trabalhador>();
    }
    t->atual = timer;
    donos[timer.get()] = t;
    if (t->tem_thread) {
        t->aviso.notify_all();
        return true;
    }
    t->tem_thread = iniciar_thread(t);
    if (!t->tem_thread) donos.erase(timer.get());
    return t->tem_thread;
}

// The timer leaves the registry and its thread lets go of it, unless the
// thread is inside its routine: then the thread lets go when the routine
// returns. Under `trava`.
void cancelar(uint32_t identificador) {
    auto posicao = registro.find(identificador);
    if (posicao == registro.end()) return;
    std::shared_ptr<estado_timer> timer = posicao->second;
    registro.erase(posicao);
    timer->cancelado = true;
    auto dono = donos.find(timer.get());
    if (dono == donos.end()) return;
    std::shared_ptr<trabalhador> t = dono->second;
    if (!t->na_rotina && t->atual == timer) liberar(t);
    t->aviso.notify_all();
}

// The thread inside the routine of timer `identificador` now, if any: a timer
// that disarmed itself has left the registry but may still be in its routine.
// Under `trava`.
std::shared_ptr<trabalhador> na_rotina_de(uint32_t identificador) {
    for (const auto& dono : donos) {
        const std::shared_ptr<trabalhador>& t = dono.second;
        if (t->na_rotina && t->atual && t->atual->identificador == identificador) return t;
    }
    return nullptr;
}

}  // namespace

// The timer's threads are detached and never waited for: disarming waits for
// the routine of the timer it disarms, never for a thread.
uint32_t armar_timer(unsigned periodo_ms, bool periodico, rotina_de_timer rotina,
                     void* contexto) {
    if (rotina == nullptr) return 0;
    auto timer = std::make_shared<estado_timer>();
    // A zero period would spin; the shortest period is one millisecond.
    timer->periodo = std::chrono::milliseconds(periodo_ms == 0 ? 1 : periodo_ms);
    timer->prazo = relogio::now() + timer->periodo;
    timer->periodico = periodico;
    timer->rotina = rotina;
    timer->contexto = contexto;
    std::lock_guard<std::mutex> guarda(trava);
    timer->identificador = novo_identificador();
    registro[timer->identificador] = timer;
    if (dar_a_um_trabalhador(timer)) return timer->identificador;
    registro.erase(timer->identificador);
    return 0;
}

void desarmar_timer(uint32_t identificador) {
    std::unique_lock<std::mutex> guarda(trava);
    cancelar(identificador);
    std::shared_ptr<trabalhador> t = na_rotina_de(identificador);
    // The routine itself goes on to its end; anyone else waits for that end.
    if (!t || t->thread == std::this_thread::get_id()) return;
    std::shared_ptr<estado_timer> timer = t->atual;
    fim_de_rotina.wait(guarda, [&] { return !t->na_rotina || t->atual != timer; });
}

}  // namespace plataforma
