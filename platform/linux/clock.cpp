// The local clock and sleeping on Linux.
#include <time.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/shared/internal.h"

namespace plataforma {

hora_local sistema::relogio_do_sistema() {
    timespec agora;
    clock_gettime(CLOCK_REALTIME, &agora);
    tm local;
    localtime_r(&agora.tv_sec, &local);
    hora_local hora;
    hora.ano = static_cast<uint16_t>(local.tm_year + 1900);
    hora.mes = static_cast<uint16_t>(local.tm_mon + 1);
    hora.dia_da_semana = static_cast<uint16_t>(local.tm_wday);
    hora.dia = static_cast<uint16_t>(local.tm_mday);
    hora.hora = static_cast<uint16_t>(local.tm_hour);
    hora.minuto = static_cast<uint16_t>(local.tm_min);
    hora.segundo = static_cast<uint16_t>(local.tm_sec);
    hora.milissegundo = static_cast<uint16_t>(agora.tv_nsec / 1000000);
    return hora;
}

void dormir_ms(unsigned milissegundos) {
    timespec pausa{static_cast<time_t>(milissegundos / 1000),
                   static_cast<long>(milissegundos % 1000) * 1000000L};
    while (nanosleep(&pausa, &pausa) != 0 && errno == EINTR) {
    }
}

}  // namespace plataforma
