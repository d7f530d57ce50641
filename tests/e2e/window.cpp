#include "window.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace e2e {

double agora_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

namespace {

void dormir_ms(int ms) { usleep(ms * 1000); }

unsigned rgb(unsigned pixel) { return pixel & 0xFFFFFFu; }

bool parecidos(unsigned a, unsigned b) {
    for (int deslocamento = 0; deslocamento < 24; deslocamento += 8) {
        int ca = (a >> deslocamento) & 0xFF, cb = (b >> deslocamento) & 0xFF;
        if (std::abs(ca - cb) > 3) return false;
    }
    return true;
}

int ignorar_erro_x(Display*, XErrorEvent*) { return 0; }

// One connection to the display per use: the tests talk to it rarely.
class conexao_x {
public:
    explicit conexao_x(const std::string& nome) : d_(XOpenDisplay(nome.c_str())) {
        XSetErrorHandler(ignorar_erro_x);
    }
    ~conexao_x() {
        if (d_) XCloseDisplay(d_);
    }
    Display* operator*() const { return d_; }

private:
    Display* d_;
};

Window procurar_janela(Display* d, Window w, const char* nome) {
    char* titulo = nullptr;
    if (XFetchName(d, w, &titulo) && titulo) {
        bool achou = std::strcmp(titulo, nome) == 0;
        XFree(titulo);
        if (achou) return w;
    }
    Window raiz, pai, *filhos = nullptr;
    unsigned n = 0;
    Window achada = 0;
    if (XQueryTree(d, w, &raiz, &pai, &filhos, &n)) {
        for (unsigned i = 0; i < n && !achada; ++i) achada = procurar_janela(d, filhos[i], nome);
        if (filhos) XFree(filhos);
    }
    return achada;
}

const char* const registrador =
    "#!/bin/sh\n"
    "printf '%s|%s|%s\\n' \"$PWD\" \"$(basename \"$0\")\" \"$*\" >> \"$HOME/lancados.txt\"\n";

void instalar_substituto(const std::string& pasta, const std::string& nome) {
    std::string caminho = pasta + "/" + nome;
    teste::escrever_arquivo(caminho, registrador);
    chmod(caminho.c_str(), 0755);
}

bool tem_texto(const std::string& texto, const char* trecho) {
    return texto.find(trecho) != std::string::npos;
}

std::vector<std::string> linhas_de(const std::string& texto) {
    std::vector<std::string> linhas;
    std::istringstream entrada(texto);
    for (std::string linha; std::getline(entrada, linha);) linhas.push_back(linha);
    return linhas;
}

}  // namespace

imagem carregar_imagem(const std::string& arquivo) {
    imagem img;
    SDL_Surface* bruta = IMG_Load(arquivo.c_str());
    if (bruta == nullptr) return img;
    if (bruta->flags & SDL_SRCCOLORKEY) {
        Uint8 r, g, b;
        SDL_GetRGB(bruta->format->colorkey, bruta->format, &r, &g, &b);
        img.tem_chave = true;
        img.chave = (r << 16) | (g << 8) | b;
        SDL_SetColorKey(bruta, 0, 0);
    }
    bool tem_alfa = bruta->format->Amask != 0;
    SDL_SetAlpha(bruta, 0, 255);
    SDL_PixelFormat formato{};
    formato.BitsPerPixel = 32;
    formato.BytesPerPixel = 4;
    formato.Rmask = 0x00FF0000;
    formato.Gmask = 0x0000FF00;
    formato.Bmask = 0x000000FF;
    formato.Amask = 0xFF000000;
    formato.Rshift = 16;
    formato.Gshift = 8;
    formato.Bshift = 0;
    formato.Ashift = 24;
    formato.alpha = 255;
    SDL_Surface* convertida = SDL_ConvertSurface(bruta, &formato, SDL_SWSURFACE);
    SDL_FreeSurface(bruta);
    if (convertida == nullptr) return img;
    img.largura = convertida->w;
    img.altura = convertida->h;
    img.pixels.resize(img.largura * img.altura);
    SDL_LockSurface(convertida);
    for (int y = 0; y < img.altura; ++y) {
        auto* linha = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(convertida->pixels) +
                                                      y * convertida->pitch);
        for (int x = 0; x < img.largura; ++x) {
            img.pixels[y * img.largura + x] = tem_alfa ? linha[x] : (linha[x] | 0xFF000000u);
        }
    }
    SDL_UnlockSurface(convertida);
    SDL_FreeSurface(convertida);
    return img;
}

composicao::composicao(int x, int y, int largura, int altura, unsigned fundo)
    : x_(x), y_(y), largura_(largura), altura_(altura), pixels_(largura * altura, rgb(fundo)) {}

