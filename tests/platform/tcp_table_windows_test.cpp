// What the Windows connection table's shared tests expect: IP Helper's two
// calls, and the owner Windows names (Wine gives every row the owner 0).
#include <windows.h>

#include "platform/tcp_table_system.h"
#include "support/platform_services.h"

namespace tabela_do_sistema {

int32_t dono_das_conexoes_deste_processo() {
    return plataforma::sob_wine() ? 0 : static_cast<int32_t>(GetCurrentProcessId());
}

bool segunda_via_disponivel() {
    HMODULE biblioteca = LoadLibraryA("iphlpapi.dll");
    bool tem = biblioteca && GetProcAddress(biblioteca, "AllocateAndGetTcpExTableFromStack");
    if (biblioteca) FreeLibrary(biblioteca);
    return tem;
}

const char* fonte(bool segunda_via) {
    return segunda_via ? "AllocateAndGetTcpExTableFromStack" : "GetExtendedTcpTable";
}

}  // namespace tabela_do_sistema
