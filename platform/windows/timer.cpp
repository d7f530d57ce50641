// The periodic timer on Windows: the multimedia timer (timeSetEvent), whose
// routines run on the system's timer thread. Each armed timer has a slot here;
// the system's callback finds its slot by the identifier it carries and calls
// the routine only while that slot is still armed. So a tick that the system
// delivers after the timer was disarmed (timeKillEvent does not wait for one
// already on its way) calls nothing. A slot stays taken while its routine
// runs, and disarming waits for that routine to return, unless it is called
// from the routine itself.
#include <winsock2.h>
#include <windows.h>
#include <mmsystem.h>

#include <condition_variable>
#include <mutex>

#include "platform/platform.h"

namespace plataforma {

namespace {

constexpr uint32_t vagas = 64;  // timers armed at once; the program uses one

struct vaga_de_timer {
    uint32_t identificador = 0;  // 0: free
    UINT evento = 0;             // the multimedia timer's own identifier
    bool periodico = false;
    bool armado = false;         // its ticks still call the routine
    bool na_rotina = false;
    DWORD thread = 0;            // the thread inside the routine
    rotina_de_timer rotina = nullptr;
    void* contexto = nullptr;
};

std::mutex trava;
std::condition_variable fim_de_rotina;
vaga_de_timer vaga[vagas];
uint32_t geracao = 0;

// Identifiers tell the slot (their low bits) and the arming (the rest), so an
// old identifier never reaches a slot armed again since.
uint32_t ocupar_vaga(bool periodico, rotina_de_timer rotina, void* contexto) {
    for (uint32_t i = 0; i < vagas; ++i) {
        if (vaga[i].identificador != 0) continue;
        uint32_t identificador;
        do {
            identificador = ++geracao * vagas + i;
        } while (identificador == 0);
        vaga[i] = vaga_de_timer{identificador, 0, periodico, true, false, 0, rotina, contexto};
        return identificador;
    }
    return 0;
}

vaga_de_timer* vaga_de(uint32_t identificador) {
    vaga_de_timer& v = vaga[identificador % vagas];
    return identificador != 0 && v.identificador == identificador ? &v : nullptr;
}

// A disarmed slot is freed once no routine of its runs. Under `trava`.
void liberar_se_parada(vaga_de_timer& v) {
    if (!v.armado && !v.na_rotina) v = vaga_de_timer{};
}

void CALLBACK ao_tique(UINT, UINT, DWORD_PTR usuario, DWORD_PTR, DWORD_PTR) {
    std::unique_lock<std::mutex> guarda(trava);
    vaga_de_timer* v = vaga_de(static_cast<uint32_t>(usuario));
    if (v == nullptr || !v->armado) return;
    // A one-shot timer is spent once it fires; the system forgets it too.
    if (!v->periodico) v->armado = false;
    v->na_rotina = true;
    v->thread = GetCurrentThreadId();
    rotina_de_timer rotina = v->rotina;
    void* contexto = v->contexto;
    guarda.unlock();
    rotina(contexto);
    guarda.lock();
    v->na_rotina = false;
    liberar_se_parada(*v);
    fim_de_rotina.notify_all();
}

}  // namespace

uint32_t armar_timer(unsigned periodo_ms, bool periodico, rotina_de_timer rotina,
                     void* contexto) {
    if (rotina == nullptr) return 0;
    uint32_t identificador;
    {
        std::lock_guard<std::mutex> guarda(trava);
        identificador = ocupar_vaga(periodico, rotina, contexto);
    }
    if (identificador == 0) return 0;
    // A zero period is refused by the system; the shortest is one millisecond.
    // Resolution 0 asks for the greatest accuracy the system offers.
    UINT evento = timeSetEvent(periodo_ms == 0 ? 1 : periodo_ms, 0, ao_tique, identificador,
                               (periodico ? TIME_PERIODIC : TIME_ONESHOT) | TIME_CALLBACK_FUNCTION);
    std::lock_guard<std::mutex> guarda(trava);
    vaga_de_timer* v = vaga_de(identificador);
    if (evento == 0) {
        if (v) {
            v->armado = false;
            liberar_se_parada(*v);
        }
        return 0;
    }
    // Disarmed already (from its own first tick) or, one-shot, already fired:
    // the system's timer is stopped here instead.
    if (v == nullptr || !v->armado) {
        if (periodico) timeKillEvent(evento);
    } else {
        v->evento = evento;
    }
    return identificador;
}

void desarmar_timer(uint32_t identificador) {
    UINT evento = 0;
    {
        std::lock_guard<std::mutex> guarda(trava);
        vaga_de_timer* v = vaga_de(identificador);
        if (v == nullptr) return;
        evento = v->evento;
        v->evento = 0;
        v->armado = false;
        liberar_se_parada(*v);
    }
    // Outside the lock: the system's timer thread may be waiting for it in
    // ao_tique. A one-shot timer that has not fired yet is stopped too.
    if (evento != 0) timeKillEvent(evento);
    std::unique_lock<std::mutex> guarda(trava);
    fim_de_rotina.wait(guarda, [&] {
        vaga_de_timer* v = vaga_de(identificador);
        return v == nullptr || !v->na_rotina || v->thread == GetCurrentThreadId();
    });
}

}  // namespace plataforma