void composicao::misturar(const imagem& img, int x, int y) {
    for (int j = 0; j < img.altura; ++j) {
        for (int i = 0; i < img.largura; ++i) {
            int cx = x + i - x_, cy = y + j - y_;
            if (cx < 0 || cy < 0 || cx >= largura_ || cy >= altura_) continue;
            unsigned s = img.pixels[j * img.largura + i];
            if (img.tem_chave && rgb(s) == img.chave) continue;
            unsigned a = s >> 24;
            unsigned& d = pixels_[cy * largura_ + cx];
            unsigned resultado = 0;
            for (int deslocamento = 0; deslocamento < 24; deslocamento += 8) {
                int cs = (s >> deslocamento) & 0xFF, cd = (d >> deslocamento) & 0xFF;
                int c = cd + (((cs - cd) * static_cast<int>(a)) >> 8);
                if (a == 255) c = cs;
                resultado |= static_cast<unsigned>(c & 0xFF) << deslocamento;
            }
            d = resultado;
        }
    }
}

int composicao::diferencas(const captura& c) const {
    int n = 0;
    for (int j = 0; j < altura_; ++j)
        for (int i = 0; i < largura_; ++i)
            if (!parecidos(c.pixel(x_ + i, y_ + j), pixels_[j * largura_ + i])) ++n;
    return n;
}

