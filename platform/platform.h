// The platform layer: every operating-system service the program relies on,
// behind one small interface. The program's code calls only these; each
// operating system has its own folder with the implementation (linux/ and
// windows/). Texts crossing this interface are the program's single-byte text,
// Latin-1, converted at this boundary. Paths are the system's: the bytes of
// the file system's names on Linux, UTF-8 on Windows (where the wide calls take
// and give them), so any user's and any folder's name round-trips; the
// program's own file names are ASCII, the same in both.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace plataforma {

// Path separator used when the program joins folder names.
extern const char separador;

// ---- Folders ----------------------------------------------------------------

// The process's current directory. False when it does not fit `largura`.
bool diretorio_atual(char* destino, std::size_t largura);

// The user's local application-data folder ($XDG_DATA_HOME, else
// ~/.local/share; on Windows the shell's local application data), created when
// absent. False on failure.
bool pasta_dados_locais(char* destino, std::size_t largura);

// The user's documents folder (the XDG documents directory, else ~/Documents;
// on Windows the shell's documents folder). Not created. False when it cannot be determined or does not fit.
bool pasta_documentos(char* destino, std::size_t largura);

// A path as the system names it (what the calls above hand over), in the
// program's Latin-1 for showing to the user: converted from UTF-8 ("?" for
// what Latin-1 lacks), on Linux with the home folder written "~".
void caminho_para_exibir(const char* caminho, char* destino, std::size_t largura);

// Change / create one directory (one level). 0 on success, -1 on failure.
int mudar_diretorio(const char* caminho);
int criar_diretorio(const char* caminho);

// ---- Files ------------------------------------------------------------------

// Opens `caminho` for reading (binary) only when it is a regular file (a link
// is followed to what it names). A directory, FIFO, device or socket is refused
// without waiting on it. nullptr when refused or unreadable.
std::FILE* abrir_arquivo_regular(const char* caminho);

// How a file written whole (below) meets what is already at its path.
enum class modo_de_gravacao {
    substituir,  // the new content replaces the file's; its permissions are kept
    anexar,      // the file's present content, then the new content
    criar,       // refused (EEXIST) when anything is already at the path
};

// A file written whole or not at all: the content goes into a temporary file
// of a unique name beside the destination, every write checked, and replaces
// the destination only once it is complete, flushed to disk and closed. A
// symbolic link is followed: its target is replaced and the link stays. A
// destination that exists must be a regular file the user may write (one made
// read-only is refused with EACCES, as a read-only folder is). A new file gets the permissions any new file of
// the user gets.
struct gravacao_de_arquivo {
    std::FILE* temporario = nullptr;  // open while the content is written
    int erro = 0;                     // the first failure's system error, 0 while none
    char destino[1024] = "";          // the file replaced (a link's target)
    char caminho_temporario[1024] = "";
};

// False (with `erro` set) when the temporary file cannot be made or the
// destination cannot be used.
bool iniciar_gravacao(gravacao_de_arquivo& g, const char* caminho, modo_de_gravacao modo);

// Adds bytes; does nothing once a write has failed. False when failed.
bool gravar(gravacao_de_arquivo& g, const void* dados, std::size_t tamanho);
bool gravar_texto(gravacao_de_arquivo& g, const char* texto);

// Puts the file in place. False when anything failed: the destination is then
// as it was and the temporary file is gone.
bool concluir_gravacao(gravacao_de_arquivo& g);

// Drops the temporary file; the destination stays as it was.
void desistir_da_gravacao(gravacao_de_arquivo& g);

// Removes from `pasta` the temporary files that writes like the above left
// behind when the program was killed in the middle of one: only this layer's
// own temporary names, older than `idade_minima_s` seconds (a write under way
// elsewhere is younger), and on systems whose temporary names carry the
// destination's (Linux), only those whose destination `e_destino` accepts.
void apagar_temporarios_abandonados(const char* pasta, bool (*e_destino)(const char* nome),
                                    unsigned idade_minima_s);

// The system's error of the last call here that failed (abrir_arquivo_regular).
int ultimo_erro();

// The system's text for an error number (`gravacao_de_arquivo::erro`, ultimo_erro()).
void texto_do_erro(int erro, char* destino, std::size_t largura);

// ---- Requests to end the program from outside --------------------------------

// Installs the handling of requests to end the program that come from outside
// (on Linux the signals SIGTERM, SIGINT and SIGHUP: a logout, a shutdown,
// Ctrl+C in the terminal; on Windows the console's events and the end of the
// user's session): such a request ends the process at once with status
// 1, unless requests are held (below). Also makes a write to a closed pipe or
// to a closed standard output fail with an error instead of ending the program.
void preparar_pedidos_de_encerramento();

// While held, a request is only noted (encerramento_pedido() turns true) for
// the program to act on at a safe point of its own thread.
void segurar_pedidos_de_encerramento(bool segurar);
bool encerramento_pedido();

