// The platform layer: every operating-system service the program relies on,
// behind one small interface. The program's code calls only these; each
// operating system has its own folder with the implementation (linux/ here).
#pragma once
#include <cstddef>
#include <cstdint>

namespace plataforma {

// Path separator used when the program joins folder names.
constexpr char separador = '/';

// ---- Folders ----------------------------------------------------------------

// The process's current directory. False when it does not fit `largura`.
bool diretorio_atual(char* destino, std::size_t largura);

// The user's local application-data folder ($XDG_DATA_HOME, else
// ~/.local/share), created with its parents when absent. False on failure.
bool pasta_dados_locais(char* destino, std::size_t largura);

// The user's documents folder (the XDG documents directory, else ~/Documents).
// Not created. False when it cannot be determined or does not fit.
bool pasta_documentos(char* destino, std::size_t largura);

// Change / create one directory (one level). 0 on success, -1 on failure.
int mudar_diretorio(const char* caminho);
int criar_diretorio(const char* caminho);

// ---- Clock ------------------------------------------------------------------

struct hora_local {
    uint16_t ano, mes, dia_da_semana, dia, hora, minuto, segundo, milissegundo;
};

// The local clock, to the millisecond.
hora_local ler_relogio();

// Tests replace the clock; nullptr puts the real one back.
using fonte_de_relogio = hora_local (*)();
void substituir_relogio(fonte_de_relogio fonte);

// ---- Sleeping ---------------------------------------------------------------

void dormir_ms(unsigned milissegundos);

// ---- Display -----------------------------------------------------------------

// Chooses where the window goes before it is opened: a video driver chosen
// explicitly (tests use SDL's dummy driver), else the display. False when there
// is neither. SDL must never fall back to a text-mode driver in the terminal, so
// with a display the X11 driver is required: a display that cannot be reached
// then fails to open instead of drawing into the terminal.
bool escolher_tela();

// How a user without a display gets one, for the message that says so.
const char* como_obter_tela();

// ---- Messages ---------------------------------------------------------------

// Shows `texto` to the user in a dialog titled `titulo` with an OK button when a
// display is available, and always writes it as one line on standard error.
// Returns once the user acknowledged it (at once without a display).
void mostrar_mensagem(const char* titulo, const char* texto);

// ---- Starting other programs ------------------------------------------------

// Starts a program detached, without a shell and without waiting, in the
// directory `pasta` (nullptr: the current one), its output discarded.
// `argumentos` is a nullptr-terminated vector, argumentos[0] the program.
// Returns 0 when the program was started, -1 otherwise.
int lancar_programa(const char* const argumentos[], const char* pasta);

// Opens a web address, a file or a folder with the user's default handler.
int abrir_com_programa_padrao(const char* alvo, const char* pasta);

// Opens a terminal window whose shell starts in `pasta`.
int abrir_terminal(const char* pasta);

// ---- The IPv4 TCP connection table -----------------------------------------

constexpr int estado_estabelecido = 5;

struct conexao_tcp {
    int estado;             // 5: established
    uint32_t ip_local;      // network byte order
    uint16_t porta_local;   // network byte order
    uint32_t ip_remoto;     // network byte order
    uint16_t porta_remota;  // network byte order
    int32_t pid;            // owning process, 0 when it cannot be read
};

// Fills up to `capacidade` rows, sorted by local address, local port, remote
// address, remote port. Returns the number of rows in the system table (which
// may exceed `capacidade`; only `capacidade` are written), or -1 when the table
// cannot be read at all.
// On Linux the table holds the established connections only (the one state
// the program keeps), IPv4 connections on dual-stack IPv6 sockets included,
// and at most `maximo_conexoes_tcp` of them.
int ler_tabela_tcp(conexao_tcp* linhas, int capacidade);

constexpr int maximo_conexoes_tcp = 65536;

// Where the latest reading came from (on Linux "netlink sock_diag", or
// "/proc/net/tcp" when netlink was refused); "nenhuma" when it failed.
const char* fonte_da_tabela_tcp();

// Tests read the table as a system that refuses netlink would.
void recusar_netlink(bool recusar);

// Forgets every socket owner found so far: the next reading looks them all up
// again, as the program's first reading does.
void esquecer_donos_de_sockets();

// ---- Processes --------------------------------------------------------------

// Names and paths come in Latin-1, as the rest of the program's text, the way
// the Windows ANSI calls hand them over: where the system keeps them in UTF-8
// they are converted, and a character outside Latin-1 becomes "?".

// The executable's file name of process `pid`. False when there is no such
// process (or its name cannot be read).
bool nome_do_processo(int32_t pid, char* destino, std::size_t largura);

// The full path of process `pid`'s executable. False when it cannot be read.
bool caminho_do_executavel(int32_t pid, char* destino, std::size_t largura);

// Both at once, from one look at the process: `existe` when there is such a
// process (then `nome` holds its executable's file name, or its command name
// when the executable cannot be read), `tem_caminho` when `caminho` holds the
// executable's full path. Texts longer than their widths are cut.
struct identidade_processo {
    bool existe;
    bool tem_caminho;
};
identidade_processo identificar_processo(int32_t pid, char* nome, std::size_t largura_nome,
                                         char* caminho, std::size_t largura_caminho);

// ---- Reverse name resolution -----------------------------------------------

// The official host name of a dotted IPv4 address, as the system's resolver
// gives it. Blocks as long as the resolver does. False when there is no name or
// the text is not an address.
bool resolver_nome(const char* ip, char* destino, std::size_t largura);

// ---- Periodic timer ---------------------------------------------------------

using rotina_de_timer = void (*)(void* contexto);

// Arms a timer that calls `rotina(contexto)` on a timer thread every
// `periodo_ms` milliseconds (once when not periodic), the first time one period
// after arming. Returns a non-zero identifier, 0 on failure.
uint32_t armar_timer(unsigned periodo_ms, bool periodico, rotina_de_timer rotina,
                     void* contexto);

// Disarms a timer: no call starts after it returns (a call already running may
// finish). Safe to call from inside the timer's own routine.
void desarmar_timer(uint32_t identificador);

}  // namespace plataforma
