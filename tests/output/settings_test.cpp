// The settings file: reading the nine settings, validating them, and changing one
// in place without ever leaving the file missing or half written.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "output/settings.h"
#include "support/test_support.h"

namespace {

using teste::escrever_arquivo;
using teste::ler_arquivo;

std::string linha(const std::string& tag, const std::string& valor) {
    return "<" + tag + ">" + valor + "</" + tag + ">\n";
}

std::string arquivo_completo() {
    return "<?xml version=\"1.0\"?>\n<quorvex>\n" + linha("lopps_scan", "5") +
           linha("exibir_http", "0") + linha("exibir_https", "1") +
           linha("exibir_localhost", "0") + linha("exibir_lan_10", "1") +
           linha("exibir_lan_192", "0") + linha("local", "3") + linha("exibir_log", "1") +
           linha("filtro", "1") + "</quorvex>\n";
}

class ArquivoDeConfiguracao : public ::testing::Test {
protected:
    teste::PastaTemporaria pasta;
    std::string caminho = pasta / "config.xml";

    void esvaziar_globais() {
        for (char* texto : {c_loops_scan, c_exibir_http, c_exibir_https, c_exibir_localhost,
                            c_exibir_lan_10, c_exibir_lan_192, c_exibir_log, c_exibir_filtro,
                            c_local})
            texto[0] = '\0';
    }
    void SetUp() override { esvaziar_globais(); }
    int carregar(const std::string& conteudo) {
        escrever_arquivo(caminho, conteudo);
        return carregar_xml(caminho.c_str());
    }
};

TEST(ExtracaoDeTag, ValorEntreAsTagsInteirasDaLinha) {
    EXPECT_STREQ(extrair_texto_tag("<filtro>1</filtro>\n", "<filtro>", "</filtro>"), "1");
    EXPECT_STREQ(extrair_texto_tag("   <exibir_log>1</exibir_log>\r\n", "<exibir_log>",
                                   "</exibir_log>"),
                 "1");
    EXPECT_STREQ(extrair_texto_tag("<exibir_https>1</exibir_https>\n", "<exibir_http>",
                                   "</exibir_http>"),
                 "none");
    EXPECT_STREQ(extrair_texto_tag("<exibir_lan_192>1</exibir_lan_192>", "<exibir_lan_10>",
                                   "</exibir_lan_10>"),
                 "none");
    EXPECT_STREQ(extrair_texto_tag("</filtro>\n", "<filtro>", "</filtro>"), "none");
    EXPECT_STREQ(extrair_texto_tag("<filtro></filtro>", "<filtro>", "</filtro>"), "");
    EXPECT_STREQ(extrair_texto_tag("x</filtro><filtro>", "<filtro>", "</filtro>"), "none")
        << "tags in the wrong order hold no value";
}

TEST(ExtracaoDeTag, ValorLongoDemaisECortadoSemEstourar) {
    std::string longa = "<local>" + std::string(900, '7') + "</local>";
    auto valor = extrair_texto_tag(longa.c_str(), "<local>", "</local>");
    EXPECT_EQ(std::string(valor), std::string(511, '7'));
}

TEST_F(ArquivoDeConfiguracao, CarregaOsNoveValoresEOResumo) {
    ASSERT_EQ(carregar(arquivo_completo()), 1);
    EXPECT_EQ(posicao_quantidade_loop, 5);
    EXPECT_EQ(exibir_http, 0);
    EXPECT_EQ(exibir_https, 1);
    EXPECT_EQ(exibir_localhost, 0);
    EXPECT_EQ(exibir_lan_10, 1);
    EXPECT_EQ(exibir_lan_192, 0);
    EXPECT_EQ(local_secionado, 3);
    EXPECT_EQ(exibir_log, 1);
    EXPECT_EQ(exibir_filtro, 1);
    EXPECT_EQ(resumo_websites, 1);
}

TEST_F(ArquivoDeConfiguracao, ArquivoVazioDeixaTudoEmZero) {
    ASSERT_EQ(carregar(""), 1);
    EXPECT_EQ(exibir_http + exibir_https + exibir_localhost + exibir_lan_10 + exibir_lan_192, 0);
    EXPECT_EQ(local_secionado, 0);
    EXPECT_EQ(posicao_quantidade_loop, 0);
    EXPECT_STREQ(c_exibir_http, "");
}

TEST_F(ArquivoDeConfiguracao, LeituraDosValores) {
    ASSERT_EQ(carregar(linha("filtro", "abc") + linha("exibir_log", " 1") +
                       "  " + linha("exibir_http", "1") + linha("local", "2") +
                       linha("local", "1")),
              1);
    EXPECT_EQ(exibir_filtro, 0);
    EXPECT_EQ(exibir_log, 1);
    EXPECT_EQ(exibir_http, 1);
    EXPECT_EQ(local_secionado, 1) << "a later line overrides an earlier one";

    ASSERT_EQ(carregar(linha("local", "none")), 1);
    EXPECT_STREQ(c_local, "1") << "\"none\" is taken as absent";
}

TEST_F(ArquivoDeConfiguracao, ValorLongoNaoEstouraOCampo) {
    ASSERT_EQ(carregar(linha("exibir_log", "1" + std::string(200, ' '))), 1);
    EXPECT_EQ(std::string(c_exibir_log).size(), 63u);
    EXPECT_EQ(exibir_log, 1);
}

TEST_F(ArquivoDeConfiguracao, ArquivoAusenteNaoMudaNada) {
    carregar(arquivo_completo());
    EXPECT_EQ(carregar_xml((pasta / "missing.xml").c_str()), -1);
    EXPECT_EQ(local_secionado, 3);
}

using ArquivoDeConfiguracaoFatal = ArquivoDeConfiguracao;

TEST_F(ArquivoDeConfiguracaoFatal, ValoresForaDaFaixaEncerram) {
    const std::pair<std::string, std::string> invalidos[] = {
        {"exibir_http", "2"}, {"lopps_scan", "6"}, {"local", "-1"},
        {"local", "4"},       {"filtro", "-1"},    {"exibir_lan_192", "99999999999"}};
    for (const auto& [tag, valor] : invalidos) {
        escrever_arquivo(caminho, linha(tag, valor));
        EXPECT_EXIT(carregar_xml(caminho.c_str()), ::testing::ExitedWithCode(1),
                    "Erro conteudo XML")
            << tag << "=" << valor;
    }
    ASSERT_EQ(carregar(linha("lopps_scan", "5") + linha("local", "3")), 1);
}

TEST_F(ArquivoDeConfiguracao, AlteracaoTrocaALinhaInteira) {
    escrever_arquivo(caminho, "<quorvex>\n  " + linha("exibir_log", "1") +
                                  linha("exibir_http", "1") + "</quorvex>");
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<exibir_log>", "</exibir_log>"), 1);
    EXPECT_EQ(ler_arquivo(caminho),
              "<quorvex>\n" + linha("exibir_log", "0") + linha("exibir_http", "1") + "</quorvex>");
    EXPECT_EQ(teste::nomes_em(pasta.caminho()), std::vector<std::string>{"config.xml"})
        << "no temporary file is left";
}

TEST_F(ArquivoDeConfiguracao, AlteracaoSemLinhaOuComDuasLinhas) {
    std::string sem_linha = "<quorvex>\r\n" + linha("filtro", "1");
    escrever_arquivo(caminho, sem_linha);
    EXPECT_EQ(alterar_xml("1", caminho.c_str(), "<local>", "</local>"), 0);
    EXPECT_EQ(ler_arquivo(caminho), sem_linha);

    escrever_arquivo(caminho, linha("local", "1") + "x\n" + linha("local", "2"));
    EXPECT_EQ(alterar_xml("3", caminho.c_str(), "<local>", "</local>"), 2);
    EXPECT_EQ(ler_arquivo(caminho), linha("local", "3") + "x\n" + linha("local", "3"));
}

TEST_F(ArquivoDeConfiguracao, AlteracaoQueFalhaDeixaOArquivoIntacto) {
    escrever_arquivo(caminho, arquivo_completo());
    EXPECT_EQ(alterar_xml("1", (pasta / "missing.xml").c_str(), "<local>", "</local>"), -1);
    EXPECT_EQ(ler_arquivo(caminho), arquivo_completo());
}

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

TEST_F(ArquivoDeConfiguracao, AlteracaoGuardaPermissoesEFinsDeLinhaCrlf) {
    std::string crlf = "<quorvex>\r\n<local>1</local>\r\n<filtro>1</filtro>\r\n</quorvex>\r\n";
    escrever_arquivo(caminho, crlf);
    ASSERT_EQ(chmod(caminho.c_str(), 0600), 0);
    EXPECT_EQ(alterar_xml("2", caminho.c_str(), "<local>", "</local>"), 1);
    EXPECT_EQ(ler_arquivo(caminho),
              "<quorvex>\r\n<local>2</local>\r\n<filtro>1</filtro>\r\n</quorvex>\r\n");
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

TEST_F(ArquivoDeConfiguracao, LinhasEArquivosLidosComLimite) {
    std::string longa = std::string(100000, 'x') + "<local>2</local>" + std::string(100000, 'y') + "\n";
    std::string conteudo = longa + arquivo_completo();
    ASSERT_EQ(carregar(conteudo), 1);
    EXPECT_EQ(local_secionado, 3);
    testing::internal::CaptureStdout();
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<filtro>", "</filtro>"), 1);
    testing::internal::GetCapturedStdout();
    std::string esperado = conteudo;
    esperado.replace(esperado.find("<filtro>1"), 9, "<filtro>0");
    EXPECT_EQ(ler_arquivo(caminho), esperado) << "a long line is kept as it was";

    std::string enorme = std::string(2 << 20, 'z') + "\n" + linha("local", "1");
    testing::internal::CaptureStdout();
    EXPECT_EQ(carregar(enorme), -1);
    EXPECT_EQ(alterar_xml("0", caminho.c_str(), "<local>", "</local>"), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(local_secionado, 3) << "a file far larger than any settings file is refused";
    EXPECT_EQ(ler_arquivo(caminho), enorme) << "and left as it was";
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