// ---- Clock ------------------------------------------------------------------

struct hora_local {
    uint16_t ano, mes, dia_da_semana, dia, hora, minuto, segundo, milissegundo;
};

// The local clock, to the millisecond.
hora_local ler_relogio();

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

// Gives the open window the icon `rgba` (`lado` by `lado` pixels, RGBA bytes
// row by row) the way the desktop's task bars read it today, beside the icon
// SDL sets (on X11 the _NET_WM_ICON property; on Windows SDL's icon is that
// already, and nothing more is done).
void anunciar_icone_da_janela(const unsigned char* rgba, int lado);

// Sleeps until the window system has input for the window, or `limite_ms`
// have passed. SDL's own wait wakes every 10 ms to look; this one sleeps on
// the connection to the window system, so an idle window costs nothing. An
// event another thread pushes into SDL's queue wakes no one: it is seen at
// the limit. Without such a connection (SDL's dummy driver) it sleeps 10 ms.
void esperar_a_janela(int limite_ms);

// ---- Messages ---------------------------------------------------------------

// Shows `texto` to the user in a dialog titled `titulo` with an OK button when a
// display is available, and always writes it as one line on standard error.
// Returns once the user acknowledged it (at once without a display).
void mostrar_mensagem(const char* titulo, const char* texto);

// ---- Standard output --------------------------------------------------------

// Whether standard output expects UTF-8 rather than the program's Latin-1: on
// Linux unless the locale names a single-byte character set; on Windows never
// (the ANSI code page takes Latin-1 text as it is).
bool saida_em_utf8();

// ---- Starting other programs ------------------------------------------------

// Starts a program detached, without a shell and without waiting, in the
// directory `pasta` (nullptr: the current one), its output discarded.
// `argumentos` is a nullptr-terminated vector, argumentos[0] the program.
// Returns 0 when the program was started, -1 otherwise.
int lancar_programa(const char* const argumentos[], const char* pasta);

// What the program is told when a program it started to open something for
// the user failed: `programa` could not be started (`erro`, the system's error
// number, not 0), or it answered with an error (`status`: its exit status, or
// on Windows the shell's error code). `contexto` is what the caller passed.
struct falha_ao_abrir {
    const char* programa;
    int erro;
    int status;
    const char* contexto;
};
using aviso_de_falha_ao_abrir = void (*)(const falha_ao_abrir& falha);

// Opens a web address, a file or a folder with the user's default handler.
// Returns 0 when the handler was started, -1 otherwise. `aviso` (when given)
// is called with `contexto` (copied, up to 511 characters) when the handler
// fails: on the caller's thread before the return when it cannot start, or
// later on a thread of this layer's when it ends with an error. A handler that
// works is never waited for.
int abrir_com_programa_padrao(const char* alvo, const char* pasta,
                              aviso_de_falha_ao_abrir aviso = nullptr,
                              const char* contexto = nullptr);

// Opens a terminal window whose shell starts in `pasta`; `aviso` as above.
int abrir_terminal(const char* pasta, aviso_de_falha_ao_abrir aviso = nullptr,
                   const char* contexto = nullptr);

// ---- The TCP connection table (IPv4 and IPv6) ------------------------------

constexpr int estado_estabelecido = 5;

struct conexao_tcp {
    int estado;             // 5: established
    uint32_t ip_local;      // network byte order; 0 in an IPv6 row
    uint16_t porta_local;   // network byte order
    uint32_t ip_remoto;     // network byte order; 0 in an IPv6 row
    uint16_t porta_remota;  // network byte order
    int32_t pid;            // owning process, 0 when it cannot be read
    // An IPv6 connection carries its addresses here (network byte order). A
    // connection between IPv4-mapped addresses (::ffff:a.b.c.d) is an IPv4
    // row, listed once.
    bool ipv6 = false;
    uint8_t ip6_local[16] = {};
    uint8_t ip6_remoto[16] = {};
};

// Fills up to `capacidade` rows, the IPv4 ones first, each family sorted by
// local address, local port, remote address, remote port. Returns the number
// of rows in the system's tables (which may exceed `capacidade`; only
// `capacidade` are written), or -1 when the table cannot be read at all.
// The table holds the established connections only (the one state the
// program keeps), at most `maximo_conexoes_tcp` of both families together;
// IPv4 connections on dual-stack IPv6 sockets are IPv4 rows.
int ler_tabela_tcp(conexao_tcp* linhas, int capacidade);

constexpr int maximo_conexoes_tcp = 65536;

// Where the latest reading came from (on Linux "netlink sock_diag", or
// "/proc/net/tcp" when netlink was refused; on Windows "GetExtendedTcpTable");
// "nenhuma" when it failed.
const char* fonte_da_tabela_tcp();

// ---- Processes --------------------------------------------------------------

