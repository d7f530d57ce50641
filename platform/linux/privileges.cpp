#include "platform/linux/privileges.h"

#include <sys/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plataforma::privilegios {
namespace {

const cap_value_t para_ler_processos[] = {CAP_SYS_PTRACE, CAP_DAC_READ_SEARCH};
constexpr int quantas = sizeof para_ler_processos / sizeof para_ler_processos[0];

struct estados {
    cap_t baixados = nullptr;  // permitted: those of the two held; nothing effective or inheritable
    cap_t elevados = nullptr;  // the same, effective
    bool geridos = false;
};

bool permitida(cap_t atual, cap_value_t capacidade) {
    cap_flag_value_t valor = CAP_CLEAR;
    return cap_get_flag(atual, capacidade, CAP_PERMITTED, &valor) == 0 && valor == CAP_SET;
}

// Root reads /proc by its own rights, and a program without the capabilities
// has nothing to raise: both are left as they are. Otherwise the program keeps
// only the two capabilities, and only as permitted.
estados preparar() {
    estados e;
    if (geteuid() == 0) return e;
    cap_t atual = cap_get_proc();
    if (atual == nullptr) return e;
    cap_value_t mantidas[quantas];
    int n = 0;
    for (cap_value_t c : para_ler_processos)
        if (permitida(atual, c)) mantidas[n++] = c;
    cap_free(atual);
    if (n == 0) return e;
    e.baixados = cap_init();
    cap_set_flag(e.baixados, CAP_PERMITTED, n, mantidas, CAP_SET);
    e.elevados = cap_dup(e.baixados);
    cap_set_flag(e.elevados, CAP_EFFECTIVE, n, mantidas, CAP_SET);
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    e.geridos = cap_set_proc(e.baixados) == 0;
    return e;
}

// Before main and before any thread: every thread the program starts begins
// with the capabilities lowered, and no file is opened with them, even when
// the file gave them as effective.
const estados estado = preparar();

}  // namespace

leitura_de_processos::leitura_de_processos()
    : elevados_(estado.geridos && cap_set_proc(estado.elevados) == 0) {}

leitura_de_processos::~leitura_de_processos() {
    if (elevados_) cap_set_proc(estado.baixados);
}

void largar_no_filho() {
    if (!estado.geridos) return;
    // The bare system calls: libcap's may take a lock another thread held at fork.
    __user_cap_header_struct cabecalho{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct nenhuma[_LINUX_CAPABILITY_U32S_3] = {};
    syscall(SYS_capset, &cabecalho, nenhuma);
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
}

}  // namespace plataforma::privilegios
