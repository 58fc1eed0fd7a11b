// process_web.cpp -- the page's standard descriptors and environment.
#include "platform/process.h"

#include <cstdlib>
#include <sys/stat.h>

// ---- constants -------------------------------------------------------------
constexpr mode_t kProcUsualMask = 022;

// ---- functions -------------------------------------------------------------
// The page gives the program its three standard descriptors, and no pipe
// that could break. Emscripten starts a program with every permission
// masked off, so a file it wrote (a recording) could not be read back,
// not even by the page: the usual mask instead.
void procGuardStandardFiles()
{
    umask(kProcUsualMask);
}

// The page sets the environment before the program starts (the state trace's file).
const char* procEnvironment(const char* name)
{
    const char* value = getenv(name);
    return value && *value ? value : nullptr;
}
