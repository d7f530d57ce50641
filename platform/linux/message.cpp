// The message dialog on Linux: zenity, else xmessage, when a display is
// available (the line on standard error is written for every system).
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/linux/child_environment.h"
#include "platform/platform.h"
#include "platform/shared/internal.h"

namespace plataforma {
namespace {

bool ha_tela() {
    const char* tela = std::getenv("DISPLAY");
    return tela && tela[0];
}

// Runs a dialog program and waits for the user to close it. False when the
// program could not run.
bool mostrar_dialogo(const char* const argumentos[]) {
    std::vector<char*> guarda;
    char* const* ambiente = filhos::ambiente_do_usuario(guarda);
    pid_t filho = fork();
    if (filho < 0) return false;
    if (filho == 0) {
        filhos::nao_herdar_descritores();
        // The dialog's own complaints (no display, theme warnings) are not the
        // user's message: it has already been written on standard error.
        int nulo = open("/dev/null", O_WRONLY);
        if (nulo >= 0) dup2(nulo, 2);
        execvpe(argumentos[0], const_cast<char* const*>(argumentos), ambiente);
        _exit(127);
    }
    int status = 0;
    while (waitpid(filho, &status, 0) < 0 && errno == EINTR) {
    }
    // zenity and xmessage end with 0 on OK and 1 when the window was closed;
    // anything else means the dialog could not be shown.
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1;
}

}  // namespace

void sistema::dialogo_da_mensagem(const char* titulo, const char* texto) {
    if (!ha_tela()) return;
    std::string titulo_zenity = std::string("--title=") + titulo;
    std::string texto_zenity = std::string("--text=") + texto;
    const char* zenity[] = {"zenity", "--info", "--no-markup", titulo_zenity.c_str(),
                            texto_zenity.c_str(), nullptr};
    if (mostrar_dialogo(zenity)) return;
    const char* xmessage[] = {"xmessage", "-title", titulo, "-buttons", "OK", "-center",
                              texto, nullptr};
    mostrar_dialogo(xmessage);
}

}  // namespace plataforma
