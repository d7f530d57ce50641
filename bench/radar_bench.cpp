// Processor time of one radar frame drawn the way it used to be (a fresh turn
// of the radar and a fresh copy of the map, SDL's general blits, the whole
// window presented) and the way it is drawn now, interleaved frame by frame on
// the same images, window and 100 live markers. Prints the median ms of each,
// the mean with the marker frames, and their ratio. SDL's dummy video driver
// unless SDL_VIDEODRIVER names another (x11 under Xvfb adds what presenting
// costs).
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "monitor/tables.h"
#include "output/radar.h"
#include "output/radar_support.h"
#include "shell/startup.h"
#include "shell/toolkit.h"

namespace {

constexpr int quadros = 300;

struct tempos {
    std::vector<double> ms;
    double mediana() {
        std::vector<double> v = ms;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    }
    double media() const { return std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size(); }
};

void medir(tempos& t, const std::function<void()>& quadro) {
    std::clock_t inicio = std::clock();
    quadro();
    t.ms.push_back(1000.0 * static_cast<double>(std::clock() - inicio) / CLOCKS_PER_SEC);
}

void preparar_janela_e_marcadores() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_VIDEO);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
    TTF_Init();
    my_font_25 = TTF_OpenFont("fontes/Fonte_01.ttf", 25);
    esvaziar_banco_volatil();
    limite_conexoes_volatil = 100;
    for (int i = 0; i < 100; ++i) {
        std::string porta = std::to_string(40000 + i), x = std::to_string(20 + (i * 37) % 360),
                    y = std::to_string(120 + (i * 53) % 360);
        add_conexao_a_banco_valatil(porta.c_str(), "203.0.113.7", "443", "curl", "USA", x.c_str(),
                                    y.c_str());
    }
}

}  // namespace

int main() {
    std::filesystem::current_path(QUORVEX_RUN_DIR);
    preparar_janela_e_marcadores();
    radar_antigo::imagens antigas = radar_antigo::carregar();
    imagens_do_radar novas = carregar_imagens_do_radar();
    loops = 32;
    relogio_do_radar relogio;
    tempos antes, agora;
    for (int i = 0; i < quadros; ++i) {
        bool com_marcadores = quadro_de_marcadores(relogio);
        medir(antes, [&] { radar_antigo::quadro(antigas, relogio.angulo, com_marcadores); });
        medir(agora, [&] { desenhar_quadro_do_radar(novas, relogio.angulo, com_marcadores); });
        concluir_quadro(relogio);
    }
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    std::printf("radar frame, ms of processor per frame, %d frames (video driver %s)\n", quadros,
                driver ? driver : "?");
    std::printf("  %-14s median %7.3f  mean with markers %7.3f\n", "as it was:", antes.mediana(),
                antes.media());
    std::printf("  %-14s median %7.3f  mean with markers %7.3f\n", "now:", agora.mediana(),
                agora.media());
    std::printf("  ratio (was / now): median %.2f  mean %.2f\n", antes.mediana() / agora.mediana(),
                antes.media() / agora.media());
    liberar_imagens_do_radar(novas);
    radar_antigo::liberar(antigas);
    return 0;
}
