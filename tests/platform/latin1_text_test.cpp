// Names the system keeps in UTF-8, handed over in Latin-1.
#include <gtest/gtest.h>

#include <string>

#include "platform/linux/latin1_text.h"

namespace {

std::string convertido(std::string texto) {
    plataforma::utf8_para_latin1(texto.data());
    return texto.c_str();
}

TEST(TextoLatin1, LetrasDoPortuguesViramUmByteCada) {
    EXPECT_EQ(convertido("curl"), "curl");
    EXPECT_EQ(convertido("conex\xc3\xa3o_a\xc3\xa7\xc3\xa3o"), "conex\xe3o_a\xe7\xe3o");
    EXPECT_EQ(convertido("/opt/Servi\xc3\xa7os/\xc3\x89xito"), "/opt/Servi\xe7os/\xc9xito");
    EXPECT_EQ(convertido("\xc2\xa0\xc3\xbf"), "\xa0\xff") << "the ends of Latin-1's letters";
}

TEST(TextoLatin1, ForaDoLatin1ViraUmaInterrogacaoPorCaractere) {
    EXPECT_EQ(convertido("\xe2\x82\xac" "uro"), "?uro");
    EXPECT_EQ(convertido("a\xf0\x9f\x98\x80" "b"), "a?b");
    EXPECT_EQ(convertido("\xc4\x80"), "?") << "U+0100, just past Latin-1";
}

TEST(TextoLatin1, BytesInvalidosViramInterrogacaoCadaUm) {
    EXPECT_EQ(convertido("a\x80" "b"), "a?b") << "a lone continuation byte";
    EXPECT_EQ(convertido("\xc0\xaf"), "??") << "an overlong form";
    EXPECT_EQ(convertido("\xed\xa0\x80"), "???") << "a surrogate";
    EXPECT_EQ(convertido("\xf4\x90\x80\x80"), "????") << "beyond U+10FFFF";
    EXPECT_EQ(convertido("nome\xc3"), "nome?") << "a sequence cut at the end";
    EXPECT_EQ(convertido("\xe3o"), "?o") << "a name already in Latin-1 is not valid UTF-8";
}

TEST(TextoLatin1, ControlesNaoQuebramALinha) {
    EXPECT_EQ(convertido("a\nb\tc\x7f"), "a?b?c?");
    EXPECT_EQ(convertido("\xc2\x85"), "?") << "C1 next line";
}

TEST(TextoLatin1, NuncaCresceEVazioFicaVazio) {
    EXPECT_EQ(convertido(""), "");
    std::string longo;
    for (int i = 0; i < 100; ++i) longo += "\xc3\xa9";
    EXPECT_EQ(convertido(longo), std::string(100, '\xe9'));
}

}  // namespace
