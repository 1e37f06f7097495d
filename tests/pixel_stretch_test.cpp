// Stretching across and down against references built from the stretch
// rules, and the scan loop's in-place band layout run band by band against
// the whole image stretched in one go.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <algorithm>
#include <random>
#include <vector>
#include "scan/pixel_routines.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto &v : b)
        v = uint8_t(rng());
    return b;
}

// An extra sample follows source sample i (0-based) when the count of
// extras floor(i x num / den) grows there.
bool ExtraAfter(size_t i, uint32_t num, uint32_t den)
{
    return uint64_t(i + 1) * num / den > uint64_t(i) * num / den;
}

Bytes RefStretchLine(const uint8_t *line, size_t width, uint32_t den, uint32_t num)
{
    Bytes out;
    for (size_t i = 0; i < width; i++) {
        out.push_back(line[i]);
        if (ExtraAfter(i, num, den))
            out.push_back(i + 1 < width ? uint8_t((line[i] + line[i + 1]) / 2) : line[i]);
    }
    return out;
}

Bytes RefStretchBitsLine(const uint8_t *line, size_t width, uint32_t den, uint32_t num)
{
    std::vector<int> bits;
    for (size_t i = 0; i < 8 * width; i++) {
        const int bit = line[i / 8] >> (7 - i % 8) & 1;
        bits.push_back(bit);
        if (ExtraAfter(i, num, den))
            bits.push_back(bit);
    }
    Bytes out(bits.size() / 8);
    for (size_t j = 0; j < out.size() * 8; j++)
        out[j / 8] |= uint8_t(bits[j] << (7 - j % 8));
    return out;
}

enum Kind { GREY, COLOUR, BITS };

// One stretch pass across over all lines, out of place, from the references.
Bytes RefStretchAcross(const Bytes &in, Kind kind, size_t width, size_t lines, uint32_t den, uint32_t num)
{
    Bytes out;
    for (size_t l = 0; l < lines; l++) {
        if (kind == GREY || kind == BITS) {
            const uint8_t *line = in.data() + l * width;
            Bytes o = kind == GREY ? RefStretchLine(line, width, den, num) : RefStretchBitsLine(line, width, den, num);
            out.insert(out.end(), o.begin(), o.end());
            continue;
        }
        Bytes channel[3];
        for (int c = 0; c < 3; c++) {
            Bytes samples(width);
            for (size_t i = 0; i < width; i++)
                samples[i] = in[(l * width + i) * 3 + c];
            channel[c] = RefStretchLine(samples.data(), width, den, num);
        }
        for (size_t i = 0; i < channel[0].size(); i++)
            for (int c = 0; c < 3; c++)
                out.push_back(channel[c][i]);
    }
    return out;
}

// The routine under test, one pass.
void StretchPass(const uint8_t *src, uint8_t *dst, Kind kind, uint16_t width, uint16_t den, uint16_t num, uint16_t lines)
{
    if (kind == GREY)
        StretchGrey(src, dst, width, den, num, lines);
    else if (kind == BITS)
        StretchBits(src, dst, width, den, num, lines);
    else
        for (int c = 0; c < 3; c++)
            StretchRgbChannel(src + c, dst + c, width, den, num, lines);
}

struct AcrossCase {
    Kind kind;
    uint16_t width, den, num, lines;
};

class StretchAcross : public ::testing::TestWithParam<AcrossCase> {};

TEST_P(StretchAcross, MatchesReferenceAndWritesExactlyTheStretchedLength)
{
    const AcrossCase c = GetParam();
    const size_t unit = c.kind == COLOUR ? 3 : 1;
    // Exactly sized source: a read of the byte after the last line would be
    // outside it (caught by the sanitizer build).
    const Bytes src = RandomBytes(unit * c.width * c.lines, c.width * 31u + c.num);
    const Bytes want = RefStretchAcross(src, c.kind, c.width, c.lines, c.den, c.num);
    // floor(w x (num + den) / den) per line: what the geometry announces.
    const size_t perLine = size_t(uint64_t(c.width) * (c.num + c.den) / c.den);
    ASSERT_EQ(want.size(), unit * perLine * c.lines);

    Bytes dst(want.size() + 16, 0xA5);
    StretchPass(src.data(), dst.data(), c.kind, c.width, c.den, c.num, c.lines);
    EXPECT_EQ(Bytes(dst.begin(), dst.begin() + want.size()), want);
    EXPECT_EQ(Bytes(dst.begin() + want.size(), dst.end()), Bytes(16, 0xA5)) << "wrote past the stretched lines";
}

