// The settings file's cases that need POSIX means: a change killed half way, two
// processes changing it at once, permissions, links, FIFOs and devices, the
// dialogs recorded through stand-ins, a disk of its own.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "output/settings_support.h"
#include "output/settings.h"
#include "support/test_support.h"

namespace {

using namespace configuracao_teste;

// A rewrite killed half way (here: blocked writing its trace into a full pipe)
// leaves the old file whole, and the next change still works.
TEST_F(ArquivoDeConfiguracao, AlteracaoInterrompidaDeixaOArquivoAntigo) {
    std::string grande = arquivo_completo();
    for (int i = 0; i < 4000; ++i) grande += "<!-- comentario numero " + std::to_string(i) + " -->\n";
    escrever_arquivo(caminho, grande);
    int cano[2];
    ASSERT_EQ(pipe(cano), 0);
    pid_t filho = fork();
    if (filho == 0) {
        dup2(cano[1], 1);
        alterar_xml("0", caminho.c_str(), "<local>", "</local>");
        _exit(0);
    }
    close(cano[1]);
    usleep(300000);
    kill(filho, SIGKILL);
    int status;
    waitpid(filho, &status, 0);
    close(cano[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the rewrite should have been blocked on its trace";
    EXPECT_EQ(ler_arquivo(caminho), grande);

    testing::internal::CaptureStdout();
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<local>", "</local>"), 1);
    std::string rastro = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rastro.rfind("Linha  : <?xml", 0), 0u);
    ASSERT_EQ(carregar_xml(caminho.c_str()), 1);
    EXPECT_EQ(local_secionado, 0);
}

TEST_F(ArquivoDeConfiguracao, AlteracaoGuardaPermissoes) {
    escrever_arquivo(caminho, arquivo_completo());
    ASSERT_EQ(chmod(caminho.c_str(), 0600), 0);
    EXPECT_EQ(alterar_xml("2", caminho.c_str(), "<local>", "</local>"), 1);
    struct stat info;
    ASSERT_EQ(stat(caminho.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(ArquivoDeConfiguracao, AlteracaoPorLigacaoMudaODestinoEGuardaALigacao) {
    teste::PastaTemporaria outra;
    std::string destino = outra / "quorvex.xml";
    escrever_arquivo(destino, arquivo_completo());
    ASSERT_EQ(symlink(destino.c_str(), caminho.c_str()), 0);
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<local>", "</local>"), 1);
    struct stat info;
    ASSERT_EQ(lstat(caminho.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    ASSERT_EQ(carregar_xml(destino.c_str()), 1);
    EXPECT_EQ(local_secionado, 0);
    EXPECT_EQ(teste::nomes_em(outra.caminho()), std::vector<std::string>{"quorvex.xml"});
}

// Two copies of the program changing settings at the same moment: each change
// is whole, and the file always holds its nine lines.
TEST_F(ArquivoDeConfiguracao, DuasCopiasAlterandoAoMesmoTempoNaoEstragamOArquivo) {
    escrever_arquivo(caminho, arquivo_completo());
    pid_t filhos[2];
    const char* tags[2][2] = {{"<local>", "</local>"}, {"<exibir_log>", "</exibir_log>"}};
    for (int f = 0; f < 2; ++f) {
        filhos[f] = fork();
        if (filhos[f] == 0) {
            int nulo = open("/dev/null", O_WRONLY);
            dup2(nulo, 1);
            dup2(nulo, 2);
            for (int i = 0; i < 200; ++i) {
                if (alterar_xml(i % 2 ? "1" : "0", caminho.c_str(), tags[f][0], tags[f][1]) != 1)
                    _exit(2);
            }
            _exit(0);
        }
    }
    for (pid_t filho : filhos) {
        int status;
        waitpid(filho, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "every change was stored";
    }
    std::string final = ler_arquivo(caminho);
    EXPECT_EQ(std::count(final.begin(), final.end(), '\n'), 12) << final;
    ASSERT_EQ(carregar_xml(caminho.c_str()), 1);
    EXPECT_EQ(posicao_quantidade_loop, 5);
    EXPECT_EQ(teste::nomes_em(pasta.caminho()), std::vector<std::string>{"config.xml"});
}

// What is not a regular file is refused at once, neither read nor waited on.
TEST_F(ArquivoDeConfiguracao, SoArquivosRegularesSaoLidosOuAlterados) {
    std::string fifo = pasta / "fifo.xml", diretorio = pasta / "pasta.xml", zero = pasta / "zero.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(mkdir(diretorio.c_str(), 0755), 0);
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    carregar(arquivo_completo());
    for (const std::string& especial : {fifo, diretorio, zero}) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(carregar_xml(especial.c_str()), -1) << especial;
        EXPECT_EQ(alterar_xml("0", especial.c_str(), "<local>", "</local>"), -1) << especial;
        EXPECT_NE(testing::internal::GetCapturedStdout().find("Problemas na abertura do arquivo"),
                  std::string::npos);
    }
    EXPECT_EQ(local_secionado, 3) << "the settings stay as they were";
}

class ConfiguracaoQueNaoPodeSerGuardada : public ArquivoDeConfiguracao {
protected:
    teste::DialogosRegistrados dialogos;
};

TEST_F(ConfiguracaoQueNaoPodeSerGuardada, ArquivoSemALinhaAvisaNomeandoAPasta) {
    escrever_arquivo(caminho, "");
    testing::internal::CaptureStdout();
    EXPECT_EQ(alterar_xml("1", caminho.c_str(), "<filtro>", "</filtro>"), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(dialogos.registro(),
              "zenity|--info --no-markup --title=Quorvex --text=A configura\xc3\xa7\xc3\xa3o n\xc3\xa3o "
              "p\xc3\xb4" "de ser gravada na pasta " + pasta.caminho() +
                  ": o arquivo n\xc3\xa3o tem a linha <filtro>\n");
}

// A settings file the user made read-only, in a folder they may write: the
// change is refused as in a read-only folder, and the file stays as it was.
TEST_F(ConfiguracaoQueNaoPodeSerGuardada, ArquivoSomenteLeituraAvisaComoAPasta) {
    escrever_arquivo(caminho, arquivo_completo());
    ASSERT_EQ(chmod(caminho.c_str(), 0444), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<local>", "</local>"), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ler_arquivo(caminho), arquivo_completo());
    EXPECT_NE(dialogos.registro().find("gravada na pasta " + pasta.caminho() + ": Permission denied\n"),
              std::string::npos)
        << dialogos.registro();
    EXPECT_EQ(teste::nomes_em(pasta.caminho()), std::vector<std::string>{"config.xml"});
}

// The settings folder on a small disk of its own: read-only, or full. The
// change is refused, the file stays whole, no temporary file is left, and the
// dialog names the folder and the system's reason.
TEST_F(ConfiguracaoQueNaoPodeSerGuardada, PastaSomenteLeituraOuDiscoCheioAvisaEDeixaOArquivo) {
    for (const char* motivo : {"Read-only file system", "No space left on device"}) {
        teste::PastaTemporaria propria;
        std::string arquivo = propria / "config.xml";
        teste::DiscoProprio disco(propria.caminho(), "size=64k");
        EXIGIR_DISCO_PROPRIO(disco);
        escrever_arquivo(arquivo, arquivo_completo());
        bool somente_leitura = std::string(motivo) == "Read-only file system";
        ASSERT_TRUE(somente_leitura ? disco.somente_leitura() : disco.encher());
        testing::internal::CaptureStdout();
        EXPECT_EQ(alterar_xml("0", arquivo.c_str(), "<local>", "</local>"), -1);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(ler_arquivo(arquivo), arquivo_completo());
        EXPECT_NE(dialogos.registro().find("gravada na pasta " + propria.caminho() + ": " + motivo +
                                           "\n"),
                  std::string::npos)
            << dialogos.registro();
        std::vector<std::string> esperados{"config.xml"};
        if (!somente_leitura) esperados.insert(esperados.begin(), ".enchimento");
        EXPECT_EQ(teste::nomes_em(propria.caminho()), esperados) << "no temporary file is left";
    }
}

}  // namespace
