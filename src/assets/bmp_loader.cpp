// bmp_loader.cpp -- the only code that reads image files: header, info block, pixels.
#include "assets/bmp_loader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <GL/gl.h>

// ---- constants -------------------------------------------------------------
constexpr int      kBmpFileHeaderSize = 14;
constexpr uint16_t kBmpMagic          = 0x4D42;  // "BM"
constexpr int      kBmpOffWidth       = 4;       // offsets inside the info block
constexpr int      kBmpOffHeight      = 8;
constexpr int      kBmpOffBitCount    = 14;
constexpr int      kBmpOffCompression = 16;
constexpr int      kBmpOffSizeImage   = 20;
constexpr int      kBmpMinInfoSize    = 24;      // through biSizeImage
constexpr int      kBmpBitsPerPixel   = 24;

// ---- types -----------------------------------------------------------------
// Owns what one load acquires; bmpRelease closes and frees on every way out.
struct BmpLoad {
    int      fd     = -1;
    uint8_t* info   = nullptr;
    uint8_t* pixels = nullptr;
};

// ---- helpers ---------------------------------------------------------------
static void bmpRelease(BmpLoad& load)
{
    if (load.fd >= 0)
        close(load.fd);
    free(load.info);
    free(load.pixels);
    load = BmpLoad{};
}

static uint32_t bmpU32(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static uint16_t bmpU16(const uint8_t* p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

// Reads exactly `size` bytes unless the file ends or fails first.
static bool bmpReadAll(int fd, void* into, size_t size)
{
    uint8_t* at = (uint8_t*)into;
    while (size > 0) {
        ssize_t got = read(fd, at, size);
        if (got <= 0)
            return false;
        at += got;
        size -= (size_t)got;
    }
    return true;
}

// The size a 24-bit image needs, or 0 when the dimensions are not usable.
static uint64_t bmpNeededBytes(int32_t width, int32_t height)
{
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return 0;
    return (uint64_t)width * (uint64_t)(height < 0 ? -height : height) * 3;
}

// Reads the file into `load` and says whether its pixels can be uploaded.
static bool bmpRead(BmpLoad& load, const char* fileName, int32_t& width, int32_t& height)
{
    load.fd = open(fileName, O_RDONLY | O_NOCTTY);
    if (load.fd < 0)
        return false;
    posix_fadvise(load.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    struct stat st;
    if (fstat(load.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;

    uint8_t header[kBmpFileHeaderSize];
    if (!bmpReadAll(load.fd, header, sizeof header) || bmpU16(header) != kBmpMagic)
        return false;

    // Every size below is checked against the file before it is allocated,
    // so a bogus header cannot ask for more memory than the file holds.
    const uint32_t offBits = bmpU32(header + 10);
    if (offBits < kBmpFileHeaderSize + kBmpMinInfoSize || offBits > (uint64_t)st.st_size)
        return false;
    const uint32_t infoSize = offBits - kBmpFileHeaderSize;
    load.info = (uint8_t*)malloc(infoSize);
    if (!load.info || !bmpReadAll(load.fd, load.info, infoSize))
        return false;

    width  = (int32_t)bmpU32(load.info + kBmpOffWidth);
    height = (int32_t)bmpU32(load.info + kBmpOffHeight);
    const uint16_t bitCount    = bmpU16(load.info + kBmpOffBitCount);
    const uint32_t compression = bmpU32(load.info + kBmpOffCompression);
    uint64_t       imageSize   = bmpU32(load.info + kBmpOffSizeImage);

    // Only uncompressed 24-bit pixels can be handed over as stored.
    if (bitCount != kBmpBitsPerPixel || compression != 0)
        return false;
    const uint64_t needed = bmpNeededBytes(width, height);
    if (needed == 0)
        return false;
    if (imageSize == 0)
        imageSize = needed;  // rows of width x 3 bytes, not padded
    if (imageSize < needed || imageSize > (uint64_t)st.st_size - offBits)
        return false;

    load.pixels = (uint8_t*)malloc(imageSize);
    return load.pixels && bmpReadAll(load.fd, load.pixels, imageSize);
}

// Rows stored top-down come first in the file; the GL wants the bottom row
// first, so they are put the other way up in place.
static void bmpFlipRows(uint8_t* pixels, int32_t width, int32_t rows)
{
    const size_t stride = (size_t)width * 3;
    uint8_t*     top    = pixels;
    uint8_t*     bottom = pixels + stride * (size_t)(rows - 1);
    for (; top < bottom; top += stride, bottom -= stride)
        for (size_t i = 0; i < stride; i++) {
            uint8_t t = top[i];
            top[i]    = bottom[i];
            bottom[i] = t;
        }
}

// ---- loader ----------------------------------------------------------------
int loadBmpTexture(const char* fileName)
{
    BmpLoad load;
    int32_t width = 0, height = 0;
    if (!bmpRead(load, fileName, width, height)) {
        bmpRelease(load);
        return 0;
    }
    close(load.fd);
    load.fd = -1;
    free(load.info);
    load.info = nullptr;

    if (height < 0) {
        height = -height;
        bmpFlipRows(load.pixels, width, height);
    }

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_BGR, GL_UNSIGNED_BYTE, load.pixels);

    bmpRelease(load);
    return 1;
}
