// The local clock and sleeping on Windows.
#include <winsock2.h>  // before windows.h: the internal header brings in c-ares
#include <windows.h>

#include "platform/platform.h"
#include "platform/shared/internal.h"

namespace plataforma {

hora_local sistema::relogio_do_sistema() {
    SYSTEMTIME agora;
    GetLocalTime(&agora);
    hora_local hora;
    hora.ano = agora.wYear;
    hora.mes = agora.wMonth;
    hora.dia_da_semana = agora.wDayOfWeek;
    hora.dia = agora.wDay;
    hora.hora = agora.wHour;
    hora.minuto = agora.wMinute;
    hora.segundo = agora.wSecond;
    hora.milissegundo = agora.wMilliseconds;
    return hora;
}

void dormir_ms(unsigned milissegundos) { Sleep(milissegundos); }

}  // namespace plataforma
