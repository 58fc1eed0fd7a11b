// demo_file.cpp -- the demo file's text: one line each for the header, the settings, frames and events.
#include "demo/demo_file.h"

#include <cstdarg>
#include <cstring>

#include "app/whole_number.h"

// ---- types -----------------------------------------------------------------
// The reader's place in the text, and the line it read last, split into
// its word and its one value.
struct DemoReader {
    const char* at;
    const char* end;
    int         line;
    char        text[kDemoMaxLine + 1];
    const char* word;
    const char* value;
};

// ---- data ------------------------------------------------------------------
const DemoSetting kDemoSettings[kDemoSettingCount] = {
    {"smallTextures",  &GameState::smallTextures},
    {"highEndCard",    &GameState::highEndCard},
    {"panoramicSky",   &GameState::panoramicSky},
    {"lowEndPanorama", &GameState::lowEndPanorama},
    {"gameMode",       &GameState::gameMode},
    {"fullScreen",     &GameState::fullScreen},
};

// Indexed by DemoKind.
static const char* const demoKindWords[] = {"special", "special-up", "key", "sound"};
static_assert(sizeof demoKindWords / sizeof *demoKindWords == kDemoSound + 1);

// ---- settings --------------------------------------------------------------
void demoTakeSettings(bool settings[kDemoSettingCount])
{
    for (int i = 0; i < kDemoSettingCount; i++)
        settings[i] = gs.*kDemoSettings[i].field;
}

void demoGiveSettings(const bool settings[kDemoSettingCount])
{
    for (int i = 0; i < kDemoSettingCount; i++)
        gs.*kDemoSettings[i].field = settings[i];
}

// ---- characters ------------------------------------------------------------
// A key's character as itself where it shows as one; a blank, a control
// character, a byte above 126 and the backslash itself as \xHH.
static void demoKeyText(int code, char out[5])
{
    if (code > ' ' && code <= '~' && code != '\\')
        snprintf(out, 5, "%c", code);
    else
        snprintf(out, 5, "\\x%02x", code & 0xff);
}

static int demoHexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

static bool demoKeyCode(const char* text, int& code)
{
    if (text[0] && !text[1] && text[0] != '\\') {
        code = (unsigned char)text[0];
        return true;
    }
    if (text[0] != '\\' || text[1] != 'x' || strlen(text) != 4)
        return false;
    int high = demoHexDigit(text[2]), low = demoHexDigit(text[3]);
    code = high * 16 + low;
    return high >= 0 && low >= 0;
}

// ---- reading ---------------------------------------------------------------
static bool demoFail(DemoError& err, int line, const char* format, ...)
{
    err.line = line;
    va_list args;
    va_start(args, format);
    vsnprintf(err.what, sizeof err.what, format, args);
    va_end(args);
    return false;
}

// A whole number as the writer writes it: digits only, no sign, no leading
// zero, at most `max`.
static bool demoNumber(const char* text, int max, int& value)
{
    const NumRead n = numRead(text, false);
    if (!n.fits || *n.end != '\0' || (text[0] == '0' && n.end - text > 1))
        return false;
    value = (int)n.value;
    return n.value <= max;
}

// Takes the next line: 1, or 0 at the end of the text, or -1 with `err`
// set when the line is not one of printable characters that ends with a
// line end, or is too long to be any line of a demo.
static int demoNextLine(DemoReader& r, DemoError& err)
{
    if (r.at == r.end)
        return 0;
    r.line++;
    const char* stop   = (const char*)memchr(r.at, '\n', (size_t)(r.end - r.at));
    size_t      length = (size_t)((stop ? stop : r.end) - r.at);
    size_t text = 0;
    while (text < length && text <= (size_t)kDemoMaxLine && r.at[text] >= ' ' && r.at[text] <= '~')
        text++;
    if (text < length && text <= (size_t)kDemoMaxLine) {
        demoFail(err, r.line, "not text (byte 0x%02x)", (unsigned char)r.at[text]);
        return -1;
    }
    if (length > (size_t)kDemoMaxLine) {
        demoFail(err, r.line, "longer than %d characters", kDemoMaxLine);
        return -1;
    }
    if (!stop) {
        demoFail(err, r.line, "cut short: the file ends inside the line");
        return -1;
    }
    memcpy(r.text, r.at, length);
    // Blanks that end a line do not show in an editor: not worth a refusal.
    while (length > 0 && r.text[length - 1] == ' ')
        length--;
    r.text[length] = '\0';
    r.at = stop + 1;

    // Every line is a word, one blank and one value.
    char* blank = strchr(r.text, ' ');
    r.word  = r.text;
    r.value = "";
    if (blank && blank[1] && !strchr(blank + 1, ' ')) {
        *blank  = '\0';
        r.value = blank + 1;
    }
    return 1;
}

// The next line, which must be there.
static bool demoHeaderLine(DemoReader& r, DemoError& err, const char* wanted)
{
    int got = demoNextLine(r, err);
    if (got == 0)
        return demoFail(err, r.line + 1, "the file ends before its %s line", wanted);
    return got > 0;
}

