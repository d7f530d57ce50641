// The message box: no owner, the caption given, the text given, one OK button,
// and the call returns once it is pressed. A thread of the test finds the box
// and presses OK itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/test_support.h"

namespace {

struct caixa_vista {
    HWND janela = nullptr;
    HWND dono = nullptr;
    std::string texto;
    int botoes = 0;
    bool tem_ok = false;
};

BOOL CALLBACK ler_controle(HWND controle, LPARAM dados) {
    auto* vista = reinterpret_cast<caixa_vista*>(dados);
    char classe[32], texto[256];
    GetClassNameA(controle, classe, sizeof classe);
    GetWindowTextA(controle, texto, sizeof texto);
    if (lstrcmpiA(classe, "Button") == 0) {
        ++vista->botoes;
        if (GetDlgCtrlID(controle) == IDOK) vista->tem_ok = true;
    } else if (lstrcmpiA(classe, "Static") == 0 && texto[0]) {
        vista->texto = texto;
    }
    return TRUE;
}

// Waits for a top-level window of this process captioned `titulo`, reads it
// and presses its OK button.
caixa_vista fechar_caixa(const char* titulo) {
    caixa_vista vista;
    teste::esperar_ate([&] {
        vista.janela = FindWindowA(nullptr, titulo);
        return vista.janela != nullptr;
    });
    if (vista.janela == nullptr) return vista;
    vista.dono = GetWindow(vista.janela, GW_OWNER);
    EnumChildWindows(vista.janela, ler_controle, reinterpret_cast<LPARAM>(&vista));
    PostMessageA(vista.janela, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return vista;
}

TEST(Mensagem, CaixaComOkQueOTesteFecha) {
    if (plataforma::sob_wine() && !std::getenv("DISPLAY"))
        GTEST_SKIP() << "Wine without a display shows no windows";
    const char* titulo = "Quorvex mensagem de teste";
    const char* texto = "Limite de conex\xf5" "es:250";
    caixa_vista vista;
    std::thread fechador([&] { vista = fechar_caixa(titulo); });
    DWORD inicio = GetTickCount();
    plataforma::mostrar_mensagem(titulo, texto);
    DWORD duracao = GetTickCount() - inicio;
    fechador.join();
    ASSERT_NE(vista.janela, nullptr) << "no message box appeared";
    EXPECT_EQ(vista.dono, nullptr);
    EXPECT_EQ(vista.texto, texto);
    EXPECT_EQ(vista.botoes, 1);
    EXPECT_TRUE(vista.tem_ok);
    EXPECT_FALSE(IsWindow(vista.janela)) << "the box is still open";
    EXPECT_LT(duracao, 10000u);
}

// Standard output on Windows takes the program's Latin-1 texts in the ANSI code
// page as they are: nothing is turned into UTF-8.
TEST(Mensagem, SaidaPadraoSemUtf8) { EXPECT_FALSE(plataforma::saida_em_utf8()); }

}  // namespace
