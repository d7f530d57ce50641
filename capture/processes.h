// Names of the process that owns a connection.
#pragma once
#include "common/text.h"
#include "platform/platform.h"

// The executable's file name of process `pid`, or "None" when there is no
// such process.
texto_fixo<128> getpro(int pid);

// The full path of process `pid`'s executable, or "Not" when it cannot be read.
texto_fixo<256> getexe(int pid);

// Starts the process snapshot of a new reading. Until the next one, getpro and
// getexe answer for a process as it was when they first asked about it in this
// reading, so the capture's names and the sweep's paths of one reading agree
// even for a process that exits in between; each process is looked at once
// per reading, however many connections it owns.
void novo_instantaneo_de_processos();

// Tests: processes are identified through `identificacao` instead of the
// platform's (nullptr puts the platform's back), as a system whose process
// snapshots the test writes.
using identificacao_de_processo = plataforma::identidade_processo (*)(
    int32_t pid, char* nome, std::size_t largura_nome, char* caminho, std::size_t largura_caminho);
void substituir_identificacao_de_processos(identificacao_de_processo identificacao);
