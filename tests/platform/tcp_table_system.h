// What the connection table's shared tests expect that differs between the
// systems; tcp_table_posix_test.cpp and tcp_table_windows_test.cpp define it.
#pragma once
#include <cstdint>

namespace tabela_do_sistema {

// The owner the table gives this process's own connections.
int32_t dono_das_conexoes_deste_processo();

// Whether this system offers the table's second way of reading.
bool segunda_via_disponivel();

// fonte_da_tabela_tcp() after a reading the first or the second way.
const char* fonte(bool segunda_via);

}  // namespace tabela_do_sistema
