// The place of a remote host, derived from its address and the last three
// characters of its host name: a location name for the panel and the report,
// and a point on the world map carried in local_px / local_py.
#pragma once

#include "common/text.h"

// The map point of the last location found; (0, 0) is no location, (252, 421)
// the private network. Set only through add_x_y; the scan cycle zeroes both
// before each lookup.
extern int local_px, local_py;

void add_x_y(int x, int y);

// The host name's last three characters (the whole name when shorter).
texto_fixo<48> extenc_ip(const char* host);

// The location name of an address (IPv4 dotted, IPv6 compressed, "::1" the
// machine itself as "127.0.0.1" is) whose host name has the suffix
// `sufixo`, or "NoID". Sets the map point when a rule or a table row matches
// and leaves it untouched otherwise.
texto_fixo<128> definir_a_localidade(const char* ip, const char* sufixo);

struct localidade_por_sufixo {
    const char* sufixo;  // compared whole and case-sensitively
    const char* nome;
    int x, y;
};

constexpr int total_localidades = 118;
extern const localidade_por_sufixo tabela_localidades[total_localidades];
