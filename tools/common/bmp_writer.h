// bmp_writer.h -- writes the uncompressed 24-bit bottom-up BMP files the game loads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "../../src/assets/bmp_format.h"

// Pixels are blue, green, red, bottom row first, each row padded to 4 bytes
// as every BMP reader expects; biSizeImage holds the padded length.
inline bool bmpWrite(const char* path, int width, int height, const std::vector<uint8_t>& bgr)
{
    if (width <= 0 || height <= 0 || bgr.size() != (size_t)width * height * 3)
        return false;

    const size_t   row        = (size_t)width * 3;
    const size_t   stride     = (size_t)bmpRowStride(width);
    const uint32_t pixelBytes = (uint32_t)(stride * (size_t)height);
    uint8_t h[kBmpHeaderSize];
    bmpFormatHeader(h, width, height, pixelBytes);

    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    const uint8_t pad[3] = {};
    bool ok = fwrite(h, 1, sizeof h, f) == sizeof h;
    for (int y = 0; ok && y < height; y++)
        ok = fwrite(bgr.data() + row * (size_t)y, 1, row, f) == row
          && fwrite(pad, 1, stride - row, f) == stride - row;
    return fclose(f) == 0 && ok;
}
