// The command line. Quorvex takes no arguments but --help (or -h) and
// --version, which answer on standard output and end the program with status
// 0 before anything else happens (no window, no settings touched). Anything
// else is refused with one line on standard error and status 2.
#pragma once

void tratar_linha_de_comando(int argc, char** argv);
