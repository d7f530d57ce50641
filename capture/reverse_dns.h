// Reverse DNS within a time limit. The bounded wait arms the periodic timer
// `mmt`, whose ticks try to resolve `ip_a_resolver`, and waits a bounded number
// of one-millisecond sleeps for `status_funcao`; when nothing arrives in time
// `dns_resolvido` keeps the "NOID" put there before the wait.
//
// The names come from the platform's asynchronous resolver and its scan-wide
// cache: an attempt never blocks, it asks what the resolver knows of the
// address now (starting its lookup when nothing is known). Each address has
// `timeout_dns` milliseconds from the start of its own lookup. The sweep does
// not wait: it starts the lookups of a whole reading at once (antecipar_nome)
// and lists each new connection once nome_decidido says its name is decided.
//
// The bounded wait, for one address (resolver_nome_do_host): copy the address
// into `ip_a_resolver`, clear the host buffer, set `dns_resolvido` to "NOID",
// call criar_timeout(timeout_dns), copy `dns_resolvido` into the host buffer
// with copiar_nome_dns, and set `ip_a_resolver` to "".
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/text.h"

// A timer whose ticks call run() on the platform's timer thread.
class MultiMediaTimer {
public:
    MultiMediaTimer(uint32_t atraso, int32_t periodico, uint32_t resolucao);

    // Arms the timer: run() is called every `atraso` ms (once when not
    // periodic), the first time one period from now (criar_timeout makes its
    // first attempt itself, at arming). Arming an armed periodic
    // timer replaces its previous arming.
    void start();

    // Disarms a periodic timer: once it returns no tick runs (one under way
    // has finished) and none starts. From inside run() it does not wait.
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

// One lookup attempt for `ip`, made at arming and then on the timer's thread.
// When the resolver has the name, returns it and, when the wait it was made
// for is still open, hands it to that wait (dns_resolvido, status_funcao, and
// the timer disarmed). When the address has no name (its lookup failed or its
// window passed) returns "" and ends that wait at once, leaving "NOID". While
// the lookup runs returns "" and changes nothing: the next tick tries again.
// An answer that comes after its wait ended is dropped.
texto_fixo<256> ip_to_dns_nova(const char* ip);

// The bounded wait: arms `mmt` and makes the first attempt at once, then
// polls before each of at most `limite` one-millisecond sleeps for
// status_funcao or the end of the address's lookup without a name, disarms
// `mmt`, leaves status_funcao at 0.
void criar_timeout(int limite);

// Starts the lookup of `ip`'s name now, so that its window begins before its
// connection is processed. Answered and running addresses are left as they are.
void antecipar_nome(const char* ip);

// The name of `ip` as far as it is decided now, without waiting: true with
// the name in `nome_dns` (kept to its end, as copiar_nome_dns does) or "NOID"
// when the address has none or `janela_passou` (its connection's window of
// `timeout_dns` has run out with the lookup still under way); false while the
// lookup may still answer in time. Starts the lookup when none is known.
bool nome_decidido(const char* ip, bool janela_passou, char* nome_dns, std::size_t largura);

// The names of one scan: created when a scan starts, it empties the cache of
// names; destroyed when the scan ends, it cancels the lookups still running
// and stops the resolver, so no thread, socket or query outlives the scan.
class NomesDoScan {
public:
    NomesDoScan();
    ~NomesDoScan();
    NomesDoScan(const NomesDoScan&) = delete;
    NomesDoScan& operator=(const NomesDoScan&) = delete;
};

// Copies a host name into a cell of `largura` characters. A name that does not
// fit keeps its end: the domain, from which the location is derived, and the
// part a user recognises. A label cut in the middle is dropped up to its dot,
// so the shortened name reads ".label.domain" and shows it was cut.
void copiar_nome_dns(char* destino, std::size_t largura, const char* nome);
