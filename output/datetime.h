// Date and time texts from the local clock.
#pragma once
#include "platform/platform.h"
#include "common/text.h"

extern plataforma::hora_local tempo;  // the last clock reading

texto_fixo<48> data_atual_log(int);      // "07/12/2026 &nbsp;&nbsp; 09:05:03"
texto_fixo<48> hora_atual(int);          // "09:05"
texto_fixo<48> data_atual_arquivo(int);  // "2026_12_07__09_05_03.html"
