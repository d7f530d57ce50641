#include "shell/toolkit.h"

#include <SDL/SDL_image.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "shell/startup.h"

TTF_Font* my_font_25 = nullptr;
TTF_Font* my_font_10_painel = nullptr;

namespace {

// What a file on disk looked like when it was decoded or opened. A cached
// entry is used only while the file is still there and unchanged, so a file
// removed or replaced after start-up behaves as if it were read at every call.
struct marca_do_arquivo {
    std::filesystem::file_time_type alterado{};
    std::uintmax_t tamanho = 0;
    bool operator==(const marca_do_arquivo& o) const {
        return alterado == o.alterado && tamanho == o.tamanho;
    }
};

bool marcar_arquivo(const char* caminho, marca_do_arquivo& marca) {
    std::error_code erro;
    marca.tamanho = std::filesystem::file_size(caminho, erro);
    if (erro) return false;
    marca.alterado = std::filesystem::last_write_time(caminho, erro);
    return !erro;
}

// A small fixed cache of decoded images or open fonts, keyed by file (and
// size for fonts); the least recently used entry gives way when it is full.
// Only touched under the screen lock.
template <typename Recurso, void (*liberar)(Recurso*)>
class cache_de_arquivos {
public:
    Recurso* procurar(const char* caminho, int tamanho, const marca_do_arquivo& marca) {
        for (auto& e : entradas_) {
            if (e.recurso == nullptr || e.tamanho != tamanho) continue;
            if (e.caminho != caminho) continue;
            if (!(e.marca == marca)) {
                descartar(e);
                return nullptr;
            }
            e.uso = ++relogio_;
            return e.recurso;
        }
        return nullptr;
    }

    Recurso* guardar(const char* caminho, int tamanho, const marca_do_arquivo& marca,
                     Recurso* recurso) {
        if (recurso == nullptr) return nullptr;
        entrada& e = vaga();
        descartar(e);
        e.caminho = caminho;
        e.tamanho = tamanho;
        e.marca = marca;
        e.recurso = recurso;
        e.uso = ++relogio_;
        return recurso;
    }

    // The resources themselves are gone (their library was shut down).
    void esquecer() {
        for (auto& e : entradas_) e.recurso = nullptr;
    }

private:
    struct entrada {
        std::string caminho;
        int tamanho = 0;
        marca_do_arquivo marca;
        Recurso* recurso = nullptr;
        unsigned long uso = 0;
    };

    void descartar(entrada& e) {
        if (e.recurso) liberar(e.recurso);
        e.recurso = nullptr;
    }

    entrada& vaga() {
        entrada* escolhida = &entradas_[0];
        for (auto& e : entradas_) {
            if (e.recurso == nullptr) return e;
            if (e.uso < escolhida->uso) escolhida = &e;
        }
        return *escolhida;
    }

