// The complete program as a user meets it: a real window on a virtual display,
// clicks and keys from xdotool, loopback connections opened by the test, the
// settings file, the report and the launched programs read back afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "capture/process_support.h"
#include "window.h"
#include "platform/tcp_loopback.h"
#include "support/loopback_connection.h"

namespace {

using e2e::captura;
using e2e::composicao;
using e2e::imagem;
using e2e::Programa;

std::string configuracao(int lopps, int log, int filtro) {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<quorvex>\n<lopps_scan>" +
           std::to_string(lopps) +
           "</lopps_scan>\n<exibir_http>1</exibir_http>\n<exibir_https>0</exibir_https>\n"
           "<exibir_localhost>1</exibir_localhost>\n<exibir_lan_10>1</exibir_lan_10>\n"
           "<exibir_lan_192>0</exibir_lan_192>\n<local>1</local>\n<exibir_log>" +
           std::to_string(log) + "</exibir_log>\n<filtro>" + std::to_string(filtro) +
           "</filtro>\n</quorvex>\n";
}

// Tab centres, and the start button.
const std::pair<int, int> aba_home{50, 28}, aba_ferramentas{160, 28}, aba_configuracoes{265, 28},
    aba_curso{370, 28}, botao_iniciar{70, 80};

const char* const fundo_home = "bin/A0039.bin";
const char* const fundo_ferramentas = "bin/A0041.bin";
const char* const fundo_configuracoes = "bin/A0038.bin";
const char* const fundo_curso = "bin/A0037.bin";

imagem imagem_do_programa(const std::string& nome) {
    return e2e::carregar_imagem(std::string(QUORVEX_RUN_DIR) + "/" + nome);
}

// ---- Loopback connections owned by this process ----

using escuta = teste::escuta_loopback;
using conexao = teste::conexao_loopback;

std::string nome_deste_processo() {
    char caminho[4096] = {0};
    ssize_t n = readlink("/proc/self/exe", caminho, sizeof caminho - 1);
    std::string nome(caminho, n > 0 ? n : 0);
    return nome.substr(nome.find_last_of('/') + 1);
}

std::string linha_do_painel(int porta) {
    return ":127.0.0.1:" + std::to_string(porta) + " " + nome_deste_processo() + " Localhost\n";
}

// The report's connection blocks.
std::vector<std::string> blocos(const std::string& relatorio) {
    std::vector<std::string> resultado;
    const std::string inicio = "<br><br><table width=\"700px\"";
    for (std::size_t p = relatorio.find(inicio); p != std::string::npos;) {
        std::size_t proximo = relatorio.find(inicio, p + 1);
        resultado.push_back(relatorio.substr(p, proximo == std::string::npos ? std::string::npos : proximo - p));
        p = proximo;
    }
    return resultado;
}

bool bloco_e_de(const std::string& bloco, int porta_local, int porta_remota) {
    return bloco.find("Local 127.0.0.1 : " + std::to_string(porta_local) + "<") != std::string::npos &&
           bloco.find("Remoto 127.0.0.1 : " + std::to_string(porta_remota) + "<") != std::string::npos;
}

std::string bloco_de(const std::vector<std::string>& todos, int porta_local, int porta_remota) {
    for (const auto& b : todos)
        if (bloco_e_de(b, porta_local, porta_remota)) return b;
    return "";
}

int blocos_de(const std::vector<std::string>& todos, int porta_local, int porta_remota) {
    int n = 0;
    for (const auto& b : todos) n += bloco_e_de(b, porta_local, porta_remota) ? 1 : 0;
    return n;
}

// The report file name for the current second, as the program forms it.
std::string nome_de_relatorio_agora() {
    std::time_t agora = std::time(nullptr);
    char nome[64];
    std::strftime(nome, sizeof nome, "%Y_%m_%d__%H_%M_%S.html", std::localtime(&agora));
    return nome;
}

bool tem(const std::string& texto, const std::string& trecho) {
    return texto.find(trecho) != std::string::npos;
}

// ---- Screens compared region by region ----

struct retangulo {
    int x, y, w, h;
};

const retangulo janela_inteira{0, 0, 800, 500};
// The tab row and the header it sits in.
const retangulo cabecalho{0, 0, 800, 48};
// The menu's buttons.
const retangulo abas[] = {{0, 10, 106, 36}, {107, 10, 106, 36}, {213, 10, 106, 36}, {319, 10, 106, 36}};
const retangulo botao_iniciar_scan{20, 70, 103, 22};
const std::vector<retangulo> ferramentas = {
    {30, 80, 50, 67}, {30, 175, 50, 67}, {30, 270, 50, 67}, {30, 365, 50, 67}, {700, 80, 50, 67}};
const retangulo botao_do_curso{644, 335, 105, 33};
// The idle home screen's line about the last report.
const retangulo linha_do_relatorio{130, 52, 268, 46};

// Pixels of the region that are clearly red: the colour of a report that could
// not be written.
int vermelhos_em(const captura& c, retangulo r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            unsigned p = c.pixel(x, y);
            int vermelho = (p >> 16) & 0xFF, verde = (p >> 8) & 0xFF;
            n += vermelho > verde + 60 ? 1 : 0;
        }
    return n;
}

