// Whether what a source says about its image, in DAT_IMAGEINFO and in the
// bitmap it hands over, holds together well enough to write a BMP of it.
// Platform-free.
#pragma once
#include <stdint.h>

// The fields of TW_IMAGEINFO the tool relies on.
struct ImageDescription {
    int32_t width;
    int32_t length;
    int samplesPerPixel;
    int bitsPerSample[8];
    int bitsPerPixel;
    int planar;
    int pixelType;   // TWPT_BW 0, TWPT_GRAY 1, TWPT_RGB 2
    int compression;
};

// Null when the description is one the tool can take (chunky, uncompressed
// black and white at 1 bit, grey at 8, RGB at 3 × 8), else what is wrong.
const char *ImageDescriptionProblem(const ImageDescription *d);
// Null when a bitmap of width × |height| at bitsPerPixel is the image
// described, else what differs.
const char *ImageShapeMismatch(const ImageDescription *d, int32_t width, int32_t height,
                               int bitsPerPixel);
