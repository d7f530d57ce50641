#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/test_support.h"
#include "capture/reverse_dns.h"

namespace {

using teste::esperar_ate;

using relogio = std::chrono::steady_clock;
using std::chrono::milliseconds;

class TimerContador : public MultiMediaTimer {
public:
    TimerContador(uint32_t atraso, int32_t periodico) : MultiMediaTimer(atraso, periodico, 0) {}

    // kill() leaves a one-shot timer alone: its tick, if one came, has returned.
    ~TimerContador() {
        kill();
        esperar_ate([&] { return saidas == ticks; });
    }

    void run() override {
        int n = ticks.load();
        if (n < 16) momentos[n] = relogio::now();
        ticks.fetch_add(1);
        if (parar_no_tick) {
            kill();
            voltou_do_kill = true;
        }
        std::this_thread::sleep_for(milliseconds(demora_ms));
        saidas.fetch_add(1);
    }

    std::atomic<int> ticks{0};
    std::atomic<int> saidas{0};
    std::atomic<bool> parar_no_tick{false};
    std::atomic<bool> voltou_do_kill{false};
    std::atomic<int> demora_ms{0};  // how long each tick stays in run()
    relogio::time_point momentos[16];
};

long ms_entre(relogio::time_point a, relogio::time_point b) {
    return std::chrono::duration_cast<milliseconds>(b - a).count();
}

TEST(MultiMediaTimer, ConstruidoParadoComOsValoresDados) {
    TimerContador t(250, 0);
    EXPECT_EQ(t.atraso, 250u);
    EXPECT_EQ(t.periodico, 0);
    EXPECT_EQ(t.resolucao, 0u);
    EXPECT_EQ(t.parado, 1);
    EXPECT_EQ(mmt.atraso, 100u);
    EXPECT_EQ(mmt.periodico, 1);
    EXPECT_EQ(mmt.resolucao, 0u);
    EXPECT_EQ(mmt.parado, 1);
}

TEST(MultiMediaTimer, PrimeiroTickUmPeriodoDepoisDoStart) {
    TimerContador t(100, 1);
    relogio::time_point inicio = relogio::now();
    t.start();
    EXPECT_EQ(t.parado, 0);
    ASSERT_TRUE(esperar_ate([&] { return t.ticks >= 3; }));
    t.kill();
    std::this_thread::sleep_for(milliseconds(20));
    // The Windows multimedia timer counts whole milliseconds on a clock of its
    // own, so by this clock a tick may come up to a couple of milliseconds
    // before its time; a tick a period early would still show.
    const long granularidade_ms = 2;
    EXPECT_GE(ms_entre(inicio, t.momentos[0]), 100 - granularidade_ms);
    EXPECT_LT(ms_entre(inicio, t.momentos[0]), 2000);
    EXPECT_GE(ms_entre(inicio, t.momentos[1]), 200 - granularidade_ms);
    EXPECT_GE(ms_entre(inicio, t.momentos[2]), 300 - granularidade_ms);
}

// A tick still in run() when kill() is called has finished when kill()
// returns, and no tick comes after.
TEST(MultiMediaTimer, KillEsperaOTickEmCursoENenhumVemDepois) {
    TimerContador t(20, 1);
    t.demora_ms = 150;
    t.start();
    ASSERT_TRUE(esperar_ate([&] { return t.ticks >= 1; }));
    t.kill();
    EXPECT_EQ(t.saidas, t.ticks) << "kill() returned while a tick was still in run()";
    int no_kill = t.ticks;
    t.kill();
    EXPECT_EQ(t.parado, 1);
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(t.ticks, no_kill);
}

TEST(MultiMediaTimer, KillDeDentroDoCallback) {
    TimerContador t(20, 1);
    t.parar_no_tick = true;
    t.start();
    ASSERT_TRUE(esperar_ate([&] { return t.voltou_do_kill.load(); })) << "kill() from run() hung";
    std::this_thread::sleep_for(milliseconds(120));
    EXPECT_EQ(t.ticks, 1);
    EXPECT_EQ(t.parado, 1);
    t.kill();
    EXPECT_EQ(t.parado, 1);
}

TEST(MultiMediaTimer, StartDeNovoDepoisDoKill) {
    TimerContador t(20, 1);
    t.parar_no_tick = true;
    t.start();
    ASSERT_TRUE(esperar_ate([&] { return t.ticks >= 1; }));
    t.start();
    ASSERT_TRUE(esperar_ate([&] { return t.ticks >= 2; }));
    std::this_thread::sleep_for(milliseconds(80));
    EXPECT_EQ(t.ticks, 2);
}

TEST(MultiMediaTimer, StartSobreStartNaoDeixaUmTimerPerdido) {
    TimerContador t(20, 1);
    t.start();
    t.start();
    ASSERT_TRUE(esperar_ate([&] { return t.ticks >= 2; }));
    t.kill();
    std::this_thread::sleep_for(milliseconds(60));
    int depois = t.ticks;
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_EQ(t.ticks, depois) << "the first arming still ticks";
}

TEST(MultiMediaTimer, UmDisparoTicaUmaVezEKillNaoFazNada) {
    TimerContador t(20, 0);
    t.start();
    ASSERT_TRUE(esperar_ate([&] { return t.ticks >= 1; }));
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_EQ(t.ticks, 1);
    t.kill();
    EXPECT_EQ(t.parado, 0);
}

}  // namespace
