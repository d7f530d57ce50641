// Helpers for the tests: temporary folders, a temporary HOME, and running the
// real program as a separate process.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/seams.h"
#include "support/platform_services.h"

namespace teste {

// Polls `condicao` every millisecond until it holds; false when `limite` passed
// first.
template <typename Condicao>
bool esperar_ate(Condicao condicao,
                 std::chrono::milliseconds limite = std::chrono::milliseconds(10000)) {
    auto fim = std::chrono::steady_clock::now() + limite;
    while (!condicao()) {
        if (std::chrono::steady_clock::now() > fim) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A fresh directory under /tmp, removed with its contents at destruction.
class PastaTemporaria {
public:
    PastaTemporaria();
    ~PastaTemporaria();
    const std::string& caminho() const { return caminho_; }
    std::string operator/(const std::string& nome) const { return caminho_ + "/" + nome; }

private:
    std::string caminho_;
};

// The path with the system's separators, as the program writes paths ('\' on
// Windows); unchanged on Linux.
std::string caminho_nativo(const std::string& caminho);

// The user's folders as the program finds them moved under `casa` for the
// object's life, and put back at its end: on Linux through HOME and the XDG
// variables (every folder), on Windows the documents and local application-data
// folders among the user's shell folders in the registry (`casa` in UTF-8
// there). documentos_em() moves the documents folder alone, to any path.
class PastasDoUsuarioEm {
public:
    explicit PastasDoUsuarioEm(const std::string& casa);
    ~PastasDoUsuarioEm();
    PastasDoUsuarioEm(const PastasDoUsuarioEm&) = delete;
    PastasDoUsuarioEm& operator=(const PastasDoUsuarioEm&) = delete;
    void documentos_em(const std::string& pasta);

private:
    // What was there before: each name with its value, none when it was unset.
    std::vector<std::pair<std::string, std::optional<std::string>>> antes_;
};

void escrever_arquivo(const std::string& caminho, const std::string& conteudo);
std::string ler_arquivo(const std::string& caminho);
bool existe(const std::string& caminho);

struct resultado_processo {
    int status = -1;       // exit status, or -1 when killed or timed out
    bool terminou = false;
    std::string saida;     // standard output
    std::string erros;     // standard error
};

// Runs `argumentos` in `pasta` with the environment `ambiente` (NAME=value
// entries that replace or add to the current environment; "NAME=" alone
// removes NAME), waiting at most `limite_s` seconds (killed after that).
resultado_processo executar(const std::vector<std::string>& argumentos,
                            const std::string& pasta,
                            const std::vector<std::string>& ambiente,
                            double limite_s = 30.0);

// A virtual X display (Xvfb) for the lifetime of the object, on a free display
// number. `nome()` is the value for DISPLAY, e.g. ":57".
class TelaVirtual {
public:
    TelaVirtual();
    ~TelaVirtual();
    bool pronta() const { return pid_ > 0; }
    const std::string& nome() const { return nome_; }

private:
    int pid_ = -1;
    std::string nome_;
};

// Threads of this process now; -1 when they cannot be counted.
using plataforma::threads_do_processo;

// Bytes of memory this process holds now, for tests that check that repeated
// work does not leak; 0 when it cannot be measured (the sanitizers' allocators
// keep no count).
using plataforma::memoria_em_uso;

// Whether this test program runs in a network namespace of its own (the test
// runner puts it there where the machine allows it).
bool em_rede_privada();

// Runs a command line through /bin/sh and returns its standard output.
std::string saida_de(const std::string& comando);

// A small file system of its own (tmpfs with `opcoes`, e.g. "size=64k")
// mounted on the existing folder `pasta` for this thread and the programs it
// starts, in a private mount namespace; unmounted at destruction. Where the
// machine does not allow it, montado() is false and the test skips.
class DiscoProprio {
public:
    DiscoProprio(const std::string& pasta, const std::string& opcoes);
    ~DiscoProprio();
    bool montado() const { return montado_; }
    // Fills it with one file until no space is left.
    bool encher();
    // Remounts it read-only.
    bool somente_leitura();

private:
    std::string pasta_;
    bool montado_ = false;
};

// Stand-ins for the dialog programs (zenity, xmessage) that record each
// dialog's arguments, one line per dialog, and return at once as after OK.
// For the object's life PATH and DISPLAY of this process lead to them;
// ambiente() gives the same to a program started with executar().
class DialogosRegistrados {
public:
    DialogosRegistrados();
    ~DialogosRegistrados();
    std::string registro() const;
    std::vector<std::string> ambiente() const;

private:
    PastaTemporaria pasta_;
    std::string path_antigo_;
    std::string display_antigo_;
    bool tinha_display_ = false;
};

// The names in a folder (not . and ..), sorted.
std::vector<std::string> nomes_em(const std::string& pasta);

}  // namespace teste

#define EXIGIR_DISCO_PROPRIO(disco)                                                    \
    do {                                                                               \
        if (!(disco).montado())                                                        \
            GTEST_SKIP() << "sem namespace de montagem privado (unshare -m recusado "   \
                            "aqui): teste de disco cheio ou somente leitura pulado";   \
    } while (0)

// Tests that open connections or count the machine's connection table need a
// network of their own: elsewhere other programs' connections would change
// what they count, so they skip and say why.
#define EXIGIR_REDE_PRIVADA()                                                        \
    do {                                                                             \
        if (!teste::em_rede_privada())                                               \
            GTEST_SKIP() << "sem rede privada (unshare -n recusado aqui): teste de " \
                            "conexoes pulado";                                       \
    } while (0)