INSTANTIATE_TEST_SUITE_P(Cases, StretchAcross, ::testing::Values(
    AcrossCase{GREY, 1, 1, 1, 3}, AcrossCase{GREY, 7, 600, 600, 5}, AcrossCase{GREY, 100, 4800, 1, 4},
    AcrossCase{GREY, 333, 600, 599, 3}, AcrossCase{GREY, 250, 7, 3, 9}, AcrossCase{GREY, 50, 5, 0, 2},
    AcrossCase{COLOUR, 1, 3, 3, 2}, AcrossCase{COLOUR, 41, 2400, 2400, 3}, AcrossCase{COLOUR, 97, 600, 100, 4},
    AcrossCase{BITS, 1, 1, 1, 1}, AcrossCase{BITS, 13, 600, 600, 3}, AcrossCase{BITS, 5, 3, 1, 7},
    AcrossCase{BITS, 31, 600, 577, 2},
    // 8 x width bits exceed 16 bits: a 16-bit bit counter would wrap
    AcrossCase{BITS, 9000, 600, 401, 1}, AcrossCase{GREY, 40000, 65535, 65534, 1}));

TEST(StretchAcross, WorkedExamples)
{
    const uint8_t line[3] = {10, 20, 30};
    uint8_t out[6];
    StretchGrey(line, out, 3, 1, 1, 1);
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{10, 15, 20, 25, 30, 30}));

    const uint8_t four[4] = {10, 20, 40, 80};
    uint8_t six[6];
    StretchGrey(four, six, 4, 2, 1, 1);
    EXPECT_EQ(Bytes(six, six + 6), (Bytes{10, 20, 30, 40, 80, 80}));

    const uint8_t bits = 0xB0;
    uint8_t doubled[2] = {0x11, 0x11};
    StretchBits(&bits, doubled, 1, 1, 1, 1);
    EXPECT_EQ(doubled[0], 0xCF);
    EXPECT_EQ(doubled[1], 0x00);
}

TEST(StretchAcross, OneChannelLeavesTheOtherChannelsAlone)
{
    const uint8_t rgb[6] = {10, 1, 2, 30, 3, 4};
    uint8_t out[12];
    memset(out, 0xEE, sizeof out);
    StretchRgbChannel(rgb, out, 2, 1, 1, 1);
    EXPECT_EQ(Bytes(out, out + 12), (Bytes{10, 0xEE, 0xEE, 20, 0xEE, 0xEE, 30, 0xEE, 0xEE, 30, 0xEE, 0xEE}));
}

// Stretch down: the final pass carries its accumulator from band to band.
TEST(StretchDown, RepeatLinesCarriesTheAccumulatorAcrossBands)
{
    const uint16_t L = 5, lines = 23, den = 7, num = 3;
    const Bytes src = RandomBytes(L * lines, 9);
    Bytes want;
    for (size_t j = 0; j < lines; j++)
        for (int copy = 0; copy < (ExtraAfter(j, num, den) ? 2 : 1); copy++)
            want.insert(want.end(), src.begin() + j * L, src.begin() + (j + 1) * L);

    for (uint16_t band : {uint16_t(23), uint16_t(1), uint16_t(4), uint16_t(10)}) {
        Bytes got, out(2 * L * lines);
        uint16_t accumulator = 0;
        for (uint16_t done = 0; done < lines; done += band) {
            const uint16_t n = std::min<uint16_t>(band, lines - done);
            const int written = RepeatLines(src.data() + done * L, out.data(), L, n, den, num, &accumulator, 0xFFFF);
            got.insert(got.end(), out.begin(), out.begin() + written * L);
        }
        EXPECT_EQ(got, want) << "bands of " << band;
    }
}

