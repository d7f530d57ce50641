// What the report's tests share: the expected documents, and a fixture whose
// user folders are in a temporary folder (casa) with an empty panel table and
// fixed settings, file name and date.
#pragma once
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/text.h"
#include "monitor/tables.h"
#include "output/report.h"
#include "output/settings.h"
#include "platform/platform.h"
#include "common/links.h"
#include "common/folders.h"
#include "shell/toolkit.h"
#include "support/test_support.h"

namespace relatorio_teste {

inline std::string esperado(const char* nome) {
    std::string texto = teste::ler_arquivo(std::string(QUORVEX_SOURCE_DIR) + "/tests/output/data/" + nome);
    const std::string marca = "@LOC_CURSO_LOG@";
    std::size_t onde = texto.find(marca);
    if (onde != std::string::npos) texto.replace(onde, marca.size(), loc_curso_log);
    return texto;
}

inline std::string diretorio_corrente() {
    char pasta[512];
    return plataforma::diretorio_atual(pasta, sizeof pasta) ? pasta : "";
}

inline void garantir_tela() {
    if (screen) return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_Init(SDL_INIT_VIDEO);
    screen = SDL_SetVideoMode(800, 500, 32, SDL_SWSURFACE);
}

class Relatorio : public ::testing::Test {
protected:
    void SetUp() override {
        garantir_tela();
        inicio = diretorio_corrente();
        copiar_celula(diratu2, inicio.c_str());
        copiar_celula(diratu, inicio.c_str());
        unsetenv("DISPLAY");
        std::filesystem::create_directories(casa / "Documents");
        exibir_http = exibir_https = exibir_localhost = exibir_lan_10 = exibir_lan_192 = 1;
        exibir_filtro = 0;
        exibir_log = 0;
        copiar_celula(arquivo_log_atual, "2026_12_07__09_05_03.html");
        copiar_celula(data_log_atual, "07/12/2026 &nbsp;&nbsp; 09:05:03");
        esvaziar_banco_painel();
    }
    void TearDown() override { plataforma::mudar_diretorio(inicio.c_str()); }

    // As the program writes it: with the system's separators.
    std::string pasta_dos_relatorios() const {
        return teste::caminho_nativo(casa / "Documents/Brellstad/LOGS/QUORVEX");
    }
    std::string relatorio() const {
        return teste::ler_arquivo(pasta_dos_relatorios() + "/" + arquivo_log_atual);
    }

    void tabela_pequena() {
        add_banco_painel("09:05", "192.168.0.2", "50000", "192.168.0.10", "80", "firefox-esr",
                         "RedeLocal", "NOID", "/usr/lib/firefox-esr/firefox-esr", 0);
        add_banco_painel("09:06", "192.168.0.2", "50001", "203.0.113.5", "443", "curl", "Brasil",
                         "www.example.com.br", "/usr/bin/curl", 1);
        add_banco_painel("09:08", "192.168.0.2", "50002", "203.0.113.5", "22", "ssh", "Alemanha",
                         "host.example.de", "/usr/bin/ssh", 2);
        informa_desconexao("09:07", "50001", "203.0.113.5", "443", "curl");
    }

    teste::PastaTemporaria casa;
    teste::PastasDoUsuarioEm pastas{casa.caminho()};
    std::string inicio;
};

}  // namespace relatorio_teste
