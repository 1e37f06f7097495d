// Layout, mirror, noise filter, lookup, histogram, hue/saturation and row
// padding routines against references written from their rules.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <algorithm>
#include <random>
#include <vector>
#include "scan/pixel_routines.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t n, uint32_t seed, int range = 256, int low = 0)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto &v : b)
        v = uint8_t(low + int(rng() % unsigned(range)));
    return b;
}

TEST(BitReversal, EveryEntryIsItsIndexReversed)
{
    for (int i = 0; i < 256; i++) {
        int reversed = 0;
        for (int bit = 0; bit < 8; bit++)
            reversed |= (i >> bit & 1) << (7 - bit);
        EXPECT_EQ(BitReversal[i], reversed) << i;
    }
    EXPECT_EQ(BitReversal[1], 128);
    EXPECT_EQ(BitReversal[3], 192);
}

TEST(InterleavePlanes, PlanesBecomePixelsAlsoInTheColourReadersPlace)
{
    const uint16_t w = 37, lines = 5;
    const Bytes planar = RandomBytes(3 * w * lines, 1);
    Bytes want(planar.size());
    for (size_t l = 0; l < lines; l++)
        for (size_t i = 0; i < w; i++)
            for (size_t c = 0; c < 3; c++)
                want[(l * w + i) * 3 + c] = planar[l * 3 * w + c * w + i];

    Bytes out(planar.size());
    InterleavePlanes(out.data(), planar.data(), w, lines);
    EXPECT_EQ(out, want);

    // The colour reader reads one line behind where the pixels go.
    Bytes shared(3 * w * (lines + 1));
    std::copy(planar.begin(), planar.end(), shared.begin() + 3 * w);
    InterleavePlanes(shared.data(), shared.data() + 3 * w, w, lines);
    EXPECT_EQ(Bytes(shared.begin(), shared.begin() + want.size()), want);
}

TEST(SwapRedBlue, ExchangesFirstAndThirdByteOnlyForTheGivenPixels)
{
    Bytes buf = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    SwapRedBlue(buf.data(), 2);
    EXPECT_EQ(buf, (Bytes{3, 2, 1, 6, 5, 4, 7, 8, 9}));
}

// Pixel i of a line of width pixels of size bytes each goes to width - 1 - i.
Bytes RefMirror(const Bytes &in, size_t width, size_t lines, size_t size)
{
    Bytes out(in.size());
    for (size_t l = 0; l < lines; l++)
        for (size_t i = 0; i < width; i++)
            for (size_t k = 0; k < size; k++)
                out[(l * width + width - 1 - i) * size + k] = in[(l * width + i) * size + k];
    return out;
}

TEST(Mirror, GreyAndRgbLinesAreReversedPixelByPixel)
{
    Bytes three = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    MirrorRgb(three.data(), 3, 1);
    EXPECT_EQ(three, (Bytes{7, 8, 9, 4, 5, 6, 1, 2, 3}));

    for (uint16_t w : {1, 2, 5, 64, 301}) {
        const Bytes rgb = RandomBytes(3 * w * 4, w);
        Bytes got = rgb;
        MirrorRgb(got.data(), w, 4);
        EXPECT_EQ(got, RefMirror(rgb, w, 4, 3)) << w;
        got = rgb;
        MirrorGrey(got.data(), w, 12);
        EXPECT_EQ(got, RefMirror(rgb, w, 12, 1)) << w;
    }
}

TEST(Mirror, BitLinesAreReversedBitByBit)
{
    for (uint16_t w : {1, 3, 8, 77}) {
        const Bytes in = RandomBytes(w * 3, w + 100);
        Bytes got = in;
        MirrorBits(got.data(), w, 3);
        for (size_t l = 0; l < 3; l++)
            for (size_t j = 0; j < 8u * w; j++) {
                const size_t from = 8u * w - 1 - j;
                const int want = in[l * w + from / 8] >> (7 - from % 8) & 1;
                ASSERT_EQ(got[l * w + j / 8] >> (7 - j % 8) & 1, want) << "width " << w << " bit " << j;
            }
    }
}

