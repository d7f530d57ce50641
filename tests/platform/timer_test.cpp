// The periodic timer on both systems: when it calls, how often, on which
// thread, and disarming from outside and from inside its routine.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/test_support.h"

namespace {

using teste::esperar_ate;
using teste::threads_do_processo;

using relogio = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct registro_de_ticks {
    std::atomic<int> chamadas{0};
    relogio::time_point inicio = relogio::now();
    relogio::time_point momentos[64];
    std::thread::id thread_do_primeiro;
    std::atomic<uint32_t> identificador{0};
    std::atomic<bool> desarmar_no_tick{false};
    std::atomic<bool> bloquear{false};
    std::atomic<bool> bloqueado{false};
    std::atomic<bool> saiu{false};
};

void anotar(void* contexto) {
    auto* r = static_cast<registro_de_ticks*>(contexto);
    int n = r->chamadas.load();
    if (n < 64) r->momentos[n] = relogio::now();
    if (n == 0) r->thread_do_primeiro = std::this_thread::get_id();
    r->chamadas.fetch_add(1);
    if (r->desarmar_no_tick) {
        while (r->identificador == 0) std::this_thread::sleep_for(milliseconds(1));
        plataforma::desarmar_timer(r->identificador);
    }
    if (!r->bloquear) return;
    r->bloqueado = true;
    for (int i = 0; i < 5000 && r->bloquear; ++i) std::this_thread::sleep_for(milliseconds(1));
    r->saiu = true;
}

long ms_desde(relogio::time_point inicio, relogio::time_point momento) {
    return std::chrono::duration_cast<milliseconds>(momento - inicio).count();
}

TEST(TimerPeriodico, ChamaACadaPeriodoAPartirDeUmPeriodoDepoisDeArmado) {
    registro_de_ticks r;
    r.inicio = relogio::now();
    uint32_t id = plataforma::armar_timer(40, true, anotar, &r);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(esperar_ate([&] { return r.chamadas >= 4; }));
    plataforma::desarmar_timer(id);
    EXPECT_NE(r.thread_do_primeiro, std::this_thread::get_id()) << "called on the timer's thread";
    // Windows' timer counts whole milliseconds: a tick may come up to one early.
    for (int k = 0; k < 4; ++k) {
        EXPECT_GE(ms_desde(r.inicio, r.momentos[k]), 40 * (k + 1) - 1) << "tick " << k;
        EXPECT_LT(ms_desde(r.inicio, r.momentos[k]), 40 * (k + 1) + 2000) << "tick " << k;
    }
}

TEST(TimerPeriodico, UmDisparoSoChamaUmaVez) {
    registro_de_ticks r;
    uint32_t id = plataforma::armar_timer(20, false, anotar, &r);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(esperar_ate([&] { return r.chamadas >= 1; }));
    std::this_thread::sleep_for(milliseconds(120));
    EXPECT_EQ(r.chamadas, 1);
    plataforma::desarmar_timer(id);
}

TEST(Timer, DesarmadoAntesDeDispararNaoChama) {
    registro_de_ticks r;
    uint32_t id = plataforma::armar_timer(300, false, anotar, &r);
    ASSERT_NE(id, 0u);
    plataforma::desarmar_timer(id);
    std::this_thread::sleep_for(milliseconds(500));
    EXPECT_EQ(r.chamadas, 0);
}

TEST(TimerPeriodico, IdentificadoresDistintosERotinaObrigatoria) {
    registro_de_ticks r;
    uint32_t a = plataforma::armar_timer(1000, true, anotar, &r);
    uint32_t b = plataforma::armar_timer(1000, true, anotar, &r);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    plataforma::desarmar_timer(a);
    plataforma::desarmar_timer(b);
    EXPECT_EQ(plataforma::armar_timer(10, true, nullptr, &r), 0u);
}

TEST(TimerPeriodico, DesarmadoNaoChamaMais) {
    registro_de_ticks r;
    uint32_t id = plataforma::armar_timer(20, true, anotar, &r);
    ASSERT_TRUE(esperar_ate([&] { return r.chamadas >= 2; }));
    plataforma::desarmar_timer(id);
    int no_desarme = r.chamadas;
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(r.chamadas, no_desarme);
    plataforma::desarmar_timer(id);
    plataforma::desarmar_timer(0);
}

// Arming and disarming over and over leaves no thread behind.
TEST(TimerPeriodico, TimersArmadosUmDepoisDoOutroUsamUmaThread) {
    registro_de_ticks r;
    plataforma::desarmar_timer(plataforma::armar_timer(1000, true, anotar, &r));
    ASSERT_TRUE(esperar_ate([&] { return threads_do_processo() > 0; }));
    int com_uma = threads_do_processo();
    for (int i = 0; i < 200; ++i) plataforma::desarmar_timer(plataforma::armar_timer(1000, true, anotar, &r));
    EXPECT_LE(threads_do_processo(), com_uma + 1);
    uint32_t id = plataforma::armar_timer(10, true, anotar, &r);
    EXPECT_TRUE(esperar_ate([&] { return r.chamadas >= 2; })) << "a reused thread ticks";
    plataforma::desarmar_timer(id);
}

// Once its routine disarmed it, the timer's thread still serves another timer.
TEST(TimerPeriodico, RotinaDesarmaOProprioTimer) {
    registro_de_ticks r;
    r.desarmar_no_tick = true;
    r.identificador = plataforma::armar_timer(20, true, anotar, &r);
    ASSERT_NE(r.identificador.load(), 0u);
    ASSERT_TRUE(esperar_ate([&] { return r.chamadas >= 1; }));
    std::this_thread::sleep_for(milliseconds(150));
    EXPECT_EQ(r.chamadas, 1);
    registro_de_ticks outro;
    uint32_t id = plataforma::armar_timer(20, true, anotar, &outro);
    EXPECT_TRUE(esperar_ate([&] { return outro.chamadas >= 2; }));
    plataforma::desarmar_timer(id);
}

TEST(TimerPeriodico, DesarmarEsperaARotinaEmCurso) {
    registro_de_ticks r;
    r.bloquear = true;
    uint32_t id = plataforma::armar_timer(10, true, anotar, &r);
    ASSERT_TRUE(esperar_ate([&] { return r.bloqueado.load(); }));
    std::thread soltar([&] {
        std::this_thread::sleep_for(milliseconds(100));
        r.bloquear = false;
    });
    plataforma::desarmar_timer(id);
    EXPECT_TRUE(r.saiu) << "disarming returned while the routine still ran";
    soltar.join();
    std::this_thread::sleep_for(milliseconds(60));
    EXPECT_EQ(r.chamadas, 1);
}

}  // namespace
