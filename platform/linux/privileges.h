// The capabilities the installed program is given (the package's postinst):
// cap_sys_ptrace and cap_dac_read_search, permitted but not effective. They let
// a user who is not root read other users' /proc/<pid>/fd and /proc/<pid>/exe.
// They are made effective only while those entries are read, on the reading
// thread alone, so every file the program opens for the user is opened with
// the user's own rights; the programs it starts get none.
#pragma once

namespace plataforma::privilegios {

// While an object lives, the calling thread holds the two capabilities as
// effective, where the program was given them; they are dropped when it ends.
class leitura_de_processos {
public:
    leitura_de_processos();
    ~leitura_de_processos();
    leitura_de_processos(const leitura_de_processos&) = delete;
    leitura_de_processos& operator=(const leitura_de_processos&) = delete;

private:
    bool elevados_;
};

// In a child between fork and exec: gives up every capability, so that none
// passes to the program it starts. Async-signal-safe.
void largar_no_filho();

}  // namespace plataforma::privilegios
