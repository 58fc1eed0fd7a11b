// png_writer.h -- writes 8-bit RGBA PNG files with stored (uncompressed) deflate blocks, so no zlib is needed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

inline uint32_t pngCrc32(const uint8_t* data, size_t n, uint32_t crc = 0)
{
    static uint32_t table[256];
    static bool     filled = false;
    if (!filled) {
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        filled = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < n; i++)
        crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

inline uint32_t pngAdler32(const uint8_t* data, size_t n)
{
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < n; i++) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

inline void pngPut32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((uint8_t)(v >> shift));
}

// The CRC covers the type and the data but not the length.
inline void pngChunk(std::vector<uint8_t>& out, const char type[5], const std::vector<uint8_t>& data)
{
    pngPut32(out, (uint32_t)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    pngPut32(out, pngCrc32(out.data() + start, out.size() - start));
}

// Pixels are red, green, blue, alpha (not premultiplied), top row first.
inline bool pngWrite(const char* path, int width, int height, const std::vector<uint8_t>& rgba)
{
    if (width <= 0 || height <= 0 || rgba.size() != (size_t)width * height * 4)
        return false;

    // Every row starts with filter type 0 (none).
    std::vector<uint8_t> raw;
    const size_t row = (size_t)width * 4;
    for (int y = 0; y < height; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + (ptrdiff_t)(row * y), rgba.begin() + (ptrdiff_t)(row * (y + 1)));
    }

    // zlib: deflate, 32K window, no dictionary; then stored blocks of at
    // most 65535 bytes, each with its length and the length's complement.
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0;;) {
        size_t n    = std::min<size_t>(65535, raw.size() - at);
        bool   last = at + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back((uint8_t)(n & 0xff));
        z.push_back((uint8_t)(n >> 8));
        z.push_back((uint8_t)(~n & 0xff));
        z.push_back((uint8_t)((~n >> 8) & 0xff));
        z.insert(z.end(), raw.begin() + (ptrdiff_t)at, raw.begin() + (ptrdiff_t)(at + n));
        at += n;
        if (last)
            break;
    }
    pngPut32(z, pngAdler32(raw.data(), raw.size()));

    std::vector<uint8_t> header;
    pngPut32(header, (uint32_t)width);
    pngPut32(header, (uint32_t)height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    pngChunk(out, "IHDR", header);
    pngChunk(out, "IDAT", z);
    pngChunk(out, "IEND", {});

    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    bool ok = fwrite(out.data(), 1, out.size(), f) == out.size();
    return fclose(f) == 0 && ok;
}
