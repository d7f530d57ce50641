// Draws the program's icon for the desktop's menu: the home screen's radar on
// the colours of the top bar, with three connections found. Each size is drawn
// anew (the shapes are distances), so the small icon stays sharp.
// Usage: gerador_de_icone <pasta> <tamanho>...
// writes <pasta>/<tamanho>x<tamanho>/apps/quorvex.png, the icon theme's layout,
// and the window's icon: <pasta>/window_icon.inc (built into the program) and
// <pasta>/quorvex.ico (the Windows program's icon resource).
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

SDL_Surface* icone(int tamanho);

bool gravar_icone(const std::string& pasta, int tamanho) {
    const std::string lado = std::to_string(tamanho);
    const std::string destino = pasta + "/" + lado + "x" + lado + "/apps";
    SDL_Surface* s = icone(tamanho);
    if (s == nullptr) return false;
    const bool certo = criar_pastas(destino) && gravar_png(s, destino + "/quorvex.png", tipo_imagem::alfa, cor{});
    SDL_FreeSurface(s);
    return certo;
}

// The icon drawn at `tamanho`, as the PNG stores it; the caller frees it.
SDL_Surface* icone(int tamanho) {
    SDL_Surface* s = nova_superficie(tamanho, tamanho);
    if (s) desenhar_icone(s);
    return s;
}

// The window's icon for the program to build in: 32 by 32 (the size SDL 1.2
// asks for on Windows), RGBA bytes row by row, as a C initialiser list.
bool gravar_icone_da_janela(const std::string& pasta) {
    constexpr int lado = 32;
    SDL_Surface* s = criar_pastas(pasta) ? icone(lado) : nullptr;
    std::FILE* f = s ? std::fopen((pasta + "/window_icon.inc").c_str(), "w") : nullptr;
    bool certo = f != nullptr;
    for (int y = 0; certo && y < lado; ++y) {
        for (int x = 0; x < lado; ++x) {
            const cor c = pixel_gravado(ler_pixel(s, x, y), tipo_imagem::alfa, cor{});
            std::fprintf(f, "%u,%u,%u,%u,", c.r, c.g, c.b, c.a);
        }
        std::fputc('\n', f);
    }
    if (f) certo = std::fclose(f) == 0 && certo;
    SDL_FreeSurface(s);
    return certo;
}

void escrever_u16(std::vector<unsigned char>& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void escrever_u32(std::vector<unsigned char>& b, unsigned v) {
    escrever_u16(b, v & 0xFFFF);
    escrever_u16(b, v >> 16);
}

// One icon image of an .ico: a 32-bit bottom-up DIB of twice the height (the
// colour rows, then an all-clear mask, the alpha saying what shows).
std::vector<unsigned char> imagem_do_ico(int lado) {
    std::vector<unsigned char> b;
    SDL_Surface* s = icone(lado);
    if (s == nullptr) return b;
    const unsigned linha_da_mascara = ((lado + 31) / 32) * 4;
    escrever_u32(b, 40);
    escrever_u32(b, lado);
    escrever_u32(b, 2 * lado);
    escrever_u16(b, 1);
    escrever_u16(b, 32);
    escrever_u32(b, 0);
    escrever_u32(b, lado * lado * 4 + linha_da_mascara * lado);
    for (int i = 0; i < 4; ++i) escrever_u32(b, 0);
    for (int y = lado - 1; y >= 0; --y) {
        for (int x = 0; x < lado; ++x) {
            const cor c = pixel_gravado(ler_pixel(s, x, y), tipo_imagem::alfa, cor{});
            b.insert(b.end(), {c.b, c.g, c.r, c.a});
        }
    }
    b.insert(b.end(), linha_da_mascara * lado, 0);
    SDL_FreeSurface(s);
    return b;
}

// The Windows program's icon resource: 16, 32 and 48 pixels.
bool gravar_ico(const std::string& pasta) {
    const int lados[] = {16, 32, 48};
    std::vector<std::vector<unsigned char>> imagens;
    for (int lado : lados) imagens.push_back(imagem_do_ico(lado));
    std::vector<unsigned char> b;
    escrever_u16(b, 0);
    escrever_u16(b, 1);
    escrever_u16(b, 3);
    unsigned deslocamento = 6 + 16 * 3;
    for (int i = 0; i < 3; ++i) {
        if (imagens[i].empty()) return false;
        b.insert(b.end(), {static_cast<unsigned char>(lados[i]), static_cast<unsigned char>(lados[i]), 0, 0});
        escrever_u16(b, 1);
        escrever_u16(b, 32);
        escrever_u32(b, static_cast<unsigned>(imagens[i].size()));
        escrever_u32(b, deslocamento);
        deslocamento += static_cast<unsigned>(imagens[i].size());
    }
    for (const auto& imagem : imagens) b.insert(b.end(), imagem.begin(), imagem.end());
    std::FILE* f = std::fopen((pasta + "/quorvex.ico").c_str(), "wb");
    if (f == nullptr) return false;
    bool certo = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && certo;
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
    if (!gerador::gravar_icone_da_janela(argv[1]) || !gerador::gravar_ico(argv[1])) {
        std::fprintf(stderr, "icone da janela nao foi gravado em %s\n", argv[1]);
        ++falhas;
    }
    return falhas == 0 ? 0 : 1;
}
