// The local clock, its stand-in for tests, and sleeping, on both systems.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "support/test_support.h"

namespace {

// The clock's fields against the C library's local time, read on both sides.
TEST(Relogio, HoraLocalDoSistema) {
    const std::time_t antes = std::time(nullptr);
    const plataforma::hora_local hora = plataforma::ler_relogio();
    const std::time_t depois = std::time(nullptr);
    std::tm campos{};
    campos.tm_year = hora.ano - 1900;
    campos.tm_mon = hora.mes - 1;
    campos.tm_mday = hora.dia;
    campos.tm_hour = hora.hora;
    campos.tm_min = hora.minuto;
    campos.tm_sec = hora.segundo;
    campos.tm_isdst = -1;
    const std::time_t lida = std::mktime(&campos);
    EXPECT_LE(antes, lida);
    EXPECT_LE(lida, depois);
    EXPECT_EQ(hora.dia_da_semana, campos.tm_wday);
    EXPECT_LT(hora.milissegundo, 1000);
}

plataforma::hora_local meia_noite() { return {2027, 1, 5, 1, 0, 0, 0, 0}; }

TEST(Relogio, TestesSubstituemORelogio) {
    plataforma::substituir_relogio(meia_noite);
    EXPECT_EQ(plataforma::ler_relogio().ano, 2027);
    plataforma::substituir_relogio(nullptr);
    const std::time_t agora = std::time(nullptr);
    EXPECT_EQ(plataforma::ler_relogio().ano, std::localtime(&agora)->tm_year + 1900);
}

TEST(Relogio, DormirEsperaOPedido) {
    const auto inicio = std::chrono::steady_clock::now();
    plataforma::dormir_ms(150);
    EXPECT_GE(std::chrono::steady_clock::now() - inicio, std::chrono::milliseconds(140));
}

}  // namespace