TEST(StretchDown, RepeatLinesStopsWhenTheStripIsFull)
{
    // Y three times the limit, one line read and doubled: the final pass
    // (h = 2M, d = M) wants a third line that a 2-line strip cannot hold.
    const uint8_t line[4] = {1, 2, 3, 4};
    uint8_t doubled[8];
    DoubleLines(line, doubled, 4, 1);
    EXPECT_EQ(Bytes(doubled, doubled + 8), (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
    uint8_t strip[12];
    uint16_t accumulator = 0;
    EXPECT_EQ(RepeatLines(doubled, strip, 4, 2, 4800, 2400, &accumulator, 2), 0);
    accumulator = 0;
    EXPECT_EQ(RepeatLines(doubled, strip, 4, 2, 4800, 2400, &accumulator, 3), 3);
    EXPECT_EQ(accumulator, 0);
}

// The whole path of one image: the references out of place over the whole
// image, against the routines run band by band in place inside one 64 KB
// work buffer (read area ending at 32768, growing towards 0) or inside a
// strip buffer of exactly C lines.
struct ImageCase {
    Kind kind;
    uint16_t width, lines, optical, x, limit, y;
};

uint16_t Stretched(uint16_t v, uint16_t res, uint16_t base)
{
    return res > base ? uint16_t(uint32_t(res) * v / base) : v;
}

Bytes ReferenceImage(const Bytes &raw, const ImageCase &c)
{
    Bytes across = raw;
    size_t width = c.width;
    if (c.x > c.optical) {
        uint32_t s = 2u * c.optical;
        for (; c.x > s; s *= 2, width *= 2)
            across = RefStretchAcross(across, c.kind, width, c.lines, s, s);
        across = RefStretchAcross(across, c.kind, width, c.lines, s / 2, c.x - s / 2);
    }
    const size_t L = across.size() / c.lines;
    if (c.y <= c.limit)
        return across;
    uint32_t s = 2u * c.limit, repeat = 1;
    for (; c.y > s; s *= 2)
        repeat *= 2;
    Bytes out;
    size_t j = 0;
    for (size_t l = 0; l < c.lines; l++)
        for (uint32_t r = 0; r < repeat; r++, j++)
            for (int copy = 0; copy < (ExtraAfter(j, c.y - s / 2, s / 2) ? 2 : 1); copy++)
                out.insert(out.end(), across.begin() + l * L, across.begin() + (l + 1) * L);
    return out;
}

// Stretches the n raw lines at buf + p across and down as the scan loops do;
// returns the offset of the result and updates n. finalX and finalY are
// where the last passes write.
size_t StretchBand(uint8_t *buf, size_t p, uint16_t &n, const ImageCase &c, size_t L, size_t finalX,
                   size_t finalY, uint16_t *accumulator, uint16_t maxLines)
{
    const size_t unit = c.kind == COLOUR ? 3 : 1;
    if (c.x > c.optical) {
        uint32_t k = 1, s = 2u * c.optical;
        for (; c.x > s; k *= 2, s *= 2) {
            const size_t dest = p - size_t(n) * c.width * k * unit;
            StretchPass(buf + p, buf + dest, c.kind, uint16_t(c.width * k), uint16_t(s), uint16_t(s), n);
            p = dest;
        }
        StretchPass(buf + p, buf + finalX, c.kind, uint16_t(c.width * k), uint16_t(s / 2), uint16_t(c.x - s / 2), n);
        p = finalX;
    }
    if (c.y > c.limit) {
        uint32_t s = 2u * c.limit;
        for (; c.y > s; s *= 2, n *= 2) {
            DoubleLines(buf + p, buf + p - n * L, uint16_t(L), n);
            p -= n * L;
        }
        n = uint16_t(RepeatLines(buf + p, buf + finalY, uint16_t(L), n, uint16_t(s / 2), uint16_t(c.y - s / 2),
                                 accumulator, maxLines));
        p = finalY;
    }
    return p;
}

Bytes ScanLoopImage(const Bytes &raw, const ImageCase &c, uint16_t band)
{
    const size_t unit = c.kind == COLOUR ? 3 : 1;
    const size_t L = unit * Stretched(c.width, c.x, c.optical);
    Bytes work(65535 + 10), out;
    uint16_t accumulator = 0;
    for (uint16_t done = 0; done < c.lines;) {
        uint16_t n = std::min<uint16_t>(band, c.lines - done);
        const size_t p = 32768 - size_t(band) * c.width * unit;
        memcpy(work.data() + p, raw.data() + done * c.width * unit, n * c.width * unit);
        done += n;
        const size_t q = StretchBand(work.data(), p, n, c, L, 32768 - L * band, 0, &accumulator, 0xFFFF);
        out.insert(out.end(), work.begin() + q, work.begin() + q + n * L);
    }
    return out;
}

Bytes StripImage(const Bytes &raw, const ImageCase &c, uint16_t capacity)
{
    const size_t unit = c.kind == COLOUR ? 3 : 1;
    const size_t L = unit * Stretched(c.width, c.x, c.optical);
    uint16_t r = c.y > c.limit ? uint16_t(uint32_t(capacity) * c.limit / c.y) : capacity;
    r = std::max<uint16_t>(r, 1);
    Bytes strip(L * capacity), out;   // exactly the caller's buffer
    uint16_t accumulator = 0;
    for (uint16_t done = 0; done < c.lines;) {
        uint16_t n = std::min<uint16_t>(r, c.lines - done);
        const size_t p = L * capacity - size_t(r) * c.width * unit;
        memcpy(strip.data() + p, raw.data() + done * c.width * unit, n * c.width * unit);
        done += n;
        const size_t q = StretchBand(strip.data(), p, n, c, L, (capacity - r) * L, 0, &accumulator, capacity);
        if (n == 0)
            return Bytes();
        out.insert(out.end(), strip.begin() + q, strip.begin() + q + n * L);
    }
    return out;
}

class BandedImage : public ::testing::TestWithParam<ImageCase> {};

TEST_P(BandedImage, DoesNotDependOnWhereBandsAreCut)
{
    const ImageCase c = GetParam();
    const size_t unit = c.kind == COLOUR ? 3 : 1;
    const Bytes raw = RandomBytes(unit * c.width * c.lines, c.x + c.y);
    const Bytes want = ReferenceImage(raw, c);
    // The geometry's BytesPerLine x ImageLength.
    ASSERT_EQ(want.size(), unit * Stretched(c.width, c.x, c.optical) * Stretched(c.lines, c.y, c.limit));

    const size_t L = unit * Stretched(c.width, c.x, c.optical);
    uint16_t fullBand = uint16_t(32768 / L);
    if (c.y > c.limit)
        fullBand = uint16_t(uint32_t(fullBand) * c.limit / c.y);
    ASSERT_GT(fullBand, 0);
    for (uint16_t band : {fullBand, uint16_t(1), uint16_t(3)}) {
        if (band > fullBand)
            continue;
        EXPECT_EQ(ScanLoopImage(raw, c, band), want) << "scan loop, bands of " << band;
    }
    // The memory transfer's smallest strip: C x M / Y must be at least 1.
    const uint16_t smallest = c.y > c.limit ? uint16_t((c.y + c.limit - 1) / c.limit) : 1;
    for (uint16_t capacity : {smallest, uint16_t(smallest + 5), uint16_t(c.lines * 4 + 1)})
        EXPECT_EQ(StripImage(raw, c, capacity), want) << "strips of " << capacity;
}

INSTANTIATE_TEST_SUITE_P(Cases, BandedImage, ::testing::Values(
    ImageCase{GREY, 50, 37, 600, 1200, 2400, 1200},     // one fractional pass 600/600
    ImageCase{GREY, 61, 29, 600, 1000, 600, 1500},      // Y doubled once, then 300/1200
    ImageCase{COLOUR, 9, 11, 600, 9600, 2400, 9600},    // 8x across, final 4800/4800; Y doubled then repeated
    ImageCase{COLOUR, 23, 17, 600, 700, 2400, 2500},
    ImageCase{COLOUR, 40, 13, 400, 400, 400, 4800},     // feeder: Y doubled three times
    ImageCase{BITS, 13, 21, 600, 1000, 600, 1800},
    ImageCase{BITS, 7, 9, 600, 4801, 2400, 2400}));

} // namespace
