#include "output/radar.h"

#include <SDL/SDL_gfxPrimitives.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_rotozoom.h>
#include <SDL/SDL_ttf.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "monitor/tables.h"
#include "platform/platform.h"
#include "common/text.h"
#include "shell/toolkit.h"

int loops = 1;
int fazendo_scan = 0;
int primeiro_scan = 0;
int delay_radar = 100;
int taxa_ataualizacao_locais_mapa = 20;
int x_ponto_partida = 137;
int y_ponto_partida = 340;
SDL_Surface* locais_copia = nullptr;

namespace {

constexpr Uint32 cor_das_linhas = 0x00339999;  // RGBA: blue, about 60 % opaque

using relogio = std::chrono::steady_clock;

// How the main thread asks the radar to stop, and how the radar hands over an
// Escape or a close request it took. Never destroyed: the process may exit from either thread
// while the other still uses it.
struct controle_do_radar {
    std::mutex trava;
    std::condition_variable aviso;
    bool parada_pedida = false;
    int escape_entregue = 0;
    int saida_entregue = 0;
    std::thread* fio = nullptr;
    observador_de_quadros observador = nullptr;
};
controle_do_radar& controle() {
    static auto* c = new controle_do_radar;
    return *c;
}

// The main thread reads these between sweeps while this thread writes them.
void zerar_sinal(int& sinal) { __atomic_store_n(&sinal, 0, __ATOMIC_SEQ_CST); }

// The map area, where every frame draws.
constexpr SDL_Rect area_do_mapa = {0, 100, 400, 400};

// The counter's text is drawn without presenting: the next frame shows it.
// Read and written under the screen lock.
bool contador_por_apresentar = false;

// The pixel value that covers the most of a 32-bit image.
Uint32 pixel_mais_comum(SDL_Surface* imagem) {
    if (imagem == nullptr || imagem->format->BytesPerPixel != 4 || SDL_MUSTLOCK(imagem)) return 0;
    std::unordered_map<Uint32, int> contagem;
    for (int y = 0; y < imagem->h; ++y) {
        const auto* linha = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(imagem->pixels) +
                                                            y * imagem->pitch);
        for (int x = 0; x < imagem->w; ++x) ++contagem[linha[x]];
    }
    auto maior = std::max_element(contagem.begin(), contagem.end(),
                                  [](const auto& a, const auto& b) { return a.second < b.second; });
    return maior == contagem.end() ? 0 : maior->first;
}

void renovar_marcadores() {
    exib_locais_no_mapa(1);
    plataforma::dormir_ms(20);
    SDL_FreeSurface(locais_copia);
    locais_copia = flip_surface(screen, FLIP_NORMAL);
}

// The snapshot, copied opaquely over the map area, hides every pixel the
// background would have drawn there.
bool copia_cobre_o_fundo(const SDL_Surface* fundo) {
    if (locais_copia == nullptr || fundo == nullptr) return false;
    if (locais_copia->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY)) return false;
    int largura = std::min<int>(locais_copia->w, area_do_mapa.w);
    int altura = std::min<int>(locais_copia->h, area_do_mapa.y + area_do_mapa.h) - area_do_mapa.y;
    return fundo->w <= largura && fundo->h <= altura;
}

// Keeps the turned radar centred on where the unturned image lies. Returns
// the part of the window it changed.
SDL_Rect colocar_radar(SDL_Surface* girado, const imagens_do_radar& imagens) {
    const SDL_Surface* base = imagens.referencia ? imagens.referencia : imagens.radar;
    int d = girado->h / 2 - base->h / 2;
    return misturar_superficie(girado, screen, 0 - d, 100 - d, imagens.pixel_frequente);
}

SDL_Rect uniao(const SDL_Rect& a, const SDL_Rect& b) {
    if (b.w == 0 || b.h == 0) return a;
    int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return SDL_Rect{static_cast<Sint16>(x0), static_cast<Sint16>(y0), static_cast<Uint16>(x1 - x0),
                    static_cast<Uint16>(y1 - y0)};
}

