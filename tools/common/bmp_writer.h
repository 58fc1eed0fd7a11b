// bmp_writer.h -- writes the uncompressed 24-bit bottom-up BMP files the game loads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// Pixels are blue, green, red, bottom row first, each row padded to 4 bytes
// as every BMP reader expects; biSizeImage holds the padded length.
inline bool bmpWrite(const char* path, int width, int height, const std::vector<uint8_t>& bgr)
{
    if (width <= 0 || height <= 0 || bgr.size() != (size_t)width * height * 3)
        return false;

    const size_t   row        = (size_t)width * 3;
    const size_t   stride     = (row + 3) / 4 * 4;
    const uint32_t pixelBytes = (uint32_t)(stride * (size_t)height);
    const uint32_t offBits    = 14 + 40;
    uint8_t h[offBits] = {};
    auto put16 = [&](int at, uint32_t v) { h[at] = v & 0xff; h[at + 1] = (v >> 8) & 0xff; };
    auto put32 = [&](int at, uint32_t v) { put16(at, v & 0xffff); put16(at + 2, v >> 16); };

    put16(0, 0x4D42);                 // "BM"
    put32(2, offBits + pixelBytes);   // bfSize
    put32(10, offBits);               // bfOffBits
    put32(14, 40);                    // biSize
    put32(18, (uint32_t)width);
    put32(22, (uint32_t)height);
    put16(26, 1);                     // planes
    put16(28, 24);                    // bits per pixel
    put32(34, pixelBytes);            // biSizeImage
    put32(38, 2835);                  // 72 dpi
    put32(42, 2835);

    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    const uint8_t pad[3] = {};
    bool ok = fwrite(h, 1, offBits, f) == offBits;
    for (int y = 0; ok && y < height; y++)
        ok = fwrite(bgr.data() + row * (size_t)y, 1, row, f) == row
          && fwrite(pad, 1, stride - row, f) == stride - row;
    return fclose(f) == 0 && ok;
}
