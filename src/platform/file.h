// file.h -- the game's files: data files read (regular files only, no open ever blocks), and files written whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---- types -----------------------------------------------------------------
enum FileTargetFault {
    kFileTargetOk,
    kFileTargetSpecial,   // a device, FIFO, socket or folder
    kFileTargetLink,      // a symbolic link
    kFileTargetReadOnly,  // the user may not write it
    kFileTargetNotOwned,  // another user's, in a sticky folder: not to be renamed over
};

// ---- functions -------------------------------------------------------------
// Opens a data file for sequential reading. A FIFO, a device or a folder is
// refused like a missing file, without waiting for a writer. Returns the
// descriptor, or -1.
int fileOpenData(const char* name);
void fileCloseData(int fd);
// Why fileOpenData refuses `name`, in a few words: "missing", "not a plain
// file", "not allowed to be read", or the system's own words.
const char* fileDataRefusal(const char* name);

// Size in bytes of an open data file (0 when it cannot be told).
uint64_t fileDataSize(int fd);

// Reads exactly `size` bytes unless the file ends or fails first.
bool fileReadAll(int fd, void* into, size_t size);

// The same open, as a buffered stream for formatted reading; nullptr when refused.
FILE* fileOpenDataStream(const char* name);
void  fileCloseDataStream(FILE* stream);

// A file written so that it never shows half-written under its name: the
// text goes to a new file beside `name` (same folder, so the last step is
// one rename), whose name is put into `tempName`. nullptr when it cannot be
// created (or `name` is a folder).
FILE* fileCreateBeside(const char* name, char* tempName, size_t size);
// True when fileCreateBeside would work now; leaves nothing behind.
bool fileCanCreateBeside(const char* name);
// Whether what is at `name` now may be replaced by a file written beside
// it: nothing there, or a plain file the user may write and rename over.
FileTargetFault fileCheckTarget(const char* name);
// Flushes the text to the disk and gives it the name `name`, replacing any
// file of that name. False when any write or the rename failed; the
// temporary file then stays as it is, under its own name.
bool fileReplaceWith(FILE* stream, const char* tempName, const char* name);

// For a signal handler (async-signal-safe calls only): cuts the file open
// on `fd` to its first `keep` bytes, adds `tail`, and once that is on the
// disk renames `tempName` to `name`.
void fileFinishInHandler(int fd, uint64_t keep, const char* tail, size_t size, const char* tempName,
                         const char* name);

// A file created (or emptied) for writing, opened without waiting (a FIFO
// without a reader is refused) and left so: a write that cannot go at once
// fails. nullptr when refused.
FILE* fileCreateText(const char* name);
