// test_bmp_loader.cpp -- the loader against generated files, read back from a real texture.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include <GL/gl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "assets/bmp_format.h"
#include "assets/bmp_loader.h"
#include "support/gl_window.h"
#include "support/scratch.h"

struct BmpShape {
    int32_t  width       = 4;
    int32_t  height      = 2;
    uint16_t bits        = 24;
    uint32_t compression = 0;
    uint32_t sizeImage   = 0;   // 0: left to be computed
    int      tableBytes  = 0;   // colour table between the header and the pixels
    int      pixelBytes  = -1;  // -1: |height| rows, each padded to 4 bytes
    uint16_t magic       = kBmpMagic;
    int      infoSize    = kBmpInfoSize;
    int      trailing    = 0;   // bytes after the pixels
};

static int stride(int width)
{
    return (int)bmpRowStride(width);
}

// Byte n of the image, rows laid end to end, holds n: every byte's place can
// be checked. The padding at the end of each stored row is 0xEE.
static std::vector<uint8_t> makeBmp(const BmpShape& s)
{
    const int32_t rows   = s.height < 0 ? -s.height : s.height;
    const int     pixels = s.pixelBytes >= 0 ? s.pixelBytes : stride(s.width) * rows;
    const int     off    = kBmpFileHeaderSize + s.infoSize + s.tableBytes;
    std::vector<uint8_t> b((size_t)off + pixels + s.trailing, 0xEE);
    // The tools' own header, then whatever this shape changes in it; a
    // short info block is left out.
    uint8_t h[kBmpHeaderSize];
    bmpFormatHeader(h, s.width, s.height, s.sizeImage);
    const bool info = s.infoSize >= kBmpInfoAtSizeImage + 4;
    std::copy(h, h + (info ? std::min<int>(kBmpHeaderSize, off) : kBmpFileHeaderSize), b.begin());
    bmpPut16(&b[kBmpAtMagic], s.magic);
    bmpPut32(&b[kBmpAtFileSize], (uint32_t)b.size());
    bmpPut32(&b[kBmpAtOffBits], (uint32_t)off);
    if (info) {
        bmpPut16(&b[kBmpFileHeaderSize + kBmpInfoAtBitCount], s.bits);
        bmpPut32(&b[kBmpFileHeaderSize + kBmpInfoAtCompression], s.compression);
    }
    // Giant dimensions come with a few pixel bytes only: lay those out as one row.
    const int64_t row  = s.width > 0 && pixels > 0 ? std::min<int64_t>((int64_t)s.width * 3, pixels) : 1;
    const int64_t step = (row + 3) / 4 * 4;
    for (int i = 0; i < pixels; i++) {
        const int64_t y = i / step, x = i % step;
        if (x < row)
            b[(size_t)off + i] = (uint8_t)((y * row + x) & 0xff);
    }
    return b;
}

class BmpLoader : public testing::Test {
protected:
    GLuint tex = 0;

    void SetUp() override
    {
        glTestWindow();
        scratchEnter();
        glGenTextures(1, &tex);
        glBindTexture(GL_TEXTURE_2D, tex);
    }
    void TearDown() override
    {
        glDeleteTextures(1, &tex);
        scratchLeave();
    }

    int load(const std::vector<uint8_t>& bytes)
    {
        scratchWrite("image.bmp", std::string(bytes.begin(), bytes.end()));
        // A fresh object each time: a rejected file must leave it without an image.
        glDeleteTextures(1, &tex);
        glGenTextures(1, &tex);
        glBindTexture(GL_TEXTURE_2D, tex);
        return loadBmpTexture("image.bmp");
    }

    static int level0(GLenum what)
    {
        GLint v = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v);
        return v;
    }

    static std::vector<uint8_t> readBack(int w, int h)
    {
        std::vector<uint8_t> out((size_t)w * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
};

// Read back unpadded, every byte must be in its place: rows padded in the file
// and taken as padded, whatever the unpack state was before.
static void expectIntact(const std::vector<uint8_t>& px)
{
    for (size_t i = 0; i < px.size(); i++)
        ASSERT_EQ(px[i], (uint8_t)(i & 0xff)) << "byte " << i;
}

// Other code may leave any unpack state behind; the loader must get it back.
static const GLenum kUnpackState[] = {GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS,
                                      GL_UNPACK_SKIP_PIXELS};

// Rows padded to four bytes, either way up, however the file ends.
TEST_F(BmpLoader, GoodFilesLoadWithEveryByteInPlace)
{
    const struct {
        int  width, height;
        bool storedSize = false;
        int  pixelBytes = -1, tableBytes = 0, trailing = 0;
    } cases[] = {
        {1, 3, false, -1},   {2, 3, false, -1},  {3, 2, true, -1},  {5, 3, false, -1},
        {5, 3, true, -1},    {255, 4, false, -1}, {255, 4, true, -1}, {250, 2, true, -1},
        {5, -3, false, -1},  // top-down
        {5, 3, false, 16 * 2 + 15},  // the last row's padding left out
        {5, -3, false, 16 * 2 + 15}, // top-down, and the last row's padding left out
        {256, 256, false, -1},
        {.width = 5, .height = 2, .tableBytes = 64},  // the pixels read from the offset, past the table
        {.width = 4, .height = 2, .trailing = 1000},  // bytes after the pixels are ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << (c.storedSize ? " stored" : "")
                                        << ", table " << c.tableBytes << ", trailing " << c.trailing);
        BmpShape s;
        s.width      = c.width;
        s.height     = c.height;
        s.pixelBytes = c.pixelBytes;
        s.tableBytes = c.tableBytes;
        s.trailing   = c.trailing;
        const int rows = c.height < 0 ? -c.height : c.height;
        if (c.storedSize)
            s.sizeImage = (uint32_t)(stride(c.width) * rows);
        std::vector<uint8_t> file = makeBmp(s);
        if (c.height < 0) {  // stored top row first: the loader must turn them back
            const size_t off = file.size() - (size_t)(c.pixelBytes >= 0 ? c.pixelBytes : stride(c.width) * rows);
            for (int r = 0; r < rows / 2; r++)
                std::swap_ranges(file.begin() + off + r * stride(c.width),
                                 file.begin() + off + r * stride(c.width) + c.width * 3,
                                 file.begin() + off + (rows - 1 - r) * stride(c.width));
        }
        const int left[] = {8, 7, 1, 2};
        for (int i = 0; i < 4; i++)
            glPixelStorei(kUnpackState[i], left[i]);
        ASSERT_EQ(load(file), 1);
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), c.width);
        EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), rows);
        expectIntact(readBack(c.width, rows));
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(glTestInteger(kUnpackState[i]), left[i]) << i;
    }
    for (GLenum state : kUnpackState)
        glPixelStorei(state, state == GL_UNPACK_ALIGNMENT ? 4 : 0);
}

