#include "common/screen_lock.h"

#include <mutex>

namespace {
std::recursive_mutex& trava_da_tela() {
    // Never destroyed: a thread may still wait on it while the process exits.
    static auto* trava = new std::recursive_mutex;
    return *trava;
}
}  // namespace

TravaDaTela::TravaDaTela() { trava_da_tela().lock(); }
TravaDaTela::~TravaDaTela() { trava_da_tela().unlock(); }
