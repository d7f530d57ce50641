#include <gtest/gtest.h>

#include "output/datetime.h"
#include "platform/seams.h"

namespace {

plataforma::hora_local relogio_fixo;
plataforma::hora_local ler_relogio_fixo() { return relogio_fixo; }

class TextosDeData : public ::testing::Test {
protected:
    void SetUp() override { plataforma::substituir_relogio(ler_relogio_fixo); }
    void TearDown() override { plataforma::substituir_relogio(nullptr); }
    void acertar(uint16_t ano, uint16_t mes, uint16_t dia, uint16_t hora, uint16_t minuto,
                 uint16_t segundo) {
        relogio_fixo = {ano, mes, 0, dia, hora, minuto, segundo, 999};
    }
};

TEST_F(TextosDeData, DigitosUnicosGanhamZero) {
    acertar(2026, 12, 7, 9, 5, 3);
    EXPECT_STREQ(data_atual_log(1), "07/12/2026 &nbsp;&nbsp; 09:05:03");
    EXPECT_STREQ(hora_atual(1), "09:05");
    EXPECT_STREQ(data_atual_arquivo(1), "2026_12_07__09_05_03.html");
    EXPECT_EQ(tempo.milissegundo, 999);
}

TEST_F(TextosDeData, MeiaNoiteDePrimeiroDeJaneiro) {
    acertar(2027, 1, 1, 0, 0, 0);
    EXPECT_STREQ(data_atual_log(1), "01/01/2027 &nbsp;&nbsp; 00:00:00");
    EXPECT_STREQ(hora_atual(1), "00:00");
    EXPECT_STREQ(data_atual_arquivo(1), "2027_01_01__00_00_00.html");
}

TEST_F(TextosDeData, AnoSemPreenchimentoEHoraSemSegundos) {
    acertar(999, 10, 31, 23, 59, 59);
    EXPECT_STREQ(data_atual_log(1), "31/10/999 &nbsp;&nbsp; 23:59:59");
    EXPECT_STREQ(hora_atual(1), "23:59");
    EXPECT_STREQ(data_atual_arquivo(1), "999_10_31__23_59_59.html");
}

TEST(RelogioReal, DaUmaDataPlausivel) {
    plataforma::hora_local agora = plataforma::ler_relogio();
    EXPECT_GE(agora.ano, 2024);
    EXPECT_GE(agora.mes, 1);
    EXPECT_LE(agora.mes, 12);
    EXPECT_LE(agora.hora, 23);
    EXPECT_LE(agora.milissegundo, 999);
}

}  // namespace
