// Start-up as the user meets it: the real program, started in a temporary start
// directory with a temporary HOME. Every check runs before the window opens, so
// no display is needed for the failures.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using teste::escrever_arquivo;
using teste::existe;
using teste::ler_arquivo;

const std::string configuracao_valida =
    "<?xml version=\"1.0\"?>\r\n<quorvex>\r\n<lopps_scan>2</lopps_scan>\r\n"
    "<exibir_http>1</exibir_http>\r\n<exibir_https>0</exibir_https>\r\n"
    "<exibir_localhost>1</exibir_localhost>\r\n<exibir_lan_10>1</exibir_lan_10>\r\n"
    "<exibir_lan_192>1</exibir_lan_192>\r\n<local>3</local>\r\n"
    "<exibir_log>0</exibir_log>\r\n<filtro>1</filtro>\r\n</quorvex>\r\n";

std::string nome_imagem(int i) {
    char nome[32];
    std::snprintf(nome, sizeof nome, "bin/A00%s%d.bin", i <= 9 ? "0" : "", i);
    return nome;
}

std::string nome_fonte(int i) { return "fontes/Fonte_0" + std::to_string(i) + ".ttf"; }

class InicioDoPrograma : public ::testing::Test {
protected:
    teste::PastaTemporaria raiz;
    std::string inicio = raiz / "inicio";
    std::string casa = raiz / "casa";
    std::string dados() const { return casa + "/.local/share/Quorvex"; }

    void SetUp() override {
        mkdir(inicio.c_str(), 0755);
        mkdir(casa.c_str(), 0755);
    }

    // Every asset present; only the splash needs to be a real picture.
    void instalar_arquivos() {
        for (int i = 1; i <= 46; ++i) escrever_arquivo(inicio + "/" + nome_imagem(i), "x");
        for (int i = 1; i <= 4; ++i) escrever_arquivo(inicio + "/" + nome_fonte(i), "x");
        SDL_Surface* abertura = SDL_CreateRGBSurface(SDL_SWSURFACE, 800, 500, 32, 0, 0, 0, 0);
        SDL_FillRect(abertura, nullptr, SDL_MapRGB(abertura->format, 10, 60, 90));
        SDL_SaveBMP(abertura, (inicio + "/bin/A0040.bin").c_str());
        SDL_FreeSurface(abertura);
    }

    teste::resultado_processo iniciar(std::vector<std::string> ambiente = {},
                                      double limite_s = 20.0) {
        ambiente.insert(ambiente.begin(), {"HOME=" + casa, "XDG_DATA_HOME=", "DISPLAY=",
                                           "SDL_VIDEODRIVER=", "XDG_CONFIG_HOME="});
        return teste::executar({QUORVEX_BINARY}, inicio, ambiente, limite_s);
    }
};

TEST_F(InicioDoPrograma, SemConfiguracaoNenhumaTerminaSemMensagem) {
    instalar_arquivos();
    auto r = iniciar();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.saida, "\nErro ao abrir o arquivo original.\n\n");
    EXPECT_EQ(r.erros, "");
    EXPECT_TRUE(existe(dados())) << "the per-user folder is created before the copy";
}

TEST_F(InicioDoPrograma, PrimeiraExecucaoCopiaAConfiguracaoByteAByteENuncaASobrescreve) {
    instalar_arquivos();
    escrever_arquivo(inicio + "/config.xml", configuracao_valida);
    iniciar({"SDL_VIDEODRIVER=dummy"}, 2.0);
    ASSERT_EQ(ler_arquivo(dados() + "/config.xml"), configuracao_valida);

    escrever_arquivo(inicio + "/config.xml", "<exibir_http>7</exibir_http>\n");
    auto segunda = iniciar({"SDL_VIDEODRIVER=dummy"}, 2.0);
    EXPECT_FALSE(segunda.terminou) << segunda.erros;
    EXPECT_EQ(ler_arquivo(dados() + "/config.xml"), configuracao_valida);

    std::remove((dados() + "/config.xml").c_str());
    auto terceira = iniciar();
    EXPECT_EQ(terceira.status, 1);
    EXPECT_EQ(ler_arquivo(dados() + "/config.xml"), "<exibir_http>7</exibir_http>\n");
    EXPECT_NE(terceira.erros.find("Erro conteudo XML"), std::string::npos);
}

