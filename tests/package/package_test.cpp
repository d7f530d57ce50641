// The Debian package as apt would install it: its file name and fields, what
// it puts where, the dependencies the installed program really has, the
// postinst, the desktop entry and icon, lintian's verdict, and the launcher
// run from an unpacked copy.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "package_support.h"

namespace {

using pacote::aspas;
using pacote::Pacote;
using pacote::rodar;

bool tem(const std::string& texto, const std::string& trecho) {
    return texto.find(trecho) != std::string::npos;
}

std::string sem_fim_de_linha(std::string texto) {
    while (!texto.empty() && (texto.back() == '\n' || texto.back() == '\r')) texto.pop_back();
    return texto;
}

// Names in a Depends field, alternatives included ("a | b" gives a and b).
std::set<std::string> nomes_em(const std::string& depende) {
    std::set<std::string> nomes;
    std::string nome;
    for (char c : depende + ",") {
        if (c == ',' || c == '|' || c == ' ') {
            if (!nome.empty()) nomes.insert(nome.substr(0, nome.find('(')));
            nome.clear();
        } else {
            nome += c;
        }
    }
    return nomes;
}

// The Debian package of each of `caminhos` on this machine, by path ("" for
// a path no package holds). One dpkg query: each one reads the whole database.
std::map<std::string, std::string> pacotes_de(const std::vector<std::string>& caminhos) {
    std::string comando = "dpkg -S";
    for (const auto& c : caminhos) comando += " " + aspas(c);
    std::map<std::string, std::string> donos;
    for (const auto& c : caminhos) donos[c] = "";
    std::istringstream linhas(rodar(comando + " 2>/dev/null").saida);
    for (std::string linha; std::getline(linhas, linha);) {
        std::size_t separador = linha.find(": /");
        if (separador == std::string::npos) continue;
        std::string caminho = linha.substr(separador + 2);
        std::string dono = linha.substr(0, linha.find_first_of(":,"));
        if (donos.count(caminho) && donos[caminho].empty()) donos[caminho] = dono;
    }
    return donos;
}

// The libraries the program names itself (its NEEDED entries), where the
// dynamic loader finds them; both the path it reports and the real file.
std::vector<std::string> bibliotecas_do_programa(const std::string& programa) {
    std::set<std::string> diretas;
    std::istringstream dinamica(rodar("objdump -p " + aspas(programa)).saida);
    for (std::string linha; std::getline(dinamica, linha);) {
        std::istringstream campos(linha);
        std::string rotulo, nome;
        if (campos >> rotulo >> nome && rotulo == "NEEDED") diretas.insert(nome);
    }
    std::vector<std::string> caminhos;
    std::istringstream carregadas(rodar("ldd " + aspas(programa)).saida);
    for (std::string linha; std::getline(carregadas, linha);) {
        std::istringstream campos(linha);
        std::string nome, seta, caminho;
        if (!(campos >> nome >> seta >> caminho) || seta != "=>" || !diretas.count(nome)) continue;
        caminhos.push_back(caminho);
        caminhos.push_back(std::filesystem::canonical(caminho).string());
    }
    return caminhos;
}

// Width and height from a PNG's header.
std::pair<int, int> tamanho_png(const std::string& arquivo) {
    std::string bytes = teste::ler_arquivo(arquivo);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    auto numero = [&](int p) {
        return (static_cast<unsigned char>(bytes[p]) << 24) | (static_cast<unsigned char>(bytes[p + 1]) << 16) |
               (static_cast<unsigned char>(bytes[p + 2]) << 8) | static_cast<unsigned char>(bytes[p + 3]);
    };
    return {numero(16), numero(20)};
}

class PacoteDebian : public ::testing::Test {
protected:
    Pacote pacote;
    teste::PastaTemporaria raiz;