namespace {

// The number written in a display's lock file: the pid of the server that owns it.
pid_t dono_da_tela(int numero) {
    std::ifstream trava("/tmp/.X" + std::to_string(numero) + "-lock");
    long pid = 0;
    trava >> pid;
    return static_cast<pid_t>(pid);
}

// Any socket of display `numero` in this network namespace, the abstract ones
// of servers in other mount namespaces included.
bool tela_em_uso(int numero) {
    if (teste::existe("/tmp/.X" + std::to_string(numero) + "-lock")) return true;
    std::string nome = "/tmp/.X11-unix/X" + std::to_string(numero) + "\n";
    return teste::ler_arquivo("/proc/net/unix").find(nome) != std::string::npos;
}

// Starts Xvfb on display `numero`; true once that server, and no other, owns it.
bool iniciar_xvfb(int numero, const std::string& registro, pid_t& pid) {
    std::string nome = ":" + std::to_string(numero);
    pid = fork();
    if (pid == 0) {
        int nulo = open("/dev/null", O_RDWR);
        int erros = open(registro.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(nulo, 0);
        dup2(nulo, 1);
        dup2(erros, 2);
        // -noreset: the server would otherwise reset when the check below
        // disconnects, and turn away the program connecting in that moment.
        execlp("Xvfb", "Xvfb", nome.c_str(), "-noreset", "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return false;
    for (double fim = agora_ms() + 5000; agora_ms() < fim; dormir_ms(50)) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) break;
        if (dono_da_tela(numero) != pid) continue;
        if (*conexao_x(nome)) return true;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
    return false;
}

}  // namespace

// Display numbers are shared with every other suite on the machine: a number
// counts as ours only when the lock file names our server.
Programa::tela_virtual::tela_virtual(const std::string& registro) {
    for (int numero = 100 + getpid() % 800, tentativas = 0; tentativas < 20; ++numero, ++tentativas) {
        if (tela_em_uso(numero)) continue;
        if (iniciar_xvfb(numero, registro, pid)) {
            nome = ":" + std::to_string(numero);
            return;
        }
    }
}

Programa::tela_virtual::~tela_virtual() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

Programa::Programa() : tela_(std::make_unique<tela_virtual>(casa_ / "xvfb.txt")) {
    std::string ferramentas = casa_ / "substitutos";
    mkdir(ferramentas.c_str(), 0755);
    instalar_substituto(ferramentas, "xdg-open");
    instalar_substituto(ferramentas, "x-terminal-emulator");
    // Messages are recorded and acknowledged at once.
    instalar_substituto(ferramentas, "zenity");
    mkdir((casa_ / ".local").c_str(), 0755);
    mkdir((casa_ / ".local/share").c_str(), 0755);
    mkdir((casa_ / ".local/share/Quorvex").c_str(), 0755);
}

Programa::~Programa() {
    if (pid_ > 0 && rodando()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void Programa::sinalizar(int sinal) {
    if (pid_ > 0) kill(pid_, sinal);
}

void Programa::configurar(const std::string& conteudo) {
    teste::escrever_arquivo(casa_ / ".local/share/Quorvex/config.xml", conteudo);
}

std::string Programa::configuracao() const {
    return teste::ler_arquivo(casa_ / ".local/share/Quorvex/config.xml");
}

void Programa::usar_comando(const std::vector<std::string>& comando, const std::string& pasta) {
    comando_ = comando;
    pasta_inicial_ = pasta;
}

// A program that could not reach its display is started again on a fresh one.
bool Programa::iniciar() {
    for (int tentativa = 0; tentativa < 3; ++tentativa) {
        if (iniciar_na_tela()) return true;
        if (rodando()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        tela_ = std::make_unique<tela_virtual>(casa_ / "xvfb.txt");
    }
    return false;
}

bool Programa::iniciar_na_tela() {
    if (!tela_->pronta()) return false;
    std::vector<std::string> ambiente;
    const std::string trocados[] = {"HOME=", "DISPLAY=", "PATH=", "XDG_DATA_HOME=",
                                    "XDG_CONFIG_HOME=", "SDL_VIDEODRIVER=", "XDG_DOCUMENTS_DIR="};
    for (char** e = environ; *e; ++e) {
        bool trocado = false;
        for (const auto& t : trocados) trocado |= std::strncmp(*e, t.c_str(), t.size()) == 0;
        if (!trocado) ambiente.emplace_back(*e);
    }
    const char* caminho = std::getenv("PATH");
    ambiente.push_back("HOME=" + casa());
    ambiente.push_back("DISPLAY=" + tela_->nome);
    ambiente.push_back("PATH=" + (casa_ / "substitutos") + ":" + (caminho ? caminho : "/usr/bin:/bin"));
    pid_ = fork();
    if (pid_ == 0) {
        int nulo = open("/dev/null", O_RDONLY);
        int saida = open((casa_ / "saida.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int erros = open((casa_ / "erros.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(nulo, 0);
        dup2(saida, 1);
        dup2(erros, 2);
        if (chdir(pasta_inicial_.c_str()) != 0) _exit(127);
        std::vector<char*> envp, argv;
        for (auto& e : ambiente) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        for (auto& a : comando_) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    for (double fim = agora_ms() + 10000; agora_ms() < fim && rodando(); dormir_ms(20)) {
        if (tem_texto(teste::ler_arquivo(casa_ / "erros.txt"), "Erro ao abrir a janela")) break;
        janela_ = janela();
        if (janela_ == 0) continue;
        conexao_x d(tela_->nome);
        XWindowAttributes atributos;
        if (*d && XGetWindowAttributes(*d, janela_, &atributos) &&
            atributos.map_state == IsViewable && atributos.width == 800)
            return true;
    }
    return false;
}

unsigned long Programa::janela() const {
    conexao_x d(tela_->nome);
    if (!*d) return 0;
    return procurar_janela(*d, DefaultRootWindow(*d), "Quorvex");
}

std::string Programa::exportar_tela() const { return "DISPLAY=" + tela_->nome + " "; }

void Programa::clicar(int x, int y) { clicar_varias({{x, y}}); }

void Programa::clicar_varias(const std::vector<std::pair<int, int>>& pontos) {
    std::string comando = exportar_tela() + "xdotool";
    for (const auto& p : pontos) {
        comando += " mousemove --window " + std::to_string(janela_) + " " + std::to_string(p.first) +
                   " " + std::to_string(p.second) + " mousedown 1 mouseup 1";
    }
    teste::saida_de(comando);
}

void Programa::mover(int x, int y) {
    teste::saida_de(exportar_tela() + "xdotool mousemove --window " + std::to_string(janela_) + " " +
                    std::to_string(x) + " " + std::to_string(y));
}

void Programa::tecla(const std::string& nome) {
    // Without a window manager the keyboard follows the pointer.
    mover(400, 300);
    teste::saida_de(exportar_tela() + "xdotool key " + nome);
}

void Programa::pedir_fechamento() {
    conexao_x d(tela_->nome);
    if (!*d) return;
    XEvent evento{};
    evento.xclient.type = ClientMessage;
    evento.xclient.window = janela_;
    evento.xclient.message_type = XInternAtom(*d, "WM_PROTOCOLS", False);
    evento.xclient.format = 32;
    evento.xclient.data.l[0] = static_cast<long>(XInternAtom(*d, "WM_DELETE_WINDOW", False));
    evento.xclient.data.l[1] = CurrentTime;
    XSendEvent(*d, janela_, False, NoEventMask, &evento);
    XSync(*d, False);
}

std::string Programa::propriedades_da_janela(const std::string& propriedades) const {
    return teste::saida_de(exportar_tela() + "xprop -id " + std::to_string(janela_) + " " + propriedades);
}

captura Programa::capturar() const {
    captura c;
    conexao_x d(tela_->nome);
    if (!*d || janela_ == 0) return c;
    XImage* img = XGetImage(*d, janela_, 0, 0, 800, 500, AllPlanes, ZPixmap);
    if (img == nullptr) return c;
    c.largura = 800;
    c.altura = 500;
    c.pixels.resize(800 * 500);
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 800; ++x) c.pixels[y * 800 + x] = rgb(XGetPixel(img, x, y));
    XDestroyImage(img);
    return c;
}

bool Programa::esperar_tela(const std::function<bool(const captura&)>& condicao, double limite_s) {
    for (double fim = agora_ms() + limite_s * 1000; agora_ms() < fim; dormir_ms(30)) {
        captura c = capturar();
        if (c.largura == 800 && condicao(c)) return true;
    }
    return false;
}

bool Programa::mostra_fundo(const captura& c, const std::string& arquivo) const {
    static std::vector<std::pair<std::string, imagem>> fundos;
    const imagem* fundo = nullptr;
    for (const auto& f : fundos)
        if (f.first == arquivo) fundo = &f.second;
    if (fundo == nullptr) {
        fundos.emplace_back(arquivo, carregar_imagem(std::string(QUORVEX_RUN_DIR) + "/" + arquivo));
        fundo = &fundos.back().second;
    }
    if (fundo->largura < 800) return false;
    int diferentes = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 430; x < 800; ++x)
            if (!parecidos(c.pixel(x, y), rgb(fundo->pixels[y * fundo->largura + x]))) ++diferentes;
    return diferentes < 370 * 60 / 100;
}

bool Programa::esperar_fundo(const std::string& arquivo, double limite_s) {
    return esperar_tela([&](const captura& c) { return mostra_fundo(c, arquivo); }, limite_s);
}

bool Programa::rodando() {
    if (pid_ <= 0) return false;
    int status;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    if (r == pid_) status_final_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

int Programa::esperar_fim(double limite_s) {
    for (double fim = agora_ms() + limite_s * 1000; agora_ms() < fim; dormir_ms(20)) {
        if (!rodando()) return status_final_;
    }
    return -1;
}

long Programa::memoria_kb(const char* campo) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string prefixo = std::string(campo) + ":";
    for (std::string linha; std::getline(status, linha);) {
        if (linha.compare(0, prefixo.size(), prefixo) == 0) return std::atol(linha.c_str() + prefixo.size());
    }
    return -1;
}

std::string Programa::diagnostico_do_inicio() {
    return "display " + tela_->nome + (rodando() ? ", program running" : ", program ended") +
           "\nprogram: " + teste::ler_arquivo(casa_ / "erros.txt").substr(0, 300) +
           "\nXvfb: " + teste::ler_arquivo(casa_ / "xvfb.txt");
}

std::string Programa::saida() const { return teste::ler_arquivo(casa_ / "saida.txt"); }

bool Programa::esperar_saida(const std::string& trecho, double limite_s) {
    return esperar_saida(trecho, 1, limite_s);
}

bool Programa::esperar_saida(const std::string& trecho, int vezes, double limite_s) {
    for (double fim = agora_ms() + limite_s * 1000; agora_ms() < fim; dormir_ms(50)) {
        std::string texto = saida();
        int n = 0;
        for (std::size_t p = texto.find(trecho); p != std::string::npos; p = texto.find(trecho, p + 1)) ++n;
        if (n >= vezes) return true;
    }
    return false;
}

std::vector<std::string> Programa::lancados() const {
    return linhas_de(teste::ler_arquivo(casa_ / "lancados.txt"));
}

bool Programa::esperar_lancado(const std::string& trecho, double limite_s) {
    for (double fim = agora_ms() + limite_s * 1000; agora_ms() < fim; dormir_ms(30)) {
        for (const auto& linha : lancados())
            if (linha.find(trecho) != std::string::npos) return true;
    }
    return false;
}

std::string Programa::pasta_relatorios() const { return casa_ / "Documents/Brellstad/LOGS/QUORVEX"; }

std::vector<std::string> Programa::relatorios() const {
    std::vector<std::string> arquivos;
    if (DIR* pasta = opendir(pasta_relatorios().c_str())) {
        while (dirent* e = readdir(pasta)) {
            std::string nome = e->d_name;
            if (nome.size() > 5 && nome.substr(nome.size() - 5) == ".html")
                arquivos.push_back(pasta_relatorios() + "/" + nome);
        }
        closedir(pasta);
    }
    return arquivos;
}

bool Programa::esperar_relatorio(double limite_s, std::size_t quantos) {
    for (double fim = agora_ms() + limite_s * 1000; agora_ms() < fim; dormir_ms(50)) {
        std::size_t completos = 0;
        for (const auto& r : relatorios())
            if (tem_texto(teste::ler_arquivo(r), "</html>\n")) ++completos;
        if (completos >= quantos) return true;
    }
    return false;
}

}  // namespace e2e
