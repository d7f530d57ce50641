// SDL_ttf's calls over freetype: Latin-1 (and 16-bit Unicode) text rendered
// blended into a new 32-bit surface whose every pixel has the text's colour
// and the glyphs' coverage as alpha, so a blit draws anti-aliased text over
// what is already there. Glyph metrics follow SDL_ttf's: whole-pixel advances,
// kerning where the font has it, lines as tall as the face's ascent to descent.
#include <SDL/SDL_ttf.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <mutex>
#include <vector>

struct _TTF_Font {
    FT_Face face;
    int ascendente;  // pixels above the baseline
    int altura;      // ascent to descent, the baseline's row included
};

namespace {

FT_Library biblioteca = nullptr;
int inicializacoes = 0;
// freetype's library object is shared by every face: opening and closing
// faces, and starting and stopping freetype, take turns.
std::mutex trava_da_biblioteca;

int arredondar_para_cima(FT_Pos valor_26_6) { return static_cast<int>((valor_26_6 + 63) >> 6); }
int arredondar_para_baixo(FT_Pos valor_26_6) { return static_cast<int>(valor_26_6 >> 6); }

// One glyph of a line, placed: where its bitmap goes relative to the pen.
struct glifo_posto {
    FT_UInt indice;
    int caneta_x;
};

// The line's glyphs with the pen position of each, and the horizontal extent
// of the whole line (which may start left of the pen's origin).
struct linha_de_texto {
    std::vector<glifo_posto> glifos;
    int minimo_x = 0;
    int maximo_x = 0;
};

template <typename Caractere>
bool compor_linha(TTF_Font* fonte, const Caractere* texto, linha_de_texto& linha) {
    const bool com_kerning = FT_HAS_KERNING(fonte->face);
    FT_UInt anterior = 0;
    int x = 0;
    for (const Caractere* c = texto; *c; ++c) {
        const FT_ULong codigo = static_cast<FT_ULong>(*c);  // Latin-1 bytes are their code points
        const FT_UInt indice = FT_Get_Char_Index(fonte->face, codigo);
        if (com_kerning && anterior && indice) {
            FT_Vector ajuste;
            if (FT_Get_Kerning(fonte->face, anterior, indice, FT_KERNING_DEFAULT, &ajuste) == 0)
                x += static_cast<int>(ajuste.x >> 6);
        }
        if (FT_Load_Glyph(fonte->face, indice, FT_LOAD_DEFAULT) != 0) return false;
        const FT_Glyph_Metrics& m = fonte->face->glyph->metrics;
        const int avanco = arredondar_para_cima(m.horiAdvance);
        const int esquerda = arredondar_para_baixo(m.horiBearingX);
        const int direita = arredondar_para_cima(m.horiBearingX + m.width);
        linha.glifos.push_back({indice, x});
        linha.minimo_x = std::min(linha.minimo_x, x + esquerda);
        linha.maximo_x = std::max(linha.maximo_x, x + std::max(avanco, direita));
        x += avanco;
        anterior = indice;
    }
    return true;
}

// Lays the glyph's coverage into the surface as alpha; where two glyphs
// overlap the stronger coverage wins. Pixels outside the surface are dropped.
void pintar_glifo(SDL_Surface* s, const FT_Bitmap& mapa, int origem_x, int origem_y) {
    for (unsigned linha = 0; linha < mapa.rows; ++linha) {
        const int y = origem_y + static_cast<int>(linha);
        if (y < 0 || y >= s->h) continue;
        Uint32* destino = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
        const unsigned char* origem = mapa.buffer + static_cast<long>(linha) * mapa.pitch;
        for (unsigned coluna = 0; coluna < mapa.width; ++coluna) {
            const int x = origem_x + static_cast<int>(coluna);
            if (x < 0 || x >= s->w) continue;
            const Uint32 alfa = origem[coluna];
            if (alfa > (destino[x] >> 24)) destino[x] = (destino[x] & 0x00FFFFFF) | (alfa << 24);
        }
    }
}

template <typename Caractere>
SDL_Surface* renderizar(TTF_Font* fonte, const Caractere* texto, SDL_Color cor) {
    if (fonte == nullptr || texto == nullptr) {
        SDL_SetError("Passed a NULL pointer");
        return nullptr;
    }
    linha_de_texto linha;
    if (!compor_linha(fonte, texto, linha)) {
        SDL_SetError("Couldn't load a glyph");
        return nullptr;
    }
    const int largura = linha.maximo_x - linha.minimo_x;
    if (largura <= 0) {
        SDL_SetError("Text has zero width");
        return nullptr;
    }
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, largura, fonte->altura, 32,
                                          0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    if (s == nullptr) return nullptr;
    // Every pixel carries the colour; coverage alone decides how much shows.
    const Uint32 cor_sem_alfa = (Uint32(cor.r) << 16) | (Uint32(cor.g) << 8) | cor.b;
    for (int y = 0; y < s->h; ++y) {
        Uint32* p = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
        std::fill(p, p + s->w, cor_sem_alfa);
    }
    for (const glifo_posto& g : linha.glifos) {
        if (FT_Load_Glyph(fonte->face, g.indice, FT_LOAD_DEFAULT) != 0 ||
            FT_Render_Glyph(fonte->face->glyph, FT_RENDER_MODE_NORMAL) != 0)
            continue;
        const FT_GlyphSlot slot = fonte->face->glyph;
        pintar_glifo(s, slot->bitmap, g.caneta_x - linha.minimo_x + slot->bitmap_left,
                     fonte->ascendente - slot->bitmap_top);
    }
    return s;
}

}  // namespace

