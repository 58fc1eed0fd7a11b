// process_web.cpp -- the page's standard descriptors and environment.
#include "platform/process.h"

#include <cstdlib>

// ---- functions -------------------------------------------------------------
// The page gives the program its three standard descriptors, and no pipe
// that could break.
void procGuardStandardFiles() {}

// The page sets the environment before the program starts (the state trace's file).
const char* procEnvironment(const char* name)
{
    const char* value = getenv(name);
    return value && *value ? value : nullptr;
}
