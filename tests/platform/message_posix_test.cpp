// Messages to the user: always a line on standard error; a real dialog titled
// "Quorvex" when there is a display, which waits for the user's OK.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "support/test_support.h"

namespace {

TEST(MensagemAoUsuario, SemTelaEscreveUmaLinhaEVoltaLogo) {
    unsetenv("DISPLAY");
    testing::internal::CaptureStderr();
    plataforma::mostrar_mensagem("Quorvex", "Limite de conexoes:250\nsegunda parte");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Limite de conexoes:250 segunda parte\n");
}

std::string janela_quorvex(const std::string& tela) {
    return teste::saida_de("DISPLAY=" + tela + " xdotool search --name '^Quorvex$' 2>/dev/null");
}

TEST(MensagemAoUsuario, ComTelaMostraUmDialogoQueEsperaOOk) {
    teste::TelaVirtual tela;
    ASSERT_TRUE(tela.pronta());
    pid_t filho = fork();
    if (filho == 0) {
        setenv("DISPLAY", tela.nome().c_str(), 1);
        plataforma::mostrar_mensagem("Quorvex", "Erro conteudo XML");
        _exit(0);
    }
    // A loaded machine can take a minute or more to start the dialog program,
    // even warm (scripts/warm-up.sh): up to three minutes are allowed.
    std::string janela;
    for (int i = 0; i < 3600 && janela.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        janela = janela_quorvex(tela.nome());
    }
    ASSERT_FALSE(janela.empty()) << "no window titled Quorvex appeared";
    int status;
    EXPECT_EQ(waitpid(filho, &status, WNOHANG), 0) << "the message must wait for the user";

    // A dialog can be mapped before it takes keys (a loaded machine starts it
    // slowly), so OK is pressed again each second until the dialog answers.
    janela.erase(janela.find('\n'));
    const std::string ok = "DISPLAY=" + tela.nome() + " xdotool windowfocus --sync " + janela +
                           " key --clearmodifiers Return 2>/dev/null";
    bool terminou = false;
    for (int tentativa = 0; tentativa < 10 && !terminou; ++tentativa) {
        teste::saida_de(ok);
        terminou = teste::esperar_ate([&] { return waitpid(filho, &status, WNOHANG) == filho; },
                                      std::chrono::milliseconds(1000));
    }
    if (!terminou) {
        kill(filho, SIGKILL);
        waitpid(filho, &status, 0);
    }
    EXPECT_TRUE(terminou) << "OK should close the message";
}

}  // namespace