extern "C" {

int TTF_Init(void) {
    std::lock_guard<std::mutex> trava(trava_da_biblioteca);
    if (inicializacoes == 0 && FT_Init_FreeType(&biblioteca) != 0) {
        biblioteca = nullptr;
        SDL_SetError("Couldn't init FreeType engine");
        return -1;
    }
    ++inicializacoes;
    return 0;
}

int TTF_WasInit(void) {
    std::lock_guard<std::mutex> trava(trava_da_biblioteca);
    return inicializacoes;
}

void TTF_Quit(void) {
    std::lock_guard<std::mutex> trava(trava_da_biblioteca);
    if (inicializacoes == 0) return;
    if (--inicializacoes == 0) {
        FT_Done_FreeType(biblioteca);
        biblioteca = nullptr;
    }
}

TTF_Font* TTF_OpenFont(const char* file, int ptsize) {
    std::lock_guard<std::mutex> trava(trava_da_biblioteca);
    if (biblioteca == nullptr) {
        SDL_SetError("Library not initialized");
        return nullptr;
    }
    FT_Face face = nullptr;
    if (file == nullptr || ptsize <= 0 || FT_New_Face(biblioteca, file, 0, &face) != 0) {
        SDL_SetError("Couldn't open font %s", file ? file : "(null)");
        return nullptr;
    }
    if (!FT_IS_SCALABLE(face) || FT_Set_Char_Size(face, 0, ptsize * 64, 0, 0) != 0) {
        FT_Done_Face(face);
        SDL_SetError("Couldn't set font size");
        return nullptr;
    }
    const FT_Fixed escala = face->size->metrics.y_scale;
    const int ascendente = arredondar_para_cima(FT_MulFix(face->ascender, escala));
    const int descendente = arredondar_para_cima(FT_MulFix(face->descender, escala));
    return new TTF_Font{face, ascendente, ascendente - descendente + 1};
}

void TTF_CloseFont(TTF_Font* font) {
    if (font == nullptr) return;
    std::lock_guard<std::mutex> trava(trava_da_biblioteca);
    FT_Done_Face(font->face);
    delete font;
}

int TTF_FontHeight(const TTF_Font* font) { return font ? font->altura : 0; }

int TTF_GlyphIsProvided(const TTF_Font* font, Uint16 ch) {
    return font ? static_cast<int>(FT_Get_Char_Index(font->face, ch)) : 0;
}

int TTF_SizeText(TTF_Font* font, const char* text, int* w, int* h) {
    linha_de_texto linha;
    if (font == nullptr || text == nullptr ||
        !compor_linha(font, reinterpret_cast<const unsigned char*>(text), linha))
        return -1;
    if (w) *w = linha.maximo_x - linha.minimo_x;
    if (h) *h = font->altura;
    return 0;
}

SDL_Surface* TTF_RenderText_Blended(TTF_Font* font, const char* text, SDL_Color fg) {
    return renderizar(font, reinterpret_cast<const unsigned char*>(text), fg);
}

SDL_Surface* TTF_RenderUNICODE_Blended(TTF_Font* font, const Uint16* text, SDL_Color fg) {
    return renderizar(font, text, fg);
}

}  // extern "C"