TEST_F(BmpLoader, ImagesTheGlRefusesFail)
{
    const int largest = glTestInteger(GL_MAX_TEXTURE_SIZE);
    for (const auto& size : {std::pair{largest + 1, 1}, std::pair{1, largest + 1}}) {
        SCOPED_TRACE(testing::Message() << size.first << "x" << size.second);
        BmpShape s;
        s.width  = size.first;
        s.height = size.second;
        EXPECT_EQ(load(makeBmp(s)), 0);
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 0);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);  // nothing left for later code to trip on
    }
    glTexImage2D(GL_TEXTURE_2D, 0, 3, -1, 1, 0, GL_BGR, GL_UNSIGNED_BYTE, nullptr);  // a stale error
    EXPECT_EQ(load(makeBmp(BmpShape{})), 1);  // is not the upload's
}

TEST_F(BmpLoader, MalformedHeadersAreRejected)
{
    struct Case {
        const char* what;
        BmpShape    shape;
    } cases[] = {
        {"not BM", [] { BmpShape s; s.magic = 0x4142; return s; }()},
        {"info block too short", [] { BmpShape s; s.infoSize = 20; return s; }()},
        {"8-bit", [] { BmpShape s; s.bits = 8; return s; }()},
        {"32-bit", [] { BmpShape s; s.bits = 32; return s; }()},
        {"run-length compressed", [] { BmpShape s; s.compression = 1; return s; }()},
        {"width 0", [] { BmpShape s; s.width = 0; return s; }()},
        {"negative width", [] { BmpShape s; s.width = -4; s.pixelBytes = 24; return s; }()},
        {"height 0", [] { BmpShape s; s.height = 0; return s; }()},
        {"stored size short of the image", [] { BmpShape s; s.sizeImage = 10; s.pixelBytes = 10; return s; }()},
        {"pixels cut short", [] { BmpShape s; s.pixelBytes = 20; return s; }()},
        {"size larger than the file", [] { BmpShape s; s.sizeImage = 0x7fffffff; return s; }()},
        {"giant dimensions", [] { BmpShape s; s.width = 0x40000000; s.height = 0x40000000; s.pixelBytes = 24; return s; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(load(makeBmp(c.shape)), 0);
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 0);  // nothing was uploaded
    }

    for (uint32_t offBits : {10u, 0xfffffff0u}) {  // below the header, past the end
        std::vector<uint8_t> file = makeBmp(BmpShape{});
        bmpPut32(&file[kBmpAtOffBits], offBits);
        EXPECT_EQ(load(file), 0) << offBits;
    }
}

TEST_F(BmpLoader, FileCutShortAnywhereFails)
{
    BmpShape s;
    s.tableBytes = 8;
    const std::vector<uint8_t> whole = makeBmp(s);
    for (size_t cut = 0; cut < whole.size(); cut++) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + (long)cut);
        ASSERT_EQ(load(part), 0) << "cut at " << cut;
    }
    EXPECT_EQ(load(whole), 1);
}

TEST_F(BmpLoader, MissingFileFolderAndFifoFail)
{
    EXPECT_EQ(loadBmpTexture("/nonexistent/vortavia.bmp"), 0);
    EXPECT_EQ(loadBmpTexture("/tmp"), 0);
    EXPECT_EQ(loadBmpTexture("/dev/zero"), 0);
    // No writer ever comes: an open that waited for one would never return.
    ASSERT_EQ(mkfifo("fifo.bmp", 0600), 0);
    alarm(10);
    EXPECT_EQ(loadBmpTexture("fifo.bmp"), 0);
    alarm(0);
}

TEST_F(BmpLoader, NoFileIsLeftOpen)
{
    auto openFiles = [] {
        int n = 0;
        for (int fd = 0; fd < 1024; fd++)
            n += fcntl(fd, F_GETFD) != -1;
        return n;
    };
    const int before = openFiles();
    BmpShape bad;
    bad.pixelBytes = 3;
    for (int i = 0; i < 50; i++) {
        load(makeBmp(bad));
        load(makeBmp(BmpShape{}));
    }
    EXPECT_EQ(openFiles(), before);
}