// The noise filter's rule, on one channel of samples with its state.
void RefDespeckle(std::vector<int> &line, std::vector<uint8_t> &state)
{
    for (size_t i = 0; i + 3 < line.size(); i++) {
        const int a = line[i], b = line[i + 1], c = line[i + 2];
        uint8_t &s = state[i];
        const bool flat = a == b && b == c;
        const bool peak = !flat && b >= a && b >= c;
        const bool dip = !flat && b <= a && b <= c;
        if (flat) {
            s = 3;
        } else if (peak || dip) {
            const uint8_t kind = peak ? 2 : 1;
            if (std::abs(b - a) <= 6 && std::abs(b - c) <= 6) {
                if (s == kind || s == 3)
                    line[i + 1] = (a + c) / 2;
                s = kind;
            } else {
                s = 0;
            }
        } else {
            s = 0;
        }
    }
}

struct DespeckleCase {
    std::vector<uint8_t> line, stateBefore, lineAfter, stateAfter;
};

TEST(Despeckle, HandCheckedLines)
{
    const DespeckleCase cases[] = {
        // a peak then a dip, new to their columns: remembered, not smoothed
        {{10, 14, 10, 10, 10}, {0, 0}, {10, 14, 10, 10, 10}, {2, 1}},
        // the same peak again: smoothed, and the next position sees the new value (flat)
        {{10, 14, 10, 10, 10}, {2, 1}, {10, 10, 10, 10, 10}, {2, 3}},
        // a dip after a flat run in the column
        {{20, 15, 20, 20}, {3}, {20, 20, 20, 20}, {1}},
        // a peak of 7 levels is no speck
        {{10, 17, 10, 10}, {2}, {10, 17, 10, 10}, {0}},
        // a peak where the column had a dip: only remembered
        {{10, 13, 12, 12}, {1}, {10, 13, 12, 12}, {2}},
        // rising: the state is cleared
        {{1, 2, 3, 4}, {3}, {1, 2, 3, 4}, {0}},
        // the second-last pixel is never touched, even as a remembered peak
        {{10, 10, 14, 10}, {2}, {10, 10, 14, 10}, {1}},
        // narrower than 4: nothing
        {{10, 14, 10}, {}, {10, 14, 10}, {}},
    };
    for (const auto &c : cases) {
        Bytes line = c.line;
        Bytes state = c.stateBefore;
        DespeckleGrey(line.data(), 1, uint16_t(line.size()), state.data());
        EXPECT_EQ(line, c.lineAfter) << ::testing::PrintToString(c.line);
        EXPECT_EQ(state, c.stateAfter) << ::testing::PrintToString(c.line);
    }
}

TEST(Despeckle, GreyAndRgbChannelsFollowTheRuleAcrossLinesAndBands)
{
    const uint16_t w = 57, lines = 40;
    // Values in a narrow range so that small bumps are common.
    const Bytes grey = RandomBytes(w * lines, 7, 9, 100);
    std::vector<uint8_t> refState(w - 3, 0);
    Bytes want;
    for (size_t l = 0; l < lines; l++) {
        std::vector<int> line(grey.begin() + l * w, grey.begin() + (l + 1) * w);
        RefDespeckle(line, refState);
        want.insert(want.end(), line.begin(), line.end());
    }
    ASSERT_NE(want, grey) << "the data should contain specks";

    Bytes whole = grey;
    Bytes state(w - 3, 0);
    DespeckleGrey(whole.data(), lines, w, state.data());
    EXPECT_EQ(whole, want);
    EXPECT_EQ(state, refState);

    Bytes banded = grey;
    std::fill(state.begin(), state.end(), 0);
    for (uint16_t done = 0; done < lines; done += 7)
        DespeckleGrey(banded.data() + done * w, std::min<uint16_t>(7, lines - done), w, state.data());
    EXPECT_EQ(banded, want);

    // One channel of RGB lines: the grey result on that channel, the other
    // channels untouched.
    for (int channel = 0; channel < 3; channel++) {
        Bytes rgb = RandomBytes(3 * w * lines, 50 + channel, 256);
        for (size_t i = 0; i < size_t(w) * lines; i++)
            rgb[3 * i + channel] = grey[i];
        Bytes expected = rgb;
        for (size_t i = 0; i < size_t(w) * lines; i++)
            expected[3 * i + channel] = want[i];
        std::fill(state.begin(), state.end(), 0);
        DespeckleRgbChannel(rgb.data() + channel, lines, w, state.data());
        EXPECT_EQ(rgb, expected) << "channel " << channel;
    }
}

