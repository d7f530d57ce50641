// The Linux timer's own threads: one per timer armed at once, each ending a
// while after its timer was disarmed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/test_support.h"

namespace {

using teste::esperar_ate;
using teste::threads_do_processo;
using std::chrono::milliseconds;

void contar(void* contexto) { static_cast<std::atomic<int>*>(contexto)->fetch_add(1); }

TEST(TimerPeriodico, ThreadsTerminamDepoisDeDesarmadas) {
    // A first thread makes the sanitizers start their own; threads of earlier
    // timers wait half a second for another timer before they end, and none
    // may be reused here.
    std::atomic<int> aquecimento{0};
    plataforma::desarmar_timer(plataforma::armar_timer(1000, true, contar, &aquecimento));
    std::this_thread::sleep_for(milliseconds(700));
    int antes = threads_do_processo();
    ASSERT_GT(antes, 0);
    std::atomic<int> chamadas{0};
    uint32_t ids[40];
    for (uint32_t& id : ids) id = plataforma::armar_timer(1000, true, contar, &chamadas);
    EXPECT_GE(threads_do_processo(), antes + 40);
    for (uint32_t id : ids) plataforma::desarmar_timer(id);
    EXPECT_TRUE(esperar_ate([&] { return threads_do_processo() <= antes; }))
        << threads_do_processo() << " threads, " << antes << " before";
    EXPECT_EQ(chamadas, 0);
}

}  // namespace
