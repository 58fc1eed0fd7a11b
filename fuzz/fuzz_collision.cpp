// fuzz_collision.cpp -- libFuzzer target: the collision file reader on any text.
//
// The input is cut at its first NUL: what comes before is arrx.txt, the rest
// arrz.txt. The reader and a few collision tests then run over the result.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "app/edition.h"
#include "app/game_state.h"
#include "flight/collision.h"

static bool fcWriteFile(const char* name, const uint8_t* data, size_t size)
{
    FILE* f = fopen(name, "wb");
    if (!f)
        return false;
    fwrite(data, 1, size, f);
    return fclose(f) == 0;
}

static char fcDir[] = "/tmp/vortavia-fuzz-collision-XXXXXX";

static void fcRemoveDir()
{
    unlink("arrx.txt");
    unlink("arrz.txt");
    rmdir(fcDir);
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The reader opens its files by relative name: work in a private folder,
    // which goes again when the fuzzer exits.
    if (!mkdtemp(fcDir) || chdir(fcDir) != 0)
        abort();
    atexit(fcRemoveDir);
    // Hits print a line each; the fuzzer's own report goes to stderr.
    if (!freopen("/dev/null", "w", stdout))
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* cut  = (const uint8_t*)memchr(data, 0, size);
    size_t         xLen = cut ? (size_t)(cut - data) : size;
    size_t         zLen = cut ? size - xLen - 1 : 0;
    if (!fcWriteFile("arrx.txt", data, xLen) || !fcWriteFile("arrz.txt", cut ? cut + 1 : data, zLen))
        return 0;

    editionSelect(kKeyboardEdition);
    loadCollisionField();
    const int speeds[] = {0, 1000, -333, 9600, 2147483647, -2147483647};
    for (int speed : speeds) {
        gs.speed = speed;
        gs.dirX  = 0.6f;
        gs.dirZ  = -0.8f;
        testCollision();
    }
    return 0;
}