int diferencas_entre(const captura& a, const captura& b, retangulo r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return n;
}

// The region `r` of a full-window background as the window must show it.
composicao regiao_do_fundo(const imagem& fundo, retangulo r) {
    composicao c(r.x, r.y, r.w, r.h, 0);
    c.misturar(fundo, 0, 0);
    return c;
}

class ProgramaEmJanela : public ::testing::Test {
protected:
    Programa programa;

    void SetUp() override { EXIGIR_REDE_PRIVADA(); }

    void iniciar(int lopps = 0, int log = 0, int filtro = 0) {
        programa.configurar(configuracao(lopps, log, filtro));
        ASSERT_TRUE(programa.iniciar()) << programa.diagnostico_do_inicio();
        ASSERT_TRUE(programa.esperar_fundo(fundo_home));
    }

    void ir_para(std::pair<int, int> aba, const char* fundo) {
        programa.clicar(aba.first, aba.second);
        ASSERT_TRUE(programa.esperar_fundo(fundo)) << fundo;
    }

    void fechar_com_status_1() {
        programa.pedir_fechamento();
        EXPECT_EQ(programa.esperar_fim(5), 1);
    }

    // The panel's first rows as the empty panel background shows them.
    composicao linhas_do_painel() {
        composicao c(400, 130, 400, 80, 0);
        c.misturar(imagem_do_programa("bin/A0035.bin"), 400, 100);
        return c;
    }

    // The idle home screen as its four pictures make it: nothing else, and
    // nothing that the menu's first event would change.
    composicao home_parada() {
        composicao c(0, 0, 800, 500, 0);
        c.misturar(imagem_do_programa(fundo_home), 0, 0);
        c.misturar(imagem_do_programa("bin/A0035.bin"), 400, 100);
        c.misturar(imagem_do_programa("bin/A0034.bin"), 0, 100);
        c.misturar(imagem_do_programa("bin/A0045.bin"), 0, 100);
        return c;
    }

    // With the mouse at `neutro` (on no button): the window before, each button
    // under the mouse (its look changes), and the window once the mouse left
    // it, which must be the window before, pixel for pixel.
    void passar_o_mouse_sem_rastro(const std::vector<retangulo>& botoes, std::pair<int, int> neutro) {
        programa.mover(neutro.first, neutro.second);
        usleep(300000);
        const captura antes = programa.capturar();
        for (const retangulo& b : botoes) {
            programa.mover(b.x + b.w / 2, b.y + b.h / 2);
            EXPECT_TRUE(programa.esperar_tela(
                [&](const captura& c) { return diferencas_entre(c, antes, b) > 0; }, 3))
                << "the button at (" << b.x << ", " << b.y << ") answers the mouse";
            programa.mover(neutro.first, neutro.second);
            EXPECT_TRUE(programa.esperar_tela(
                [&](const captura& c) { return diferencas_entre(c, antes, janela_inteira) == 0; }, 3))
                << "no trace left by the button at (" << b.x << ", " << b.y << ")";
        }
    }

    // The regions of a screen that the menu draws, compared with its background.
    void regioes_como_o_fundo(const char* fundo, std::vector<retangulo> regioes) {
        const imagem img = imagem_do_programa(fundo);
        regioes.push_back(cabecalho);
        for (const retangulo& r : regioes) {
            EXPECT_TRUE(programa.esperar_tela(
                [&](const captura& c) { return regiao_do_fundo(img, r).diferencas(c) == 0; }, 3))
                << fundo << " at (" << r.x << ", " << r.y << ")";
        }
    }

    // The map area of the idle home screen: the map under its overlay.
    composicao mapa_parado() {
        composicao c(0, 100, 400, 400, 0);
        c.misturar(imagem_do_programa("bin/A0034.bin"), 0, 100);
        c.misturar(imagem_do_programa("bin/A0045.bin"), 0, 100);
        return c;
    }

    // A 32-turn scan under way that has listed `uma`, with the settings asking
    // for the report to be opened.
    void scan_longo_que_listou(const conexao& uma) {
        iniciar(5, 1, 0);
        programa.clicar(botao_iniciar.first, botao_iniciar.second);
        ASSERT_TRUE(programa.esperar_saida(linha_do_painel(uma.porta_cliente()), 8));
    }

