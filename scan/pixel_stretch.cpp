// Stretching across (interpolating grey and colour, repeating bits) and
// down (repeating lines). Every routine moves its source and destination
// forward only and reads each sample before it writes the output it yields,
// so the scan loops can grow a band towards the start of the work buffer in
// place: output that starts before its input never overtakes it.
#include "scan/pixel_routines.h"
#include <string.h>

namespace {

// Grey samples, or one channel of RGB samples when step is 3. The line's
// last extra pixel repeats the last pixel: nothing past the line is read,
// since a strip reader's band ends exactly at the end of the caller's buffer.
template <size_t step>
void StretchSamples(const uint8_t *source, uint8_t *destination, uint16_t width,
                    uint16_t denominator, uint16_t numerator, uint16_t lines)
{
    size_t in = 0, out = 0;          // sample indices, counted in steps
    for (size_t line = 0; line < lines; line++) {
        const size_t end = in + width;
        uint32_t accumulator = 0;    // below 2 x 65536: a 16-bit sum could wrap
        for (; in < end; in++) {
            const uint8_t v = source[in * step];
            accumulator += numerator;
            if (accumulator < denominator) {
                destination[out++ * step] = v;
                continue;
            }
            accumulator -= denominator;
            const uint8_t mean = in + 1 < end ? uint8_t((v + source[(in + 1) * step]) / 2) : v;
            destination[out++ * step] = v;
            destination[out++ * step] = mean;
        }
    }
}

// The doubling passes (numerator = denominator, or above it: every source
// sample then yields an extra one).
template <size_t step>
void DoubleSamples(const uint8_t *source, uint8_t *destination, uint16_t width, uint16_t lines)
{
    if (width == 0)
        return;
    size_t in = 0, out = 0;
    for (size_t line = 0; line < lines; line++) {
        uint8_t v = source[in * step];
        for (const size_t last = in + width - 1; in < last; in++) {
            const uint8_t next = source[(in + 1) * step];
            destination[out * step] = v;
            destination[(out + 1) * step] = uint8_t((v + next) / 2);
            out += 2;
            v = next;
        }
        destination[out * step] = v;
        destination[(out + 1) * step] = v;
        out += 2;
        in++;
    }
}

// Each bit of a byte twice: the sixteen bits of the doubled byte.
inline uint16_t DoubledBits(uint8_t byte)
{
    uint32_t x = byte;
    x = (x | x << 4) & 0x0F0F;
    x = (x | x << 2) & 0x3333;
    x = (x | x << 1) & 0x5555;
    return uint16_t(x | x << 1);
}

void DoubleEveryBit(const uint8_t *source, uint8_t *destination, uint16_t width, uint16_t lines)
{
    const size_t bytes = size_t(width) * lines;
    for (size_t i = 0; i < bytes; i++) {
        const uint16_t doubled = DoubledBits(source[i]);
        destination[2 * i] = uint8_t(doubled >> 8);
        destination[2 * i + 1] = uint8_t(doubled);
    }
}

} // namespace

void StretchGrey(const uint8_t *source, uint8_t *destination, uint16_t width,
                 uint16_t denominator, uint16_t numerator, uint16_t lines)
{
    if (numerator >= denominator)
        DoubleSamples<1>(source, destination, width, lines);
    else
        StretchSamples<1>(source, destination, width, denominator, numerator, lines);
}

void StretchRgbChannel(const uint8_t *source, uint8_t *destination, uint16_t width,
                       uint16_t denominator, uint16_t numerator, uint16_t lines)
{
    if (numerator >= denominator)
        DoubleSamples<3>(source, destination, width, lines);
    else
        StretchSamples<3>(source, destination, width, denominator, numerator, lines);
}

void StretchBits(const uint8_t *source, uint8_t *destination, uint16_t width,
                 uint16_t denominator, uint16_t numerator, uint16_t lines)
{
    if (numerator >= denominator) {  // every bit doubles: whole bytes in, two bytes out
        DoubleEveryBit(source, destination, width, lines);
        return;
    }
    size_t in = 0, out = 0;
    for (size_t line = 0; line < lines; line++) {
        uint32_t accumulator = 0;
        uint32_t pending = 0;        // appended bits not yet stored, newest lowest
        unsigned pendingBits = 0;    // at most 7 between bytes, so at most 9 here
        for (const size_t end = in + width; in < end; in++) {
            const unsigned byte = source[in];
            for (int shift = 7; shift >= 0; shift--) {
                const unsigned bit = (byte >> shift) & 1;
                pending = pending << 1 | bit;
                pendingBits++;
                accumulator += numerator;
                if (accumulator >= denominator) {
                    accumulator -= denominator;
                    pending = pending << 1 | bit;
                    pendingBits++;
                }
                if (pendingBits >= 8) {
                    pendingBits -= 8;
                    destination[out++] = uint8_t(pending >> pendingBits);
                }
            }
        }
        // fewer than 8 bits left over are dropped
    }
}

void DoubleLines(const uint8_t *source, uint8_t *destination, uint16_t lineBytes, uint16_t lines)
{
    for (size_t line = 0; line < lines; line++) {
        uint8_t *first = destination + 2 * line * lineBytes;
        memmove(first, source + line * lineBytes, lineBytes);
        // From the first copy: in place the first copy may cover the source line.
        memmove(first + lineBytes, first, lineBytes);
    }
}

int RepeatLines(const uint8_t *source, uint8_t *destination, uint16_t lineBytes, uint16_t lines,
                uint16_t denominator, uint16_t numerator, uint16_t *accumulator, uint16_t maxLines)
{
    uint32_t sum = *accumulator;
    size_t written = 0;
    for (size_t line = 0; line < lines; line++) {
        if (written >= maxLines)
            return 0;
        uint8_t *copy = destination + written * lineBytes;
        memmove(copy, source + line * lineBytes, lineBytes);
        written++;
        sum += numerator;
        if (sum >= denominator) {
            sum -= denominator;
            if (written >= maxLines)
                return 0;
            memmove(copy + lineBytes, copy, lineBytes);
            written++;
        }
        // Saturating keeps a numerator above the denominator (no caller's)
        // repeating every line instead of wrapping the 16-bit counter.
        *accumulator = uint16_t(sum > 0xFFFF ? 0xFFFF : sum);
    }
    return int(written);
}
