// A program for the launcher's tests to start: it writes the folder it runs in
// on a first line, then each argument it was given as "[argument]" on a line
// of its own, and ends. On Linux a script put first on PATH, on Windows this
// test program itself in the role of a recorder.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace teste {

class GravadorDeLancamentos {
public:
    // Records into a file in `pasta`, `espera_ms` after it was started.
    explicit GravadorDeLancamentos(const PastaTemporaria& pasta, unsigned espera_ms = 0);
    ~GravadorDeLancamentos();
    GravadorDeLancamentos(const GravadorDeLancamentos&) = delete;
    GravadorDeLancamentos& operator=(const GravadorDeLancamentos&) = delete;

    // The first argument that starts it.
    const char* programa() const { return programa_.c_str(); }
    // Whether it has written its record; waits for it at most `limite_ms`.
    bool gravou(unsigned limite_ms = 20000) const;
    std::string registro() const { return ler_arquivo(arquivo_); }

    // `pasta` written the way a program started in it names its own folder.
    static std::string pasta_vista(const std::string& pasta);

private:
    std::string programa_;
    std::string arquivo_;
    std::string antes_;  // what the recorder changed in the environment, to put back
};

}  // namespace teste

// The launcher's tests, each with a folder of its own.
class Lancador : public ::testing::Test {
protected:
    teste::PastaTemporaria pasta;
};
