// The Windows part of the test support (the portable part is in
// test_support.cpp): the environment calls the tests share with POSIX, the
// shell commands, the user's folders.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "support/windows/posix_environment.h"

extern "C" int setenv(const char* nome, const char* valor, int substituir) {
    if (nome == nullptr || *nome == '\0' || valor == nullptr) return -1;
    if (!substituir && std::getenv(nome) != nullptr) return 0;
    return _putenv_s(nome, valor) == 0 ? 0 : -1;
}

extern "C" int unsetenv(const char* nome) {
    if (nome == nullptr || *nome == '\0') return -1;
    return _putenv_s(nome, "") == 0 ? 0 : -1;  // an empty value removes it
}

namespace teste {

std::string saida_de(const std::string& comando) {
    std::string saida;
    if (FILE* processo = _popen(comando.c_str(), "rb")) {
        char bloco[4096];
        std::size_t n;
        while ((n = std::fread(bloco, 1, sizeof bloco, processo)) > 0) saida.append(bloco, n);
        _pclose(processo);
    }
    return saida;
}

namespace {

// Where the shell keeps the user's folders; SHGetFolderPath reads it each time.
// Written and read wide, so that a folder of any name can be recorded.
const wchar_t* const pastas_do_shell =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The user's folders moved, with the system's default for each (what is put
// back when the folder recorded before is not there any more).
const struct {
    const char* valor;
    const char* sob_a_casa;
    const char* padrao;
} pastas_movidas[] = {
    {"Personal", "\\Documents", "%USERPROFILE%\\Documents"},
    {"Local AppData", "\\AppData\\Local", "%USERPROFILE%\\AppData\\Local"},
};

std::wstring largo(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring texto(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &texto[0], n);
    texto.resize(texto.size() - 1);
    return texto;
}

std::string utf8(const std::wstring& texto) {
    int n = WideCharToMultiByte(CP_UTF8, 0, texto.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string convertido(n > 0 ? n : 1, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, texto.c_str(), -1, &convertido[0], n, nullptr, nullptr);
    convertido.resize(convertido.size() - 1);
    return convertido;
}

bool e_pasta(const std::wstring& registrada) {
    wchar_t expandida[4096];
    DWORD tamanho = ExpandEnvironmentStringsW(registrada.c_str(), expandida, 4096);
    if (tamanho == 0 || tamanho > 4096) return false;
    DWORD atributos = GetFileAttributesW(expandida);
    return atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY);
}

// The record as it was (unexpanded), or the system's default when the folder
// recorded is not there; none when nothing was recorded.
std::optional<std::string> registrada(const std::string& valor, const char* padrao) {
    HKEY chave;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, pastas_do_shell, 0, KEY_QUERY_VALUE, &chave) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t dados[4096] = L"";
    DWORD tamanho = sizeof dados - sizeof *dados;
    DWORD tipo = 0;
    LONG resultado = RegQueryValueExW(chave, largo(valor).c_str(), nullptr, &tipo,
                                      reinterpret_cast<BYTE*>(dados), &tamanho);
    RegCloseKey(chave);
    if (resultado != ERROR_SUCCESS || (tipo != REG_SZ && tipo != REG_EXPAND_SZ)) return std::nullopt;
    dados[tamanho / sizeof *dados] = L'\0';
    return e_pasta(dados) ? utf8(dados) : std::string(padrao);
}

// Records `pasta` (UTF-8) under `valor`; none removes the record.
void registrar(const std::string& valor, const std::optional<std::string>& pasta) {
    HKEY chave;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, pastas_do_shell, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &chave, nullptr) != ERROR_SUCCESS)
        return;
    if (pasta) {
        std::wstring texto = largo(*pasta);
        for (wchar_t& c : texto)
            if (c == L'/') c = L'\\';
        RegSetValueExW(chave, largo(valor).c_str(), 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(texto.c_str()),
                       static_cast<DWORD>((texto.size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(chave, largo(valor).c_str());
    }
    RegCloseKey(chave);
}

}  // namespace

// `casa` in UTF-8, so that a user's folder of any name can be tried.
PastasDoUsuarioEm::PastasDoUsuarioEm(const std::string& casa) {
    for (const auto& pasta : pastas_movidas) {
        antes_.emplace_back(pasta.valor, registrada(pasta.valor, pasta.padrao));
        registrar(pasta.valor, casa + pasta.sob_a_casa);
    }
}

PastasDoUsuarioEm::~PastasDoUsuarioEm() {
    for (const auto& antes : antes_) registrar(antes.first, antes.second);
}

void PastasDoUsuarioEm::documentos_em(const std::string& pasta) { registrar("Personal", pasta); }

}  // namespace teste
