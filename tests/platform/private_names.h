// Real reverse resolutions against names of our own: the test program runs
// itself again inside a private mount namespace where /etc/hosts,
// /etc/nsswitch.conf and /etc/resolv.conf are files of the test's (names from
// files only, unless the test says otherwise), so no query leaves the machine
// and the machine's own files are never touched.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace teste {

constexpr const char* marca_nomes_privados = "QUORVEX_NOMES_PRIVADOS";

// True in the run that happens inside the private names.
inline bool dentro_dos_nomes_privados() { return std::getenv(marca_nomes_privados) != nullptr; }

// Whether this machine lets a test have private names (root and unshare).
inline bool nomes_privados_possiveis() {
    if (geteuid() != 0) return false;
    PastaTemporaria pasta;
    return executar({"/usr/bin/unshare", "--mount", "/bin/true"}, pasta.caminho(), {}, 10.0).status == 0;
}

// Runs the tests matching `filtro` of this same program with `hosts`,
// `nsswitch` and `resolv_conf` as the system's name files.
inline resultado_processo executar_com_nomes_privados(const std::string& filtro,
                                                       const std::string& hosts,
                                                       const std::string& nsswitch = "hosts: files\n",
                                                       const std::string& resolv_conf = "") {
    PastaTemporaria pasta;
    escrever_arquivo(pasta / "hosts", hosts);
    escrever_arquivo(pasta / "nsswitch.conf", nsswitch);
    escrever_arquivo(pasta / "resolv.conf", resolv_conf);
    char programa[4096] = {0};
    ssize_t n = readlink("/proc/self/exe", programa, sizeof programa - 1);
    if (n <= 0) return resultado_processo{};
    const char* roteiro =
        "mount --bind \"$0\" /etc/hosts && mount --bind \"$1\" /etc/nsswitch.conf && "
        "mount --bind \"$2\" /etc/resolv.conf && exec \"$3\" --gtest_filter=\"$4\"";
    return executar({"/usr/bin/unshare", "--mount", "/bin/sh", "-c", roteiro, pasta / "hosts",
                     pasta / "nsswitch.conf", pasta / "resolv.conf", programa, filtro},
                    pasta.caminho(), {std::string(marca_nomes_privados) + "=1"}, 60.0);
}

}  // namespace teste
