// What the Windows platform tests share: a temporary folder, whether Wine runs
// the test, and polling waits.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>

namespace teste_windows {

// A fresh folder under the user's temporary folder, removed with its contents
// at destruction.
class PastaTemporaria {
public:
    PastaTemporaria();
    ~PastaTemporaria();
    const std::string& caminho() const { return caminho_; }
    std::string operator/(const std::string& nome) const { return caminho_ + "\\" + nome; }

private:
    std::string caminho_;
};

bool existe(const std::string& caminho);
bool e_pasta(const std::string& caminho);
std::string ler_arquivo(const std::string& caminho);

// Wine runs Windows programs on Linux; it gives every connection the owning
// process 0 and lists only its own processes.
bool sob_wine();

// Polls `condicao` every 10 ms until it holds; false when `limite_ms` passed first.
template <typename Condicao>
bool esperar_ate(Condicao condicao, DWORD limite_ms = 10000) {
    DWORD inicio = GetTickCount();
    while (!condicao()) {
        if (GetTickCount() - inicio > limite_ms) return false;
        Sleep(10);
    }
    return true;
}

// This test program's own file.
std::string este_programa();

}  // namespace teste_windows
