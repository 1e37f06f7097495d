// Throughput of each pixel routine over 32 KB bands, next to memcpy of the
// same bytes measured in the same run. Bytes counted are the routine's input
// (for the stretches the raw band, before it grows).
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <chrono>
#include <functional>
#include <vector>
#include "scan/pixel_routines.h"

namespace {

enum : uint32_t { BAND = 32768, TOTAL_BYTES = 256u << 20 };
const double kMaxSeconds = 2.0;       // slow routines stop early; rates stay exact

std::vector<uint8_t> source(2 * 65536), work(2 * 65536 + 16), table(256);
uint8_t states[3][BAND];
uint32_t counters[256];
volatile uint8_t sink;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// MB/s of body, bytes per call, run until the total or the time limit.
double Rate(uint32_t bytes, const std::function<void()> &body)
{
    uint64_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    while (done < TOTAL_BYTES && elapsed < kMaxSeconds) {
        for (int i = 0; i < 64; i++)
            body();
        done += 64ull * bytes;
        elapsed = Seconds(start);
    }
    sink = work[bytes / 2];
    return done / elapsed / 1e6;
}

double MemcpyRate(uint32_t bytes)
{
    return Rate(bytes, [bytes] { memcpy(work.data(), source.data(), bytes); sink = work[0]; });
}

struct Case {
    const char *name;
    uint32_t bytes;
    std::function<void()> body;
};

} // namespace

int main()
{
    for (size_t i = 0; i < source.size(); i++)
        source[i] = uint8_t(i * 2654435761u >> 13);
    for (int i = 0; i < 256; i++)
        table[i] = uint8_t(255 - i);
    uint8_t *src = source.data(), *dst = work.data();
    uint16_t accumulator = 0;
    const uint16_t greyW = 4960, rgbW = 1650;         // device lines of the models
    const Case cases[] = {
        {"InterleavePlanes", 3u * rgbW * 6, [=] { InterleavePlanes(dst, src, rgbW, 6); }},
        {"SwapRedBlue", 3u * 10922, [=] { SwapRedBlue(dst, 10922); }},
        {"StretchGrey x2", BAND, [=] { StretchGrey(src, dst, 4096, 600, 600, 8); }},
        {"StretchGrey 600->1000", BAND, [=] { StretchGrey(src, dst, 4096, 600, 400, 8); }},
        {"StretchRgbChannel x2 (3 ch)", 3u * rgbW * 6,
         [=] { for (int c = 0; c < 3; c++) StretchRgbChannel(src + c, dst + c, rgbW, 1200, 1200, 6); }},
        {"StretchBits x2", BAND, [=] { StretchBits(src, dst, 4096, 600, 600, 8); }},
        {"StretchBits 600->1000", BAND, [=] { StretchBits(src, dst, 4096, 600, 400, 8); }},
        {"DoubleLines", BAND, [=] { DoubleLines(src, dst, 4096, 8); }},
        {"RepeatLines 1.5x", BAND, [=, &accumulator] { RepeatLines(src, dst, 4096, 8, 1200, 600, &accumulator, 0xFFFF); }},
        {"MirrorRgb", 3u * rgbW * 6, [=] { MirrorRgb(dst, rgbW, 6); }},
        {"MirrorGrey", greyW * 6u, [=] { MirrorGrey(dst, greyW, 6); }},
        {"MirrorBits", BAND, [=] { MirrorBits(dst, 4096, 8); }},
        {"DespeckleGrey", greyW * 6u, [=] { DespeckleGrey(dst, 6, greyW, states[0]); }},
        {"DespeckleRgbChannel (3 ch)", 3u * rgbW * 6,
         [=] { for (int c = 0; c < 3; c++) DespeckleRgbChannel(dst + c, 6, rgbW, states[c]); }},
        {"ApplyTable stride 1", BAND, [=] { ApplyTable(dst, table.data(), uint16_t(BAND), 1); }},
        {"ApplyTable stride 3 (3 ch)", 3u * 10922,
         [=] { for (int c = 0; c < 3; c++) ApplyTable(dst + c, table.data(), 10922, 3); }},
        {"CountHistogram stride 1", BAND, [=] { CountHistogram(src, counters, uint16_t(BAND), 1); }},
        {"AdjustHueSat neutral", 3u * rgbW * 6, [=] { AdjustHueSat(dst, 3 * rgbW, 6, 0, 100, 100, BYTE_ORDER_RGB); }},
        {"AdjustHueSat 30/140/90", 3u * rgbW * 6, [=] { AdjustHueSat(dst, 3 * rgbW, 6, 30, 140, 90, BYTE_ORDER_RGB); }},
        {"PadRows 4959+1 x 6", 4959u * 6, [=] { PadRows(dst, 4959, 1, 6); }},
    };
    printf("%-30s %10s %12s %7s\n", "routine (32 KB-class bands)", "MB/s", "memcpy MB/s", "ratio");
    for (const Case &c : cases) {
        memcpy(dst, src, 65536);
        const double routine = Rate(c.bytes, c.body);
        const double copy = MemcpyRate(c.bytes);
        printf("%-30s %10.1f %12.1f %7.3f\n", c.name, routine, copy, routine / copy);
    }
    printf("buffers %u KB, allocated once; the routines allocate nothing\n",
           unsigned((source.size() + work.size() + sizeof states) / 1024));
    return 0;
}