// Only the map area and the turned radar change from frame to frame; the
// whole window is shown when markers (whose lines may leave the map) or the
// counter were drawn since.
void apresentar_quadro(bool com_marcadores, const SDL_Rect& radar) {
    if (com_marcadores || contador_por_apresentar) {
        contador_por_apresentar = false;
        apresentar_tela();
    } else {
        apresentar_area(uniao(area_do_mapa, radar));
    }
}

// An Escape and a close request are the main thread's to act on: each ends the
// scan the same way whichever thread took it.
void tratar_evento(const SDL_Event& evento) {
    if (evento.type == SDL_QUIT) __atomic_store_n(&controle().saida_entregue, 1, __ATOMIC_SEQ_CST);
    if (evento.type == SDL_KEYDOWN && evento.key.keysym.sym == SDLK_ESCAPE)
        __atomic_store_n(&controle().escape_entregue, 1, __ATOMIC_SEQ_CST);
}

// Each frame waits the whole period after the previous one was presented, so
// no two frames reach the screen closer together than that, however late one
// of them was. False when a stop was asked for.
bool esperar_o_quadro(relogio::time_point ultimo_quadro) {
    const auto prazo = ultimo_quadro + std::chrono::milliseconds(delay_radar);
    std::unique_lock<std::mutex> trava(controle().trava);
    return !controle().aviso.wait_until(trava, prazo, [] { return controle().parada_pedida; });
}

}  // namespace

imagens_do_radar carregar_imagens_do_radar() {
    TravaDaTela trava;
    imagens_do_radar imagens;
    if (SDL_Surface* bruto = IMG_Load("bin/A0044.bin")) {
        imagens.referencia = SDL_DisplayFormat(bruto);
        SDL_FreeSurface(bruto);
    }
    imagens.radar = preparar_para_misturar(IMG_Load("bin/A0044.bin"));
    imagens.pixel_frequente = pixel_mais_comum(imagens.radar);
    if (SDL_Surface* mapa = IMG_Load("bin/A0034.bin")) {
        imagens.fundo = preparar_para_misturar(rotozoomSurface(mapa, 0.0, 1.0, 0));
        SDL_FreeSurface(mapa);
    }
    return imagens;
}

void liberar_imagens_do_radar(imagens_do_radar& imagens) {
    TravaDaTela trava;
    SDL_FreeSurface(imagens.radar);
    SDL_FreeSurface(imagens.referencia);
    SDL_FreeSurface(imagens.fundo);
    imagens = imagens_do_radar{};
}

// Frame steps from the turned radar to the presentation, as one drawing step of
// the screen so the sweep's drawing never shows a half-built map.
void desenhar_quadro_do_radar(const imagens_do_radar& imagens, double angulo,
                              bool com_marcadores) {
    TravaDaTela trava;
    if (screen == nullptr) return;
    SDL_Surface* girado = imagens.radar ? rotozoomSurface(imagens.radar, angulo, 1.0, 0) : nullptr;
    if (com_marcadores || !copia_cobre_o_fundo(imagens.fundo))
        misturar_superficie(imagens.fundo, screen, area_do_mapa.x, area_do_mapa.y);
    if (com_marcadores) renovar_marcadores();
    if (locais_copia) {
        SDL_Rect recorte = {0, 100, 400, 500};
        apply_surface(0, 100, locais_copia, screen, &recorte);
    }
    SDL_Rect radar = girado ? colocar_radar(girado, imagens) : SDL_Rect{0, 0, 0, 0};
    apresentar_quadro(com_marcadores, radar);
    SDL_FreeSurface(girado);
}

bool quadro_de_marcadores(relogio_do_radar& r) {
    bool agora = r.contador_de_quadros == taxa_ataualizacao_locais_mapa;
    if (agora) r.contador_de_quadros = 0;
    ++r.contador_de_quadros;
    return agora;
}

int concluir_quadro(relogio_do_radar& r) {
    r.angulo += 1.0;
    r.angulo += 2.0;
    if (r.voltas >= loops) zerar_sinal(fazendo_scan);
    if (r.angulo < 360.0) return -1;
    r.angulo = 0.0;
    ++r.voltas;
    // Turns made after the scan's last one (while the sweep under way ends)
    // leave the counter at 0.
    return r.voltas <= loops ? loops - r.voltas : -1;
}

