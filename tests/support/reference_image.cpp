#include "tests/support/reference_image.h"
#include <algorithm>
#include "ui/scan_settings.h"

namespace {

// Stretch across as documented: an extra pixel after every source pixel at
// which the accumulator reaches the denominator, the mean with the next
// pixel, or the pixel itself at the end of the line.
Bytes StretchSamples(const Bytes &in, uint32_t den, uint32_t num)
{
    Bytes out;
    uint32_t acc = 0;
    for (size_t i = 0; i < in.size(); i++) {
        acc += num;
        out.push_back(in[i]);
        if (acc >= den) {
            acc -= den;
            out.push_back(i + 1 < in.size() ? uint8_t((in[i] + in[i + 1]) / 2) : in[i]);
        }
    }
    return out;
}

Bytes StretchBitsRef(const Bytes &in, uint32_t den, uint32_t num)
{
    std::vector<int> bits;
    uint32_t acc = 0;
    for (uint8_t byte : in)
        for (int b = 7; b >= 0; b--) {
            int bit = byte >> b & 1;
            acc += num;
            bits.push_back(bit);
            if (acc >= den) {
                acc -= den;
                bits.push_back(bit);
            }
        }
    Bytes out(bits.size() / 8);
    for (size_t i = 0; i < out.size() * 8; i++)
        out[i / 8] |= uint8_t(bits[i] << (7 - i % 8));
    return out;
}

// One line through doubling passes and the final pass, as the engine
// stretches beyond the optical resolution.
Bytes StretchLine(Bytes line, uint32_t x, uint32_t optical, bool bits)
{
    if (x <= optical)
        return line;
    uint32_t step = 2 * optical;
    while (x > step) {
        line = bits ? StretchBitsRef(line, step, step) : StretchSamples(line, step, step);
        step *= 2;
    }
    return bits ? StretchBitsRef(line, step / 2, x - step / 2) : StretchSamples(line, step / 2, x - step / 2);
}

// The expected image: the scanner's lines as the chart renders them, then
// the engine's processing, line after line, repeating lines down the page.
} // namespace

Bytes Expected(const ChartWindow &w, const ChartTone &tone, int mode, bool flip, uint32_t x, uint32_t y,
               uint32_t yLimit)
{
    ChartGeometry g = ChartGeometryOf(w);
    std::vector<Bytes> lines;
    Bytes raw(g.planes * g.lineLength);
    for (uint32_t j = 0; j < g.lines; j++) {
        ChartRenderLine(w, tone, j, raw.data());
        Bytes line;
        if (mode == MODE_COLOUR) {
            std::vector<Bytes> channel(3);
            for (int c = 0; c < 3; c++) {
                channel[c].assign(raw.begin() + c * g.lineLength, raw.begin() + (c + 1) * g.lineLength);
                if (flip)
                    std::reverse(channel[c].begin(), channel[c].end());
                channel[c] = StretchLine(channel[c], x, w.optical, false);
            }
            for (size_t i = 0; i < channel[0].size(); i++)
                for (int c = 0; c < 3; c++)
                    line.push_back(channel[c][i]);
        } else {
            line = raw;
            if (flip) {
                std::reverse(line.begin(), line.end());
                if (mode == MODE_BW)
                    for (uint8_t &b : line) {
                        uint8_t r = 0;
                        for (int k = 0; k < 8; k++)
                            r |= uint8_t((b >> k & 1) << (7 - k));
                        b = r;
                    }
            }
            line = StretchLine(line, x, w.optical, mode == MODE_BW);
        }
        lines.push_back(line);
    }
    if (y > yLimit) {
        uint32_t step = 2 * yLimit;
        while (y > step) {
            std::vector<Bytes> doubled;
            for (auto &l : lines) {
                doubled.push_back(l);
                doubled.push_back(l);
            }
            lines.swap(doubled);
            step *= 2;
        }
        std::vector<Bytes> repeated;
        uint32_t acc = 0, half = step / 2;
        for (auto &l : lines) {
            repeated.push_back(l);
            acc += y - half;
            if (acc >= half) {
                repeated.push_back(l);
                acc -= half;
            }
        }
        lines.swap(repeated);
    }
    Bytes image;
    for (auto &l : lines)
        image.insert(image.end(), l.begin(), l.end());
    return image;
}