TEST(TableAndHistogram, EveryStrideThByte)
{
    uint8_t table[256];
    for (int i = 0; i < 256; i++)
        table[i] = uint8_t(255 - i);
    Bytes buf = {0, 1, 2, 10, 11, 12, 250, 251, 252};
    ApplyTable(buf.data() + 1, table, 3, 3);
    EXPECT_EQ(buf, (Bytes{0, 254, 2, 10, 244, 12, 250, 4, 252}));

    uint32_t counters[256] = {};
    CountHistogram(buf.data(), counters, 3, 3);
    EXPECT_EQ(counters[0], 1u);
    EXPECT_EQ(counters[10], 1u);
    EXPECT_EQ(counters[250], 1u);
    EXPECT_EQ(counters[254], 0u);
}

TEST(TableAndHistogram, CountersCarryPast16Bits)
{
    const Bytes sevens(65535, 7);
    uint32_t counters[256] = {};
    CountHistogram(sevens.data(), counters, 65535, 1);
    CountHistogram(sevens.data(), counters, 2, 1);
    EXPECT_EQ(counters[7], 65537u);
    EXPECT_EQ(counters[6] + counters[8], 0u);
}

// Hue, saturation and lightness from their formulas.
struct Pixel {
    int r, g, b;
    bool operator==(const Pixel &o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream &operator<<(std::ostream &os, const Pixel &p)
{
    return os << '(' << p.r << ", " << p.g << ", " << p.b << ')';
}

Pixel RefHueSat(Pixel p, int H, int S, int V)
{
    int R = p.r, G = p.g, B = p.b;
    if (!(R == G && G == B)) {
        const int mx = std::max({R, G, B}), mn = std::min({R, G, B}), d = mx - mn;
        int h;
        if (R >= G && G >= B) h = 60 * (G - B) / d;
        else if (B <= R && R < G) h = 59 + 60 * (G - R) / d;
        else if (R < B && B <= G) h = 119 + 60 * (B - R) / d;
        else if (R < G && G < B) h = 179 + 60 * (B - G) / d;
        else if (G <= R && R < B) h = 239 + 60 * (R - G) / d;
        else h = 299 + 60 * (R - B) / d;
        h += H;
        if (h >= 360) h -= 360;
        int M, m;
        if (S < 100) {
            const int a = (R + G + B) / 3;
            M = mx - (mx - a) * (100 - S) / 100;
            m = mn + (a - mn) * (100 - S) / 100;
        } else {
            const int k = std::min(d * (S - 100) / 150, std::min(255 - mx, mn));
            M = mx + k;
            m = mn - k;
        }
        const int base = h <= 60 ? 0 : h <= 120 ? 60 : h <= 180 ? 120 : h <= 240 ? 180 : h <= 300 ? 240 : 300;
        const int x = (M - m) * (h - base) / 60;
        switch (base) {
        case 0: R = M, G = m + x, B = m; break;
        case 60: R = M - x, G = M, B = m; break;
        case 120: R = m, G = M, B = m + x; break;
        case 180: R = m, G = M - x, B = M; break;
        case 240: R = m + x, G = m, B = M; break;
        default: R = M, G = m, B = M - x; break;
        }
    }
    for (int *c : {&R, &G, &B}) {
        if (V > 100) *c += (255 - *c) * (V - 100) / 100;
        if (V < 100) *c -= *c * (100 - V) / 100;
    }
    return {R, G, B};
}

Pixel Adjusted(Pixel p, int H, int S, int V, int order)
{
    uint8_t buf[3] = {uint8_t(p.r), uint8_t(p.g), uint8_t(p.b)};
    if (order == BYTE_ORDER_BGR)
        std::swap(buf[0], buf[2]);
    AdjustHueSat(buf, 3, 1, uint16_t(H), uint16_t(S), uint16_t(V), order);
    if (order == BYTE_ORDER_BGR)
        std::swap(buf[0], buf[2]);
    return {buf[0], buf[1], buf[2]};
}

TEST(AdjustHueSat, WorkedExamplesInBothByteOrders)
{
    const int settings[5][3] = {{0, 100, 100}, {0, 0, 100}, {0, 0, 200}, {120, 100, 100}, {0, 200, 100}};
    const struct {
        Pixel in, out[5];
    } rows[] = {
        {{200, 100, 50}, {{200, 100, 50}, {116, 116, 116}, {255, 255, 255}, {50, 200, 100}, {250, 83, 0}}},
        {{255, 0, 0}, {{255, 0, 0}, {85, 85, 85}, {255, 255, 255}, {0, 255, 0}, {255, 0, 0}}},
        {{0, 255, 0}, {{5, 255, 0}, {85, 85, 85}, {255, 255, 255}, {0, 5, 255}, {5, 255, 0}}},
        {{0, 255, 255}, {{0, 255, 250}, {170, 170, 170}, {255, 255, 255}, {250, 0, 255}, {0, 255, 250}}},
        {{128, 128, 128}, {{128, 128, 128}, {128, 128, 128}, {255, 255, 255}, {128, 128, 128}, {128, 128, 128}}},
        {{10, 200, 100}, {{10, 200, 95}, {103, 103, 103}, {255, 255, 255}, {95, 10, 200}, {0, 210, 94}}},
    };
    for (const auto &row : rows)
        for (int s = 0; s < 5; s++)
            for (int order : {BYTE_ORDER_RGB, BYTE_ORDER_BGR})
                EXPECT_EQ(Adjusted(row.in, settings[s][0], settings[s][1], settings[s][2], order), row.out[s])
                    << row.in << " H,S,V " << settings[s][0] << ',' << settings[s][1] << ',' << settings[s][2]
                    << " order " << order;
}

TEST(AdjustHueSat, RandomPixelsFollowTheFormulas)
{
    std::mt19937 rng(2024);
    for (int n = 0; n < 4000; n++) {
        Pixel p = {int(rng() % 256), int(rng() % 256), int(rng() % 256)};
        if (n % 4 == 0)
            p.g = p.r;                  // ties between components
        const int H = int(rng() % 360), S = int(rng() % 201), V = int(rng() % 201);
        ASSERT_EQ(Adjusted(p, H, S, V, BYTE_ORDER_RGB), RefHueSat(p, H, S, V)) << p << ' ' << H << ',' << S << ',' << V;
        // Neutral settings keep the extremes.
        const Pixel same = Adjusted(p, 0, 100, 100, BYTE_ORDER_RGB);
        ASSERT_EQ(std::max({same.r, same.g, same.b}), std::max({p.r, p.g, p.b})) << p;
        ASSERT_EQ(std::min({same.r, same.g, same.b}), std::min({p.r, p.g, p.b})) << p;
    }
}

TEST(AdjustHueSat, PixelsLieBackToBackAcrossLines)
{
    // 10 bytes a line hold 3 pixels; 2 lines are the first 6 pixels.
    Bytes buf = RandomBytes(21, 3);
    const Bytes before = buf;
    AdjustHueSat(buf.data(), 10, 2, 200, 150, 80, BYTE_ORDER_RGB);
    for (size_t i = 0; i < 6; i++) {
        const Pixel want = RefHueSat({before[3 * i], before[3 * i + 1], before[3 * i + 2]}, 200, 150, 80);
        EXPECT_EQ((Pixel{buf[3 * i], buf[3 * i + 1], buf[3 * i + 2]}), want) << i;
    }
    EXPECT_EQ(Bytes(buf.begin() + 18, buf.end()), Bytes(before.begin() + 18, before.end()));
}

TEST(PadRows, RowsWidenInPlaceWithZeroPad)
{
    Bytes buf(16, 'x');
    memcpy(buf.data(), "abcdefghij", 10);
    PadRows(buf.data(), 5, 3, 2);
    EXPECT_EQ(std::string(buf.begin(), buf.end()), std::string("abcde\0\0\0fghij\0\0\0", 16));

    // Rows beyond 64 KB in all land where they belong instead of wrapping.
    const uint16_t a = 301, b = 3, rows = 250;
    Bytes big = RandomBytes(size_t(a + b) * rows, 11);
    const Bytes packed(big.begin(), big.begin() + size_t(a) * rows);
    PadRows(big.data(), a, b, rows);
    for (size_t r = 0; r < rows; r++) {
        ASSERT_TRUE(std::equal(packed.begin() + r * a, packed.begin() + (r + 1) * a, big.begin() + r * (a + b))) << r;
        ASSERT_EQ(Bytes(big.begin() + r * (a + b) + a, big.begin() + (r + 1) * (a + b)), Bytes(b, 0)) << r;
    }
}

} // namespace