static bool demoReadHeader(DemoReader& r, const char* edition, DemoScript& out, DemoError& err)
{
    int got = demoNextLine(r, err);
    if (got < 0)
        return false;
    if (got == 0)
        return demoFail(err, 1, "empty, not a demo");
    if (strcmp(r.word, "vortavia-demo") != 0 || strcmp(r.value, "1") != 0)
        return demoFail(err, 1, "not a demo of this game: the first line is not '%s'", kDemoFirstLine);

    if (!demoHeaderLine(r, err, "'edition'"))
        return false;
    if (strcmp(r.word, "edition") != 0 || !*r.value)
        return demoFail(err, r.line, "expected 'edition %s'", edition);
    if (strcmp(r.value, edition) != 0)
        return demoFail(err, r.line, "recorded with %s, not with %s", r.value, edition);

    for (int i = 0; i < kDemoSettingCount; i++) {
        const char* name = kDemoSettings[i].name;
        if (!demoHeaderLine(r, err, name))
            return false;
        if (strcmp(r.word, name) != 0 || (strcmp(r.value, "0") != 0 && strcmp(r.value, "1") != 0))
            return demoFail(err, r.line, "expected '%s 0' or '%s 1'", name, name);
        out.settings[i] = r.value[0] == '1';
    }
    return true;
}

static bool demoReadEvent(const DemoReader& r, bool sound, int frame, DemoScript& out, DemoError& err)
{
    int kind = 0;
    while (kind <= kDemoSound && strcmp(r.word, demoKindWords[kind]) != 0)
        kind++;
    if (kind > kDemoSound)
        return demoFail(err, r.line, "unknown event '%s'", r.word);
    if (kind == kDemoSound && !sound)
        return demoFail(err, r.line, "'sound' is not an event of this edition");
    if (frame < 0)
        return demoFail(err, r.line, "'%s' before the first 'frame' line", r.word);
    // A capture cycle draws its frame right after it reads the sample.
    if (!out.events.empty() && out.events.back().frame == frame && out.events.back().kind == kDemoSound)
        return demoFail(err, r.line, "'%s' after the sample of frame %d", r.word, frame);

    int code = 0;
    if (kind == kDemoKey ? !demoKeyCode(r.value, code)
                         : !demoNumber(r.value, kind == kDemoSound ? 255 : kDemoMaxSpecialCode, code))
        return demoFail(err, r.line, "'%s' takes %s, not '%s'", r.word,
                        kind == kDemoKey     ? "one character or \\xHH"
                        : kind == kDemoSound ? "a sample from 0 to 255"
                                             : "a key code from 0 to 255",
                        r.value);
    out.events.push_back({frame, (DemoKind)kind, code});
    return true;
}

bool demoParse(const char* text, size_t size, const char* edition, bool sound, DemoScript& out,
               DemoError& err)
{
    out = DemoScript{};
    if (size > kDemoMaxFileSize)
        return demoFail(err, 0, "larger than %zu MiB, not a demo", kDemoMaxFileSize >> 20);
    DemoReader r = {text, text + size, 0, {}, "", ""};
    if (!demoReadHeader(r, edition, out, err))
        return false;

    int frame = -1;
    for (;;) {
        int got = demoNextLine(r, err);
        if (got < 0)
            return false;
        if (got == 0)
            return demoFail(err, r.line + 1, "the file ends before its 'end' line");

        const bool isFrame = strcmp(r.word, "frame") == 0, isEnd = strcmp(r.word, "end") == 0;
        if (!isFrame && !isEnd) {
            if (!demoReadEvent(r, sound, frame, out, err))
                return false;
            continue;
        }
        int n = 0;
        if (!demoNumber(r.value, kDemoMaxFrames, n))
            return demoFail(err, r.line, "'%s' takes a frame number from 0 to %d, not '%s'", r.word,
                            kDemoMaxFrames, r.value);
        if (isFrame && n <= frame)
            return n == frame ? demoFail(err, r.line, "frame %d again", n)
                              : demoFail(err, r.line, "frame %d after frame %d: frames only go forwards", n, frame);
        if (isFrame) {
            frame = n;
            continue;
        }
        // Input may come after the last frame (the Escape that ended it), never later.
        if (n < frame)
            return demoFail(err, r.line, "end %d before frame %d", n, frame);
        out.frames = n;
        got = demoNextLine(r, err);
        if (got > 0)
            return demoFail(err, r.line, "text after the 'end' line");
        return got == 0;
    }
}

// ---- writing ---------------------------------------------------------------
void demoWriteHeader(FILE* out, const char* edition, const bool settings[kDemoSettingCount])
{
    fprintf(out, "%s\nedition %s\n", kDemoFirstLine, edition);
    for (int i = 0; i < kDemoSettingCount; i++)
        fprintf(out, "%s %d\n", kDemoSettings[i].name, settings[i] ? 1 : 0);
}

void demoWriteFrame(FILE* out, int frame)
{
    fprintf(out, "frame %d\n", frame);
}

void demoWriteEvent(FILE* out, const DemoEvent& event)
{
    if (event.kind == kDemoKey) {
        char text[5];
        demoKeyText(event.code, text);
        fprintf(out, "key %s\n", text);
    } else {
        fprintf(out, "%s %d\n", demoKindWords[event.kind], event.code);
    }
}

void demoWriteEnd(FILE* out, int frames)
{
    fprintf(out, "end %d\n", frames);
}

void demoWriteScript(FILE* out, const char* edition, const DemoScript& script)
{
    demoWriteHeader(out, edition, script.settings);
    int written = -1;
    for (const DemoEvent& event : script.events) {
        if (event.frame != written)
            demoWriteFrame(out, event.frame);
        written = event.frame;
        demoWriteEvent(out, event);
    }
    demoWriteEnd(out, script.frames);
}
