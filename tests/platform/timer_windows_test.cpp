// The Windows timer's fixed room for timers armed at once: identifiers never
// reused while their timer is armed, and an old one does not disarm the timer
// armed in its place.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "support/test_support.h"

namespace {

void contar(void* contexto) { static_cast<std::atomic<int>*>(contexto)->fetch_add(1); }

TEST(Timer, IdentificadoresDistintosEEsgotamento) {
    std::atomic<int> chamadas{0};
    std::vector<uint32_t> armados;
    for (uint32_t id; (id = plataforma::armar_timer(10000, true, contar, &chamadas)) != 0;) {
        for (uint32_t outro : armados) ASSERT_NE(id, outro);
        armados.push_back(id);
        ASSERT_LT(armados.size(), 1000u) << "no limit on timers armed at once";
    }
    EXPECT_GE(armados.size(), 8u);
    uint32_t antigo = armados.back();
    plataforma::desarmar_timer(antigo);
    armados.pop_back();
    std::atomic<int> do_novo{0};
    uint32_t novo = plataforma::armar_timer(20, true, contar, &do_novo);
    ASSERT_NE(novo, 0u);
    EXPECT_NE(novo, antigo);
    plataforma::desarmar_timer(antigo);
    EXPECT_TRUE(teste::esperar_ate([&] { return do_novo >= 2; }));
    plataforma::desarmar_timer(novo);
    for (uint32_t id : armados) plataforma::desarmar_timer(id);
    EXPECT_EQ(chamadas, 0);
}

}  // namespace
