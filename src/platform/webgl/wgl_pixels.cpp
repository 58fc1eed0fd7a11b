// wgl_pixels.cpp -- the client's pixel-store (unpack) state and its stack, and unpacking images and bitmaps into tight rows.
#include "wgl_pixels.h"

#include <cstddef>
#include <GL/gl.h>

// ---- constants -------------------------------------------------------------
constexpr int kWglClientStackDepth = 16;  // GL's minimum for the client attribute stack

// ---- data ------------------------------------------------------------------
static struct {
    WglUnpack saved[kWglClientStackDepth];
    int       depth = 0;
} pixels;

// ---- functions -------------------------------------------------------------
bool wglUnpackSet(WglUnpack& unpack, unsigned int name, int value)
{
    if (value < 0)
        return false;
    switch (name) {
    case GL_UNPACK_ALIGNMENT:
        if (value != 1 && value != 2 && value != 4 && value != 8)
            return false;
        unpack.alignment = value;
        return true;
    case GL_UNPACK_ROW_LENGTH:
        unpack.rowLength = value;
        break;
    case GL_UNPACK_SKIP_ROWS:
        unpack.skipRows = value;
        break;
    case GL_UNPACK_SKIP_PIXELS:
        unpack.skipPixels = value;
        break;
    default:
        return false;
    }
    return true;
}

bool wglUnpackPush(const WglUnpack& unpack)
{
    if (pixels.depth == kWglClientStackDepth)
        return false;
    pixels.saved[pixels.depth++] = unpack;
    return true;
}

bool wglUnpackPop(WglUnpack& unpack)
{
    if (pixels.depth == 0)
        return false;
    unpack = pixels.saved[--pixels.depth];
    return true;
}

// Bytes from one row's start to the next: the row length (or width) in
// elements, rounded up to the alignment.
static size_t rowStride(const WglUnpack& unpack, int width, int bitsPerPixel)
{
    const size_t pixelsPerRow = (size_t)(unpack.rowLength > 0 ? unpack.rowLength : width);
    const size_t bytes        = (pixelsPerRow * (size_t)bitsPerPixel + 7) / 8;
    const size_t a            = (size_t)unpack.alignment;
    return (bytes + a - 1) / a * a;
}

void wglUnpackRgb(const WglUnpack& unpack, int width, int height, bool bgr, const void* pixels_,
                  std::vector<uint8_t>& out)
{
    const uint8_t* base   = (const uint8_t*)pixels_;
    const size_t   stride = rowStride(unpack, width, 24);
    out.resize((size_t)width * (size_t)height * 3);
    for (int y = 0; y < height; y++) {
        const uint8_t* row = base + (size_t)(y + unpack.skipRows) * stride + (size_t)unpack.skipPixels * 3;
        uint8_t*       to  = &out[(size_t)y * (size_t)width * 3];
        for (int x = 0; x < width; x++, row += 3, to += 3) {
            to[0] = row[bgr ? 2 : 0];
            to[1] = row[1];
            to[2] = row[bgr ? 0 : 2];
        }
    }
}

void wglUnpackBitmap(const WglUnpack& unpack, int width, int height, const uint8_t* bits, std::vector<uint8_t>& out)
{
    const size_t stride = rowStride(unpack, width, 1);
    out.resize((size_t)width * (size_t)height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            const size_t bit = (size_t)(x + unpack.skipPixels);
            const uint8_t byte = bits[(size_t)(y + unpack.skipRows) * stride + bit / 8];
            out[(size_t)y * (size_t)width + (size_t)x] = (byte & (0x80 >> (bit % 8))) ? 255 : 0;
        }
}
