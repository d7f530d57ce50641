#include "platform/linux/helper/seccomp.h"

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace plataforma::ajudante {
namespace {

// A sanitizer's run-time makes calls of its own (the leak check stops the
// threads and protects memory at exit): the sanitizer builds go without the filter.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr uint32_t arquitetura = 0;
#elif defined(__x86_64__)
constexpr uint32_t arquitetura = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t arquitetura = AUDIT_ARCH_AARCH64;
#else
constexpr uint32_t arquitetura = 0;
#endif

const long permitidas[] = {
    SYS_read, SYS_write, SYS_recvfrom, SYS_sendto, SYS_ppoll, SYS_openat, SYS_close,
    SYS_getdents64, SYS_readlinkat, SYS_newfstatat, SYS_fstat, SYS_capget, SYS_capset,
    SYS_brk, SYS_mmap, SYS_munmap, SYS_clock_gettime, SYS_exit, SYS_exit_group,
    SYS_rt_sigreturn, SYS_restart_syscall,
#ifdef SYS_poll
    SYS_poll,
#endif
#ifdef SYS_open
    SYS_open,
#endif
#ifdef SYS_readlink
    SYS_readlink,
#endif
};
constexpr int quantas = sizeof permitidas / sizeof permitidas[0];

constexpr sock_filter instrucao(uint16_t codigo, uint32_t k, uint8_t se_sim = 0, uint8_t se_nao = 0) {
    return sock_filter{codigo, se_sim, se_nao, k};
}

}  // namespace

bool filtrar_chamadas_ao_sistema() {
    if (arquitetura == 0) return true;
    // The architecture first (a call of another ABI has other numbers), then
    // each allowed number, two instructions each.
    sock_filter programa[4 + 2 * quantas + 1];
    int n = 0;
    programa[n++] = instrucao(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch));
    programa[n++] = instrucao(BPF_JMP | BPF_JEQ | BPF_K, arquitetura, 1, 0);
    programa[n++] = instrucao(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS);
    programa[n++] = instrucao(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr));
    for (long chamada : permitidas) {
        programa[n++] = instrucao(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(chamada), 0, 1);
        programa[n++] = instrucao(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
    }
    programa[n++] = instrucao(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA));
    sock_fprog filtro{static_cast<unsigned short>(n), programa};
    return prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filtro, 0, 0) == 0;
}

}  // namespace plataforma::ajudante
