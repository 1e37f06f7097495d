#include "acquire/bmp_layout.h"
#include <string.h>

namespace {

const uint32_t kMaxImageBytes = 0x7FFFFFFF;

uint32_t Get16(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t Get32(const uint8_t *p)
{
    return Get16(p) | Get16(p + 2) << 16;
}

void Put16(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t *p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

bool PlainDepth(uint32_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The info header and the palette, which must lie within size.
int ReadInfo(const uint8_t *dib, size_t size, BmpShape *shape)
{
    memset(shape, 0, sizeof *shape);
    if (size < BMP_INFO_HEADER_SIZE)
        return BMP_TOO_SHORT;
    uint32_t infoSize = Get32(dib);
    if (infoSize < BMP_INFO_HEADER_SIZE)
        return BMP_BAD_HEADER;
    if (size < infoSize)
        return BMP_TOO_SHORT;
    if (Get16(dib + 12) != 1)
        return BMP_BAD_HEADER;
    uint32_t bits = Get16(dib + 14);
    if (!PlainDepth(bits))
        return BMP_BAD_BITS;
    if (Get32(dib + 16) != 0)
        return BMP_COMPRESSED;
    int32_t width = int32_t(Get32(dib + 4));
    int32_t height = int32_t(Get32(dib + 8));
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return BMP_BAD_SIZE;
    uint32_t used = Get32(dib + 32);
    uint32_t indexable = bits <= 8 ? 1u << bits : 256;
    if (used > indexable)
        return BMP_BAD_PALETTE;
    uint32_t entries = used != 0 || bits > 8 ? used : indexable;
    uint32_t stride = BmpStride(width, int(bits));
    uint64_t rows = uint64_t(height < 0 ? -int64_t(height) : height);
    uint64_t imageBytes = uint64_t(stride) * rows;
    if (stride == 0 || imageBytes > kMaxImageBytes)
        return BMP_BAD_SIZE;
    uint64_t headerBytes = uint64_t(infoSize) + uint64_t(entries) * 4;
    if (headerBytes > size)
        return BMP_TOO_SHORT;
    shape->width = width;
    shape->height = height;
    shape->bitsPerPixel = int(bits);
    shape->paletteEntries = entries;
    shape->headerBytes = uint32_t(headerBytes);
    shape->stride = stride;
    shape->imageBytes = uint32_t(imageBytes);
    shape->xPelsPerMetre = int32_t(Get32(dib + 24));
    return BMP_OK;
}

} // namespace

const char *BmpResultText(int result)
{
    switch (result) {
    case BMP_OK:
        return "a valid bitmap";
    case BMP_TOO_SHORT:
        return "shorter than its headers, palette and rows need";
    case BMP_NOT_BMP:
        return "no \"BM\" file type";
    case BMP_BAD_HEADER:
        return "not a BITMAPINFOHEADER (biSize below 40 or biPlanes not 1)";
    case BMP_BAD_BITS:
        return "biBitCount is not 1, 4, 8, 16, 24 or 32";
    case BMP_COMPRESSED:
        return "biCompression is not BI_RGB";
    case BMP_BAD_SIZE:
        return "width or height out of range";
    case BMP_BAD_PALETTE:
        return "biClrUsed beyond what the depth can index";
    case BMP_BAD_OFFSET:
        return "bfOffBits points into the headers or beyond the file";
    case BMP_SIZE_FIELD:
        return "bfSize is not the size of the file";
    default:
        return "unreadable";
    }
}

uint32_t BmpRowBytes(int32_t width, int bitsPerPixel)
{
    if (width <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 32)
        return 0;
    uint64_t bytes = (uint64_t(width) * uint64_t(bitsPerPixel) + 7) / 8;
    return bytes + 3 <= kMaxImageBytes ? uint32_t(bytes) : 0;
}

uint32_t BmpStride(int32_t width, int bitsPerPixel)
{
    uint32_t bytes = BmpRowBytes(width, bitsPerPixel);
    return (bytes + 3) & ~3u;
}

uint32_t BmpPaletteEntries(int bitsPerPixel)
{
    return bitsPerPixel == 1 ? 2 : bitsPerPixel == 8 ? 256 : 0;
}

int32_t BmpPelsPerMetre(int32_t dotsPerInch)
{
    return int32_t(int64_t(dotsPerInch) * 10000 / 254);
}

bool BmpShapeFor(int32_t width, int32_t height, int bitsPerPixel, int32_t dotsPerInch,
                 BmpShape *shape)
{
    memset(shape, 0, sizeof *shape);
    if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24)
        return false;
    uint32_t stride = BmpStride(width, bitsPerPixel);
    if (stride == 0 || height <= 0 || uint64_t(stride) * uint64_t(height) > kMaxImageBytes)
        return false;
    shape->width = width;
    shape->height = height;
    shape->bitsPerPixel = bitsPerPixel;
    shape->paletteEntries = BmpPaletteEntries(bitsPerPixel);
    shape->headerBytes = BMP_INFO_HEADER_SIZE + shape->paletteEntries * 4;
    shape->stride = stride;
    shape->imageBytes = stride * uint32_t(height);
    shape->xPelsPerMetre = BmpPelsPerMetre(dotsPerInch);
    return true;
}

void BmpWriteFileHeader(const BmpShape *shape, uint8_t *out)
{
    uint32_t rowsAt = BMP_FILE_HEADER_SIZE + shape->headerBytes;
    out[0] = 'B';
    out[1] = 'M';
    Put32(out + 2, rowsAt + shape->imageBytes);
    Put32(out + 6, 0);
    Put32(out + 10, rowsAt);
}

size_t BmpWriteHeaders(const BmpShape *shape, uint8_t *out, size_t outSize)
{
    size_t total = BMP_FILE_HEADER_SIZE + size_t(shape->headerBytes);
    if (outSize < total || shape->headerBytes != BMP_INFO_HEADER_SIZE + shape->paletteEntries * 4)
        return 0;
    memset(out, 0, total);
    BmpWriteFileHeader(shape, out);
    uint8_t *info = out + BMP_FILE_HEADER_SIZE;
    Put32(info, BMP_INFO_HEADER_SIZE);
    Put32(info + 4, uint32_t(shape->width));
    Put32(info + 8, uint32_t(shape->height));
    Put16(info + 12, 1);
    Put16(info + 14, uint32_t(shape->bitsPerPixel));
    Put32(info + 16, 0); // BI_RGB
    Put32(info + 20, shape->imageBytes);
    Put32(info + 24, uint32_t(shape->xPelsPerMetre));
    Put32(info + 28, uint32_t(shape->xPelsPerMetre));
    Put32(info + 32, shape->paletteEntries);
    Put32(info + 36, 0);
    // Black, white for 1 bit; a grey ramp for 8 bits: 0 is black, as the
    // scanner's samples count.
    uint8_t *palette = info + BMP_INFO_HEADER_SIZE;
    for (uint32_t i = 0; i < shape->paletteEntries; ++i) {
        uint8_t level = uint8_t(shape->paletteEntries == 2 ? i * 255 : i);
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = level;
        palette[4 * i + 3] = 0;
    }
    return total;
}

int BmpReadDib(const uint8_t *dib, size_t size, BmpShape *shape)
{
    int rc = ReadInfo(dib, size, shape);
    if (rc != BMP_OK)
        return rc;
    if (uint64_t(shape->headerBytes) + shape->imageBytes > size)
        return BMP_TOO_SHORT;
    return BMP_OK;
}

int BmpReadFile(const uint8_t *head, size_t available, uint64_t fileSize, BmpShape *shape,
                uint32_t *rowsAt, uint32_t *declaredSize)
{
    memset(shape, 0, sizeof *shape);
    *rowsAt = 0;
    *declaredSize = 0;
    if (available > fileSize)
        available = size_t(fileSize);
    if (available < BMP_FILE_HEADER_SIZE)
        return BMP_TOO_SHORT;
    if (head[0] != 'B' || head[1] != 'M')
        return BMP_NOT_BMP;
    *declaredSize = Get32(head + 2);
    *rowsAt = Get32(head + 10);
    int rc = ReadInfo(head + BMP_FILE_HEADER_SIZE, available - BMP_FILE_HEADER_SIZE, shape);
    if (rc != BMP_OK)
        return rc;
    if (*rowsAt < BMP_FILE_HEADER_SIZE + uint64_t(shape->headerBytes))
        return BMP_BAD_OFFSET;
    if (*rowsAt > fileSize)
        return BMP_BAD_OFFSET;
    if (uint64_t(*rowsAt) + shape->imageBytes > fileSize)
        return BMP_TOO_SHORT;
    if (*declaredSize != fileSize)
        return BMP_SIZE_FIELD;
    return BMP_OK;
}
