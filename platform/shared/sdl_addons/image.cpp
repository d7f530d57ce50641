// IMG_Load for PNG files through libpng, giving the surfaces SDL_image gives:
// 8-bit RGB as a 24-bit surface (a single transparent colour as its colour
// key), RGBA as a 32-bit surface with alpha, bytes in file order. Grey, palette
// and 16-bit images are widened to those two forms.
#include <SDL/SDL_image.h>

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {

// libpng's own default limit on rows.
constexpr size_t limite_de_linhas = 1000000;

struct arquivo_png {
    std::FILE* arquivo = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~arquivo_png() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (arquivo) std::fclose(arquivo);
    }
};

bool tem_assinatura_png(std::FILE* arquivo) {
    png_byte assinatura[8];
    return std::fread(assinatura, 1, sizeof assinatura, arquivo) == sizeof assinatura &&
           png_sig_cmp(assinatura, 0, sizeof assinatura) == 0;
}

struct chave_de_cor {
    bool existe = false;
    Uint8 r = 0, g = 0, b = 0;
};

// Turns every colour type into 8-bit RGB or RGBA. A transparent colour of an
// RGB or grey image stays a colour key, as SDL_image keeps it; palette
// transparency becomes alpha.
chave_de_cor normalizar(png_structp png, png_infop info) {
    chave_de_cor chave;
    const int tipo = png_get_color_type(png, info);
    const int bits = png_get_bit_depth(png, info);
    png_color_16p cor_transparente = nullptr;
    const bool tem_trns = png_get_valid(png, info, PNG_INFO_tRNS);
    if (tem_trns && tipo != PNG_COLOR_TYPE_PALETTE &&
        png_get_tRNS(png, info, nullptr, nullptr, &cor_transparente) && cor_transparente) {
        const int deslocar = bits == 16 ? 8 : 0;
        const int escala = bits < 8 ? 255 / ((1 << bits) - 1) : 1;
        chave.existe = true;
        if (tipo == PNG_COLOR_TYPE_GRAY) {
            chave.r = chave.g = chave.b = static_cast<Uint8>((cor_transparente->gray >> deslocar) * escala);
        } else {
            chave.r = static_cast<Uint8>(cor_transparente->red >> deslocar);
            chave.g = static_cast<Uint8>(cor_transparente->green >> deslocar);
            chave.b = static_cast<Uint8>(cor_transparente->blue >> deslocar);
        }
    }
    if (bits == 16) png_set_strip_16(png);
    if (tipo == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (tipo == PNG_COLOR_TYPE_GRAY && bits < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (tipo == PNG_COLOR_TYPE_GRAY || tipo == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (tem_trns && tipo == PNG_COLOR_TYPE_PALETTE) png_set_tRNS_to_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return chave;
}

SDL_Surface* criar_superficie(png_structp png, png_infop info) {
    const int canais = png_get_channels(png, info);
    if (canais != 3 && canais != 4) return nullptr;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, static_cast<int>(png_get_image_width(png, info)),
                                static_cast<int>(png_get_image_height(png, info)), canais * 8,
                                0x000000FF, 0x0000FF00, 0x00FF0000,
                                canais == 4 ? 0xFF000000 : 0);
}

// The decoding part, apart from any C++ object with a destructor, since a
// libpng error returns here by longjmp.
bool decodificar(png_structp png, png_infop info, SDL_Surface** imagem, chave_de_cor* chave,
                 png_bytep* linhas, size_t capacidade) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    *chave = normalizar(png, info);
    *imagem = criar_superficie(png, info);
    if (*imagem == nullptr || static_cast<size_t>((*imagem)->h) > capacidade) return false;
    for (int y = 0; y < (*imagem)->h; ++y)
        linhas[y] = static_cast<png_bytep>((*imagem)->pixels) + y * (*imagem)->pitch;
    png_read_image(png, linhas);
    png_read_end(png, nullptr);
    return true;
}

// The height from the header, read ahead so the row table exists before the
// longjmp-guarded part runs.
size_t altura_declarada(std::FILE* arquivo) {
    png_byte cabecalho[24];
    if (std::fseek(arquivo, 0, SEEK_SET) != 0 ||
        std::fread(cabecalho, 1, sizeof cabecalho, arquivo) != sizeof cabecalho)
        return 0;
    std::fseek(arquivo, 8, SEEK_SET);
    return png_get_uint_32(cabecalho + 20);
}

}  // namespace

extern "C" SDL_Surface* IMG_Load(const char* file) {
    arquivo_png leitura;
    leitura.arquivo = file ? std::fopen(file, "rb") : nullptr;
    if (leitura.arquivo == nullptr) {
        SDL_SetError("Couldn't open %s", file ? file : "(null)");
        return nullptr;
    }
    if (!tem_assinatura_png(leitura.arquivo)) {
        SDL_SetError("Unsupported image format");
        return nullptr;
    }
    const size_t altura = altura_declarada(leitura.arquivo);
    leitura.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    leitura.info = leitura.png ? png_create_info_struct(leitura.png) : nullptr;
    if (leitura.info == nullptr || altura == 0 || altura > limite_de_linhas) {
        SDL_SetError("Error reading the PNG file %s", file);
        return nullptr;
    }
    png_init_io(leitura.png, leitura.arquivo);
    png_set_sig_bytes(leitura.png, 8);
    std::vector<png_bytep> linhas(altura);
    SDL_Surface* imagem = nullptr;
    chave_de_cor chave;
    if (!decodificar(leitura.png, leitura.info, &imagem, &chave, linhas.data(), linhas.size())) {
        SDL_FreeSurface(imagem);
        SDL_SetError("Error reading the PNG file %s", file);
        return nullptr;
    }
    if (chave.existe)
        SDL_SetColorKey(imagem, SDL_SRCCOLORKEY, SDL_MapRGB(imagem->format, chave.r, chave.g, chave.b));
    return imagem;
}
