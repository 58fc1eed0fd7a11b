// wgl_font.h -- the 8x13 bitmap font's shape and metrics, as GLUT_BITMAP_8_BY_13 draws it.
#pragma once

constexpr int kWglFontGlyphs  = 256;  // ISO 8859-1
constexpr int kWglFontWidth   = 8;    // every glyph's cell and advance
constexpr int kWglFontHeight  = 13;
constexpr int kWglFontDescent = 2;    // rows of the cell under the baseline

// One byte a row, bottom row first, leftmost pixel in the top bit, as glBitmap
// reads a bitmap with an unpack alignment of 1. Written by tools/fontgen.
extern const unsigned char wglFont8x13[kWglFontGlyphs][kWglFontHeight];
