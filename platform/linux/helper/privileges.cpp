#include "platform/linux/helper/privileges.h"

#include <sys/capability.h>
#include <sys/prctl.h>

namespace plataforma::privilegios {
namespace {

const cap_value_t para_ler_processos[] = {CAP_SYS_PTRACE, CAP_DAC_READ_SEARCH};
constexpr int quantas = sizeof para_ler_processos / sizeof para_ler_processos[0];

cap_t baixados = nullptr;  // the two as permitted
cap_t elevados = nullptr;  // the same, effective
bool geridos = false;

bool permitida(cap_t atual, cap_value_t capacidade) {
    cap_flag_value_t valor = CAP_CLEAR;
    return cap_get_flag(atual, capacidade, CAP_PERMITTED, &valor) == 0 && valor == CAP_SET;
}

int quantas_permitidas() {
    cap_t atual = cap_get_proc();
    if (atual == nullptr) return 0;
    int n = 0;
    for (cap_value_t c : para_ler_processos) n += permitida(atual, c) ? 1 : 0;
    cap_free(atual);
    return n;
}

}  // namespace

capacidades manter_so_as_de_leitura() {
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    bool as_duas = quantas_permitidas() == quantas;
    baixados = cap_init();
    if (as_duas) cap_set_flag(baixados, CAP_PERMITTED, quantas, para_ler_processos, CAP_SET);
    elevados = cap_dup(baixados);
    if (as_duas) cap_set_flag(elevados, CAP_EFFECTIVE, quantas, para_ler_processos, CAP_SET);
    // With only one of the two there is nothing worth raising: both go.
    if (cap_set_proc(baixados) != 0) return capacidades::falha;
    geridos = as_duas;
    return as_duas ? capacidades::as_duas : capacidades::nenhuma;
}

leitura_de_processos::leitura_de_processos()
    : elevados_(geridos && cap_set_proc(elevados) == 0) {}

leitura_de_processos::~leitura_de_processos() {
    if (elevados_) cap_set_proc(baixados);
}

}  // namespace plataforma::privilegios