int rodar_radar_independente(void*) {
    imagens_do_radar imagens = carregar_imagens_do_radar();
    relogio_do_radar r;
    mostar_dysplay_loop(loops);
    auto ultimo_quadro = relogio::now();
    for (;;) {
        SDL_Event evento;
        bool tirou = tirar_evento(&evento) == 1;
        if (!esperar_o_quadro(ultimo_quadro)) break;
        if (tirou) tratar_evento(evento);
        bool com_marcadores = quadro_de_marcadores(r);
        desenhar_quadro_do_radar(imagens, r.angulo, com_marcadores);
        ultimo_quadro = relogio::now();
        if (observador_de_quadros o = __atomic_load_n(&controle().observador, __ATOMIC_SEQ_CST)) o();
        int restantes = concluir_quadro(r);
        if (restantes >= 0) mostar_dysplay_loop(restantes);
    }
    liberar_imagens_do_radar(imagens);
    return 0;
}

void mostar_dysplay_loop(int restantes) {
    char texto[16];
    formatar_limitado(texto, sizeof texto, "%d", restantes);
    TravaDaTela trava;
    apenas_exibir_imagem("bin/A0031.bin", 20, 66);
    desenha_texto_cores(texto, "fontes/Fonte_04.ttf", 13, screen, 20, 66, 10, 10, 10);
    contador_por_apresentar = true;
}

void exib_locais_no_mapa(int) {
    // Screen first, then the live table: the order every thread takes them in.
    TravaDaTela tela;
    std::lock_guard<std::mutex> tabela(trava_banco_volatil);
    __atomic_store_n(&mostrando_locais, 1, __ATOMIC_SEQ_CST);
    int limite = std::min(limite_conexoes_volatil, linhas_captura);
    for (int i = 0; i < limite; ++i) {
        auto& linha = banco_volatil[i];
        if (ler_numero(linha[VOL_ATIVO]) != 1) continue;
        funcao_mapa_exibir_xy(ler_numero(linha[VOL_MAPA_X]), ler_numero(linha[VOL_MAPA_Y]));
    }
    __atomic_store_n(&mostrando_locais, 0, __ATOMIC_SEQ_CST);
}

int funcao_mapa_exibir_xy(int x, int y) {
    TravaDaTela trava;
    if (!TTF_WasInit() && TTF_Init() == -1) return -1;
    if (screen == nullptr) return 0;
    if (x == 0 && y == 0) {
        x = 241;
        y = 145;
    }
    if (x == 252 && y == 421) {
        lineColor(screen, 130, 436, 259, 436, cor_das_linhas);
    } else {
        lineColor(screen, static_cast<Sint16>(x_ponto_partida), static_cast<Sint16>(y_ponto_partida),
                  static_cast<Sint16>(x + 7), static_cast<Sint16>(y + 15), cor_das_linhas);
    }
    if (my_font_25) desenha_texto_cores_loop("*", my_font_25, screen, x, y, 255, 50, 50);
    return 0;
}

void iniciar_radar() {
    controle_do_radar& c = controle();
    // A thread left from an earlier scan would keep that scan's turn count.
    if (c.fio) parar_radar();
    {
        std::lock_guard<std::mutex> trava(c.trava);
        c.parada_pedida = false;
    }
    __atomic_store_n(&c.escape_entregue, 0, __ATOMIC_SEQ_CST);
    __atomic_store_n(&c.saida_entregue, 0, __ATOMIC_SEQ_CST);
    c.fio = new std::thread([] { rodar_radar_independente(nullptr); });
}

void parar_radar() {
    controle_do_radar& c = controle();
    if (!c.fio) return;
    {
        std::lock_guard<std::mutex> trava(c.trava);
        c.parada_pedida = true;
    }
    c.aviso.notify_all();
    c.fio->join();
    delete c.fio;
    c.fio = nullptr;
}

bool tomar_escape_do_radar() {
    return __atomic_exchange_n(&controle().escape_entregue, 0, __ATOMIC_SEQ_CST) == 1;
}

bool tomar_saida_do_radar() {
    return __atomic_exchange_n(&controle().saida_entregue, 0, __ATOMIC_SEQ_CST) == 1;
}

void observar_quadros(observador_de_quadros observador) {
    __atomic_store_n(&controle().observador, observador, __ATOMIC_SEQ_CST);
}
