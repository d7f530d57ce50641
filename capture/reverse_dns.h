// Reverse DNS within a time limit. The scan cycle arms the periodic timer
// `mmt`, whose ticks try to resolve `ip_a_resolver`, and waits a bounded number
// of one-millisecond sleeps for `status_funcao`; when nothing arrives in time
// `dns_resolvido` keeps the "NOID" the scan cycle put there.
//
// For each new connection the scan cycle, in this order: copies the address
// into `ip_a_resolver`, clears its own host buffer, sets `dns_resolvido` to
// "NOID", calls criar_timeout(timeout_dns), copies `dns_resolvido` into its
// host buffer with copiar_nome_dns, and sets `ip_a_resolver` to "".
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/texto.h"

// A timer whose ticks call run() on the platform's timer thread.
class MultiMediaTimer {
public:
    MultiMediaTimer(uint32_t atraso, int32_t periodico, uint32_t resolucao);

    // Arms the timer: run() is called every `atraso` ms (once when not
    // periodic), the first time one period from now. Arming an armed periodic
    // timer replaces its previous arming.
    void start();

    // Disarms a periodic timer; no tick starts after it returns. Does nothing
    // when already stopped, and may be called from inside run().
    void kill();

    // The platform timer's routine: `contexto` is the timer given at start().
    static void TimerHandler(void* contexto);

    virtual void run() = 0;

    uint32_t identificador = 0;  // of the last arming; 0 when arming failed
    uint32_t resolucao;          // ms; the Linux timer is always as fine as it can be
    uint32_t atraso;             // ms, the period or the one-shot delay
    int32_t parado;              // 1 when not armed
    int32_t periodico;           // 1 periodic, 0 one-shot

protected:
    ~MultiMediaTimer() = default;
};

// The lookup timer: 100 ms period, periodic; each tick tries ip_a_resolver.
class TestTimer : public MultiMediaTimer {
public:
    TestTimer();
    void run() override;
};

extern TestTimer mmt;

extern char ip_a_resolver[256];
extern char dns_resolvido[256];
extern int status_funcao;  // 1 once the current wait has its name
extern int timeout_dns;    // the wait, in one-millisecond sleeps

// One lookup attempt for `ip`, made on the timer's thread. On success returns
// the name and, when the wait it was made for is still open, hands it to that
// wait (dns_resolvido, status_funcao, and the timer disarmed). An answer that
// comes after its wait ended is dropped. A failed attempt (no name, invalid
// address, too many lookups already blocked in the resolver) returns "" and
// changes nothing.
texto_fixo<256> ip_to_dns_nova(const char* ip);

// The bounded wait: arms `mmt`, polls status_funcao before each of at most
// `limite` one-millisecond sleeps, disarms `mmt`, leaves status_funcao at 0.
void criar_timeout(int limite);

// Lookups still blocked in the resolver when their waits ended keep a timer
// thread each; beyond this many, new attempts fail at once until one returns.
constexpr int limite_consultas_em_curso = 8;

// Copies a host name into a cell of `largura` characters. A name that does not
// fit keeps its end: the domain, from which the location is derived, and the
// part a user recognises. A label cut in the middle is dropped up to its dot,
// so the shortened name reads ".label.domain" and shows it was cut.
void copiar_nome_dns(char* destino, std::size_t largura, const char* nome);

// Tests replace the system's reverse resolver; nullptr puts it back.
using resolvedor_reverso = bool (*)(const char* ip, char* destino, std::size_t largura);
void substituir_resolvedor(resolvedor_reverso resolvedor);
