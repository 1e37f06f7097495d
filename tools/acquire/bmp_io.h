// BMP files on disk: written from pieces, read back and checked with the
// same header reader, so that every image the tool leaves behind has been
// looked at once more after it was written.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "acquire/bmp_layout.h"

struct FilePiece {
    const void *data;
    size_t size;
};

// Creates (or replaces) the file and writes the pieces in order. Prints
// "error: ..." and returns false on failure.
bool WritePieces(const char *path, const FilePiece *pieces, int count);
// Reads the file's headers, checks them against its size and prints
// "bmp: "PATH" bytes=N width=W height=H bits=B palette=P". Returns a
// BmpResult, or -1 when the file cannot be opened or read (printed too).
int CheckBmpFile(const char *path, BmpShape *shape);
