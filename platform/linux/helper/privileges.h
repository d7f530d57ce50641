// The helper's capabilities: cap_sys_ptrace and cap_dac_read_search, given to
// its file by the package for the members of the group allowed to run it.
// They let it read other users' /proc/<pid>/fd and /proc/<pid>/exe. They are
// kept as permitted only and made effective just around those reads.
#pragma once

namespace plataforma::privilegios {

// Keeps of the process's capabilities only the two, as permitted: nothing
// effective, inheritable or ambient (root's run keeps the same two and no
// more). `falha` when the others could not be given up.
enum class capacidades { as_duas, nenhuma, falha };
capacidades manter_so_as_de_leitura();

// While an object lives, the process holds the two as effective, where it
// kept them; they are dropped again when it ends.
class leitura_de_processos {
public:
    leitura_de_processos();
    ~leitura_de_processos();
    leitura_de_processos(const leitura_de_processos&) = delete;
    leitura_de_processos& operator=(const leitura_de_processos&) = delete;

private:
    bool elevados_;
};

}  // namespace plataforma::privilegios
