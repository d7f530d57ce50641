// Processes by id: this test program, names and paths cut at their widths, and
// identifiers that name no process (0 among them: on Windows a module snapshot
// of 0 would describe the caller).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/processes_system.h"
#include "support/test_support.h"

namespace {

using processo_do_sistema::este_processo;
using processo_do_sistema::este_programa;

// Windows keeps names in whatever case they were created in.
std::string minusculas(std::string texto) {
    std::transform(texto.begin(), texto.end(), texto.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return texto;
}

std::string nome_base(const std::string& caminho) {
    return caminho.substr(caminho.find_last_of(std::string("/") + plataforma::separador) + 1);
}

TEST(Processos, EstePrograma) {
    char nome[128], caminho[1024];
    plataforma::identidade_processo id =
        plataforma::identificar_processo(este_processo(), nome, sizeof nome, caminho, sizeof caminho);
    ASSERT_TRUE(id.existe);
    ASSERT_TRUE(id.tem_caminho);
    EXPECT_EQ(minusculas(nome), minusculas(nome_base(este_programa())));
    EXPECT_EQ(minusculas(caminho), minusculas(este_programa()));

    char so_nome[128], so_caminho[1024];
    ASSERT_TRUE(plataforma::nome_do_processo(este_processo(), so_nome, sizeof so_nome));
    ASSERT_TRUE(plataforma::caminho_do_executavel(este_processo(), so_caminho, sizeof so_caminho));
    EXPECT_STREQ(so_nome, nome);
    EXPECT_STREQ(so_caminho, caminho);
}

TEST(Processos, TextosLongosSaoCortadosNaLargura) {
    char nome[6], caminho[6];
    plataforma::identidade_processo id =
        plataforma::identificar_processo(este_processo(), nome, sizeof nome, caminho, sizeof caminho);
    ASSERT_TRUE(id.existe);
    EXPECT_EQ(minusculas(nome), minusculas(nome_base(este_programa()).substr(0, 5)));
    // A path keeps its end, the file name, behind the mark of the cut.
    EXPECT_EQ(minusculas(caminho), "..." + minusculas(este_programa().substr(este_programa().size() - 2)));
}

TEST(Processos, IdentificadorSemProcesso) {
    char nome[128] = "antes", caminho[256] = "antes";
    for (int32_t pid : {0, -4, 0x7FFFFFF0}) {
        plataforma::identidade_processo id =
            plataforma::identificar_processo(pid, nome, sizeof nome, caminho, sizeof caminho);
        EXPECT_FALSE(id.existe) << pid;
        EXPECT_FALSE(id.tem_caminho) << pid;
        EXPECT_FALSE(plataforma::nome_do_processo(pid, nome, sizeof nome)) << pid;
        EXPECT_FALSE(plataforma::caminho_do_executavel(pid, caminho, sizeof caminho)) << pid;
    }
}

}  // namespace
