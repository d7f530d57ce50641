// Draws the program's icon for the desktop's menu: the home screen's radar on
// the colours of the top bar, with three connections found. Each size is drawn
// anew (the shapes are distances), so the small icon stays sharp.
// Usage: gerador_de_icone <pasta> <tamanho>...
// writes <pasta>/<tamanho>x<tamanho>/apps/quorvex.png, the icon theme's layout.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../drawing.h"
#include "../palette.h"

namespace gerador {
namespace {

const cor verde_radar{40, 240, 160};
const cor web{100, 200, 100};
const cor outras_portas{250, 130, 100};

ponto no_raio(ponto centro, double raio, double graus) {
    const double a = graus * M_PI / 180;
    return {centro.x + raio * std::cos(a), centro.y - raio * std::sin(a)};
}

// The sweep: thin slices behind the leading edge, each fainter than the last.
void leque(SDL_Surface* s, ponto centro, double raio, double angulo) {
    constexpr int fatias = 24;
    constexpr double abertura = 80.0;
    for (int i = 0; i < fatias; ++i) {
        const double de = angulo - abertura * (i + 1) / fatias, ate = angulo - abertura * i / fatias;
        std::vector<ponto> fatia{centro};
        for (int k = 0; k <= 4; ++k) fatia.push_back(no_raio(centro, raio, de + (ate - de) * k / 4));
        const double t = 1.0 - static_cast<double>(i) / fatias;
        preencher_aneis(s, {fatia}, com_alfa(verde_radar, static_cast<Uint8>(std::lround(110 * t * t))));
    }
}

void conexao(SDL_Surface* s, ponto centro, ponto alvo, cor c, double k) {
    segmento(s, centro, alvo, std::max(1.0, 3 * k), com_alfa(c, 150));
    disco(s, alvo, 11 * k, com_alfa(c, 70));
    disco(s, alvo, std::max(1.6, 6 * k), c);
}

void desenhar_icone(SDL_Surface* s) {
    const double n = s->w, k = n / 256.0;
    const double margem = 10 * k;
    caixa_gradiente(s, {margem, margem, n - 2 * margem, n - 2 * margem}, 48 * k, paleta::barra_base,
                    paleta::barra_topo);
    const ponto centro{n / 2, n / 2};
    const double raio = 96 * k;
    disco(s, centro, raio, paleta::painel);
    leque(s, centro, raio, 45);
    const double traco = std::max(1.0, 3.2 * k);
    for (int anel_n = 1; anel_n <= 3; ++anel_n)
        anel(s, centro, raio * anel_n / 3 - (anel_n == 3 ? traco / 2 : 0), traco,
             com_alfa(paleta::acento_claro, anel_n == 3 ? 255 : 120));
    conexao(s, centro, no_raio(centro, raio * 0.7, 150), web, k);
    conexao(s, centro, no_raio(centro, raio * 0.45, 250), outras_portas, k);
    conexao(s, centro, no_raio(centro, raio * 0.82, 20), web, k);
    segmento(s, centro, no_raio(centro, raio - traco, 45), std::max(1.2, 5 * k), verde_radar);
    disco(s, centro, std::max(1.5, 7 * k), paleta::acento_claro);
}

bool criar_pastas(const std::string& caminho) {
    for (std::size_t fim = 1; fim <= caminho.size(); ++fim) {
        if (fim != caminho.size() && caminho[fim] != '/') continue;
        mkdir(caminho.substr(0, fim).c_str(), 0755);
    }
    struct stat info;
    return stat(caminho.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool gravar_icone(const std::string& pasta, int tamanho) {
    const std::string lado = std::to_string(tamanho);
    const std::string destino = pasta + "/" + lado + "x" + lado + "/apps";
    SDL_Surface* s = nova_superficie(tamanho, tamanho);
    if (s == nullptr) return false;
    desenhar_icone(s);
    const bool certo = criar_pastas(destino) && gravar_png(s, destino + "/quorvex.png", tipo_imagem::alfa, cor{});
    SDL_FreeSurface(s);
    return certo;
}

}  // namespace
}  // namespace gerador

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "uso: %s <pasta> <tamanho>...\n", argv[0]);
        return 2;
    }
    int falhas = 0;
    for (int i = 2; i < argc; ++i) {
        const int tamanho = std::atoi(argv[i]);
        if (tamanho < 16 || tamanho > 1024 || !gerador::gravar_icone(argv[1], tamanho)) {
            std::fprintf(stderr, "icone de %s pixels nao foi gravado\n", argv[i]);
            ++falhas;
        }
    }
    return falhas == 0 ? 0 : 1;
}
