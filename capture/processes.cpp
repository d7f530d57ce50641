#include "capture/processes.h"

#include "platform/platform.h"

namespace {

struct processo_visto {
    int pid;
    unsigned leitura;  // the snapshot it belongs to
    bool existe;
    bool tem_caminho;
    char nome[128];
    char caminho[256];
};

// Enough for every process of one reading: a reading keeps at most 250
// connections.
constexpr int vagas = 1024;
processo_visto instantaneo[vagas];
unsigned leitura_atual = 1;
identificacao_de_processo identificar_processo = plataforma::identificar_processo;

void identificar(int pid, processo_visto& p) {
    plataforma::identidade_processo id =
        identificar_processo(pid, p.nome, sizeof p.nome, p.caminho, sizeof p.caminho);
    p.pid = pid;
    p.existe = id.existe;
    p.tem_caminho = id.tem_caminho;
}

// The snapshot's entry for `pid`, looked at now if this reading has not yet.
// A full snapshot answers without keeping the answer.
const processo_visto& visto(int pid) {
    static processo_visto avulso;
    unsigned inicio = static_cast<unsigned>(pid) * 2654435761u % vagas;
    for (int k = 0; k < vagas; ++k) {
        processo_visto& p = instantaneo[(inicio + k) % vagas];
        if (p.leitura == leitura_atual && p.pid == pid) return p;
        if (p.leitura != leitura_atual) {
            identificar(pid, p);
            p.leitura = leitura_atual;
            return p;
        }
    }
    identificar(pid, avulso);
    return avulso;
}

}  // namespace

void novo_instantaneo_de_processos() { ++leitura_atual; }

texto_fixo<128> getpro(int pid) {
    const processo_visto& p = visto(pid);
    return texto_fixo<128>(p.existe ? p.nome : "None");
}

texto_fixo<256> getexe(int pid) {
    const processo_visto& p = visto(pid);
    return texto_fixo<256>(p.tem_caminho ? p.caminho : "Not");
}

void substituir_identificacao_de_processos(identificacao_de_processo identificacao) {
    identificar_processo = identificacao ? identificacao : plataforma::identificar_processo;
    ++leitura_atual;  // nothing seen through the other one is answered again
}
