// bmp_loader.h -- reads one uncompressed 24-bit BMP into the bound texture object.
#pragma once

// Uploads the file's pixels as level 0 of the texture bound to GL_TEXTURE_2D.
// Returns 1 when the file was read completely and handed to the GL, 0 when
// it could not be opened or is not a BMP this game can show (nothing is
// uploaded then). Prints nothing.
int loadBmpTexture(const char* fileName);
