// wgl_pixels.h -- the client's pixel-store (unpack) state and its stack, and unpacking images and bitmaps into tight rows.
#pragma once

#include <cstdint>
#include <vector>

struct WglUnpack {
    int alignment  = 4;
    int rowLength  = 0;
    int skipRows   = 0;
    int skipPixels = 0;
};

// GL_UNPACK_* of the few names the layer takes; false for any other name or
// an impossible value (the state is then unchanged).
bool wglUnpackSet(WglUnpack& unpack, unsigned int name, int value);

// glPushClientAttrib / glPopClientAttrib of the pixel-store bit; false on
// overflow or underflow (GL's stack errors).
bool wglUnpackPush(const WglUnpack& unpack);
bool wglUnpackPop(WglUnpack& unpack);

// width x height pixels of 3 unsigned bytes each, red first when bgr is
// false, read as GL reads them under unpack; out gets tight RGB rows, the
// first row first.
void wglUnpackRgb(const WglUnpack& unpack, int width, int height, bool bgr, const void* pixels,
                  std::vector<uint8_t>& out);

// A glBitmap bitmap (one bit a pixel, most significant bit first) into one
// byte a pixel, 255 where the bit is set.
void wglUnpackBitmap(const WglUnpack& unpack, int width, int height, const uint8_t* bits, std::vector<uint8_t>& out);
