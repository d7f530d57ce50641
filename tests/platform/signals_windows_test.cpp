// Requests to end the program on Windows: Ctrl+C sent to this program's own
// console while requests are held is noted, and the program goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

TEST(PedidosDeEncerramento, CtrlCSeguradoSoENotado) {
    plataforma::preparar_pedidos_de_encerramento();
    plataforma::segurar_pedidos_de_encerramento(true);
    SetConsoleCtrlHandler(nullptr, FALSE);
    // A console of our own: the one Wine gives a program started from a shell
    // takes no control events.
    FreeConsole();
    if (!AllocConsole() || !GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
        GTEST_SKIP() << "no console here (error " << GetLastError() << ")";
    EXPECT_TRUE(teste::esperar_ate([] { return plataforma::encerramento_pedido(); },
                                   std::chrono::milliseconds(5000)));
}

}  // namespace
