// The real program in a real window: started from the run folder on its own
// virtual X display, in a temporary HOME, with stand-ins for the browser
// launcher and the terminal that record how they were started. The test drives
// it with xdotool and reads the window back with Xlib.
#pragma once
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace e2e {

// One picture of the window: 800 by 500 pixels, 0xRRGGBB each.
struct captura {
    int largura = 0, altura = 0;
    std::vector<unsigned> pixels;
    unsigned pixel(int x, int y) const { return pixels[y * largura + x]; }
};

// An image of the run folder's bin/ decoded in the test, 0xAARRGGBB pixels.
struct imagem {
    int largura = 0, altura = 0;
    std::vector<unsigned> pixels;
    bool tem_chave = false;
    unsigned chave = 0;  // colour key, 0xRRGGBB
};
imagem carregar_imagem(const std::string& arquivo);

// A region of the window as the program composes it: starts from what a
// capture shows and lets the test draw images the way the program does.
class composicao {
public:
    composicao(int x, int y, int largura, int altura, unsigned fundo);
    // Blended by the image's alpha, as an image drawn with its alpha channel.
    void misturar(const imagem& img, int x, int y);
    // Pixels of the capture's region that differ from the composition by more
    // than 3 in any colour.
    int diferencas(const captura& c) const;

private:
    int x_, y_, largura_, altura_;
    std::vector<unsigned> pixels_;
};

class Programa {
public:
    Programa();
    ~Programa();

    // Writes the settings file of the temporary user (before iniciar).
    void configurar(const std::string& conteudo);
    std::string configuracao() const;

    // Starts the program and waits for its window. False when it did not come.
    bool iniciar();
    // Starts `comando` in `pasta` instead of the build folder's program (set
    // before iniciar): for instance an installed copy, through its launcher.
    void usar_comando(const std::vector<std::string>& comando, const std::string& pasta);
    pid_t pid() const { return pid_; }

    // Sends input to the window (xdotool, synchronous).
    void clicar(int x, int y);
    void clicar_varias(const std::vector<std::pair<int, int>>& pontos);
    void mover(int x, int y);
    void tecla(const std::string& nome);
    // The window manager's close request: WM_DELETE_WINDOW.
    void pedir_fechamento();
    // A signal from outside (a logout, a shutdown, Ctrl+C).
    void sinalizar(int sinal);

    // What xprop says of the window's `propriedades` (e.g. "WM_HINTS").
    std::string propriedades_da_janela(const std::string& propriedades) const;

    captura capturar() const;
    // Waits until `condicao` holds for a capture, at most `limite_s` seconds.
    bool esperar_tela(const std::function<bool(const captura&)>& condicao,
                      double limite_s = 10.0);
    // The full-window background `arquivo` is shown (checked on the band right
    // of the tabs, which no button covers).
    bool mostra_fundo(const captura& c, const std::string& arquivo) const;
    bool esperar_fundo(const std::string& arquivo, double limite_s = 10.0);

    // Waits for the program's end; its exit status, or -1 when it did not end.
    int esperar_fim(double limite_s);
    bool rodando();
    long memoria_kb(const char* campo) const;  // VmRSS, VmStk, ... from /proc

    std::string saida() const;                  // standard output so far
    bool esperar_saida(const std::string& trecho, double limite_s);
    // Waits until `trecho` stands at least `vezes` times on standard output.
    bool esperar_saida(const std::string& trecho, int vezes, double limite_s);
    std::vector<std::string> lancados() const;  // "<folder>|<program>|<arguments>" lines
    bool esperar_lancado(const std::string& trecho, double limite_s);

    std::string pasta_relatorios() const;
    std::vector<std::string> relatorios() const;  // full paths
    // Waits until `quantos` complete reports (header to footer) are there.
    bool esperar_relatorio(double limite_s, std::size_t quantos = 1);
    const std::string& casa() const { return casa_.caminho(); }
    // What the program and the display server said, for a start that failed.
    std::string diagnostico_do_inicio();

private:
    std::string exportar_tela() const;
    unsigned long janela() const;

    // The virtual display of this program alone: a display number that no
    // other server on the machine uses, owned by our Xvfb (its lock file says so).
    struct tela_virtual {
        explicit tela_virtual(const std::string& registro);
        ~tela_virtual();
        bool pronta() const { return pid > 0; }
        pid_t pid = -1;
        std::string nome;
    };

    bool iniciar_na_tela();

    teste::PastaTemporaria casa_;
    std::unique_ptr<tela_virtual> tela_;
    std::vector<std::string> comando_{QUORVEX_BINARY};
    std::string pasta_inicial_{QUORVEX_RUN_DIR};
    pid_t pid_ = -1;
    unsigned long janela_ = 0;
    int status_final_ = -1;
};

// Milliseconds of a monotonic clock.
double agora_ms();

}  // namespace e2e
