#include "acquire/strip_image.h"
#include <string.h>
#include "acquire/bmp_layout.h"

namespace {

void CopyRow(const StripImage *image, const uint8_t *from, uint8_t *to)
{
    if (image->bitsPerPixel != 24) {
        memcpy(to, from, image->rowBytes);
        return;
    }
    for (int32_t x = 0; x < image->width; ++x, from += 3, to += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
    }
}

int CheckStrip(const StripImage *image, const StripDesc *strip, uint32_t bufferSize)
{
    if (strip->compression != 0)
        return STRIP_COMPRESSED;
    if (strip->columns != uint32_t(image->width))
        return STRIP_COLUMNS;
    if (strip->xOffset != 0 || strip->yOffset != image->rowsDone)
        return STRIP_NOT_NEXT;
    if (strip->rows == 0)
        return STRIP_EMPTY;
    if (strip->rows > uint32_t(image->height) - image->rowsDone)
        return STRIP_PAST_END;
    if (strip->bytesPerRow < image->rowBytes)
        return STRIP_ROW_TOO_SHORT;
    // The last row needs only its pixels, not its padding.
    uint64_t needed = uint64_t(strip->bytesPerRow) * (strip->rows - 1) + image->rowBytes;
    if (needed > bufferSize)
        return STRIP_OVER_BUFFER;
    if (strip->bytesWritten < needed || strip->bytesWritten > bufferSize)
        return STRIP_BYTES_WRITTEN;
    return STRIP_OK;
}

} // namespace

const char *StripResultText(int result)
{
    switch (result) {
    case STRIP_OK:
        return "in order";
    case STRIP_COMPRESSED:
        return "Compression is not TWCP_NONE";
    case STRIP_COLUMNS:
        return "Columns differs from the image width";
    case STRIP_NOT_NEXT:
        return "XOffset/YOffset is not the next missing row";
    case STRIP_EMPTY:
        return "the strip has no rows";
    case STRIP_PAST_END:
        return "the strip goes past the last row of the image";
    case STRIP_ROW_TOO_SHORT:
        return "BytesPerRow is shorter than one row of pixels";
    case STRIP_OVER_BUFFER:
        return "the rows described do not fit in Memory.Length";
    case STRIP_BYTES_WRITTEN:
        return "BytesWritten does not match the rows described";
    default:
        return "unexpected";
    }
}

bool StripImageInit(StripImage *image, int32_t width, int32_t height, int bitsPerPixel)
{
    memset(image, 0, sizeof *image);
    BmpShape shape;
    if (!BmpShapeFor(width, height, bitsPerPixel, 0, &shape))
        return false;
    image->width = width;
    image->height = height;
    image->bitsPerPixel = bitsPerPixel;
    image->rowBytes = BmpRowBytes(width, bitsPerPixel);
    image->stride = shape.stride;
    return true;
}

int StripAdd(StripImage *image, const StripDesc *strip, const uint8_t *buffer,
             uint32_t bufferSize)
{
    int rc = CheckStrip(image, strip, bufferSize);
    if (rc != STRIP_OK)
        return rc;
    for (uint32_t r = 0; r < strip->rows; ++r) {
        uint32_t fromTop = image->rowsDone + r;
        uint8_t *slot = image->rows + size_t(uint32_t(image->height) - 1 - fromTop) * image->stride;
        CopyRow(image, buffer + size_t(r) * strip->bytesPerRow, slot);
    }
    image->rowsDone += strip->rows;
    image->strips++;
    return STRIP_OK;
}

bool StripImageComplete(const StripImage *image)
{
    return image->rowsDone == uint32_t(image->height);
}
