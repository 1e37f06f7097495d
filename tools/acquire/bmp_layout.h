// BMP files as the tool writes and checks them: the 14-byte file header, a
// BITMAPINFOHEADER (40 bytes or longer), the palette of 4-byte entries (blue,
// green, red, 0), then the pixel rows, each padded to a multiple of 4 bytes,
// bottom row first when the height is positive. A packed DIB, as a native
// transfer hands it over, is the same without the file header.
// Platform-free: every field is read and written byte by byte, little-endian.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum { BMP_FILE_HEADER_SIZE = 14, BMP_INFO_HEADER_SIZE = 40 };

// What the headers say about an image, as far as the tool needs it.
struct BmpShape {
    int32_t width;
    int32_t height;         // as stored: positive is bottom-up
    int bitsPerPixel;       // 1, 4, 8, 16, 24 or 32
    uint32_t paletteEntries;
    uint32_t headerBytes;   // info header + palette: where the rows start in a DIB
    uint32_t stride;        // bytes per row, padding included
    uint32_t imageBytes;    // stride × |height|
    int32_t xPelsPerMetre;
};

// Results of reading headers; each names what was wrong.
enum BmpResult {
    BMP_OK = 0,
    BMP_TOO_SHORT = 1,      // fewer bytes than the headers, palette or rows need
    BMP_NOT_BMP = 2,        // file type is not "BM"
    BMP_BAD_HEADER = 3,     // biSize below 40 or biPlanes not 1
    BMP_BAD_BITS = 4,       // biBitCount not a plain RGB depth
    BMP_COMPRESSED = 5,     // biCompression not BI_RGB
    BMP_BAD_SIZE = 6,       // width not positive, height 0, or the sizes overflow
    BMP_BAD_PALETTE = 7,    // biClrUsed beyond what the depth can index
    BMP_BAD_OFFSET = 8,     // bfOffBits points into the headers or leaves no room for the rows
    BMP_SIZE_FIELD = 9,     // bfSize is not the size of the file
};

const char *BmpResultText(int result);

// Bytes one row of pixels occupies, without and with the padding to 4 bytes.
// 0 when width and depth do not describe a row of less than 2^31 bytes.
uint32_t BmpRowBytes(int32_t width, int bitsPerPixel);
uint32_t BmpStride(int32_t width, int bitsPerPixel);
// Palette entries the tool writes for its own bitmaps: 2 (black, white) for
// 1 bit, 256 (grey ramp) for 8 bits, none for 24 bits.
uint32_t BmpPaletteEntries(int bitsPerPixel);
// Whole dots per inch to pixels per metre, as Windows counts them.
int32_t BmpPelsPerMetre(int32_t dotsPerInch);

// The shape of a bottom-up image the tool builds itself (1, 8 or 24 bits).
// False when the depth is another one or the sizes overflow.
bool BmpShapeFor(int32_t width, int32_t height, int bitsPerPixel, int32_t dotsPerInch,
                 BmpShape *shape);
// Writes the file header, the info header and the palette for that shape;
// returns the bytes written (= bfOffBits), or 0 when out is too small.
size_t BmpWriteHeaders(const BmpShape *shape, uint8_t *out, size_t outSize);

// Reads a packed DIB: info header, palette and rows must lie within size.
int BmpReadDib(const uint8_t *dib, size_t size, BmpShape *shape);
// Reads a BMP file from its first `available` bytes (which must hold the
// headers and the palette); the rows must fit in fileSize. *rowsAt receives
// bfOffBits and *declaredSize bfSize.
int BmpReadFile(const uint8_t *head, size_t available, uint64_t fileSize, BmpShape *shape,
                uint32_t *rowsAt, uint32_t *declaredSize);
// The 14-byte file header that makes a file of a packed DIB of that shape.
void BmpWriteFileHeader(const BmpShape *shape, uint8_t *out);
