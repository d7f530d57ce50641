// The program under test on Windows, through the platform layer: started and
// waited for, its window found by process and title and sent what a user's
// click and close button send, and Wine's own end of the session.
#include "support/windowed_program.h"

#include "support/platform_services.h"

namespace teste {

programa_iniciado::programa_iniciado(const std::string& pasta, const std::string& nome) {
    const std::string caminho = pasta + "\\" + nome;
    const char* linha[] = {caminho.c_str(), nullptr};
    processo_ = plataforma::iniciar_processo(linha, pasta.c_str());
}

programa_iniciado::~programa_iniciado() { plataforma::liberar_processo(processo_); }

bool programa_iniciado::terminou(std::chrono::milliseconds limite, int& status) {
    return plataforma::esperar_processo(processo_, static_cast<unsigned>(limite.count()), status);
}

janela_do_programa::janela_do_programa(const programa_iniciado& programa, const char* titulo)
    : programa_(programa), titulo_(titulo) {}

bool janela_do_programa::procurar() {
    janela_ = plataforma::janela_do_processo(programa_.processo(), titulo_.c_str());
    return janela_ != 0;
}

void janela_do_programa::clicar(int x, int y) const { plataforma::clicar_na_janela(janela_, x, y); }

void janela_do_programa::pedir_fechamento() const { plataforma::fechar_janela(janela_); }

bool encerrar_sessao_do_usuario() {
    const char* linha[] = {"wineboot.exe", "--end-session", nullptr};
    plataforma::processo_filho gerente = plataforma::iniciar_processo(linha, nullptr);
    int status = -1;
    bool terminou = plataforma::esperar_processo(gerente, 60000, status);
    plataforma::liberar_processo(gerente);
    return terminou && status == 0;
}

}  // namespace teste