    // The one report holds `uma`'s block and ends with the footer.
    void relatorio_inteiro_com(const conexao& uma, const escuta& servidor) {
        std::string relatorio = relatorio_unico();
        EXPECT_EQ(blocos_de(blocos(relatorio), uma.porta_cliente(), servidor.porta()), 1) << relatorio;
        EXPECT_TRUE(tem(relatorio, "</html>\n")) << "the report is whole";
    }

    std::string relatorio_unico() {
        auto arquivos = programa.relatorios();
        EXPECT_EQ(arquivos.size(), 1u);
        return arquivos.empty() ? "" : teste::ler_arquivo(arquivos[0]);
    }
};

TEST_F(ProgramaEmJanela, ScanPeloBotaoIniciarAchaAsConexoesDoTeste) {
    escuta servidor;
    conexao fechada(servidor), aberta(servidor);
    iniciar(0, 1, 0);
    EXPECT_EQ(linhas_do_painel().diferencas(programa.capturar()), 0) << "the idle panel is empty";
    usleep(1500000);  // the idle screen was drawn in an earlier second than the scan starts
    std::string inicio_do_scan = nome_de_relatorio_agora();
    programa.clicar(botao_iniciar.first, botao_iniciar.second);
    // The first reading lists what was open when the scan started.
    for (int porta : {fechada.porta_cliente(), aberta.porta_cliente(), servidor.porta()}) {
        ASSERT_TRUE(programa.esperar_saida("PAINEL1" + linha_do_painel(porta), 10))
            << porta << "\n" << programa.saida();
    }
    // ... and the panel lists them (the sweep presents what it drew).
    EXPECT_TRUE(programa.esperar_tela(
        [&](const captura& c) { return linhas_do_painel().diferencas(c) > 400; }, 3));
    EXPECT_EQ(regiao_do_fundo(imagem_do_programa("bin/A0033.bin"), cabecalho).diferencas(programa.capturar()), 0)
        << "the scanning header while the scan runs";

    fechada.fechar();
    conexao nova(servidor);
    ASSERT_TRUE(programa.esperar_saida(linha_do_painel(nova.porta_cliente()), 10));
    ASSERT_TRUE(programa.esperar_relatorio(20));

    ASSERT_EQ(programa.relatorios().size(), 1u);
    std::string arquivo = programa.relatorios()[0];
    EXPECT_GE(arquivo.substr(arquivo.find_last_of('/') + 1), inicio_do_scan)
        << "the report is named by the scan's start";
    auto todos = blocos(relatorio_unico());
    std::string b_fechada = bloco_de(todos, fechada.porta_cliente(), servidor.porta());
    std::string b_aberta = bloco_de(todos, aberta.porta_cliente(), servidor.porta());
    std::string b_nova = bloco_de(todos, nova.porta_cliente(), servidor.porta());
    EXPECT_TRUE(tem(b_fechada, "Desconectou:")) << b_fechada << "\n" << programa.saida();
    EXPECT_TRUE(tem(bloco_de(todos, servidor.porta(), fechada.porta_cliente()), "Desconectou:"));
    EXPECT_TRUE(tem(b_aberta, "Conex&atilde;o:")) << b_aberta;
    EXPECT_FALSE(tem(b_aberta, "Desconectou:")) << b_aberta;
    EXPECT_TRUE(tem(b_nova, "Nova conex&atilde;o")) << b_nova;
    EXPECT_TRUE(tem(b_nova, nome_deste_processo()));

    // The report is opened when the settings ask for it.
    EXPECT_TRUE(programa.esperar_lancado("|xdg-open|" + programa.pasta_relatorios() + "/", 5));
    EXPECT_TRUE(programa.esperar_tela(
        [&](const captura& c) { return linhas_do_painel().diferencas(c) > 400; }, 3))
        << "the finished scan's lines stay in view while the menu waits";
    // The header after the scan is the idle one: no claim that a scan runs, no
    // empty counter labels, the start button in view, and the line that names
    // the report; a mouse move changes nothing.
    const imagem fundo = imagem_do_programa(fundo_home);
    auto cabecalho_parado = [&](const captura& c) {
        int diferentes = 0;
        for (retangulo r : {retangulo{0, 0, 800, 52}, retangulo{0, 52, 130, 48}, retangulo{398, 52, 402, 48}})
            diferentes += regiao_do_fundo(fundo, r).diferencas(c);
        return diferentes == 0 && regiao_do_fundo(fundo, linha_do_relatorio).diferencas(c) > 0;
    };
    EXPECT_TRUE(programa.esperar_tela(cabecalho_parado, 3));
    programa.mover(600, 300);
    usleep(300000);
    EXPECT_TRUE(cabecalho_parado(programa.capturar()));
    // After a scan that ran its turns, one click on start begins the next one.
    programa.clicar(botao_iniciar.first, botao_iniciar.second);
    EXPECT_TRUE(programa.esperar_saida(linha_do_painel(aberta.porta_cliente()), 2, 5));
    fechar_com_status_1();
    EXPECT_TRUE(programa.esperar_relatorio(1, 2)) << "a scan ended by closing writes its report first";
}

