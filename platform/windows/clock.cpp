// The local clock and sleeping on Windows.
#include <windows.h>

#include <atomic>

#include "platform/platform.h"

namespace plataforma {
namespace {

hora_local relogio_do_sistema() {
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

std::atomic<fonte_de_relogio> relogio{relogio_do_sistema};

}  // namespace

hora_local ler_relogio() { return relogio.load()(); }

void substituir_relogio(fonte_de_relogio fonte) {
    relogio.store(fonte ? fonte : relogio_do_sistema);
}

void dormir_ms(unsigned milissegundos) { Sleep(milissegundos); }

}  // namespace plataforma
