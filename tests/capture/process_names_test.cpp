// Process names and executable paths of real processes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "capture/process_support.h"
#include "capture/processes.h"
#include "support/test_support.h"

namespace {

std::string nome_base(const std::string& caminho) { return caminho.substr(caminho.rfind('/') + 1); }

TEST(NomesDeProcessos, ProcessoEmExecucao) {
    novo_instantaneo_de_processos();
    std::string exe = processos::alvo_do_link("/proc/self/exe");
    ASSERT_FALSE(exe.empty());
    EXPECT_STREQ(getpro(getpid()), nome_base(exe).c_str());
    EXPECT_STREQ(getpro(getpid()), "capture_tests");
    EXPECT_STREQ(getexe(getpid()), exe.c_str());
}

TEST(NomesDeProcessos, PidSemProcessoDaNoneENot) {
    pid_t livre = processos::pid_livre();
    novo_instantaneo_de_processos();
    EXPECT_STREQ(getpro(livre), "None");
    EXPECT_STREQ(getexe(livre), "Not");
    EXPECT_STREQ(getpro(0), "None");
    EXPECT_STREQ(getexe(0), "Not");
    EXPECT_STREQ(getpro(-1), "None");
    EXPECT_STREQ(getexe(-1), "Not");
}

TEST(NomesDeProcessos, ExecutavelRemovidoSemOSufixo) {
    teste::PastaTemporaria pasta;
    std::string copia = pasta / "sono-removido";
    ASSERT_TRUE(processos::copiar_programa("/bin/sleep", copia));
    pid_t pid = processos::iniciar(copia, "30");
    ASSERT_EQ(std::remove(copia.c_str()), 0);
    ASSERT_NE(processos::alvo_do_link("/proc/" + std::to_string(pid) + "/exe").find("(deleted)"),
              std::string::npos);
    novo_instantaneo_de_processos();
    EXPECT_STREQ(getpro(pid), "sono-removido");
    EXPECT_STREQ(getexe(pid), copia.c_str());
    processos::encerrar(pid);
}

// One snapshot per reading: a process that ends after the reading looked at
// it keeps its names until the next reading.
TEST(NomesDeProcessos, UmInstantaneoPorLeitura) {
    pid_t pid = processos::iniciar("/usr/bin/sleep", "30");
    std::string caminho = processos::alvo_do_link("/proc/" + std::to_string(pid) + "/exe");
    novo_instantaneo_de_processos();
    EXPECT_STREQ(getpro(pid), nome_base(caminho).c_str());
    processos::encerrar(pid);
    EXPECT_STREQ(getpro(pid), nome_base(caminho).c_str());
    EXPECT_STREQ(getexe(pid), caminho.c_str());
    novo_instantaneo_de_processos();
    EXPECT_STREQ(getpro(pid), "None");
    EXPECT_STREQ(getexe(pid), "Not");
}

TEST(NomesDeProcessos, ThreadDoKernelTemNomeMasNaoCaminho) {
    std::ifstream stat("/proc/2/stat");
    std::string linha;
    std::getline(stat, linha);
    if (linha.find("(kthreadd)") == std::string::npos) GTEST_SKIP() << "no kthreadd at pid 2";
    novo_instantaneo_de_processos();
    EXPECT_STREQ(getpro(2), "kthreadd");
    EXPECT_STREQ(getexe(2), "Not");
}

// A long path keeps its end, the file name, behind a mark where it was cut.
TEST(NomesDeProcessos, NomeLongoCabeNoCampo) {
    teste::PastaTemporaria pasta;
    std::string nome(140, 'n');
    std::string copia = pasta / nome;
    ASSERT_TRUE(processos::copiar_programa("/bin/sleep", copia));
    pid_t pid = processos::iniciar(copia, "30");
    novo_instantaneo_de_processos();
    EXPECT_EQ(std::string(getpro(pid)), nome.substr(0, 127));
    processos::encerrar(pid);

    std::string funda = pasta / std::string(200, 'd');
    ASSERT_EQ(mkdir(funda.c_str(), 0755), 0);
    funda += "/" + std::string(100, 'e');
    ASSERT_EQ(mkdir(funda.c_str(), 0755), 0);
    std::string longo = funda + "/programa";
    ASSERT_TRUE(processos::copiar_programa("/bin/sleep", longo));
    pid = processos::iniciar(longo, "30");
    novo_instantaneo_de_processos();
    EXPECT_EQ(std::string(getexe(pid)), "..." + longo.substr(longo.size() - 252));
    processos::encerrar(pid);
}

// The system keeps file names in UTF-8; names and paths come over in Latin-1
// like every other text of the program.
TEST(NomesDeProcessos, NomeEmUtf8ChegaEmLatin1) {
    teste::PastaTemporaria pasta;
    const std::string copia = pasta / "conex\xc3\xa3o_a\xc3\xa7\xc3\xa3o";
    ASSERT_TRUE(processos::copiar_programa("/bin/sleep", copia));
    pid_t pid = processos::iniciar(copia, "30");
    novo_instantaneo_de_processos();
    EXPECT_STREQ(getpro(pid), "conex\xe3o_a\xe7\xe3o");
    EXPECT_EQ(std::string(getexe(pid)), pasta.caminho() + "/conex\xe3o_a\xe7\xe3o");
    processos::encerrar(pid);
}

TEST(NomesDeProcessos, CaractereForaDoLatin1ViraInterrogacao) {
    teste::PastaTemporaria pasta;
    const std::string copia = pasta / "pre\xc3\xa7o_\xe2\x82\xac";
    ASSERT_TRUE(processos::copiar_programa("/bin/sleep", copia));
    pid_t pid = processos::iniciar(copia, "30");
    novo_instantaneo_de_processos();
    EXPECT_STREQ(getpro(pid), "pre\xe7o_?");
    processos::encerrar(pid);
}

}  // namespace
