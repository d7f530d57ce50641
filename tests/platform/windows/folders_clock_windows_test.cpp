// Folders, the clock and sleeping on Windows.
#include <gtest/gtest.h>

#include <string>

#include "support_windows.h"
#include "platform/platform.h"
#include "platform/seams.h"

namespace {

bool caminho_absoluto(const std::string& caminho) {
    return caminho.size() >= 3 && caminho[1] == ':' && caminho[2] == '\\';
}

// Restores the current directory the test started in.
class Pastas : public ::testing::Test {
protected:
    void SetUp() override { GetCurrentDirectoryA(sizeof inicial, inicial); }
    void TearDown() override { SetCurrentDirectoryA(inicial); }
    char inicial[MAX_PATH];
    teste_windows::PastaTemporaria pasta;
};

TEST_F(Pastas, SeparadorDoWindows) { EXPECT_EQ(plataforma::separador, '\\'); }

TEST_F(Pastas, DiretorioAtualSegueAsMudancas) {
    ASSERT_EQ(plataforma::mudar_diretorio(pasta.caminho().c_str()), 0);
    char atual[MAX_PATH];
    ASSERT_TRUE(plataforma::diretorio_atual(atual, sizeof atual));
    char esperado[MAX_PATH];
    GetLongPathNameA(pasta.caminho().c_str(), esperado, sizeof esperado);
    EXPECT_EQ(lstrcmpiA(atual, esperado), 0) << atual << " vs " << esperado;

    // Exactly the path and its terminator fit; one character less does not.
    std::size_t tamanho = std::string(atual).size();
    char justo[MAX_PATH];
    EXPECT_TRUE(plataforma::diretorio_atual(justo, tamanho + 1));
    EXPECT_FALSE(plataforma::diretorio_atual(justo, tamanho));
    EXPECT_FALSE(plataforma::diretorio_atual(justo, 0));
}

TEST_F(Pastas, MudarECriarUmNivel) {
    std::string nova = pasta / "Brellstad";
    EXPECT_EQ(plataforma::mudar_diretorio(nova.c_str()), -1);
    EXPECT_EQ(plataforma::criar_diretorio((nova + "\\LOGS").c_str()), -1) << "parent missing";
    ASSERT_EQ(plataforma::criar_diretorio(nova.c_str()), 0);
    EXPECT_TRUE(teste_windows::e_pasta(nova));
    EXPECT_EQ(plataforma::criar_diretorio(nova.c_str()), -1) << "already there";
    EXPECT_EQ(plataforma::mudar_diretorio(nova.c_str()), 0);
    EXPECT_EQ(plataforma::criar_diretorio("LOGS"), 0) << "relative to the new current directory";
    EXPECT_TRUE(teste_windows::e_pasta(nova + "\\LOGS"));
}

TEST_F(Pastas, DadosLocaisEDocumentos) {
    char dados[260], documentos[260];
    ASSERT_TRUE(plataforma::pasta_dados_locais(dados, sizeof dados));
    ASSERT_TRUE(plataforma::pasta_documentos(documentos, sizeof documentos));
    EXPECT_TRUE(caminho_absoluto(dados)) << dados;
    EXPECT_TRUE(caminho_absoluto(documentos)) << documentos;
    EXPECT_TRUE(teste_windows::e_pasta(dados)) << dados;
    EXPECT_STRNE(dados, documentos);
    char curto[4];
    EXPECT_FALSE(plataforma::pasta_dados_locais(curto, sizeof curto));
    EXPECT_FALSE(plataforma::pasta_documentos(curto, sizeof curto));
}

// The clock's fields against the system's, read on both sides of it.
TEST(Relogio, HoraLocalDoSistema) {
    SYSTEMTIME antes, depois;
    GetLocalTime(&antes);
    plataforma::hora_local hora = plataforma::ler_relogio();
    GetLocalTime(&depois);
    FILETIME a, h, d;
    SYSTEMTIME lida{hora.ano, hora.mes, hora.dia_da_semana, hora.dia,
                    hora.hora, hora.minuto, hora.segundo, hora.milissegundo};
    ASSERT_TRUE(SystemTimeToFileTime(&antes, &a));
    ASSERT_TRUE(SystemTimeToFileTime(&lida, &h));
    ASSERT_TRUE(SystemTimeToFileTime(&depois, &d));
    EXPECT_LE(CompareFileTime(&a, &h), 0);
    EXPECT_LE(CompareFileTime(&h, &d), 0);
    SYSTEMTIME pela_data;
    ASSERT_TRUE(FileTimeToSystemTime(&h, &pela_data));
    EXPECT_EQ(hora.dia_da_semana, pela_data.wDayOfWeek);
}

plataforma::hora_local meia_noite() { return {2027, 1, 5, 1, 0, 0, 0, 0}; }

TEST(Relogio, TestesSubstituemORelogio) {
    plataforma::substituir_relogio(meia_noite);
    EXPECT_EQ(plataforma::ler_relogio().ano, 2027);
    plataforma::substituir_relogio(nullptr);
    SYSTEMTIME agora;
    GetLocalTime(&agora);
    EXPECT_EQ(plataforma::ler_relogio().ano, agora.wYear);
}

TEST(Relogio, DormirEsperaOPedido) {
    LARGE_INTEGER frequencia, inicio, fim;
    QueryPerformanceFrequency(&frequencia);
    QueryPerformanceCounter(&inicio);
    plataforma::dormir_ms(150);
    QueryPerformanceCounter(&fim);
    double ms = 1000.0 * (fim.QuadPart - inicio.QuadPart) / frequencia.QuadPart;
    EXPECT_GE(ms, 140.0);
}

}  // namespace
