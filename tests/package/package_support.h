// The Debian package made from this build folder with CPack, in a temporary
// folder of its own, and the tools that read it back.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace pacote {

// A command line run through /bin/sh: its exit status and what it printed.
struct resultado {
    int status = -1;
    std::string saida;
    std::string erros;
};
resultado rodar(const std::string& comando, double limite_s = 120.0);

// Quotes a path for /bin/sh.
std::string aspas(const std::string& texto);

class Pacote {
public:
    // Builds the package (cpack -G DEB) into a fresh temporary folder.
    Pacote();
    // Full path of the .deb; empty when CPack made none.
    const std::string& arquivo() const { return arquivo_; }
    const std::string& relatorio() const { return relatorio_; }
    std::string nome_do_arquivo() const;

    std::string campo(const std::string& nome) const;        // dpkg-deb -f
    std::vector<std::string> conteudo() const;               // dpkg-deb -c, one line each
    // Unpacks the files (dpkg-deb -x) into `raiz`; true when it worked.
    bool extrair(const std::string& raiz) const;
    // Unpacks the control files (dpkg-deb -e) into `pasta`.
    bool extrair_controle(const std::string& pasta) const;

private:
    teste::PastaTemporaria pasta_;
    std::string arquivo_;
    std::string relatorio_;
};

// The installed program's run folder and launcher inside an unpacked root.
constexpr const char* pasta_de_execucao = "/usr/lib/quorvex";
constexpr const char* lancador = "/usr/bin/quorvex";

// Makes the fonts the package depends on visible inside an unpacked root, as
// they are on a system where the package is installed: usr/share/fonts is a
// link to the machine's own.
bool ligar_fontes_do_sistema(const std::string& raiz);

// "path size mtime" of every entry under `pasta`, sorted: what a run changed.
std::vector<std::string> inventario(const std::string& pasta);

}  // namespace pacote
