#include "output/datetime.h"

plataforma::hora_local tempo;

texto_fixo<48> data_atual_log(int) {
    tempo = plataforma::ler_relogio();
    texto_fixo<48> texto;
    formatar_limitado(texto.s, sizeof texto.s, "%02u/%02u/%u &nbsp;&nbsp; %02u:%02u:%02u", tempo.dia,
                      tempo.mes, tempo.ano, tempo.hora, tempo.minuto, tempo.segundo);
    return texto;
}

texto_fixo<48> hora_atual(int) {
    tempo = plataforma::ler_relogio();
    texto_fixo<48> texto;
    formatar_limitado(texto.s, sizeof texto.s, "%02u:%02u", tempo.hora, tempo.minuto);
    return texto;
}

texto_fixo<48> data_atual_arquivo(int) {
    tempo = plataforma::ler_relogio();
    texto_fixo<48> texto;
    formatar_limitado(texto.s, sizeof texto.s, "%u_%02u_%02u__%02u_%02u_%02u.html", tempo.ano,
                      tempo.mes, tempo.dia, tempo.hora, tempo.minuto, tempo.segundo);
    return texto;
}
