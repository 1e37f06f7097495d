// What the scan and transfer benchmarks share: the library's own code in
// this process with the simulated scanner behind it, the jobs they scan,
// the clock and the memcpy yardstick. MB is 10^6 bytes throughout.
#pragma once
#include <stdint.h>
#include <chrono>
#include "tests/support/msgbox_capture.h"
#include "tests/support/simulator.h"

struct BenchJob {
    const char *name;
    int mode;                          // MODE_COLOUR, MODE_GREY, MODE_BW
    uint16_t resolution;               // X and Y alike
    int left, top, width, length;      // 1/100 inch
};

// The whole A4-family bed, 8.26 x 11.67 in.
enum { BED_WIDTH = 826, BED_LENGTH = 1167 };

// Attaches the library to this program's resources, loads the simulator
// as the ASPI manager, puts this build's scanner on it and identifies it.
// False after printing why.
bool OpenBenchSession(Simulator &sim);
void CloseBenchSession();

// The settings of a job: no mirror, filter, dither or colour adjustment.
void ApplyJob(const BenchJob &job);

// Bytes of the delivered image of the prepared scan (packed rows).
uint64_t ImageBytes();

double SecondsSince(std::chrono::steady_clock::time_point start);
// User and kernel time of the calling thread so far (Wine counts it in 10 ms
// ticks). On a machine shared with other work it is the steadier measure.
double ThreadCpuSeconds();

// memcpy throughput for `bytes` moved in 32 KB blocks (the scan loop's
// band size) from one block into a 16 MB ring, so that the writes leave the
// caches as an image's would. Repeated until at least half a second has
// passed; MB/s.
double MemcpyRate(uint64_t bytes);

// Prints every box the capture pressed; true when there were none.
bool NoBoxes(const MessageBoxCapture &boxes);
