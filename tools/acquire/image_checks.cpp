#include "acquire/image_checks.h"

namespace {

struct PixelKind {
    int pixelType, samples, bitsPerSample, bitsPerPixel;
};

const PixelKind kKinds[] = {
    {0, 1, 1, 1},  // black and white
    {1, 1, 8, 8},  // grey
    {2, 3, 8, 24}, // RGB
};

} // namespace

const char *ImageDescriptionProblem(const ImageDescription *d)
{
    if (d->width <= 0 || d->length <= 0)
        return "ImageWidth or ImageLength is not positive";
    if (d->compression != 0)
        return "Compression is not TWCP_NONE";
    if (d->planar != 0)
        return "Planar images are not taken";
    const PixelKind *kind = nullptr;
    for (const PixelKind &k : kKinds) {
        if (k.pixelType == d->pixelType)
            kind = &k;
    }
    if (kind == nullptr)
        return "PixelType is not TWPT_BW, TWPT_GRAY or TWPT_RGB";
    if (d->samplesPerPixel != kind->samples)
        return "SamplesPerPixel does not fit PixelType";
    if (d->bitsPerPixel != kind->bitsPerPixel)
        return "BitsPerPixel does not fit PixelType";
    // Entries past SamplesPerPixel are not looked at.
    for (int i = 0; i < kind->samples; ++i) {
        if (d->bitsPerSample[i] != kind->bitsPerSample)
            return "BitsPerSample does not fit PixelType";
    }
    return nullptr;
}

const char *ImageShapeMismatch(const ImageDescription *d, int32_t width, int32_t height,
                               int bitsPerPixel)
{
    int32_t rows = height < 0 ? -height : height;
    if (width != d->width)
        return "its width is not ImageWidth";
    if (rows != d->length)
        return "its height is not ImageLength";
    if (bitsPerPixel != d->bitsPerPixel)
        return "its depth is not BitsPerPixel";
    return nullptr;
}
