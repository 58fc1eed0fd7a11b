// fuzz_bmp.cpp -- libFuzzer target: the BMP loader on any bytes.
//
// No GL context is current here, so the upload is a no-op; what is under
// test is that every header and size leads to a bounded read and no leak.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "assets/bmp_loader.h"

static char fbPath[64];

static void fbRemoveFile() { unlink(fbPath); }

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    snprintf(fbPath, sizeof fbPath, "/tmp/vortavia-fuzz-bmp-%d.bmp", (int)getpid());
    atexit(fbRemoveFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = fopen(fbPath, "wb");
    if (!f)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    loadBmpTexture(fbPath);
    return 0;
}