    entrada entradas_[48];
    unsigned long relogio_ = 0;
};

cache_de_arquivos<SDL_Surface, SDL_FreeSurface>& imagens() {
    static auto* cache = new cache_de_arquivos<SDL_Surface, SDL_FreeSurface>;
    return *cache;
}

cache_de_arquivos<TTF_Font, TTF_CloseFont>& fontes() {
    static auto* cache = new cache_de_arquivos<TTF_Font, TTF_CloseFont>;
    return *cache;
}

// The decoded image in the window's format, so that the repeated blits of the
// status line and the panel background need no conversion; transparency stays
// as it was (per-pixel alpha, or the colour key).
SDL_Surface* no_formato_da_janela(SDL_Surface* decodificada) {
    if (decodificada == nullptr || screen == nullptr) return decodificada;
    SDL_Surface* convertida = decodificada->format->Amask ? SDL_DisplayFormatAlpha(decodificada)
                                                          : SDL_DisplayFormat(decodificada);
    if (convertida == nullptr) return decodificada;
    SDL_FreeSurface(decodificada);
    return convertida;
}

SDL_Surface* imagem_decodificada(const char* arquivo) {
    marca_do_arquivo marca;
    if (!marcar_arquivo(arquivo, marca)) return nullptr;
    if (SDL_Surface* guardada = imagens().procurar(arquivo, 0, marca)) return guardada;
    return imagens().guardar(arquivo, 0, marca, no_formato_da_janela(IMG_Load(arquivo)));
}

bool ttf_pronto() {
    if (TTF_WasInit()) return true;
    // Fonts opened before the library was shut down no longer exist.
    fontes().esquecer();
    return TTF_Init() != -1;
}

TTF_Font* fonte_aberta(const char* arquivo, int tamanho) {
    marca_do_arquivo marca;
    if (!marcar_arquivo(arquivo, marca)) return nullptr;
    if (TTF_Font* guardada = fontes().procurar(arquivo, tamanho, marca)) return guardada;
    return fontes().guardar(arquivo, tamanho, marca, TTF_OpenFont(arquivo, tamanho));
}

SDL_Color cor_de(int vermelho, int verde, int azul) {
    SDL_Color cor;
    cor.r = static_cast<Uint8>(vermelho & 0xff);
    cor.g = static_cast<Uint8>(verde & 0xff);
    cor.b = static_cast<Uint8>(azul & 0xff);
    cor.unused = 0;
    return cor;
}

void blit_em(SDL_Surface* origem, SDL_Rect* recorte, SDL_Surface* destino, int x, int y) {
    if (origem == nullptr || destino == nullptr) return;
    SDL_Rect posicao;
    posicao.x = static_cast<Sint16>(x);
    posicao.y = static_cast<Sint16>(y);
    posicao.w = 0;
    posicao.h = 0;
    SDL_BlitSurface(origem, recorte, destino, &posicao);
}

void desenhar_texto(const char* texto, TTF_Font* fonte, SDL_Surface* destino, int x, int y,
                    SDL_Color cor) {
    if (texto == nullptr || texto[0] == '\0' || fonte == nullptr || destino == nullptr) return;
    SDL_Surface* renderizado = TTF_RenderText_Blended(fonte, texto, cor);
    blit_em(renderizado, nullptr, destino, x, y);
    if (renderizado) SDL_FreeSurface(renderizado);
}

Uint32* endereco_do_pixel(SDL_Surface* superficie, int x, int y) {
    auto* linha = static_cast<Uint8*>(superficie->pixels) + y * superficie->pitch;
    return reinterpret_cast<Uint32*>(linha) + x;
}

// A row-by-row copy of the pixels, any depth; both surfaces have the same
// size and format.
void copiar_pixels(SDL_Surface* origem, SDL_Surface* copia) {
    std::size_t bytes_da_linha =
        static_cast<std::size_t>(origem->w) * origem->format->BytesPerPixel;
    for (int y = 0; y < origem->h; ++y) {
        std::memcpy(static_cast<Uint8*>(copia->pixels) + y * copia->pitch,
                    static_cast<Uint8*>(origem->pixels) + y * origem->pitch, bytes_da_linha);
    }
}

// What SDL_BlitSurface's general per-pixel alpha blit computes for one
// channel, in the same unsigned arithmetic: a darker source wraps around, and
// the bits that overflow land where SDL's packing of the pixel puts them.
inline Uint32 misturar_canal(Uint32 origem, Uint32 destino, Uint32 alfa) {
    return (((origem - destino) * alfa + 255) >> 8) + destino;
}

bool em_0xrrggbb(const SDL_PixelFormat* f) {
    return f->BytesPerPixel == 4 && f->Rmask == 0xff0000 && f->Gmask == 0xff00 && f->Bmask == 0xff;
}

// The one pair of formats blended here: the window's 32-bit 0xRRGGBB pixels
// and the same with alpha on top (SDL_DisplayFormatAlpha's on such a window).
bool mistura_direta(const SDL_Surface* origem, const SDL_Surface* destino) {
    const SDL_PixelFormat* o = origem->format;
    return em_0xrrggbb(o) && o->Amask == 0xff000000 && em_0xrrggbb(destino->format) &&
           destino->format->Amask == 0 && (origem->flags & SDL_SRCALPHA) &&
           !SDL_MUSTLOCK(origem) && origem->pixels;
}

// The blended pixel is packed without the destination's alpha, as SDL does;
// a transparent source pixel leaves the destination as it was.
inline Uint32 misturar_pixel(Uint32 s, Uint32 d) {
    Uint32 alfa = s >> 24;
    Uint32 r = misturar_canal((s >> 16) & 0xff, (d >> 16) & 0xff, alfa);
    Uint32 g = misturar_canal((s >> 8) & 0xff, (d >> 8) & 0xff, alfa);
    Uint32 b = misturar_canal(s & 0xff, d & 0xff, alfa);
    return alfa ? (r << 16) | (g << 8) | b : d;
}

// The smallest rectangle holding every pixel a drawing step touched.
struct caixa {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    void incluir_linha(int y, int primeiro_x, int ultimo_x) {
        x0 = std::min(x0, primeiro_x);
        x1 = std::max(x1, ultimo_x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    }
    SDL_Rect retangulo() const {
        if (x1 < 0) return SDL_Rect{0, 0, 0, 0};
        return SDL_Rect{static_cast<Sint16>(x0), static_cast<Sint16>(y0),
                        static_cast<Uint16>(x1 - x0 + 1), static_cast<Uint16>(y1 - y0 + 1)};
    }
};

// The blend of one fixed source pixel over any destination pixel, tabulated
// channel by channel: three lookups instead of three products for the pixel
// that covers most of an image.
struct mistura_tabelada {
    Uint32 pixel;
    Uint32 canal[3][256];
    explicit mistura_tabelada(Uint32 p) : pixel(p) {
        Uint32 alfa = p >> 24;
        for (Uint32 d = 0; d < 256; ++d) {
            canal[0][d] = misturar_canal((p >> 16) & 0xff, d, alfa) << 16;
            canal[1][d] = misturar_canal((p >> 8) & 0xff, d, alfa) << 8;
            canal[2][d] = misturar_canal(p & 0xff, d, alfa);
        }
    }
    bool serve(Uint32 s) const { return s == pixel && (s >> 24) != 0; }
    Uint32 sobre(Uint32 d) const {
        return canal[0][(d >> 16) & 0xff] | canal[1][(d >> 8) & 0xff] | canal[2][d & 0xff];
    }
};

// One row of the source over one row of the destination, between its first
// and last pixel that is not transparent.
void misturar_linha(const Uint32* origem, Uint32* destino, int largura, int y, int x_inicial,
                    const mistura_tabelada& tabela, caixa& mudou) {
    int primeiro = 0, ultimo = largura - 1;
    while (primeiro < largura && (origem[primeiro] >> 24) == 0) ++primeiro;
    while (ultimo > primeiro && (origem[ultimo] >> 24) == 0) --ultimo;
    if (primeiro == largura) return;
    for (int i = primeiro; i <= ultimo; ++i) {
        Uint32 s = origem[i];
        destino[i] = tabela.serve(s) ? tabela.sobre(destino[i]) : misturar_pixel(s, destino[i]);
    }
    mudou.incluir_linha(y, x_inicial + primeiro, x_inicial + ultimo);
}

SDL_Rect misturar_direto(SDL_Surface* origem, SDL_Surface* destino, int x, int y,
                         Uint32 pixel_frequente) {
    const SDL_Rect& c = destino->clip_rect;
    int x0 = std::max(x, static_cast<int>(c.x)), y0 = std::max(y, static_cast<int>(c.y));
    int x1 = std::min(x + origem->w, c.x + c.w), y1 = std::min(y + origem->h, c.y + c.h);
    caixa mudou;
    if (x0 >= x1 || y0 >= y1) return mudou.retangulo();
    bool travar = SDL_MUSTLOCK(destino);
    if (travar && SDL_LockSurface(destino) < 0) return mudou.retangulo();
    const mistura_tabelada tabela(pixel_frequente);
    for (int j = y0; j < y1; ++j) {
        misturar_linha(endereco_do_pixel(origem, x0 - x, j - y), endereco_do_pixel(destino, x0, j),
                       x1 - x0, j, x0, tabela, mudou);
    }
    if (travar) SDL_UnlockSurface(destino);
    return mudou.retangulo();
}

}  // namespace

void apenas_exibir_imagem(const char* arquivo, int x, int y) {
    TravaDaTela trava;
    if (arquivo != nullptr) blit_em(imagem_decodificada(arquivo), nullptr, screen, x, y);
    apresentar_tela();
}

int desenha_texto_cores(const char* texto, const char* arquivo_fonte, int tamanho,
                        SDL_Surface* destino, int x, int y, int vermelho, int verde,
                        int azul) {
    TravaDaTela trava;
    if (!ttf_pronto()) return -1;
    if (arquivo_fonte == nullptr) return 0;
    TTF_Font* my_font = fonte_aberta(arquivo_fonte, tamanho);
    desenhar_texto(texto, my_font, destino, x, y, cor_de(vermelho, verde, azul));
    return 0;
}

void desenha_texto_cores_loop(const char* texto, TTF_Font* fonte, SDL_Surface* destino,
                              int x, int y, int vermelho, int verde, int azul) {
    TravaDaTela trava;
    desenhar_texto(texto, fonte, destino, x, y, cor_de(vermelho, verde, azul));
}

SDL_Surface* load_image(std::string arquivo) {
    TravaDaTela trava;
    SDL_Surface* carregada = IMG_Load(arquivo.c_str());
    if (carregada == nullptr) return nullptr;
    SDL_Surface* convertida = SDL_DisplayFormat(carregada);
    SDL_FreeSurface(carregada);
    return convertida;
}

void apply_surface(int x, int y, SDL_Surface* origem, SDL_Surface* destino,
                   SDL_Rect* recorte) {
    TravaDaTela trava;
    blit_em(origem, recorte, destino, x, y);
}

Uint32 get_pixel32(SDL_Surface* superficie, int x, int y) {
    TravaDaTela trava;
    return *endereco_do_pixel(superficie, x, y);
}

void put_pixel32(SDL_Surface* superficie, int x, int y, Uint32 pixel) {
    TravaDaTela trava;
    *endereco_do_pixel(superficie, x, y) = pixel;
}

SDL_Surface* flip_surface(SDL_Surface* superficie, int) {
    TravaDaTela trava;
    if (superficie == nullptr) return nullptr;
    const SDL_PixelFormat* f = superficie->format;
    bool com_chave = (superficie->flags & SDL_SRCCOLORKEY) != 0;
    SDL_Surface* copia =
        SDL_CreateRGBSurface(SDL_SWSURFACE, superficie->w, superficie->h, f->BitsPerPixel,
                             f->Rmask, f->Gmask, f->Bmask, com_chave ? 0 : f->Amask);
    if (copia == nullptr) return nullptr;
    bool travar = SDL_MUSTLOCK(superficie);
    if (travar && SDL_LockSurface(superficie) < 0) {
        SDL_FreeSurface(copia);
        return nullptr;
    }
    copiar_pixels(superficie, copia);
    if (travar) SDL_UnlockSurface(superficie);
    if (f->palette) SDL_SetColors(copia, f->palette->colors, 0, f->palette->ncolors);
    if (com_chave) SDL_SetColorKey(copia, SDL_SRCCOLORKEY | SDL_RLEACCEL, f->colorkey);
    return copia;
}

SDL_Rect misturar_superficie(SDL_Surface* origem, SDL_Surface* destino, int x, int y,
                             Uint32 pixel_frequente) {
    TravaDaTela trava;
    if (origem == nullptr || destino == nullptr) return SDL_Rect{0, 0, 0, 0};
    if (mistura_direta(origem, destino))
        return misturar_direto(origem, destino, x, y, pixel_frequente);
    SDL_Rect posicao = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    if (SDL_BlitSurface(origem, nullptr, destino, &posicao) < 0) return SDL_Rect{0, 0, 0, 0};
    return posicao;
}

SDL_Surface* preparar_para_misturar(SDL_Surface* imagem) {
    TravaDaTela trava;
    if (imagem == nullptr || !imagem->format->Amask || screen == nullptr) return imagem;
    if (!em_0xrrggbb(screen->format) || screen->format->Amask) return imagem;
    SDL_Surface* convertida = SDL_DisplayFormatAlpha(imagem);
    if (convertida == nullptr) return imagem;
    SDL_FreeSurface(imagem);
    return convertida;
}