// The message names the first missing file; standard error also says where
// it was looked for and how to start Quorvex.
TEST_F(InicioDoPrograma, ArquivoFaltandoNomeiaOPrimeiro) {
    escrever_arquivo(dados() + "/config.xml", configuracao_valida);
    auto ultima_linha = [](const std::string& erros) {
        std::size_t fim = erros.rfind('\n', erros.size() - 2);
        return fim == std::string::npos ? erros : erros.substr(fim + 1);
    };
    auto vazio = iniciar({"LANG=C.UTF-8"});
    EXPECT_EQ(vazio.status, 1);
    EXPECT_EQ(vazio.erros,
              "O Quorvex procurou bin/A0001.bin em " + inicio +
                  " (a pasta onde foi iniciado). Inicie o Quorvex na sua pasta de execu\xc3\xa7\xc3\xa3o "
                  "(cd build && ./quorvex), ou com o comando quorvex depois de instalado.\n"
                  " Arquivo  bin/A0001.bin  Inexistente\n");

    instalar_arquivos();
    std::remove((inicio + "/bin/A0046.bin").c_str());
    EXPECT_EQ(ultima_linha(iniciar().erros), " Arquivo  bin/A0046.bin  Inexistente\n");

    instalar_arquivos();
    std::remove((inicio + "/fontes/Fonte_03.ttf").c_str());
    std::remove((inicio + "/fontes/Fonte_04.ttf").c_str());
    EXPECT_EQ(ultima_linha(iniciar().erros), " Arquivo  fontes/Fonte_03.ttf  Inexistente\n");

    instalar_arquivos();
    std::remove((inicio + "/bin/A0007.bin").c_str());
    mkdir((inicio + "/bin/A0007.bin").c_str(), 0755);
    EXPECT_EQ(ultima_linha(iniciar().erros), " Arquivo  bin/A0007.bin  Inexistente\n")
        << "a folder of the asset's name does not count as the asset";
}

// --help and --version answer and end with status 0 before anything else (no
// settings folder made, no window); any other argument is refused with status 2.
TEST_F(InicioDoPrograma, AjudaVersaoEOpcaoDesconhecida) {
    auto executar = [&](const std::string& argumento) {
        return teste::executar({QUORVEX_BINARY, argumento}, inicio,
                               {"HOME=" + casa, "XDG_DATA_HOME=", "DISPLAY=:0", "LANG=C.UTF-8"}, 10);
    };
    for (const char* ajuda : {"--help", "-h"}) {
        auto r = executar(ajuda);
        EXPECT_EQ(r.status, 0) << ajuda;
        EXPECT_EQ(r.saida.rfind("Usage: quorvex [--help | --version]\n", 0), 0u) << r.saida;
        EXPECT_NE(r.saida.find("\nUso: quorvex [--help | --version]\n"), std::string::npos) << r.saida;
        EXPECT_NE(r.saida.find("mostra a vers\xc3\xa3o e sai"), std::string::npos) << r.saida;
        EXPECT_EQ(r.erros, "");
    }
    auto versao = executar("--version");
    EXPECT_EQ(versao.status, 0);
    EXPECT_EQ(versao.saida, "Quorvex " QUORVEX_VERSAO_ESPERADA "\n");
    auto desconhecida = executar("--verbose");
    EXPECT_EQ(desconhecida.status, 2);
    EXPECT_EQ(desconhecida.saida, "");
    EXPECT_EQ(desconhecida.erros,
              "quorvex: unknown option '--verbose' (op\xc3\xa7\xc3\xa3o desconhecida); see quorvex --help\n");
    EXPECT_FALSE(existe(dados())) << "nothing of the user's is touched";
}

