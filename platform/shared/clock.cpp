// The clock the program reads: the system's, or one a test put in its place.
// Any thread may read it while a test replaces it.
#include <atomic>

#include "platform/platform.h"
#include "platform/seams.h"
#include "platform/shared/internal.h"

namespace plataforma {
namespace {

std::atomic<fonte_de_relogio> relogio{sistema::relogio_do_sistema};

}  // namespace

hora_local ler_relogio() { return relogio.load()(); }

void substituir_relogio(fonte_de_relogio fonte) {
    relogio.store(fonte ? fonte : sistema::relogio_do_sistema);
}

}  // namespace plataforma
