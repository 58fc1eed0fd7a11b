// bmp_loader.h -- reads one uncompressed 24-bit BMP into the bound texture object.
#pragma once

// Uploads the file's pixels as level 0 of the texture bound to GL_TEXTURE_2D.
// Rows are taken as BMP files store them, each padded to 4 bytes. Returns 1
// when the file was read completely and the GL took the image, 0 when it
// could not be opened, is not a plain file, is not a BMP this game can show,
// or is an image the GL refuses (the texture is left without an image then).
// Prints nothing.
int loadBmpTexture(const char* fileName);