TEST_F(InicioDoPrograma, ValorForaDaFaixaEncerraComErroDeConteudo) {
    instalar_arquivos();
    escrever_arquivo(dados() + "/config.xml", "<lopps_scan>6</lopps_scan>\n");
    auto r = iniciar();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.erros, "Erro conteudo XML\n");
}

TEST_F(InicioDoPrograma, PastaDeDadosQueNaoPodeSerCriada) {
    instalar_arquivos();
    escrever_arquivo(casa + "/.local/share/Quorvex", "a file, not a folder");
    auto r = iniciar();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.erros, "ERRO LOCAL APP DATA\n");

    escrever_arquivo(raiz / "arquivo", "x");
    auto sem_dados = iniciar({"XDG_DATA_HOME=" + raiz / "arquivo/dados"});
    EXPECT_EQ(sem_dados.status, 1);
    EXPECT_EQ(sem_dados.erros, "Erro LOCAL_APPDATA\n");
}

TEST_F(InicioDoPrograma, ConfiguracaoQueNaoPodeSerCriada) {
    instalar_arquivos();
    escrever_arquivo(inicio + "/config.xml", configuracao_valida);
    mkdir((casa + "/.local").c_str(), 0755);
    mkdir((casa + "/.local/share").c_str(), 0755);
    mkdir(dados().c_str(), 0755);
    mkdir((dados() + "/config.xml").c_str(), 0755);
    auto r = iniciar();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.saida, "\nErro ao abrir o arquivo c\xc3\xb3pia.\n\n");
}

TEST_F(InicioDoPrograma, SemTelaDizQueUmaTelaEPrecisaEComoObtela) {
    instalar_arquivos();
    escrever_arquivo(dados() + "/config.xml", configuracao_valida);
    auto r = iniciar();
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.erros.find("precisa de uma tela"), std::string::npos) << r.erros;
    EXPECT_NE(r.erros.find("Xvfb"), std::string::npos) << r.erros;
}

TEST_F(InicioDoPrograma, TelaInalcancavelFalhaSemDesenharNoTerminal) {
    instalar_arquivos();
    escrever_arquivo(dados() + "/config.xml", configuracao_valida);
    auto r = iniciar({"DISPLAY=:999"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.erros.rfind("Erro ao abrir a janela", 0), 0u) << r.erros;
    EXPECT_EQ(r.saida, "") << "nothing may be drawn into the terminal";
}

TEST_F(InicioDoPrograma, AberturaQueNaoCarregaEDita) {
    instalar_arquivos();
    escrever_arquivo(inicio + "/bin/A0040.bin", "not a picture");
    escrever_arquivo(dados() + "/config.xml", configuracao_valida);
    auto r = iniciar({"SDL_VIDEODRIVER=dummy"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.erros, "Erro ao carregar a imagem bin/A0040.bin\n");
}

TEST_F(InicioDoPrograma, DiretorioInicialLongoDemaisERecusado) {
    std::string longo = inicio;
    while (longo.size() < 300) {
        longo += "/pasta_de_nome_comprido";
        mkdir(longo.c_str(), 0755);
    }
    auto r = teste::executar({QUORVEX_BINARY}, longo, {"HOME=" + casa, "DISPLAY="});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.erros.find("Caminho longo demais"), std::string::npos) << r.erros;
    EXPECT_FALSE(existe(dados())) << "nothing is created from a path that did not fit";
}

TEST_F(InicioDoPrograma, PastaInicialIlegivelDizIssoENaoCaminhoLongo) {
    auto r = teste::executar({"/bin/sh", "-c", "rmdir \"$PWD\" && exec \"$0\"", QUORVEX_BINARY},
                             inicio, {"HOME=" + casa, "DISPLAY="});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.erros,
              "O diret\xc3\xb3rio inicial n\xc3\xa3o p\xc3\xb4" "de ser lido (apagado ou sem permiss\xc3\xa3o)\n");
}