// Escape may be taken by a sweep or by the radar thread; either way the scan
// ends the same: the report of the rows so far, the idle home screen, the menu,
// and one click starts the next scan from empty tables. Repeated, so both
// threads get their turn at the key.
TEST_F(ProgramaEmJanela, EscapeGravaORelatorioAteAliEVoltaAoMenu) {
    escuta servidor;
    conexao uma(servidor);
    iniciar();
    const std::string linha = linha_do_painel(uma.porta_cliente());
    for (int vez = 1; vez <= 4; ++vez) {
        if (vez > 1) usleep(1100000);  // reports are named by their scan's starting second
        programa.clicar(botao_iniciar.first, botao_iniciar.second);
        ASSERT_TRUE(programa.esperar_saida(linha, vez, 8)) << "scan " << vez << " starts with one click";
        const double inicio = e2e::agora_ms();
        programa.tecla("Escape");
        ASSERT_TRUE(programa.esperar_relatorio(5, vez)) << "the scan would have lasted 11 s";
        EXPECT_LT(e2e::agora_ms() - inicio, 6000);
        EXPECT_TRUE(programa.esperar_tela([&](const captura& c) { return mapa_parado().diferencas(c) == 0; }, 3))
            << "the idle home screen after Escape " << vez;
    }
    for (const auto& arquivo : programa.relatorios()) {
        EXPECT_EQ(blocos_de(blocos(teste::ler_arquivo(arquivo)), uma.porta_cliente(), servidor.porta()), 1)
            << arquivo;
    }
    ir_para(aba_configuracoes, fundo_configuracoes);
    ir_para(aba_home, fundo_home);
    fechar_com_status_1();
}

// After a scan the idle home screen names the report in place of its own
// two lines, through tab changes, until the next scan; a click on the line
// opens the report folder. A report that could not be written says so there.
TEST_F(ProgramaEmJanela, HomeParadaNomeiaORelatorioEAbreSuaPasta) {
    iniciar();
    const captura antes = programa.capturar();
    programa.clicar(linha_do_relatorio.x + 50, linha_do_relatorio.y + 20);
    EXPECT_FALSE(programa.esperar_lancado("|xdg-open|", 0.5)) << "no line before the first scan";
    programa.clicar(botao_iniciar.first, botao_iniciar.second);
    ASSERT_TRUE(programa.esperar_fundo("bin/A0033.bin"));
    programa.tecla("Escape");
    ASSERT_TRUE(programa.esperar_relatorio(5));
    auto linha_mudou = [&](const captura& c) { return diferencas_entre(c, antes, linha_do_relatorio) > 200; };
    EXPECT_TRUE(programa.esperar_tela(linha_mudou, 3));
    EXPECT_EQ(vermelhos_em(programa.capturar(), linha_do_relatorio), 0);
    ir_para(aba_ferramentas, fundo_ferramentas);
    ir_para(aba_home, fundo_home);
    EXPECT_TRUE(programa.esperar_tela(linha_mudou, 3)) << "the line stays until the next scan";
    programa.clicar(linha_do_relatorio.x + 50, linha_do_relatorio.y + 20);
    EXPECT_TRUE(programa.esperar_lancado("|xdg-open|" + programa.pasta_relatorios(), 5));

    // The report folder replaced by a file: the next report cannot be written.
    for (const auto& r : programa.relatorios()) std::remove(r.c_str());
    ASSERT_EQ(rmdir(programa.pasta_relatorios().c_str()), 0);
    teste::escrever_arquivo(programa.pasta_relatorios(), "");
    usleep(1100000);
    programa.clicar(botao_iniciar.first, botao_iniciar.second);
    ASSERT_TRUE(programa.esperar_fundo("bin/A0033.bin"));
    programa.tecla("Escape");
    EXPECT_TRUE(programa.esperar_tela([&](const captura& c) { return vermelhos_em(c, linha_do_relatorio) > 20; }, 5));
    fechar_com_status_1();
}

// A logout, a shutdown, Ctrl+C or the window's close request (0 here) during
// a scan: the report of the rows so far is written whole first, then the
// program ends with status 1.
class SinalDuranteOScan : public ProgramaEmJanela, public ::testing::WithParamInterface<int> {};

