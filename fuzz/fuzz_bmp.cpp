// fuzz_bmp.cpp -- libFuzzer target: the BMP loader on any bytes.
//
// No GL context is current here, so the upload is a no-op; what is under
// test is that every header and size leads to a bounded read and no leak.
#include <cstdint>
#include <cstdio>
#include <unistd.h>

#include "assets/bmp_loader.h"

static char fbPath[64];

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (fbPath[0] == 0)
        snprintf(fbPath, sizeof fbPath, "/tmp/vortavia-fuzz-bmp-%d.bmp", (int)getpid());
    FILE* f = fopen(fbPath, "wb");
    if (!f)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    loadBmpTexture(fbPath);
    return 0;
}
