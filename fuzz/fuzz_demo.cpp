// fuzz_demo.cpp -- libFuzzer target: the demo reader on any bytes, and what it accepts written back.
//
// Each input is read as a demo of both editions. Whatever is accepted must
// come back the same through the writer: the same events, frames and
// settings, and the same text when written again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo/demo_file.h"

static std::string fdWritten(const char* edition, const DemoScript& script)
{
    char*  text = nullptr;
    size_t size = 0;
    FILE*  out  = open_memstream(&text, &size);
    if (!out)
        abort();
    demoWriteScript(out, edition, script);
    fclose(out);
    std::string s(text, size);
    free(text);
    return s;
}

static bool fdSame(const DemoScript& a, const DemoScript& b)
{
    if (a.frames != b.frames || a.events.size() != b.events.size() ||
        memcmp(a.settings, b.settings, sizeof a.settings) != 0)
        return false;
    for (size_t i = 0; i < a.events.size(); i++)
        if (a.events[i].frame != b.events[i].frame || a.events[i].kind != b.events[i].kind ||
            a.events[i].code != b.events[i].code)
            return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const struct {
        const char* name;
        bool        sound;
    } editions[] = {{"vortavia", false}, {"vortavia_sound", true}};
    for (const auto& ed : editions) {
        DemoScript script;
        DemoError  err = {};
        if (!demoParse((const char*)data, size, ed.name, ed.sound, script, err)) {
            // A refusal names a line of the file (or the file) and says why.
            if (err.line < 0 || !err.what[0] || strnlen(err.what, sizeof err.what) == sizeof err.what)
                abort();
            continue;
        }
        const std::string text = fdWritten(ed.name, script);
        DemoScript        back;
        if (!demoParse(text.data(), text.size(), ed.name, ed.sound, back, err) || !fdSame(script, back) ||
            fdWritten(ed.name, back) != text)
            abort();
    }
    return 0;
}
