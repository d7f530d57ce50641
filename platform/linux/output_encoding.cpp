// The character set standard output expects on Linux, from the locale.
#include <langinfo.h>

#include <cstring>

#include "platform/platform.h"

namespace plataforma {

bool saida_em_utf8() {
    static const bool utf8 = [] {
        const char* conjunto = nl_langinfo(CODESET);
        // Without a locale set the C library says ANSI_X3.4-1968; terminals
        // here are UTF-8, so only an explicit single-byte set keeps Latin-1.
        return !(conjunto && (std::strstr(conjunto, "8859") || std::strstr(conjunto, "1252")));
    }();
    return utf8;
}

}  // namespace plataforma
