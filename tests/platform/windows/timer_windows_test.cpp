// The multimedia timer behind the platform's timer: periodic and one-shot
// calls, disarming from outside and from inside the routine, and the room for
// timers armed at once.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "support_windows.h"
#include "platform/platform.h"

namespace {

struct contador {
    std::atomic<int> chamadas{0};
    std::atomic<DWORD> primeira{0};
    std::atomic<DWORD> thread{0};
};

void contar(void* contexto) {
    auto* c = static_cast<contador*>(contexto);
    if (c->chamadas.fetch_add(1) == 0) {
        c->primeira = GetTickCount();
        c->thread = GetCurrentThreadId();
    }
}

TEST(Timer, PeriodicoChamaNoThreadDoTimerAteSerDesarmado) {
    contador c;
    DWORD armado = GetTickCount();
    uint32_t id = plataforma::armar_timer(50, true, contar, &c);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(teste_windows::esperar_ate([&] { return c.chamadas >= 4; }, 5000));
    plataforma::desarmar_timer(id);
    EXPECT_NE(c.thread.load(), GetCurrentThreadId());
    EXPECT_LT(c.primeira - armado, 1000u);
    int ao_desarmar = c.chamadas;
    Sleep(300);
    EXPECT_EQ(c.chamadas, ao_desarmar) << "a call started after the timer was disarmed";
    plataforma::desarmar_timer(id);  // twice: nothing happens
}

TEST(Timer, UmaVezSoChamaUmaVez) {
    contador c;
    uint32_t id = plataforma::armar_timer(30, false, contar, &c);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(teste_windows::esperar_ate([&] { return c.chamadas >= 1; }, 5000));
    Sleep(200);
    EXPECT_EQ(c.chamadas, 1);
    plataforma::desarmar_timer(id);
}

TEST(Timer, DesarmadoAntesDeDispararNaoChama) {
    contador c;
    uint32_t id = plataforma::armar_timer(300, false, contar, &c);
    ASSERT_NE(id, 0u);
    plataforma::desarmar_timer(id);
    Sleep(500);
    EXPECT_EQ(c.chamadas, 0);
}

struct auto_desarme {
    std::atomic<uint32_t> id{0};
    std::atomic<int> chamadas{0};
};

void desarmar_a_si_mesmo(void* contexto) {
    auto* a = static_cast<auto_desarme*>(contexto);
    ++a->chamadas;
    while (a->id == 0) Sleep(1);
    plataforma::desarmar_timer(a->id);
}

TEST(Timer, RotinaDesarmaOProprioTimer) {
    auto_desarme a;
    a.id = plataforma::armar_timer(20, true, desarmar_a_si_mesmo, &a);
    ASSERT_NE(a.id.load(), 0u);
    ASSERT_TRUE(teste_windows::esperar_ate([&] { return a.chamadas >= 1; }, 5000));
    Sleep(200);
    EXPECT_EQ(a.chamadas, 1);
    // The timer thread is free again: another timer still ticks.
    contador c;
    uint32_t outro = plataforma::armar_timer(20, true, contar, &c);
    EXPECT_TRUE(teste_windows::esperar_ate([&] { return c.chamadas >= 2; }, 5000));
    plataforma::desarmar_timer(outro);
}

// Identifiers are never reused while their timer is armed, and an old one does
// not disarm the timer armed in its place.
TEST(Timer, IdentificadoresDistintosEEsgotamento) {
    contador c;
    std::vector<uint32_t> armados;
    for (uint32_t id; (id = plataforma::armar_timer(10000, true, contar, &c)) != 0;) {
        for (uint32_t outro : armados) ASSERT_NE(id, outro);
        armados.push_back(id);
        ASSERT_LT(armados.size(), 1000u) << "no limit on timers armed at once";
    }
    EXPECT_GE(armados.size(), 8u);
    uint32_t antigo = armados.back();
    plataforma::desarmar_timer(antigo);
    armados.pop_back();
    contador d;
    uint32_t novo = plataforma::armar_timer(20, true, contar, &d);
    ASSERT_NE(novo, 0u);
    EXPECT_NE(novo, antigo);
    plataforma::desarmar_timer(antigo);
    EXPECT_TRUE(teste_windows::esperar_ate([&] { return d.chamadas >= 2; }, 5000));
    plataforma::desarmar_timer(novo);
    for (uint32_t id : armados) plataforma::desarmar_timer(id);
    EXPECT_EQ(c.chamadas, 0);
    EXPECT_EQ(plataforma::armar_timer(10, true, nullptr, nullptr), 0u);
}

}  // namespace
