// This test program as the system knows it, for the processes' shared tests;
// processes_posix_test.cpp and processes_windows_test.cpp define it.
#pragma once
#include <cstdint>
#include <string>

namespace processo_do_sistema {

int32_t este_processo();

// The full path of this test program's executable.
std::string este_programa();

}  // namespace processo_do_sistema
