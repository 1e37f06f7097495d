// Hue, saturation and lightness of RGB or BGR pixels, in integer arithmetic
// with truncating quotients. The base hues of the sectors are one degree
// below the sector starts used when the pixel is rebuilt, so a base hue never
// exceeds 359 and the middle component is always recomputed from the hue.
#include "scan/pixel_routines.h"
#include <stddef.h>

namespace {

struct Rgb {
    int r, g, b;
};

// Hue (0 to 359) of a pixel whose components are not all equal, with its
// largest and smallest component.
int BaseHue(const Rgb &p, int &maximum, int &minimum)
{
    const int r = p.r, g = p.g, b = p.b;
    if (r >= g && g >= b) {
        maximum = r, minimum = b;
        return 60 * (g - b) / (maximum - minimum);
    }
    if (b <= r && r < g) {
        maximum = g, minimum = b;
        return 59 + 60 * (g - r) / (maximum - minimum);
    }
    if (r < b && b <= g) {
        maximum = g, minimum = r;
        return 119 + 60 * (b - r) / (maximum - minimum);
    }
    if (r < g && g < b) {
        maximum = b, minimum = r;
        return 179 + 60 * (b - g) / (maximum - minimum);
    }
    if (g <= r && r < b) {
        maximum = b, minimum = g;
        return 239 + 60 * (r - g) / (maximum - minimum);
    }
    maximum = r, minimum = g;        // g < b <= r
    return 299 + 60 * (r - b) / (maximum - minimum);
}

// Below 100 pulls the extremes towards the mean, above 100 spreads them
// apart as far as the room to 0 and 255 allows.
void Saturate(const Rgb &p, int maximum, int minimum, int saturation, int &top, int &bottom)
{
    if (saturation < 100) {
        const int d = 100 - saturation;
        const int mean = (p.r + p.g + p.b) / 3;
        top = maximum - (maximum - mean) * d / 100;
        bottom = minimum + (mean - minimum) * d / 100;
        return;
    }
    const int e = saturation - 100;
    const int room = 255 - maximum < minimum ? 255 - maximum : minimum;
    int k = (maximum - minimum) * e / 150;
    if (k > room)
        k = room;
    top = maximum + k;
    bottom = minimum - k;
}

Rgb FromHue(int hue, int top, int bottom)
{
    static const int kSectorEnd[6] = {60, 120, 180, 240, 300, 359};
    int sector = 0;
    while (hue > kSectorEnd[sector])
        sector++;
    const int x = (top - bottom) * (hue - 60 * sector) / 60;
    switch (sector) {
    case 0: return {top, bottom + x, bottom};
    case 1: return {top - x, top, bottom};
    case 2: return {bottom, top, bottom + x};
    case 3: return {bottom, top - x, top};
    case 4: return {bottom + x, bottom, top};
    default: return {top, bottom, top - x};
    }
}

inline int Lighten(int c, int lightness)
{
    if (lightness > 100)
        c += (255 - c) * (lightness - 100) / 100;
    else if (lightness < 100)
        c -= c * (100 - lightness) / 100;
    return c > 255 ? 255 : c;        // reached only with a lightness above 200
}

} // namespace

void AdjustHueSat(uint8_t *buffer, uint16_t bytesPerLine, uint16_t lines, uint16_t hue,
                  uint16_t saturation, uint16_t lightness, int byteOrder)
{
    const size_t pixels = size_t(lines) * (bytesPerLine / 3u);
    const int shift = hue % 360;     // keeps the rebuilt hue inside the six sectors
    const int first = byteOrder == BYTE_ORDER_BGR ? 2 : 0, last = 2 - first;
    for (size_t i = 0; i < pixels; i++, buffer += 3) {
        Rgb p = {buffer[first], buffer[1], buffer[last]};
        if (p.r != p.g || p.g != p.b) {
            int maximum, minimum, top, bottom;
            int h = BaseHue(p, maximum, minimum) + shift;
            if (h >= 360)
                h -= 360;
            Saturate(p, maximum, minimum, saturation, top, bottom);
            p = FromHue(h, top, bottom);
        }
        buffer[first] = uint8_t(Lighten(p.r, lightness));
        buffer[1] = uint8_t(Lighten(p.g, lightness));
        buffer[last] = uint8_t(Lighten(p.b, lightness));
    }
}
