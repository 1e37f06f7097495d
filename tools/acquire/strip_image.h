// Assembles the strips of a memory transfer into the rows of a bottom-up
// BMP. A strip holds Rows rows of the image, top row first, BytesPerRow
// bytes apart, starting at row YOffset; colour pixels come red, green, blue
// and are stored blue, green, red as BMP wants them. Every strip is checked
// against the image before a byte of it is copied, so that a source that
// describes its strip wrongly gets a clear complaint instead of a scrambled
// image or a read past the buffer.
// Platform-free.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct StripImage {
    int32_t width;
    int32_t height;
    int bitsPerPixel;   // 1, 8 or 24
    uint32_t rowBytes;  // bytes of pixels in one row
    uint32_t stride;    // rowBytes padded to 4: one row of the BMP
    uint8_t *rows;      // stride × height bytes, zeroed; bottom row first
    uint32_t rowsDone;  // rows received so far, from the top
    int strips;
};

// A strip as TW_IMAGEMEMXFER describes it after the source has filled it.
struct StripDesc {
    uint32_t compression;
    uint32_t bytesPerRow;
    uint32_t columns;
    uint32_t rows;
    uint32_t xOffset;
    uint32_t yOffset;
    uint32_t bytesWritten;
};

enum StripResult {
    STRIP_OK = 0,
    STRIP_COMPRESSED = 1,    // Compression is not TWCP_NONE
    STRIP_COLUMNS = 2,       // Columns differs from the image width
    STRIP_NOT_NEXT = 3,      // XOffset not 0, or YOffset not the next missing row
    STRIP_EMPTY = 4,         // no rows
    STRIP_PAST_END = 5,      // more rows than the image has left
    STRIP_ROW_TOO_SHORT = 6, // BytesPerRow below the bytes of one row
    STRIP_OVER_BUFFER = 7,   // the rows described do not fit in the buffer
    STRIP_BYTES_WRITTEN = 8, // BytesWritten does not cover the rows described
};

const char *StripResultText(int result);

// Sets up the image; rows must hold stride × height zeroed bytes (the
// caller allocates them after StripImageInit has computed the stride).
// False for a depth other than 1, 8, 24 or sizes that overflow.
bool StripImageInit(StripImage *image, int32_t width, int32_t height, int bitsPerPixel);
// Checks one strip and copies its rows into place. bufferSize is the
// Memory.Length the application offered: nothing beyond it is read.
int StripAdd(StripImage *image, const StripDesc *strip, const uint8_t *buffer,
             uint32_t bufferSize);
bool StripImageComplete(const StripImage *image);
