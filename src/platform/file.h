// file.h -- opening and reading the game's data files: regular files only, and no open ever blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---- functions -------------------------------------------------------------
// Opens a data file for sequential reading. A FIFO, a device or a folder is
// refused like a missing file, without waiting for a writer. Returns the
// descriptor, or -1.
int fileOpenData(const char* name);
void fileCloseData(int fd);

// Size in bytes of an open data file (0 when it cannot be told).
uint64_t fileDataSize(int fd);

// Reads exactly `size` bytes unless the file ends or fails first.
bool fileReadAll(int fd, void* into, size_t size);

// The same open, as a buffered stream for formatted reading; nullptr when refused.
FILE* fileOpenDataStream(const char* name);
void  fileCloseDataStream(FILE* stream);
