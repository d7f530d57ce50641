// Diagnostic lines on standard output. The program's texts are Latin-1; where
// the terminal expects UTF-8 the formatted line is converted, so accented
// letters show correctly. Every line is flushed as it is written.
#pragma once

void diagnostico(const char* formato, ...) __attribute__((format(printf, 1, 2)));

// `texto` (Latin-1) as the output's encoding expects it: UTF-8 where the
// platform says standard output wants it, else unchanged.
void latin1_para_saida(const char* texto, char* destino, unsigned long largura);
