// console_posix.cpp -- console input on POSIX terminals, pipes and files.
#include "platform/console.h"
#include "platform/signals.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <termios.h>
#include <unistd.h>

// ---- data ------------------------------------------------------------------
static struct {
    FILE*                 in = nullptr;  // nullptr: standard input
    struct termios        savedMode;
    volatile sig_atomic_t rawActive   = 0;
    bool                  handlersSet = false;
    bool                  inDialogue  = false;
    bool                  unattended  = false;
} con;

// ---- raw mode --------------------------------------------------------------
static void conLeaveRaw()
{
    if (con.rawActive) {
        tcsetattr(STDIN_FILENO, TCSANOW, &con.savedMode);
        con.rawActive = 0;
    }
}

// A signal that ends the program while a key is awaited must not leave the
// player's terminal without echo: restore it, then die of the same signal.
static void conInstallHandlers()
{
    if (con.handlersSet)
        return;
    con.handlersSet = true;
    sigUndoOnEnd(conLeaveRaw);
    atexit(conLeaveRaw);
}

static bool conEnterRaw()
{
    struct termios raw;
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &con.savedMode) != 0)
        return false;
    conInstallHandlers();
    raw = con.savedMode;
    raw.c_lflag &= ~(ICANON | ECHO);  // ISIG stays: Ctrl-C still interrupts
    raw.c_cc[VMIN]  = 1;
    raw.c_cc[VTIME] = 0;
    con.rawActive = 1;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
        con.rawActive = 0;
        return false;
    }
    return true;
}

// ---- dialogue --------------------------------------------------------------
void conBeginDialogue()
{
    if (!con.inDialogue && !con.unattended)
        con.inDialogue = conEnterRaw();
}

void conEndDialogue()
{
    if (con.inDialogue)
        conLeaveRaw();
    con.inDialogue = false;
}

// ---- reads -----------------------------------------------------------------
static FILE* conInput()
{
    return con.in ? con.in : stdin;
}

static int conGetc(FILE* in)
{
    for (;;) {
        int c = fgetc(in);
        if (c != EOF || !ferror(in) || errno != EINTR)
            return c;
        clearerr(in);
    }
}

int conReadKey()
{
    // Outside the dialogue raw mode goes on before the prompt shows, so a
    // key typed the moment the prompt appears is neither echoed nor held
    // back for an Enter.
    if (con.unattended)
        return kConKeyEnd;
    FILE* in  = conInput();
    bool  raw = in == stdin && !con.inDialogue && conEnterRaw();
    fflush(stdout);
    int c = conGetc(in);
    if (raw)
        conLeaveRaw();
    return c == EOF ? kConKeyEnd : c;
}

int conReadLine(char* line, int size)
{
    if (con.unattended) {
        if (size > 0)
            line[0] = '\0';
        return -1;
    }
    FILE* in = conInput();
    // A typed line is echoed and edited as usual, then the dialogue's mode is back.
    const bool cooked = in == stdin && con.inDialogue;
    if (cooked)
        conLeaveRaw();
    fflush(stdout);

    int length = 0, c;
    while ((c = conGetc(in)) != EOF && c != '\n')
        if (length < size - 1)
            line[length++] = (char)c;
    if (size > 0)
        line[length] = '\0';

    if (cooked)
        conEnterRaw();
    return c == EOF && length == 0 ? -1 : length;
}

void conSetUnattended()
{
    con.unattended = true;
}

void conSetInput(FILE* in)
{
    con.in = in;
}
