// The connection panel with a real process's name: a copy of a system program
// started under a name of its own (POSIX processes; the rest of the panel's
// tests, in panel_rows_test.cpp, run on every system).
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "capture/process_support.h"
#include "capture/processes.h"
#include "monitor/panel_support.h"
#include "monitor/panel.h"
#include "monitor/tables.h"
#include "shell/toolkit.h"
#include "support/test_support.h"

namespace {

using namespace painel_teste;

// A process whose file name the system keeps in UTF-8 shows on the panel
// exactly as the same name written in Latin-1.
TEST_F(Painel, NomeDeProcessoEmUtf8ApareceComoEmLatin1) {
    teste::PastaTemporaria pasta;
    const std::string copia = pasta / "conex\xc3\xa3o_a\xc3\xa7\xc3\xa3o";
    ASSERT_TRUE(processos::copiar_programa("/bin/sleep", copia));
    pid_t pid = processos::iniciar(copia, "30");
    novo_instantaneo_de_processos();
    add_banco_painel("10:00:00", "192.168.0.5", "40000", "8.8.8.8", "443", getpro(pid), "Brasil",
                     "NOID", getexe(pid), 1);
    processos::encerrar(pid);
    exibir_painel(1);
    SDL_Surface* do_processo = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);

    copiar_celula(banco_painel[0][PAI_NOME_PROCESSO], "conex\xe3o_a\xe7\xe3o");
    exibir_painel(1);
    EXPECT_EQ(primeira_diferenca(do_processo, screen), -1);
    copiar_celula(banco_painel[0][PAI_NOME_PROCESSO], "conex\xc3\xa3o_a\xc3\xa7\xc3\xa3o");
    exibir_painel(1);
    EXPECT_NE(primeira_diferenca(do_processo, screen), -1) << "UTF-8 bytes drawn as Latin-1 are garbled";
    SDL_FreeSurface(do_processo);
}

}  // namespace
