// Standard output on Windows takes the program's text in the ANSI code page,
// which is Latin-1 for the letters the program writes: nothing to convert.
#include "platform/platform.h"

namespace plataforma {

bool saida_em_utf8() { return false; }

}  // namespace plataforma
