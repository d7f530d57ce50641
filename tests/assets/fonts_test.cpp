// The four faces in fontes/: they open, carry every Latin-1 letter the texts
// use, and the longest texts fit the room their screens give them.
#include "images_support.h"

#include <gtest/gtest.h>

using namespace teste_imagens;

namespace {

TTF_Font* abrir(int numero, int pontos) {
    if (!TTF_WasInit()) TTF_Init();
    return TTF_OpenFont(caminho_da_fonte(numero).c_str(), pontos);
}

}  // namespace

TEST(Fontes, AsQuatroAbremETemTodasAsLetrasLatin1) {
    for (int numero = 1; numero <= 4; ++numero) {
        TTF_Font* f = abrir(numero, 12);
        ASSERT_NE(f, nullptr) << caminho_da_fonte(numero);
        for (Uint16 letra = 0xC0; letra <= 0xFF; ++letra)
            EXPECT_TRUE(TTF_GlyphIsProvided(f, letra)) << "Fonte_0" << numero << " lacks U+" << std::hex << letra;
        TTF_CloseFont(f);
    }
}

TEST(Fontes, PainelCabeEnderecoEHoraNasSuasColunas) {
    // Columns at x 410 (time), 457 (address), 557 (port).
    EXPECT_LE(largura_do_texto(3, 10, "255.255.255.255"), 557 - 457 - 4);
    EXPECT_LE(largura_do_texto(3, 10, "23:59"), 457 - 410 - 4);
    EXPECT_LE(largura_do_texto(3, 10, "65535"), 615 - 557 - 4);
}

TEST(Fontes, TextoDoCursoCabeNaJanela) {
    const char* linhas[] = {
        "Estude conosco e aprenda como os dados trafegam na internet, todas as, ",
        "t\xe9" "cnicas de ataque, defesa e monitoramento.",
        "Aulas pr\xe1ticas, com situa\xe7\xf5" "es reais de Seguran\xe7" "a/Inseguran\xe7" "a.",
        "Acompanhamento did\xe1tico em uma exelente plataforma de ensino.",
        "Voc\xea pode escolher os melhores dias e hor\xe1rios para estudar. ",
    };
    for (const char* linha : linhas) EXPECT_LE(240 + largura_do_texto(2, 16, linha), 800) << linha;
}

TEST(Fontes, RotulosDasConfiguracoesCabemAntesDoPontoDePartida) {
    // Labels at x 55; the start-point buttons begin at x 480.
    EXPECT_LE(55 + largura_do_texto(4, 13, "Filtrar conex\xf5" "es semelhantes"), 480);
    EXPECT_LE(55 + largura_do_texto(4, 13, "Omitir LAN 192.168.x.x"), 480);
}
