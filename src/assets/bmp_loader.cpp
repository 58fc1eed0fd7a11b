// bmp_loader.cpp -- the only code that reads image files: header, info block, pixels.
#include "assets/bmp_loader.h"

#include <cstdint>
#include <cstdlib>
#include <GL/gl.h>

#include "assets/bmp_format.h"
#include "platform/file.h"

// ---- constants -------------------------------------------------------------
constexpr int kBmpMinInfoSize = kBmpInfoAtSizeImage + 4;

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
    fileCloseData(load.fd);
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

// The pixel bytes a 24-bit image needs (the last row's padding may be left
// out), or 0 when the dimensions are not usable.
static uint64_t bmpNeededBytes(int32_t width, int32_t height)
{
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return 0;
    const uint64_t rows = (uint64_t)(height < 0 ? -(int64_t)height : height);
    return bmpRowStride(width) * (rows - 1) + (uint64_t)width * 3;
}

// Reads the file into `load` and says whether its pixels can be uploaded.
static bool bmpRead(BmpLoad& load, const char* fileName, int32_t& width, int32_t& height)
{
    load.fd = fileOpenData(fileName);
    if (load.fd < 0)
        return false;
    const uint64_t fileSize = fileDataSize(load.fd);

    uint8_t header[kBmpFileHeaderSize];
    if (!fileReadAll(load.fd, header, sizeof header) || bmpU16(header + kBmpAtMagic) != kBmpMagic)
        return false;

    // Every size below is checked against the file before it is allocated,
    // so a bogus header cannot ask for more memory than the file holds.
    const uint32_t offBits = bmpU32(header + kBmpAtOffBits);
    if (offBits < kBmpFileHeaderSize + kBmpMinInfoSize || offBits > fileSize)
        return false;
    const uint32_t infoSize = offBits - kBmpFileHeaderSize;
    load.info = (uint8_t*)malloc(infoSize);
    if (!load.info || !fileReadAll(load.fd, load.info, infoSize))
        return false;

    width  = (int32_t)bmpU32(load.info + kBmpInfoAtWidth);
    height = (int32_t)bmpU32(load.info + kBmpInfoAtHeight);
    const uint16_t bitCount    = bmpU16(load.info + kBmpInfoAtBitCount);
    const uint32_t compression = bmpU32(load.info + kBmpInfoAtCompression);
    uint64_t       imageSize   = bmpU32(load.info + kBmpInfoAtSizeImage);

    // Only uncompressed 24-bit pixels can be handed over as stored.
    if (bitCount != kBmpBitsPerPixel || compression != 0)
        return false;
    const uint64_t needed = bmpNeededBytes(width, height);
    if (needed == 0)
        return false;
    const uint64_t inFile = fileSize - offBits;
    if (imageSize == 0) {
        // Padded rows; a writer that left out the last row's padding still counts.
        imageSize = bmpRowStride(width) * (uint64_t)(height < 0 ? -(int64_t)height : height);
        if (imageSize > inFile)
            imageSize = needed;
    }
    if (imageSize < needed || imageSize > inFile)
        return false;

    load.pixels = (uint8_t*)malloc(imageSize);
    return load.pixels && fileReadAll(load.fd, load.pixels, imageSize);
}

// Rows stored top-down come first in the file; the GL wants the bottom row
// first, so they are put the other way up in place. Only the pixels of each
// row move: the last row may have been stored without its padding.
static void bmpFlipRows(uint8_t* pixels, int32_t width, int32_t rows)
{
    const size_t stride = (size_t)bmpRowStride(width);
    const size_t used   = (size_t)width * 3;
    uint8_t*     top    = pixels;
    uint8_t*     bottom = pixels + stride * (size_t)(rows - 1);
    for (; top < bottom; top += stride, bottom -= stride)
        for (size_t i = 0; i < used; i++) {
            uint8_t t = top[i];
            top[i]    = bottom[i];
            bottom[i] = t;
        }
}

// Whether the GL will take an image of this size: within its largest
// texture, and not refused by a proxy texture. An image refused at upload
// would leave the texture without one, which the driver does not survive.
static bool bmpGlTakes(int32_t width, int32_t height)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width > largest || height > largest)
        return false;
    GLint proxyWidth = 0;
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 3, width, height, 0, GL_BGR, GL_UNSIGNED_BYTE, nullptr);
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    return proxyWidth != 0;
}

// Errors left by earlier calls must not be taken for the upload's own.
static void bmpClearGlErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; i++) {
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
    fileCloseData(load.fd);
    load.fd = -1;
    free(load.info);
    load.info = nullptr;

    if (height < 0) {
        height = -height;
        bmpFlipRows(load.pixels, width, height);
    }

    // Stored rows are padded to 4 bytes and follow each other with nothing
    // skipped, whatever the caller's unpack state; the caller gets it back.
    bmpClearGlErrors();
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, kBmpRowAlignment);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        bool taken = bmpGlTakes(width, height);
        if (taken) {
            glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_BGR, GL_UNSIGNED_BYTE, load.pixels);
            taken = glGetError() == GL_NO_ERROR;
        }
    glPopClientAttrib();

    bmpRelease(load);
    return taken ? 1 : 0;
}
