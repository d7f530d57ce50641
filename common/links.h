// Addresses on the maker's web site opened by the tools and course screens and
// linked from the report's footer. The host is chosen once, here.
#pragma once

extern char loc_ip_publico[256];        // public address tool
extern char lista_de_proxys[256];       // proxy list tool
extern char geolocalizador[256];        // geolocation tool
extern char loc_curso_saiba_mais[256];  // course page, from the course screen
extern char loc_curso_log[256];         // course page, from the report
