// The live table shared with the map drawing: adds and removals never overlap
// a map pass. Run also in the ThreadSanitizer build, which reports any access
// to the table that the lock does not order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "monitor/tables.h"
#include "common/text.h"

namespace {

// A map pass as the radar makes it: the whole pass under the lock, with
// mostrando_locais raised. Every live row must be whole: its port and its map
// point were written by one add and carry the same number.
int passada_do_mapa() {
    std::lock_guard<std::mutex> trava(trava_banco_volatil);
    __atomic_store_n(&mostrando_locais, 1, __ATOMIC_SEQ_CST);
    int rasgadas = 0;
    int limite = std::min(limite_conexoes_volatil, linhas_captura);
    for (int i = 0; i < limite; ++i) {
        auto& linha = banco_volatil[i];
        if (ler_numero(linha[VOL_ATIVO]) != 1) continue;
        int n = ler_numero(linha[VOL_PORTA_LOCAL]);
        if (ler_numero(linha[VOL_MAPA_X]) != n || ler_numero(linha[VOL_MAPA_Y]) != n) ++rasgadas;
    }
    __atomic_store_n(&mostrando_locais, 0, __ATOMIC_SEQ_CST);
    return rasgadas;
}

void adicionar(int n) {
    {
        std::lock_guard<std::mutex> trava(trava_banco_volatil);
        if (lacunas_conexoes_volatil == 0) ++limite_conexoes_volatil;
        else --lacunas_conexoes_volatil;
    }
    std::string t = std::to_string(n);
    liberar_gravacao_banco_voltatil();
    add_conexao_a_banco_valatil(t.c_str(), "10.0.0.1", "443", "app", "BR", t.c_str(), t.c_str());
}

void remover(int n) {
    std::string t = std::to_string(n);
    liberar_gravacao_banco_voltatil();
    if (remove_conexao_de_banco_valatil(t.c_str(), "10.0.0.1", "443", "app")) {
        std::lock_guard<std::mutex> trava(trava_banco_volatil);
        ++lacunas_conexoes_volatil;
    }
}

TEST(TabelaVivaConcorrente, PassadasDoMapaNuncaVeemLinhaPelaMetade) {
    esvaziar_banco_volatil();
    std::atomic<bool> parar{false};
    std::atomic<int> passadas{0};
    std::atomic<int> rasgadas{0};
    std::thread radar([&] {
        while (!parar.load()) {
            rasgadas += passada_do_mapa();
            ++passadas;
        }
    });
    // The writes must really interleave with map passes: start once the first
    // pass ran, and go on until many have.
    while (passadas.load() == 0) std::this_thread::yield();
    for (int volta = 0; volta < 200 || passadas.load() < 50; ++volta) {
        for (int n = 0; n < 40; ++n) adicionar(volta * 1000 + n);
        for (int n = 0; n < 40; n += 2) remover(volta * 1000 + n);
        for (int n = 1; n < 40; n += 2) remover(volta * 1000 + n);
    }
    parar = true;
    radar.join();
    EXPECT_EQ(rasgadas.load(), 0);
    EXPECT_GE(passadas.load(), 50);
    EXPECT_EQ(limite_conexoes_volatil, 40) << "freed rows are reused";
    EXPECT_EQ(lacunas_conexoes_volatil, 40);
}

TEST(TabelaVivaConcorrente, GravacaoEsperaAPassadaDoMapaTerminar) {
    std::atomic<bool> liberada{false};
    std::unique_lock<std::mutex> passada(trava_banco_volatil);
    std::thread gravador([&] {
        liberar_gravacao_banco_voltatil();
        liberada = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(liberada.load()) << "returned while a map pass held the table";
    passada.unlock();
    gravador.join();
    EXPECT_TRUE(liberada.load());
}

}  // namespace