    void SetUp() override {
        ASSERT_FALSE(pacote.arquivo().empty()) << pacote.relatorio();
        ASSERT_TRUE(pacote.extrair(raiz.caminho()));
    }
    std::string instalado(const std::string& caminho) const { return raiz.caminho() + caminho; }
};

TEST_F(PacoteDebian, ArquivoCampoENomeSeguemOsDoDebian) {
    std::string arquitetura = sem_fim_de_linha(rodar("dpkg --print-architecture").saida);
    EXPECT_EQ(pacote.campo("Package"), "quorvex");
    EXPECT_EQ(pacote.campo("Architecture"), arquitetura);
    EXPECT_FALSE(pacote.campo("Version").empty());
    EXPECT_EQ(pacote.nome_do_arquivo(), "quorvex_" + pacote.campo("Version") + "_" + arquitetura + ".deb");
    EXPECT_FALSE(pacote.campo("Maintainer").empty());
    EXPECT_FALSE(pacote.campo("Description").empty());
}

// Every path, its owner and its mode, as dpkg will install them.
TEST_F(PacoteDebian, InstalaOProgramaSuaPastaDeExecucaoOLancadorAEntradaEOIcone) {
    std::map<std::string, std::string> modos;
    for (const std::string& linha : pacote.conteudo()) {
        std::istringstream campos(linha);
        std::string modo, dono, tamanho, data, hora, caminho;
        campos >> modo >> dono >> tamanho >> data >> hora >> caminho;
        EXPECT_EQ(dono, "root/root") << linha;
        EXPECT_EQ(caminho.compare(0, 6, "./usr/"), 0) << "outside /usr: " << linha;
        EXPECT_TRUE(modo[0] == 'l' || (modo[5] != 'w' && modo[8] != 'w'))
            << "writable by others: " << linha;
        modos[caminho.substr(1)] = modo;
    }
    EXPECT_EQ(modos["/usr/lib/quorvex/quorvex"], "-rwxr-xr-x");
    EXPECT_EQ(modos["/usr/lib/quorvex/quorvex-helper"], "-rwxr-xr-x") << "the postinst gives it to its group";
    EXPECT_EQ(modos["/usr/bin/quorvex"], "-rwxr-xr-x");
    EXPECT_EQ(modos["/usr/lib/quorvex/config.xml"], "-rw-r--r--");
    EXPECT_EQ(modos["/usr/share/applications/quorvex.desktop"], "-rw-r--r--");
    EXPECT_EQ(modos["/usr/share/metainfo/com.brellstad.quorvex.metainfo.xml"], "-rw-r--r--");

    int imagens = 0;
    for (const auto& [caminho, modo] : modos) {
        if (caminho.compare(0, 21, "/usr/lib/quorvex/bin/") != 0 || modo[0] == 'd') continue;
        ++imagens;
        EXPECT_EQ(modo, "-rw-r--r--") << caminho;
    }
    EXPECT_EQ(imagens, 46);
    for (int i = 1; i <= 46; ++i) {
        char nome[64];
        std::snprintf(nome, sizeof nome, "/usr/lib/quorvex/bin/A%04d.bin", i);
        EXPECT_EQ(teste::ler_arquivo(instalado(nome)),
                  teste::ler_arquivo(std::string(QUORVEX_RUN_DIR) + (nome + 16)))
            << nome;
    }
    EXPECT_EQ(teste::ler_arquivo(instalado("/usr/lib/quorvex/config.xml")),
              teste::ler_arquivo(std::string(QUORVEX_SOURCE_DIR) + "/config.xml"));

    // The fonts are links into Debian's font packages, relative inside /usr,
    // and they lead to the very faces the build folder uses.
    for (int i = 1; i <= 4; ++i) {
        std::string nome = "/usr/lib/quorvex/fontes/Fonte_0" + std::to_string(i) + ".ttf";
        ASSERT_EQ(modos[nome].substr(0, 1), "l") << nome;
        std::string alvo = std::filesystem::read_symlink(instalado(nome)).string();
        EXPECT_NE(alvo.substr(0, 1), "/") << nome << " -> " << alvo;
        std::string no_sistema =
            std::filesystem::weakly_canonical("/usr/lib/quorvex/fontes/" + alvo).string();
        EXPECT_EQ(teste::ler_arquivo(no_sistema),
                  teste::ler_arquivo(std::string(QUORVEX_RUN_DIR) + (nome.c_str() + 16)))
            << nome << " -> " << no_sistema;
    }

    for (int lado : {48, 128, 256}) {
        std::string icone = "/usr/share/icons/hicolor/" + std::to_string(lado) + "x" +
                            std::to_string(lado) + "/apps/quorvex.png";
        EXPECT_EQ(modos[icone], "-rw-r--r--") << icone;
        EXPECT_EQ(tamanho_png(instalado(icone)), std::make_pair(lado, lado)) << icone;
    }
    // The icon is a picture of its own, not one of the program's 46.
    std::string icone_256 = teste::ler_arquivo(instalado("/usr/share/icons/hicolor/256x256/apps/quorvex.png"));
    for (const auto& [caminho, modo] : modos) {
        if (caminho.compare(0, 21, "/usr/lib/quorvex/bin/") != 0 || modo[0] == 'd') continue;
        EXPECT_NE(teste::ler_arquivo(instalado(caminho)), icone_256) << caminho;
    }
}

// The program's shared libraries and the fonts' files belong to packages the
// control file names, so apt installs everything the program opens.
TEST_F(PacoteDebian, DependeDosPacotesDeCadaBibliotecaEFonteQueOProgramaUsa) {
    std::set<std::string> declarados = nomes_em(pacote.campo("Depends"));
    for (const char* nome : {"libsdl1.2debian", "libsdl-image1.2", "libsdl-ttf2.0-0", "libsdl-gfx1.2-5",
                             "libc-ares2", "libcap2", "libcap2-bin", "fonts-dejavu-core", "fonts-dejavu-extra",
                             "fonts-liberation", "zenity", "x11-utils", "xdg-utils"})
        EXPECT_EQ(declarados.count(nome), 1u) << nome;
    EXPECT_TRUE(tem(pacote.campo("Depends"), "zenity | x11-utils"));
    // The libraries' packages carry the least version the program needs.
    for (const char* biblioteca : {"libc6 (>= ", "libsdl1.2debian (>= ", "libc-ares2 (>= "})
        EXPECT_TRUE(tem(pacote.campo("Depends"), biblioteca)) << pacote.campo("Depends");

    std::vector<std::string> caminhos = bibliotecas_do_programa(instalado("/usr/lib/quorvex/quorvex"));
    for (int i = 1; i <= 4; ++i) {
        std::string link = instalado("/usr/lib/quorvex/fontes/Fonte_0" + std::to_string(i) + ".ttf");
        caminhos.push_back(std::filesystem::weakly_canonical(
            "/usr/lib/quorvex/fontes/" + std::filesystem::read_symlink(link).string()).string());
    }
    std::map<std::string, std::string> donos = pacotes_de(caminhos);
    // Each library is reached by two paths (the loader's and the real one):
    // one of them belongs to the package.
    for (std::size_t i = 0; i + 1 < caminhos.size() - 4; i += 2) {
        std::string dono = donos[caminhos[i]].empty() ? donos[caminhos[i + 1]] : donos[caminhos[i]];
        EXPECT_EQ(declarados.count(dono), 1u) << caminhos[i] << " comes from '" << dono << "'";
    }
    EXPECT_GE(caminhos.size(), 4u + 2 * 6);

    // The helper links the C and C++ run-time and libcap, nothing else.
    std::istringstream dinamica(rodar("objdump -p " + aspas(instalado("/usr/lib/quorvex/quorvex-helper"))).saida);
    const std::set<std::string> permitidas = {"libcap.so.2", "libstdc++.so.6", "libm.so.6", "libgcc_s.so.1",
                                              "libc.so.6"};
    for (std::string linha; std::getline(dinamica, linha);) {
        std::istringstream campos(linha);
        std::string rotulo, nome;
        if (campos >> rotulo >> nome && rotulo == "NEEDED") {
            EXPECT_EQ(permitidas.count(nome), 1u) << nome;
        }
    }
    for (std::size_t i = caminhos.size() - 4; i < caminhos.size(); ++i)
        EXPECT_EQ(declarados.count(donos[caminhos[i]]), 1u) << caminhos[i] << " comes from '" << donos[caminhos[i]] << "'";
}
// The postinst as dpkg runs it: under debconf, with a database of this test's
// own holding the administrator's answer, and stand-ins that record the
// commands that would change the system. It makes the group, gives the
// helper to it (unless an override stands), sets the helper's capabilities
// only on a yes, takes any from the window program, and completes with a
// message where setcap fails.
TEST_F(PacoteDebian, PostinstDaAoGrupoOAjudanteESuasCapacidadesConformeAResposta) {
    teste::PastaTemporaria controle, scripts, ferramentas;
    ASSERT_TRUE(pacote.extrair_controle(controle.caminho()));
    for (const char* nome : {"postinst", "config", "postrm"})
        EXPECT_EQ(std::filesystem::status(controle / nome).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms(0755)) << nome;
    for (const char* nome : {"postinst", "config", "templates"})
        std::filesystem::copy_file(controle / nome, scripts / (std::string("quorvex.") + nome));
    EXPECT_TRUE(tem(teste::ler_arquivo(controle / "templates"), "\nDescription-pt_BR.UTF-8: "));

    auto configurar = [&](const char* resposta, bool com_override, int status_do_setcap) {
        std::filesystem::remove_all(ferramentas.caminho());
        std::filesystem::create_directories(ferramentas / "bin");
        teste::escrever_arquivo(ferramentas / "debconf.conf",
                                "Config: configdb\nTemplates: templatedb\n\nName: configdb\nDriver: File\n"
                                "Filename: " + ferramentas / "config.dat" + "\n\nName: templatedb\nDriver: File\n"
                                "Filename: " + ferramentas / "templates.dat" + "\n");
        const std::pair<const char*, int> comandos[] = {
            {"setcap", status_do_setcap}, {"chown", 0}, {"chmod", 0}, {"addgroup", 0},
            {"getent", 2}, {"dpkg-statoverride", com_override ? 0 : 1}};
        for (const auto& [comando, status] : comandos) {
            std::string arquivo = ferramentas / ("bin/" + std::string(comando));
            teste::escrever_arquivo(arquivo, "#!/bin/sh\necho \"" + std::string(comando) + " $*\" >> " +
                                                 ferramentas / "chamadas" + "\nexit " + std::to_string(status) + "\n");
            std::filesystem::permissions(arquivo, std::filesystem::perms(0755));
        }
        std::string ambiente = "DEBIAN_FRONTEND=noninteractive DEBCONF_SYSTEMRC=" + aspas(ferramentas / "debconf.conf") +
                               " PATH=" + aspas(ferramentas / "bin") + ":/usr/sbin:/usr/bin:/sbin:/bin ";
        if (resposta)
            rodar("echo 'quorvex quorvex/name-all-processes boolean " + std::string(resposta) + "' | " + ambiente +
                  "debconf-set-selections");
        pacote::resultado r = rodar(ambiente + aspas(scripts / "quorvex.postinst") + " configure");
        EXPECT_EQ(r.status, 0) << r.erros;
        return std::make_pair(teste::ler_arquivo(ferramentas / "chamadas"), r.erros);
    };
    const std::string ajudante = "/usr/lib/quorvex/quorvex-helper";
    const std::string comuns = "getent group quorvex\naddgroup --system --quiet quorvex\n"
                               "setcap -r /usr/lib/quorvex/quorvex\ndpkg-statoverride --list " + ajudante + "\n";
    const std::string do_grupo = "chown root:quorvex " + ajudante + "\nchmod 0750 " + ajudante + "\n";
    const std::string com_capacidades = "setcap cap_sys_ptrace,cap_dac_read_search=p " + ajudante + "\n";

    EXPECT_EQ(configurar(nullptr, false, 0).first, comuns + do_grupo + "setcap -r " + ajudante + "\n")
        << "the default answer is no";
    EXPECT_EQ(configurar("true", false, 0).first, comuns + do_grupo + com_capacidades);
    EXPECT_EQ(configurar("true", true, 0).first, comuns + com_capacidades) << "the override stands";
    auto recusado = configurar("true", false, 1);
    EXPECT_EQ(recusado.first, comuns + do_grupo + com_capacidades);
    EXPECT_TRUE(tem(recusado.second, "only the processes of the user")) << recusado.second;
}

TEST_F(PacoteDebian, EntradaDoMenuValidaComLancadorEIcone) {
    std::string entrada = instalado("/usr/share/applications/quorvex.desktop");
    pacote::resultado validacao = rodar("desktop-file-validate " + aspas(entrada));
    EXPECT_EQ(validacao.status, 0) << validacao.saida << validacao.erros;
    EXPECT_FALSE(tem(validacao.saida, "error:")) << validacao.saida;
    // A hint too: one main category only, or menus list the program twice.
    EXPECT_FALSE(tem(validacao.saida, "hint:")) << validacao.saida;
    std::string texto = teste::ler_arquivo(entrada);
    for (const char* linha : {"\nExec=quorvex\n", "\nTryExec=quorvex\n", "\nIcon=quorvex\n", "\nName=Quorvex\n",
                              "\nComment=Watch this computer's TCP connections", "\nComment[pt]=Observa as conex",
                              "\nGenericName[pt]=Monitor de conex"})
        EXPECT_TRUE(tem(texto, linha)) << linha << "\n" << texto;
    EXPECT_TRUE(teste::existe(instalado("/usr/bin/quorvex")));
}

// What software centres read: valid AppStream metainfo that points at the
// menu entry and carries a screenshot of the window.
TEST_F(PacoteDebian, MetainfoValidaParaAsCentraisDeProgramas) {
    std::string metainfo = instalado("/usr/share/metainfo/com.brellstad.quorvex.metainfo.xml");
    pacote::resultado validacao = rodar("appstreamcli validate --no-net --pedantic " + aspas(metainfo) + " 2>&1");
    EXPECT_EQ(validacao.status, 0) << validacao.saida;
    EXPECT_TRUE(tem(validacao.saida, "Validation was successful.")) << validacao.saida;
    EXPECT_FALSE(tem(validacao.saida, "W:")) << validacao.saida;
    std::string texto = teste::ler_arquivo(metainfo);
    EXPECT_TRUE(tem(texto, "<launchable type=\"desktop-id\">quorvex.desktop</launchable>")) << texto;
    EXPECT_TRUE(tem(texto, "<screenshot type=\"default\">")) << texto;
    EXPECT_TRUE(tem(texto, "<release version=\"" + pacote.campo("Version") + "\"")) << texto;
    EXPECT_EQ(tamanho_png(std::string(QUORVEX_SOURCE_DIR) + "/packaging/screenshots/home.png"),
              std::make_pair(800, 500));
}

// A per-user install, without root: the menu entry names the launcher and the
// icon by full path (the session's PATH may not hold ~/.local/bin), both there,
// and the launcher starts the program from its run folder.
TEST(InstalacaoDoUsuario, EntradaDoMenuComCaminhosCompletosQueFuncionam) {
    teste::PastaTemporaria casa;
    const std::string prefixo = casa / ".local";
    pacote::resultado instalacao =
        rodar("cmake --install " + aspas(QUORVEX_RUN_DIR) + " --prefix " + aspas(prefixo) + " 2>&1");
    ASSERT_EQ(instalacao.status, 0) << instalacao.saida;
    const std::string entrada = prefixo + "/share/applications/quorvex.desktop";
    pacote::resultado validacao = rodar("desktop-file-validate " + aspas(entrada));
    EXPECT_EQ(validacao.status, 0) << validacao.saida << validacao.erros;
    const std::string texto = teste::ler_arquivo(entrada);
    const std::string lancador = prefixo + "/bin/quorvex";
    EXPECT_TRUE(tem(texto, "\nExec=" + lancador + "\n")) << texto;
    EXPECT_TRUE(tem(texto, "\nTryExec=" + lancador + "\n")) << texto;
    const std::string icone = prefixo + "/share/icons/hicolor/256x256/apps/quorvex.png";
    EXPECT_TRUE(tem(texto, "\nIcon=" + icone + "\n")) << texto;
    EXPECT_EQ(tamanho_png(icone), std::make_pair(256, 256));
    teste::resultado_processo r = teste::executar({lancador}, "/",
        {"HOME=" + casa.caminho(), "DISPLAY=", "SDL_VIDEODRIVER=", "XDG_DATA_HOME=", "WAYLAND_DISPLAY="}, 30);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(tem(r.erros, "O Quorvex precisa de uma tela")) << r.erros << r.saida;
    EXPECT_TRUE(teste::existe(casa / ".local/share/Quorvex/config.xml")) << "past every asset check";
}

// lintian finds no error in the package and, even at its most pedantic, no
// binary built without Debian's hardening (its warnings are printed).
TEST_F(PacoteDebian, LintianNaoAchaErrosNemFaltaDeEndurecimento) {
    if (rodar("command -v lintian").status != 0) GTEST_SKIP() << "lintian not installed";
    pacote::resultado r = rodar("lintian -I --pedantic --tag-display-limit 0 " + aspas(pacote.arquivo()) + " 2>&1", 240);
    std::istringstream linhas(r.saida);
    for (std::string linha; std::getline(linhas, linha);) {
        EXPECT_NE(linha.compare(0, 2, "E:"), 0) << linha;
        EXPECT_FALSE(tem(linha, " hardening-")) << linha;
        if (linha.compare(0, 2, "W:") == 0) std::printf("lintian: %s\n", linha.c_str());
    }
}

// The launcher starts the program in its run folder from any folder: without
// a display it gets past the check of every image and font, copies the run
// folder's default settings for a new user, and then says a display is
// needed. Nothing is written into the run folder.
TEST_F(PacoteDebian, LancadorIniciaOProgramaNaPastaDeExecucaoDeQualquerPasta) {
    ASSERT_TRUE(pacote::ligar_fontes_do_sistema(raiz.caminho()));
    teste::PastaTemporaria casa, outra;
    std::filesystem::create_directory_symlink(instalado("/usr/bin"), outra / "atalho");
    auto antes = pacote::inventario(instalado(pacote::pasta_de_execucao));
    for (const std::string& lancador : {instalado(pacote::lancador), outra / "atalho/quorvex"}) {
        std::filesystem::remove_all(casa / ".local");
        teste::resultado_processo r = teste::executar(
            {lancador}, outra.caminho(),
            {"HOME=" + casa.caminho(), "DISPLAY=", "SDL_VIDEODRIVER=", "XDG_DATA_HOME=", "WAYLAND_DISPLAY="}, 30);
        EXPECT_EQ(r.status, 1) << lancador;
        EXPECT_TRUE(tem(r.erros, "O Quorvex precisa de uma tela")) << lancador << "\n" << r.erros << r.saida;
        EXPECT_EQ(teste::ler_arquivo(casa / ".local/share/Quorvex/config.xml"),
                  teste::ler_arquivo(instalado("/usr/lib/quorvex/config.xml")))
            << lancador;
    }
    EXPECT_EQ(pacote::inventario(instalado(pacote::pasta_de_execucao)), antes);
}

}  // namespace
