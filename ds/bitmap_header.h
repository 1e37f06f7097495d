// The header and palette that the native bitmap and the BMP file share.
#pragma once
#include <windows.h>
#include <stdint.h>

struct BitmapLayout {
    uint32_t stride;         // row bytes, raised to a multiple of 4
    uint64_t imageSize;      // stride x rows
    uint32_t paletteBytes;   // 8 for black and white, 1024 for grey, 0 for colour
    uint32_t colours;        // palette entries
};

// Layout of the image the prepared scan delivers.
BitmapLayout ImageBitmapLayout();
// BITMAPINFOHEADER followed by the palette, written at `at`.
void WriteBitmapInfo(uint8_t *at, const BitmapLayout &layout);