TEST_P(SinalDuranteOScan, GravaORelatorioAteAliETerminaComStatus1) {
    escuta servidor;
    conexao uma(servidor);
    ASSERT_NO_FATAL_FAILURE(scan_longo_que_listou(uma));
    if (GetParam() == 0) programa.pedir_fechamento();
    else programa.sinalizar(GetParam());
    EXPECT_EQ(programa.esperar_fim(5), 1) << "a 32-turn scan ends at once";
    relatorio_inteiro_com(uma, servidor);
    EXPECT_FALSE(programa.esperar_lancado("|xdg-open|", 0.5)) << "nothing is opened on the way out";
}

INSTANTIATE_TEST_SUITE_P(Sinais, SinalDuranteOScan, ::testing::Values(SIGTERM, SIGINT, SIGHUP, 0),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM ? "TERM"
                                                : info.param == SIGINT ? "INT"
                                                : info.param == SIGHUP ? "HUP"
                                                                       : "Fechar");
                         });

TEST_F(ProgramaEmJanela, SinalForaDoScanTerminaLogoComStatus1) {
    iniciar();
    programa.sinalizar(SIGTERM);
    EXPECT_EQ(programa.esperar_fim(2), 1);
    EXPECT_TRUE(programa.relatorios().empty());
}

// 251 connections kept in one reading: the report of the rows so far, then the
// limit's message, then status 1.
TEST_F(ProgramaEmJanela, LimiteDeUmaLeituraGravaORelatorioAntesDaMensagem) {
    escuta servidor;
    conexao uma(servidor);
    ASSERT_NO_FATAL_FAILURE(scan_longo_que_listou(uma));
    std::vector<std::unique_ptr<conexao>> muitas;
    for (int i = 0; i < 125; ++i) muitas.push_back(std::make_unique<conexao>(servidor));
    EXPECT_EQ(programa.esperar_fim(20), 1);
    EXPECT_TRUE(programa.esperar_lancado(
        "|zenity|--info --no-markup --title=Quorvex --text=Limite de conexoes:250", 1));
    relatorio_inteiro_com(uma, servidor);
}

struct tela_para_fechar {
    const char* nome;
    std::pair<int, int> aba;
    const char* fundo;
};

void PrintTo(const tela_para_fechar& t, std::ostream* saida) { *saida << t.nome; }

class FecharEmCadaTela : public ProgramaEmJanela,
                         public ::testing::WithParamInterface<tela_para_fechar> {};

TEST_P(FecharEmCadaTela, TerminaComStatus1SemRelatorio) {
    iniciar();
    ir_para(GetParam().aba, GetParam().fundo);
    fechar_com_status_1();
    EXPECT_TRUE(programa.relatorios().empty());
}

INSTANTIATE_TEST_SUITE_P(Telas, FecharEmCadaTela,
                         ::testing::Values(tela_para_fechar{"Home", aba_home, fundo_home},
                                           tela_para_fechar{"Ferramentas", aba_ferramentas, fundo_ferramentas},
                                           tela_para_fechar{"Configuracoes", aba_configuracoes, fundo_configuracoes},
                                           tela_para_fechar{"Curso", aba_curso, fundo_curso}),
                         [](const ::testing::TestParamInfo<tela_para_fechar>& info) {
                             return std::string(info.param.nome);
                         });

// ---- Settings screen ----

class TelaDeConfiguracoes : public ProgramaEmJanela {
protected:
    imagem fundo = imagem_do_programa(fundo_configuracoes);
    imagem faixa = imagem_do_programa("bin/A0046.bin");
    imagem marcador = imagem_do_programa("bin/A0029.bin");
    imagem remendo = imagem_do_programa("bin/A0031.bin");

    bool esperar_arquivo(const std::string& linha) {
        for (int i = 0; i < 100; ++i) {
            if (tem(programa.configuracao(), linha + "\n")) return true;
            usleep(30000);
        }
        return false;
    }

    // The check box as the screen draws it: the patch and the box picture.
    // The box picture carries the sheet's resting ring, and the ring of the
    // frames under the mouse and pressed is the same ring, so whatever frames
    // the menu drew there, once the mouse has left nothing else shows.
    composicao caixa(int y, bool marcada) {
        composicao c(26, y, 25, 25, 0);
        c.misturar(fundo, 0, 0);
        c.misturar(remendo, 26, y);
        c.misturar(imagem_do_programa(marcada ? "bin/A0028.bin" : "bin/A0027.bin"), 26, y);
        return c;
    }

    // The six scan-length buttons over their strip, the marker around button k.
    composicao faixa_com_marcador(int k) {
        composicao c(26, 98, 340, 50, 0);
        c.misturar(fundo, 0, 0);
        c.misturar(faixa, 20, 70);
        c.misturar(marcador, 26 + 57 * k, 98);
        return c;
    }

