// This program as Linux knows it, for the processes' shared tests.
#include <unistd.h>

#include <string>

#include "platform/processes_system.h"

namespace processo_do_sistema {

int32_t este_processo() { return getpid(); }

std::string este_programa() {
    char caminho[4096];
    ssize_t n = readlink("/proc/self/exe", caminho, sizeof caminho);
    return n > 0 ? std::string(caminho, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace processo_do_sistema