// A default settings file that is not a regular file is refused as missing:
// nothing is copied, and nothing waits on it.
TEST_F(InicioDoPrograma, PadraoQueNaoEArquivoRegularERecusado) {
    instalar_arquivos();
    for (const char* tipo : {"pasta", "/dev/zero", "fifo"}) {
        std::string padrao = inicio + "/config.xml";
        std::string tipo_ = tipo;
        if (tipo_ == "pasta") ASSERT_EQ(mkdir(padrao.c_str(), 0755), 0);
        else if (tipo_ == "fifo") ASSERT_EQ(mkfifo(padrao.c_str(), 0644), 0);
        else ASSERT_EQ(symlink(tipo, padrao.c_str()), 0);
        auto r = iniciar({}, 5.0);
        EXPECT_EQ(r.status, 1) << tipo;
        EXPECT_EQ(r.saida, "\nErro ao abrir o arquivo original.\n\n") << tipo;
        EXPECT_FALSE(existe(dados() + "/config.xml")) << tipo;
        EXPECT_EQ(teste::nomes_em(dados()), std::vector<std::string>{}) << tipo;
        std::filesystem::remove(padrao);
    }
}

// A per-user settings file that is not a regular file is never overwritten,
// nor waited on.
TEST_F(InicioDoPrograma, ConfiguracaoDoUsuarioQueEFifoOuDispositivoNaoPrendeOInicio) {
    instalar_arquivos();
    escrever_arquivo(inicio + "/config.xml", configuracao_valida);
    std::filesystem::create_directories(dados());
    std::string do_usuario = dados() + "/config.xml";
    ASSERT_EQ(mkfifo(do_usuario.c_str(), 0644), 0);
    auto fifo = iniciar({}, 5.0);
    EXPECT_EQ(fifo.status, 1);
    EXPECT_EQ(fifo.saida, "\nErro ao abrir o arquivo c\xc3\xb3pia.\n\n");
    struct stat info;
    ASSERT_EQ(lstat(do_usuario.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    std::filesystem::remove(do_usuario);
    ASSERT_EQ(symlink("/dev/zero", do_usuario.c_str()), 0);
    auto zero = iniciar({}, 5.0);
    EXPECT_EQ(zero.status, 1);
    EXPECT_EQ(zero.saida, "\nErro ao abrir o arquivo c\xc3\xb3pia.\n\n");
}

// A first-run copy that fails on a full disk leaves no settings file; the next
// start, with room again, installs the default.
TEST_F(InicioDoPrograma, PrimeiraCopiaEmDiscoCheioNaoDeixaArquivoVazio) {
    instalar_arquivos();
    escrever_arquivo(inicio + "/config.xml", configuracao_valida);
    std::string share = casa + "/.local/share";
    std::filesystem::create_directories(share);
    teste::DiscoProprio disco(share, "size=64k");
    EXIGIR_DISCO_PROPRIO(disco);
    ASSERT_TRUE(disco.encher());
    auto r = iniciar();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.saida, "\nErro ao abrir o arquivo c\xc3\xb3pia.\n\n");
    EXPECT_EQ(teste::nomes_em(dados()), std::vector<std::string>{}) << "nothing is left behind";

    std::filesystem::remove(share + "/.enchimento");
    iniciar({"SDL_VIDEODRIVER=dummy"}, 2.0);
    EXPECT_EQ(ler_arquivo(dados() + "/config.xml"), configuracao_valida);
}

// Started from a pipe whose reader has gone: the first diagnostic line cannot
// be written, and the program goes on to end as it would (status 1), not by
// SIGPIPE.
TEST_F(InicioDoPrograma, SaidaFechadaNaoEncerraOPrograma) {
    instalar_arquivos();
    pid_t filho = fork();
    if (filho == 0) {
        int cano[2];
        if (pipe(cano) != 0 || chdir(inicio.c_str()) != 0) _exit(2);
        close(cano[0]);
        dup2(cano[1], 1);
        setenv("HOME", casa.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        unsetenv("DISPLAY");
        execl(QUORVEX_BINARY, QUORVEX_BINARY, static_cast<char*>(nullptr));
        _exit(2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(filho, &status, 0), filho);
    EXPECT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

}  // namespace