    // The strip above the scan-length buttons, which only the marker reaches.
    composicao faixa_do_marcador(int k, bool com_marcador) {
        composicao c(26 + 57 * k, 98, marcador.largura, 4, 0);
        c.misturar(fundo, 0, 0);
        c.misturar(faixa, 20, 70);
        if (com_marcador) c.misturar(marcador, 26 + 57 * k, 98);
        return c;
    }

    composicao ponto_de_partida(const char* figura) {
        imagem img = imagem_do_programa(figura);
        composicao c(606, 320, img.largura, img.altura, 0);
        c.misturar(fundo, 0, 0);
        c.misturar(imagem_do_programa("bin/A0030.bin"), 606, 320);
        c.misturar(img, 606, 320);
        return c;
    }

    bool tela_mostra(composicao esperado) {
        return programa.esperar_tela([&](const captura& c) { return esperado.diferencas(c) == 0; }, 3);
    }
};

TEST_F(TelaDeConfiguracoes, CadaCaixaGravaOContrarioEATelaMostraOValorRecarregado) {
    iniciar();
    ir_para(aba_configuracoes, fundo_configuracoes);
    const struct {
        int y;
        const char* tag;
        int valor_inicial;
        int valor_que_marca;
    } caixas[] = {
        {220, "exibir_http", 1, 0},   {250, "exibir_https", 0, 0},  {280, "exibir_localhost", 1, 0},
        {310, "exibir_lan_10", 1, 0}, {340, "exibir_lan_192", 0, 0}, {370, "filtro", 0, 1},
        {400, "exibir_log", 0, 1},
    };
    for (const auto& c : caixas) {
        for (int vez = 1; vez <= 2; ++vez) {
            int valor = vez == 1 ? 1 - c.valor_inicial : c.valor_inicial;
            programa.clicar(38, c.y + 12);
            std::string tag = c.tag;
            ASSERT_TRUE(esperar_arquivo("<" + tag + ">" + std::to_string(valor) + "</" + tag + ">"))
                << tag << " click " << vez << "\n" << programa.configuracao();
            programa.mover(700, 230);
            bool marcada = valor == c.valor_que_marca;
            EXPECT_TRUE(tela_mostra(caixa(c.y, marcada))) << tag << " click " << vez;
            EXPECT_GT(caixa(c.y, !marcada).diferencas(programa.capturar()), 0) << tag;
        }
    }
    fechar_com_status_1();
}

TEST_F(TelaDeConfiguracoes, InteiraAoEntrarEOMouseNaoDeixaRastro) {
    iniciar();
    ir_para(aba_configuracoes, fundo_configuracoes);
    const bool marcadas[7] = {false, true, false, false, true, false, false};  // as configured
    std::vector<retangulo> botoes;
    for (int k = 0; k < 6; ++k) botoes.push_back({28 + 57 * k, 102, 46, 42});
    for (int linha = 0; linha < 7; ++linha) botoes.push_back({26, 220 + 30 * linha, 25, 25});
    for (int i = 0; i < 4; ++i) botoes.push_back({480, 320 + 36 * i, 100, 35});
    for (int i : {0, 1, 3}) botoes.push_back(abas[i]);
    auto como_desenhada = [&] {
        EXPECT_TRUE(tela_mostra(faixa_com_marcador(0))) << "scan lengths";
        for (int linha = 0; linha < 7; ++linha)
            EXPECT_TRUE(tela_mostra(caixa(220 + 30 * linha, marcadas[linha]))) << "row " << linha + 1;
        std::vector<retangulo> pontos(botoes.begin() + 13, botoes.begin() + 17);
        regioes_como_o_fundo(fundo_configuracoes, pontos);
    };
    como_desenhada();
    passar_o_mouse_sem_rastro(botoes, {700, 230});
    como_desenhada();
    fechar_com_status_1();
}

TEST_F(TelaDeConfiguracoes, DuracaoEPontoDePartidaMudamArquivoEFigura) {
    iniciar();
    ir_para(aba_configuracoes, fundo_configuracoes);
    EXPECT_TRUE(tela_mostra(faixa_do_marcador(0, true)));
    programa.clicar(199 + 23, 123);
    ASSERT_TRUE(esperar_arquivo("<lopps_scan>3</lopps_scan>"));
    EXPECT_TRUE(tela_mostra(faixa_do_marcador(3, true)));
    EXPECT_TRUE(tela_mostra(faixa_do_marcador(0, false)));

    const struct {
        int y;
        const char* valor;
        const char* figura;
    } pontos[] = {{392, "3", "bin/A0003.bin"}, {428, "0", "bin/A0005.bin"},
                  {356, "2", "bin/A0006.bin"}, {320, "1", "bin/A0004.bin"}};
    for (const auto& p : pontos) {
        programa.clicar(530, p.y + 17);
        ASSERT_TRUE(esperar_arquivo(std::string("<local>") + p.valor + "</local>")) << p.y;
        EXPECT_TRUE(tela_mostra(ponto_de_partida(p.figura))) << p.figura;
    }
    fechar_com_status_1();
}

