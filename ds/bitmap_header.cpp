#include "ds/bitmap_header.h"
#include <string.h>
#include "scan/scan_window.h"

BitmapLayout ImageBitmapLayout()
{
    const ImageGeometryRecord &g = ImageGeometry;
    BitmapLayout layout;
    layout.stride = (g.BytesPerLine + 3) & ~3u;
    layout.imageSize = uint64_t(layout.stride) * g.ImageLength;
    layout.colours = g.Kind == KIND_BW ? 2 : g.Kind == KIND_GREY ? 256 : 0;
    layout.paletteBytes = 4 * layout.colours;
    return layout;
}

void WriteBitmapInfo(uint8_t *at, const BitmapLayout &layout)
{
    const ImageGeometryRecord &g = ImageGeometry;
    LONG perMetre = LONG(g.XResolution * 10000 / 254);
    BITMAPINFOHEADER header;
    memset(&header, 0, sizeof header);
    header.biSize = sizeof header;
    header.biWidth = LONG(g.ImageWidth);
    header.biHeight = LONG(g.ImageLength);
    header.biPlanes = 1;
    header.biBitCount = WORD(g.BitsPerPixel);
    header.biCompression = BI_RGB;
    header.biSizeImage = DWORD(layout.imageSize);
    header.biXPelsPerMeter = header.biYPelsPerMeter = perMetre;
    header.biClrUsed = layout.colours;
    memcpy(at, &header, sizeof header);
    uint8_t *palette = at + sizeof header;
    for (uint32_t i = 0; i < layout.colours; i++) {
        uint8_t level = uint8_t(layout.colours == 2 ? i * 255 : i);
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = level;
        palette[4 * i + 3] = 0;
    }
}