// Names and paths of processes come in Latin-1, as the rest of the program's
// text, for showing: the system's UTF-8 (Linux) or wide (Windows) texts are
// converted, and a character outside Latin-1 becomes "?".

// Both at once, from one look at the process: `existe` when there is such a
// process (then `nome` holds its executable's file name, or its command name
// when the executable cannot be read), `tem_caminho` when `caminho` holds the
// executable's full path. A name longer than its width is cut at its end; a
// path keeps its end, the file name, behind "..." where its beginning was cut.
struct identidade_processo {
    bool existe;
    bool tem_caminho;
};
identidade_processo identificar_processo(int32_t pid, char* nome, std::size_t largura_nome,
                                         char* caminho, std::size_t largura_caminho);

// ---- IPv6 addresses as text -------------------------------------------------

// Longest text of an IPv6 address in the compressed form: 39 characters.
constexpr std::size_t largura_texto_ipv6 = 40;

// The compressed text of an IPv6 address (RFC 5952, as inet_ntop writes it:
// lower-case hexadecimal, the longest run of zero groups as "::"), cut to
// `largura`, which 40 always holds.
void escrever_ipv6(const uint8_t (&endereco)[16], char* destino, std::size_t largura);

// The 16 bytes of an IPv6 address text; false for anything else (an IPv4
// address, a zone suffix such as "%eth0", a name).
bool ler_ipv6(const char* texto, uint8_t (&endereco)[16]);

// ---- Reverse name resolution -----------------------------------------------
// One asynchronous resolver for the whole program (c-ares, platform/shared/):
// reverse (PTR) lookups of IPv4 addresses (in-addr.arpa) and IPv6 addresses
// (ip6.arpa) that follow the system's hosts file and resolver configuration
// as they change, any number in flight on one socket from one
// thread of its own, and a bounded cache of the answers. Nothing here waits
// for the network. Any thread may call these functions.

enum class resposta_de_nome { pendente, com_nome, sem_nome };

// What is known of `ip`'s name now; starts its lookup when the cache holds
// nothing for it (or only a "no name" older than `nova_tentativa_sem_nome_ms`).
// A lookup has `janela_ms` from its own start: once that has passed without an
// answer the address counts as having no name. A failed lookup (hosts file and
// DNS without a name, a server that refuses, a text that is not an address)
// is "no name" at once. On com_nome the official name is copied into
// `destino` (a name longer than the cell keeps its end); `destino` may be
// nullptr to only start the lookup.
resposta_de_nome pedir_nome(const char* ip, unsigned janela_ms, char* destino,
                            std::size_t largura);

// As pedir_nome, but never waits: what is known of `ip`'s name this moment.
resposta_de_nome olhar_nome(const char* ip, unsigned janela_ms, char* destino,
                            std::size_t largura);

// Forgets every answer and cancels every lookup under way.
void esquecer_nomes();

// Cancels every lookup under way and stops the resolver: its thread ends and
// its sockets close. Answers already in the cache stay. The next pedir_nome
// starts the resolver again.
void encerrar_resolvedor();

constexpr int capacidade_do_cache_de_nomes = 1024;      // addresses remembered
constexpr int limite_de_consultas_de_nomes = 512;       // lookups in flight at once
constexpr unsigned nova_tentativa_sem_nome_ms = 30000;  // a "no name" is asked again after
constexpr unsigned duracao_de_consulta_dns_ms = 1000;   // c-ares gives up on a server after

// The resolver's own counts since the program started (lookups) and now
// (the rest). A lookup started ends as exactly one of: answered with a name,
// answered without one, expired (its window passed), or cancelled before
// either; an answer that comes after its window is counted as dropped.
struct contagem_de_nomes {
    uint64_t iniciadas, com_nome, sem_nome, expiradas, canceladas, descartadas;
    int em_curso;         // queries c-ares still holds
    int no_cache;         // addresses the cache holds
    bool thread_ativa;    // the resolver's thread runs
    int sockets_abertos;  // the channel's sockets now
};
contagem_de_nomes contar_nomes();

// ---- Periodic timer ---------------------------------------------------------

using rotina_de_timer = void (*)(void* contexto);

// Arms a timer that calls `rotina(contexto)` on a timer thread every
// `periodo_ms` milliseconds (once when not periodic), the first time one period
// after arming. Returns a non-zero identifier, 0 on failure.
uint32_t armar_timer(unsigned periodo_ms, bool periodico, rotina_de_timer rotina,
                     void* contexto);

// Disarms a timer (one already disarmed, or a one-shot timer that fired, too):
// once it returns no call of the routine runs, a call under way having
// finished, and none starts. From inside the timer's own routine it does not
// wait (the routine goes on to its end). So the caller must hold nothing the
// routine waits for.
void desarmar_timer(uint32_t identificador);

}  // namespace plataforma
