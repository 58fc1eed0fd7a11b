// make_seeds.cpp -- writes the fuzzers' seed corpora: small valid and nearly valid inputs.
// Usage: make_seeds <bmp-corpus-dir> <collision-corpus-dir> <demo-corpus-dir>
#include <cstdio>
#include <string>
#include <vector>

#include "../tools/common/bmp_writer.h"

static void msWriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

static std::vector<uint8_t> msReadBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes.push_back((uint8_t)c);
    fclose(f);
    return bytes;
}

static void msBmpSeeds(const std::string& dir)
{
    const int sizes[][2] = {{1, 1}, {2, 2}, {5, 3}, {16, 8}};
    int n = 0;
    for (const auto& wh : sizes) {
        std::vector<uint8_t> px((size_t)wh[0] * wh[1] * 3);
        for (size_t i = 0; i < px.size(); i++)
            px[i] = (uint8_t)(i * 37);
        bmpWrite((dir + "/valid" + std::to_string(n++) + ".bmp").c_str(), wh[0], wh[1], px);
    }

    // Variants of one file (5x3): size left to be computed, a colour table, a
    // negative height, a header cut short.
    std::vector<uint8_t> base = msReadBytes(dir + "/valid2.bmp");
    if (base.size() < kBmpHeaderSize)
        return;
    const int sizeImage = kBmpFileHeaderSize + kBmpInfoAtSizeImage;
    std::vector<uint8_t> computed = base;
    bmpPut32(&computed[sizeImage], 0);
    msWriteBytes(dir + "/computed-size.bmp", computed);

    std::vector<uint8_t> table(base.begin(), base.begin() + kBmpHeaderSize);
    table.insert(table.end(), 16, 0xAA);
    table.insert(table.end(), base.begin() + kBmpHeaderSize, base.end());
    bmpPut32(&table[kBmpAtOffBits], kBmpHeaderSize + 16);
    msWriteBytes(dir + "/colour-table.bmp", table);

    std::vector<uint8_t> topDown = base;
    bmpPut32(&topDown[kBmpFileHeaderSize + kBmpInfoAtHeight], (uint32_t)-3);
    msWriteBytes(dir + "/top-down.bmp", topDown);

    // Top-down again, its size left to be computed and the last row's padding
    // byte left out (5 pixels: 15 bytes in a 16-byte row).
    std::vector<uint8_t> topDownShort(topDown.begin(), topDown.end() - 1);
    bmpPut32(&topDownShort[sizeImage], 0);
    msWriteBytes(dir + "/top-down-short.bmp", topDownShort);

    msWriteBytes(dir + "/cut.bmp", std::vector<uint8_t>(base.begin(), base.begin() + 30));
}

static void msCollisionSeeds(const std::string& dir)
{
    // What goes into arrx.txt and arrz.txt; the fuzz target cuts at the NUL.
    static const char* const seeds[][2] = {
        {"0 100 -200\n300",          "5 6 7 8"},
        {"1\t2\n\n3   4",           "-1 -2 -3"},
        {"+12 -0 007 x 9",           "40 50"},
        {"",                         ""},
        {"2147483647 -2147483648",   "-2147483648 2147483647"},
    };
    int n = 0;
    for (const auto& seed : seeds) {
        std::string text = std::string(seed[0]) + '\0' + seed[1];
        msWriteBytes(dir + "/seed" + std::to_string(n++) + ".txt",
                     std::vector<uint8_t>(text.begin(), text.end()));
    }
}

static void msDemoSeeds(const std::string& dir)
{
    static const char* const header =
        "vortavia-demo 1\nedition %s\nsmallTextures 1\nhighEndCard 0\npanoramicSky 1\n"
        "lowEndPanorama 0\ngameMode 0\nfullScreen 0\n";
    // Bodies as the recorder writes them, and a few just short of valid.
    static const struct {
        const char* edition;
        const char* body;
    } seeds[] = {
        {"vortavia", "end 0\n"},
        {"vortavia", "frame 0\nspecial 100\nframe 5\nspecial-up 100\nspecial 101\nkey c\nframe 90\n"
                     "special 103\nframe 93\nspecial-up 103\nkey v\nkey \\x1b\nend 93\n"},
        {"vortavia_sound", "frame 0\nsound 0\nframe 1\nsound 255\nframe 2\nspecial 103\nsound 255\n"
                           "frame 3\nsound 128\nframe 4\nkey g\nsound 127\nend 5\n"},
        {"vortavia", "frame 7\nkey \\x00\nkey ~\nkey \\xff\nend 100000000\n"},
        {"vortavia", "frame 7\nkey c\nframe 3\nend 9\n"},
        {"vortavia_sound", "frame 1\nsound 255\nkey c\nend 2"},
    };
    int n = 0;
    for (const auto& seed : seeds) {
        char head[512];
        snprintf(head, sizeof head, header, seed.edition);
        std::string text = std::string(head) + seed.body;
        msWriteBytes(dir + "/seed" + std::to_string(n++) + ".demo",
                     std::vector<uint8_t>(text.begin(), text.end()));
    }
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s <bmp-corpus-dir> <collision-corpus-dir> <demo-corpus-dir>\n", argv[0]);
        return 2;
    }
    msBmpSeeds(argv[1]);
    msCollisionSeeds(argv[2]);
    msDemoSeeds(argv[3]);
    return 0;
}
