// fontgen.cpp -- writes the web edition's 8x13 bitmap font table from X's misc-fixed font.
// Usage: fontgen <font.pcf.gz> <font_8x13.cpp>
#include <cstdio>
#include <cstdlib>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "../../src/platform/webgl/wgl_font.h"  // the table's shape the layer compiles against

// ---- functions -------------------------------------------------------------
static void fgFail(const char* what, const char* name)
{
    fprintf(stderr, "fontgen: %s: %s\n", what, name);
    exit(1);
}

// One glyph's rows, bottom row first as glBitmap reads them, the cell's
// baseline kWglFontDescent rows above its foot.
static void fgGlyph(FT_Face face, int code, unsigned char rows[kWglFontHeight])
{
    for (int r = 0; r < kWglFontHeight; r++)
        rows[r] = 0;
    const FT_UInt index = FT_Get_Char_Index(face, (FT_ULong)code);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
        return;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap&   bits  = glyph->bitmap;
    for (unsigned int y = 0; y < bits.rows; y++) {
        const int row = kWglFontDescent + glyph->bitmap_top - 1 - (int)y;
        if (row < 0 || row >= kWglFontHeight)
            continue;
        for (unsigned int x = 0; x < bits.width; x++) {
            const int column = glyph->bitmap_left + (int)x;
            const bool set   = bits.buffer[y * (unsigned)bits.pitch + x / 8] & (0x80 >> (x % 8));
            if (set && column >= 0 && column < kWglFontWidth)
                rows[row] |= (unsigned char)(0x80 >> column);
        }
    }
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: fontgen <font.pcf.gz> <font_8x13.cpp>\n");
        return 2;
    }
    FT_Library library;
    FT_Face    face;
    if (FT_Init_FreeType(&library) != 0)
        fgFail("cannot start FreeType", argv[1]);
    if (FT_New_Face(library, argv[1], 0, &face) != 0)
        fgFail("cannot read the font", argv[1]);
    if (face->num_fixed_sizes < 1 || face->available_sizes[0].height != kWglFontHeight)
        fgFail("not a 13-pixel bitmap font", argv[1]);
    FT_Select_Size(face, 0);

    FILE* out = fopen(argv[2], "w");
    if (!out)
        fgFail("cannot write", argv[2]);
    fprintf(out, "// font_8x13.cpp -- written by tools/fontgen from %s; do not edit.\n", argv[1]);
    fprintf(out, "#include \"wgl_font.h\"\n\nconst unsigned char wglFont8x13[kWglFontGlyphs][kWglFontHeight] = {\n");
    for (int code = 0; code < kWglFontGlyphs; code++) {
        unsigned char rows[kWglFontHeight];
        fgGlyph(face, code, rows);
        fprintf(out, "    {");
        for (int r = 0; r < kWglFontHeight; r++)
            fprintf(out, "0x%02x%s", rows[r], r + 1 < kWglFontHeight ? ", " : "");
        fprintf(out, "},  // %d\n", code);
    }
    fprintf(out, "};\n");
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return fclose(out) == 0 ? 0 : 1;
}
