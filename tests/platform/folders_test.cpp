// The current directory and the folders the program creates, on both systems.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_support.h"

namespace {

// Puts back the current directory the test started in.
class Diretorios : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(plataforma::diretorio_atual(inicial, sizeof inicial)); }
    void TearDown() override { plataforma::mudar_diretorio(inicial); }
    char inicial[1024];
    teste::PastaTemporaria pasta;
};

TEST_F(Diretorios, MudarECriar) {
    const std::string nova = pasta / "nova";
    EXPECT_EQ(plataforma::mudar_diretorio(nova.c_str()), -1) << "not there yet";
    EXPECT_EQ(plataforma::criar_diretorio((pasta / "a/b").c_str()), -1) << "one level only";
    ASSERT_EQ(plataforma::criar_diretorio(nova.c_str()), 0);
    EXPECT_EQ(plataforma::criar_diretorio(nova.c_str()), -1) << "already there";
    ASSERT_EQ(plataforma::mudar_diretorio(nova.c_str()), 0);
    EXPECT_EQ(plataforma::criar_diretorio("LOGS"), 0) << "relative to the new current directory";
    EXPECT_TRUE(teste::existe(nova + "/LOGS"));

    char atual[1024];
    ASSERT_TRUE(plataforma::diretorio_atual(atual, sizeof atual));
    EXPECT_TRUE(teste::existe(std::string(atual) + plataforma::separador + "LOGS"))
        << atual << " is not the folder changed to";
    // Exactly the path and its terminator fit; one character less does not.
    const std::size_t tamanho = std::strlen(atual);
    char justo[1024];
    EXPECT_TRUE(plataforma::diretorio_atual(justo, tamanho + 1));
    EXPECT_FALSE(plataforma::diretorio_atual(justo, tamanho));
    EXPECT_FALSE(plataforma::diretorio_atual(justo, 0));
}

}  // namespace