// ---- Whole screens, and hover frames that leave no trace ----

TEST_F(ProgramaEmJanela, HomeInteiraAntesDoPrimeiroEventoEOMouseNaoDeixaRastro) {
    iniciar();
    const std::string dicas = programa.propriedades_da_janela("WM_HINTS WM_CLASS _NET_WM_ICON");
    EXPECT_TRUE(tem(dicas, "_NET_WM_ICON(CARDINAL) = \tIcon (32 x 32):")) << dicas;
    EXPECT_TRUE(tem(dicas, "bitmap id # to use for icon:")) << "the window carries its icon\n" << dicas;
    EXPECT_TRUE(tem(dicas, "bitmap id # of mask for icon:")) << dicas;
    EXPECT_TRUE(tem(dicas, "WM_CLASS(STRING) = \"quorvex\"")) << "task bars match it to quorvex.desktop";
    EXPECT_TRUE(programa.esperar_tela([&](const captura& c) { return home_parada().diferencas(c) == 0; }, 3))
        << "tabs and start button are there before the mouse moves";
    passar_o_mouse_sem_rastro({botao_iniciar_scan, abas[1], abas[2], abas[3]}, {600, 300});
    EXPECT_EQ(home_parada().diferencas(programa.capturar()), 0);
    fechar_com_status_1();
}

TEST_F(ProgramaEmJanela, FerramentasECursoInteirosAoEntrarEOMouseNaoDeixaRastro) {
    iniciar();
    ir_para(aba_ferramentas, fundo_ferramentas);
    std::vector<retangulo> botoes_das_ferramentas = ferramentas;
    botoes_das_ferramentas.insert(botoes_das_ferramentas.end(), {abas[0], abas[2], abas[3]});
    regioes_como_o_fundo(fundo_ferramentas, ferramentas);
    passar_o_mouse_sem_rastro(botoes_das_ferramentas, {600, 400});
    regioes_como_o_fundo(fundo_ferramentas, ferramentas);

    ir_para(aba_curso, fundo_curso);
    regioes_como_o_fundo(fundo_curso, {botao_do_curso});
    passar_o_mouse_sem_rastro({botao_do_curso, abas[0], abas[1], abas[2]}, {400, 450});
    regioes_como_o_fundo(fundo_curso, {botao_do_curso});
    fechar_com_status_1();
}

// ---- Names ----

// A process whose file name the system keeps in UTF-8: Latin-1 in the report,
// like the report's own text, and UTF-8 again on standard output.
TEST_F(ProgramaEmJanela, NomeDeProcessoEmUtf8NaSaidaENoRelatorio) {
    auto ouvinte = loopback::ouvinte::ipv4("127.0.0.1");
    teste::PastaTemporaria pasta;
    const std::string programa_filho = pasta / "conex\xc3\xa3o_a\xc3\xa7\xc3\xa3o";
    ASSERT_TRUE(processos::copiar_programa("/bin/sleep", programa_filho));
    // Inherited by the child alone: closed here before the program starts.
    auto par = loopback::conectar(ouvinte, "127.0.0.1", 0);
    ASSERT_TRUE(par.pronto());
    pid_t filho = processos::iniciar(programa_filho, "60", par.cliente.fd());
    par.cliente.fechar();
    iniciar();
    programa.clicar(botao_iniciar.first, botao_iniciar.second);
    EXPECT_TRUE(programa.esperar_saida(
        ":127.0.0.1:" + std::to_string(par.porta_servidor) + " conex\xc3\xa3o_a\xc3\xa7\xc3\xa3o Localhost\n", 10))
        << programa.saida();
    programa.tecla("Escape");
    ASSERT_TRUE(programa.esperar_relatorio(5));
    const std::string relatorio = relatorio_unico();
    EXPECT_TRUE(tem(relatorio, ">conex\xe3o_a\xe7\xe3o<")) << relatorio;
    EXPECT_TRUE(tem(relatorio, pasta.caminho() + "/conex\xe3o_a\xe7\xe3o"));
    EXPECT_FALSE(tem(relatorio, "conex\xc3\xa3o"));
    processos::encerrar(filho);
    fechar_com_status_1();
}

// ---- Tools and course screens ----

