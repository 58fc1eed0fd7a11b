// bmp_format.h -- the one description of the 24-bit BMP layout: what the loader reads, the tools and tests write.
#pragma once

#include <cstdint>

// ---- constants -------------------------------------------------------------
constexpr uint16_t kBmpMagic          = 0x4D42;  // "BM"
constexpr int      kBmpFileHeaderSize = 14;
constexpr int      kBmpInfoSize       = 40;      // the info block the tools write
constexpr int      kBmpHeaderSize     = kBmpFileHeaderSize + kBmpInfoSize;
constexpr int      kBmpBitsPerPixel   = 24;
constexpr int      kBmpRowAlignment   = 4;       // every stored row is padded to this

// Offsets in the file header.
constexpr int kBmpAtMagic    = 0;
constexpr int kBmpAtFileSize = 2;
constexpr int kBmpAtOffBits  = 10;

// Offsets inside the info block, which starts at kBmpFileHeaderSize.
constexpr int kBmpInfoAtSize        = 0;
constexpr int kBmpInfoAtWidth       = 4;
constexpr int kBmpInfoAtHeight      = 8;
constexpr int kBmpInfoAtPlanes      = 12;
constexpr int kBmpInfoAtBitCount    = 14;
constexpr int kBmpInfoAtCompression = 16;
constexpr int kBmpInfoAtSizeImage   = 20;  // the loader needs the block through here
constexpr int kBmpInfoAtXPerMetre   = 24;
constexpr int kBmpInfoAtYPerMetre   = 28;

// ---- functions -------------------------------------------------------------
inline void bmpPut16(uint8_t* at, uint32_t v)
{
    at[0] = v & 0xff;
    at[1] = (v >> 8) & 0xff;
}

inline void bmpPut32(uint8_t* at, uint32_t v)
{
    bmpPut16(at, v & 0xffff);
    bmpPut16(at + 2, v >> 16);
}

// Bytes from one stored row to the next: width x 3, padded.
inline uint64_t bmpRowStride(int64_t width)
{
    return ((uint64_t)width * 3 + kBmpRowAlignment - 1) / kBmpRowAlignment * kBmpRowAlignment;
}

// The kBmpHeaderSize bytes before the pixels of an uncompressed 24-bit image
// of `pixelBytes` (biSizeImage), at 72 dpi.
inline void bmpFormatHeader(uint8_t* h, int32_t width, int32_t height, uint32_t pixelBytes)
{
    for (int i = 0; i < kBmpHeaderSize; i++)
        h[i] = 0;
    uint8_t* info = h + kBmpFileHeaderSize;
    bmpPut16(h + kBmpAtMagic, kBmpMagic);
    bmpPut32(h + kBmpAtFileSize, kBmpHeaderSize + pixelBytes);
    bmpPut32(h + kBmpAtOffBits, kBmpHeaderSize);
    bmpPut32(info + kBmpInfoAtSize, kBmpInfoSize);
    bmpPut32(info + kBmpInfoAtWidth, (uint32_t)width);
    bmpPut32(info + kBmpInfoAtHeight, (uint32_t)height);
    bmpPut16(info + kBmpInfoAtPlanes, 1);
    bmpPut16(info + kBmpInfoAtBitCount, kBmpBitsPerPixel);
    bmpPut32(info + kBmpInfoAtSizeImage, pixelBytes);
    bmpPut32(info + kBmpInfoAtXPerMetre, 2835);
    bmpPut32(info + kBmpInfoAtYPerMetre, 2835);
}
