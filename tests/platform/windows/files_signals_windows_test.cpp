// Files written whole or not at all, put in place by MoveFileExA with the
// replaced file's attributes kept; only regular files read; requests to end
// the program from the console held while the program asks.
#include "support_windows.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace {

using plataforma::gravacao_de_arquivo;
using plataforma::modo_de_gravacao;

void escrever(const std::string& caminho, const std::string& conteudo) {
    std::FILE* f = std::fopen(caminho.c_str(), "wb");
    std::fwrite(conteudo.data(), 1, conteudo.size(), f);
    std::fclose(f);
}

int arquivos_em(const std::string& pasta) {
    int n = 0;
    WIN32_FIND_DATAA item;
    HANDLE busca = FindFirstFileA((pasta + "\\*").c_str(), &item);
    if (busca == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileA(busca, &item));
    FindClose(busca);
    return n;
}

bool gravar_inteiro(const std::string& caminho, const char* texto, modo_de_gravacao modo,
                    int* erro = nullptr) {
    gravacao_de_arquivo g;
    bool ok = plataforma::iniciar_gravacao(g, caminho.c_str(), modo) &&
              plataforma::gravar_texto(g, texto) && plataforma::concluir_gravacao(g);
    if (!ok) plataforma::desistir_da_gravacao(g);
    if (erro) *erro = g.erro;
    return ok;
}

class Arquivos : public ::testing::Test {
protected:
    teste_windows::PastaTemporaria pasta;
    std::string arquivo = pasta / "config.xml";
};

TEST_F(Arquivos, SubstituirGuardaOsAtributosESoDeixaOArquivo) {
    escrever(arquivo, "antigo\r\n");
    SetFileAttributesA(arquivo.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(gravar_inteiro(arquivo, "novo\r\n", modo_de_gravacao::substituir));
    EXPECT_EQ(teste_windows::ler_arquivo(arquivo), "novo\r\n");
    EXPECT_EQ(GetFileAttributesA(arquivo.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(arquivos_em(pasta.caminho()), 1) << "the temporary file was left behind";
    SetFileAttributesA(arquivo.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Arquivos, AnexarECriar) {
    ASSERT_TRUE(gravar_inteiro(arquivo, "um\n", modo_de_gravacao::criar));
    EXPECT_EQ(GetFileAttributesA(arquivo.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << "a new file is not hidden";
    ASSERT_TRUE(gravar_inteiro(arquivo, "dois\n", modo_de_gravacao::anexar));
    EXPECT_EQ(teste_windows::ler_arquivo(arquivo), "um\ndois\n");
    int erro = 0;
    EXPECT_FALSE(gravar_inteiro(arquivo, "tres\n", modo_de_gravacao::criar, &erro));
    EXPECT_EQ(erro, EEXIST);
    EXPECT_EQ(teste_windows::ler_arquivo(arquivo), "um\ndois\n");
    EXPECT_EQ(arquivos_em(pasta.caminho()), 1);
}

TEST_F(Arquivos, DesistirOuPastaInexistenteNaoTocamODestino) {
    escrever(arquivo, "guardado");
    gravacao_de_arquivo g;
    ASSERT_TRUE(plataforma::iniciar_gravacao(g, arquivo.c_str(), modo_de_gravacao::substituir));
    plataforma::gravar_texto(g, "pela metade");
    plataforma::desistir_da_gravacao(g);
    EXPECT_EQ(teste_windows::ler_arquivo(arquivo), "guardado");
    EXPECT_EQ(arquivos_em(pasta.caminho()), 1);

    int erro = 0;
    EXPECT_FALSE(gravar_inteiro(pasta / "falta\\config.xml", "x", modo_de_gravacao::substituir, &erro));
    EXPECT_EQ(erro, ENOENT);
    char texto[128];
    plataforma::texto_do_erro(erro, texto, sizeof texto);
    EXPECT_GT(std::string(texto).size(), 0u);
}

TEST_F(Arquivos, PastaNoLugarDoArquivoERecusada) {
    ASSERT_TRUE(CreateDirectoryA(arquivo.c_str(), nullptr));
    int erro = 0;
    EXPECT_FALSE(gravar_inteiro(arquivo, "x", modo_de_gravacao::substituir, &erro));
    EXPECT_EQ(erro, EISDIR);
    EXPECT_EQ(plataforma::abrir_arquivo_regular(arquivo.c_str()), nullptr);
    EXPECT_EQ(plataforma::ultimo_erro(), EISDIR);
    EXPECT_EQ(arquivos_em(pasta.caminho()), 0);
}

TEST_F(Arquivos, SoArquivosComunsSaoLidos) {
    escrever(arquivo, "conteudo");
    std::FILE* f = plataforma::abrir_arquivo_regular(arquivo.c_str());
    ASSERT_NE(f, nullptr);
    char lido[16] = {0};
    EXPECT_EQ(std::fread(lido, 1, sizeof lido, f), 8u);
    std::fclose(f);
    for (const char* dispositivo : {"NUL", "CON", "nul.xml"})
        EXPECT_EQ(plataforma::abrir_arquivo_regular(dispositivo), nullptr) << dispositivo;
    EXPECT_EQ(plataforma::abrir_arquivo_regular((pasta / "falta").c_str()), nullptr);
    EXPECT_EQ(plataforma::ultimo_erro(), ENOENT);
}

// Ctrl+C sent to this program's own console while requests are held: noted,
// and the program goes on.
TEST(PedidosDeEncerramento, CtrlCSeguradoSoENotado) {
    plataforma::preparar_pedidos_de_encerramento();
    plataforma::segurar_pedidos_de_encerramento(true);
    SetConsoleCtrlHandler(nullptr, FALSE);
    // A console of our own: the one Wine gives a program started from a shell
    // takes no control events.
    FreeConsole();
    if (!AllocConsole() || !GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
        GTEST_SKIP() << "no console here (error " << GetLastError() << ")";
    EXPECT_TRUE(teste_windows::esperar_ate([] { return plataforma::encerramento_pedido(); }, 5000));
}

}  // namespace
