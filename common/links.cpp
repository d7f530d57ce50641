#include "common/links.h"

#define SITIO_DO_FABRICANTE "http://www.brellstad.com"

char loc_ip_publico[256] = SITIO_DO_FABRICANTE "/site/tools_online/meu_ip.php";
char lista_de_proxys[256] = SITIO_DO_FABRICANTE "/site/tools_online/proxy_list.php";
char geolocalizador[256] = SITIO_DO_FABRICANTE "/site/tools_online/geolocalizacao_de_ip.php";
char loc_curso_saiba_mais[256] =
    SITIO_DO_FABRICANTE "/site/cursos/curso_tavrel_online.php?entrada=1";
char loc_curso_log[256] = SITIO_DO_FABRICANTE "/site/cursos/curso_tavrel_online.php?entrada=2";
