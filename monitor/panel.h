// The connection panel at the right of the home screen.
#pragma once

extern int py_painel;
void exibir_painel(int modo);
int mostrar_painel(int y, const char* hora_conexao, const char* ip_remoto,
                   const char* porta_remota, const char* nome_processo,
                   const char* localidade, const char* ativo);
void borrachar_bara(int modo);
