// console_web.cpp -- console input in the page: the keys pressed on it, as a terminal without echo gives them.
#include "platform/console.h"

#include "platform/web/web_page.h"

// ---- constants -------------------------------------------------------------
constexpr int kConErase = 127;  // Backspace, as a terminal sends it

// ---- data ------------------------------------------------------------------
static struct {
    FILE* in         = nullptr;  // nullptr: the page's keys
    bool  inDialogue = false;
    bool  unattended = false;
} con;

// ---- dialogue --------------------------------------------------------------
// From the first to the second call a key pressed ahead of a prompt is kept
// for it, as a terminal keeps it; after it, keys go to the window.
void conBeginDialogue()
{
    if (con.inDialogue || con.unattended)
        return;
    con.inDialogue = true;
    webConsoleListen(1);
}

void conEndDialogue()
{
    if (con.inDialogue)
        webConsoleListen(0);
    con.inDialogue = false;
}

// ---- reads -----------------------------------------------------------------
static int conNextByte()
{
    fflush(stdout);
    if (con.in) {
        int c = fgetc(con.in);
        return c == EOF ? kConKeyEnd : c;
    }
    if (con.inDialogue)
        return webConsoleNextByte();
    webConsoleListen(1);
    const int c = webConsoleNextByte();
    webConsoleListen(0);
    return c;
}

int conReadKey()
{
    if (con.unattended)
        return kConKeyEnd;
    return conNextByte();
}

int conReadLine(char* line, int size)
{
    if (con.unattended) {
        if (size > 0)
            line[0] = '\0';
        return -1;
    }
    // A typed line is echoed and can be corrected, as on a terminal.
    int length = 0, c;
    while ((c = conNextByte()) != kConKeyEnd && c != '\n') {
        if (c == kConErase) {
            if (length > 0) {
                length--;
                fputs("\b \b", stdout);
            }
            continue;
        }
        putchar(c);
        if (length < size - 1)
            line[length++] = (char)c;
    }
    if (c == '\n')
        putchar('\n');
    if (size > 0)
        line[length] = '\0';
    return c == kConKeyEnd && length == 0 ? -1 : length;
}

void conSetUnattended()
{
    con.unattended = true;
}

void conSetInput(FILE* in)
{
    con.in = in;
}
