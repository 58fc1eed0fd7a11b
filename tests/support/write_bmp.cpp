// write_bmp.cpp -- writes a one-colour BMP of any size with the tools' own writer, for the end-to-end runs.
// Usage: write_bmp FILE WIDTH HEIGHT
#include <cstdlib>

#include "../../tools/common/bmp_writer.h"

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const int width = atoi(argv[2]), height = atoi(argv[3]);
    if (width <= 0 || height <= 0)
        return 2;
    std::vector<uint8_t> bgr((size_t)width * height * 3);
    for (size_t i = 0; i < bgr.size(); i += 3) {
        bgr[i]     = 90;
        bgr[i + 1] = 160;
        bgr[i + 2] = 60;
    }
    return bmpWrite(argv[1], width, height, bgr) ? 0 : 1;
}
