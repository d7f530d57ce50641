// The two POSIX environment calls the tests use, for the Windows build of the
// tests (put before every test file by tests/windows.cmake; defined in
// test_support_windows.cpp over the C runtime's _putenv_s).
#pragma once
#ifdef __cplusplus
extern "C" {
#endif
int setenv(const char* nome, const char* valor, int substituir);
int unsetenv(const char* nome);
#ifdef __cplusplus
}
#endif
