// Starting a program on Windows from an argument vector, as the launcher does;
// the test support starts the programs it waits for the same way.
#pragma once
#include <windows.h>

#include <string>

namespace plataforma::windows {

// The command line whose arguments the C runtime reads back one by one.
std::string linha_de_comando(const char* const argumentos[]);

// CreateProcessW of `linha` in `pasta` (nullptr: the current folder) with the
// creation flags `modo`; the thread's handle is closed, the process's kept.
bool criar_processo(std::string linha, const char* pasta, DWORD modo,
                    PROCESS_INFORMATION& processo);

}  // namespace plataforma::windows