TEST_F(ProgramaEmJanela, FerramentasECursoIniciamSeusProgramas) {
    iniciar();
    ir_para(aba_ferramentas, fundo_ferramentas);
    programa.clicar(55, 110);
    EXPECT_TRUE(programa.esperar_lancado("|xdg-open|" + programa.pasta_relatorios(), 5));
    programa.clicar(55, 205);
    EXPECT_TRUE(programa.esperar_lancado("|xdg-open|http://", 5));
    EXPECT_TRUE(programa.esperar_lancado("/site/tools_online/meu_ip.php", 5));
    programa.clicar(55, 300);
    EXPECT_TRUE(programa.esperar_lancado("/site/tools_online/proxy_list.php", 5));
    programa.clicar(55, 400);
    EXPECT_TRUE(programa.esperar_lancado("/site/tools_online/geolocalizacao_de_ip.php", 5));
    programa.clicar(725, 110);
    EXPECT_TRUE(programa.esperar_lancado("/|x-terminal-emulator|", 5));
    EXPECT_TRUE(programa.esperar_fundo(fundo_ferramentas, 3)) << "the tools screen redraws itself";
    ir_para(aba_curso, fundo_curso);
    programa.clicar(690, 350);
    EXPECT_TRUE(programa.esperar_lancado("/site/cursos/curso_tavrel_online.php?entrada=1", 5));
    fechar_com_status_1();
}

// A browser launcher that answers with an error: the message names the link
// and why, and the tools screen goes on answering meanwhile.
TEST_F(ProgramaEmJanela, AberturaQueFalhaMostraMensagem) {
    const std::string falho = programa.casa() + "/substitutos/xdg-open";
    teste::escrever_arquivo(falho, "#!/bin/sh\nexit 4\n");
    chmod(falho.c_str(), 0755);
    iniciar();
    ir_para(aba_ferramentas, fundo_ferramentas);
    programa.clicar(55, 205);
    EXPECT_TRUE(programa.esperar_lancado(
        "|zenity|--info --no-markup --title=Quorvex --text=N\xc3\xa3o foi poss\xc3\xadvel abrir o endere\xc3\xa7o "
        "http://", 5)) << teste::ler_arquivo(programa.casa() + "/lancados.txt");
    EXPECT_TRUE(programa.esperar_lancado("meu_ip.php: xdg-open terminou com o erro 4", 1));
    ir_para(aba_curso, fundo_curso);
    fechar_com_status_1();
}

// ---- A thousand tab switches ----

TEST_F(ProgramaEmJanela, MilTrocasDeAbaNaoCrescemPilhaNemMemoria) {
    iniciar();
    auto dez_trocas = [&](int rodada) {
        bool termina_nas_ferramentas = rodada % 2 == 0;
        std::vector<std::pair<int, int>> cliques;
        for (int i = 0; i < 9; ++i) cliques.push_back(i % 2 == 0 ? aba_curso : aba_home);
        cliques.push_back(termina_nas_ferramentas ? aba_ferramentas : aba_configuracoes);
        programa.clicar_varias(cliques);
        return programa.esperar_fundo(termina_nas_ferramentas ? fundo_ferramentas : fundo_configuracoes);
    };
    for (int r = 0; r < 4; ++r) ASSERT_TRUE(dez_trocas(r));
    long rss_antes = programa.memoria_kb("VmRSS"), pilha_antes = programa.memoria_kb("VmStk");
    double inicio = e2e::agora_ms();
    for (int r = 0; r < 100; ++r) ASSERT_TRUE(dez_trocas(r)) << "round " << r;
    long rss_depois = programa.memoria_kb("VmRSS"), pilha_depois = programa.memoria_kb("VmStk");
    std::cout << "1000 switches in " << (e2e::agora_ms() - inicio) / 1000 << " s; VmRSS " << rss_antes
              << " -> " << rss_depois << " kB; VmStk " << pilha_antes << " -> " << pilha_depois
              << " kB\n";
    EXPECT_LE(pilha_depois, pilha_antes);
    EXPECT_LT(rss_depois - rss_antes, 2048);

    // Everything still works.
    ir_para(aba_configuracoes, fundo_configuracoes);
    programa.clicar(38, 232);
    for (int i = 0; i < 100 && !tem(programa.configuracao(), "<exibir_http>0</exibir_http>"); ++i)
        usleep(30000);
    EXPECT_TRUE(tem(programa.configuracao(), "<exibir_http>0</exibir_http>"));
    ir_para(aba_ferramentas, fundo_ferramentas);
    programa.clicar(725, 110);
    EXPECT_TRUE(programa.esperar_lancado("/|x-terminal-emulator|", 5));
    ir_para(aba_home, fundo_home);
    fechar_com_status_1();
}

}  // namespace
