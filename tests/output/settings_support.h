// What the settings file's tests share: lines and a whole file in the
// settings' format, and a fixture with a file in a temporary folder and the
// settings' texts emptied before each test.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "output/settings.h"
#include "support/test_support.h"

namespace configuracao_teste {

using teste::escrever_arquivo;
using teste::ler_arquivo;

inline std::string linha(const std::string& tag, const std::string& valor) {
    return "<" + tag + ">" + valor + "</" + tag + ">\n";
}

inline std::string arquivo_completo() {
    return "<?xml version=\"1.0\"?>\n<quorvex>\n" + linha("lopps_scan", "5") +
           linha("exibir_http", "0") + linha("exibir_https", "1") +
           linha("exibir_localhost", "0") + linha("exibir_lan_10", "1") +
           linha("exibir_lan_192", "0") + linha("local", "3") + linha("exibir_log", "1") +
           linha("filtro", "1") + "</quorvex>\n";
}

class ArquivoDeConfiguracao : public ::testing::Test {
protected:
    teste::PastaTemporaria pasta;
    std::string caminho = pasta / "config.xml";

    void esvaziar_globais() {
        for (char* texto : {c_loops_scan, c_exibir_http, c_exibir_https, c_exibir_localhost,
                            c_exibir_lan_10, c_exibir_lan_192, c_exibir_log, c_exibir_filtro,
                            c_local})
            texto[0] = '\0';
    }
    void SetUp() override { esvaziar_globais(); }
    int carregar(const std::string& conteudo) {
        escrever_arquivo(caminho, conteudo);
        return carregar_xml(caminho.c_str());
    }
};

}  // namespace configuracao_teste
