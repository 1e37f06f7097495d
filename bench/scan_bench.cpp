// Final scans from the simulated scanner through the scan loops into the
// temporary scan file (ScanToTempFile), timed, next to memcpy of the same
// bytes measured in the same run. The simulator renders its chart while it
// answers each READ, on this very thread, so the rendering of the same
// window is timed alone as well: what remains is the scan engine, the ASPI
// path and the file writes.
//
// Run by hand, never by CTest (from the repository root):
//   DS_BUILD_DIR=/tmp/build-bench bash scripts/build.sh
//   . scripts/session.sh /tmp/build-bench
//   WINEDLLOVERRIDES=wnaspi32=n /tmp/build-bench/wine-run.sh /tmp/build-bench/bench/scan_bench.exe [JOB...]
// JOB numbers (1-based, repeatable) pick jobs of the table below; none runs
// them all. Exits non-zero when a scan fails or shows a message box.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <vector>
#include "bench/bench_session.h"
#include "scan/acquisition.h"
#include "scan/scan_window.h"
#include "scan/temp_files.h"
#include "sim/chart.h"
#include "ui/scan_settings.h"

namespace {

const int kRuns = 3;   // each job is scanned this often; the fastest run counts

const BenchJob kJobs[] = {
    {"A4 grey 300", MODE_GREY, 300, 0, 0, BED_WIDTH, BED_LENGTH},
    {"A4 colour 300", MODE_COLOUR, 300, 0, 0, BED_WIDTH, BED_LENGTH},
    {"colour 1200 (X x2), 3x4 in", MODE_COLOUR, 1200, 100, 100, 300, 400},
    {"A4 b&w 600", MODE_BW, 600, 0, 0, BED_WIDTH, BED_LENGTH},
};
const int kJobCount = int(sizeof kJobs / sizeof kJobs[0]);

struct Timing {
    double wall;   // seconds
    double cpu;    // this thread's seconds: the simulator answers on it too
};

struct ScanRun {
    Timing time;
    uint64_t bytes;
    int requests;
};

// The temporary scan file a good scan leaves open: its size, then gone.
uint64_t TakeTempScanFile()
{
    DWORD high = 0;
    DWORD low = GetFileSize(TempScanFile, &high);
    CloseHandle(TempScanFile);
    TempScanFile = INVALID_HANDLE_VALUE;
    TempScanFileOpen = false;
    DeleteFileA(TempScanFilePath);
    return uint64_t(high) << 32 | low;
}

bool ScanOnce(Simulator &sim, const MessageBoxCapture &boxes, ScanRun &run)
{
    if (PrepareFinalScan() != 1) {
        fprintf(stderr, "the final scan could not be prepared\n");
        return false;
    }
    run.bytes = ImageBytes();
    int before = sim.logCount();
    const double cpu = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    int result = ScanToTempFile();
    run.time.wall = SecondsSince(start);
    run.time.cpu = ThreadCpuSeconds() - cpu;
    run.requests = sim.logCount() - before;
    if (result != TEMP_SCAN_OK || !TempScanFileOpen) {
        fprintf(stderr, "the scan ended with %d\n", result);
        return false;
    }
    uint64_t size = TakeTempScanFile();
    if (size != run.bytes) {
        fprintf(stderr, "the scan file holds %llu bytes, the geometry promised %llu\n",
                (unsigned long long)size, (unsigned long long)run.bytes);
        return false;
    }
    return NoBoxes(boxes);
}

void KeepFastest(Timing &best, const Timing &t)
{
    best.wall = t.wall < best.wall ? t.wall : best.wall;
    best.cpu = t.cpu < best.cpu ? t.cpu : best.cpu;
}

// Fastest of kRuns renderings of the window the simulator scanned last.
bool RenderTime(Simulator &sim, Timing &best)
{
    ChartWindow window;
    ChartTone tone;
    if (sim.lastScan(&window, &tone) != 0)
        return false;
    std::vector<uint8_t> image;
    best = {1e30, 1e30};
    for (int i = 0; i < kRuns; i++) {
        const double cpu = ThreadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        ChartRenderImage(window, tone, &image);
        KeepFastest(best, {SecondsSince(start), ThreadCpuSeconds() - cpu});
    }
    return true;
}

bool RunJob(Simulator &sim, const MessageBoxCapture &boxes, const BenchJob &job)
{
    ApplyJob(job);
    ScanRun best = {{1e30, 1e30}, 0, 0};
    for (int i = 0; i < kRuns; i++) {
        ScanRun run;
        if (!ScanOnce(sim, boxes, run)) {
            fprintf(stderr, "%s: failed\n", job.name);
            return false;
        }
        KeepFastest(best.time, run.time);
        best.bytes = run.bytes;
        best.requests = run.requests;
    }
    Timing render;
    if (!RenderTime(sim, render)) {
        fprintf(stderr, "%s: the simulator kept no scan\n", job.name);
        return false;
    }
    double mb = best.bytes / 1e6;
    double copy = MemcpyRate(best.bytes);
    double ours = best.time.cpu - render.cpu;
    char pixels[32], oursRate[16] = "  -";
    snprintf(pixels, sizeof pixels, "%ux%u", unsigned(ImageGeometry.ImageWidth), unsigned(ImageGeometry.ImageLength));
    if (ours > 0.02)
        snprintf(oursRate, sizeof oursRate, "%.0f", mb / ours);
    printf("%-27s %10s %6.1f | %6.3f %6.1f %7.0f %7.4f | %6.3f %6.1f | %6.3f %5.0f%% %6s | %5d\n", job.name, pixels,
           mb, best.time.wall, mb / best.time.wall, copy, mb / best.time.wall / copy, best.time.cpu,
           mb / best.time.cpu, render.cpu, 100 * render.cpu / best.time.cpu, oursRate, best.requests);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<int> picked;
    for (int i = 1; i < argc; i++) {
        int n = atoi(argv[i]);
        if (n < 1 || n > kJobCount) {
            fprintf(stderr, "usage: scan_bench [JOB 1..%d ...]\n", kJobCount);
            return 2;
        }
        picked.push_back(n - 1);
    }
    if (picked.empty())
        for (int i = 0; i < kJobCount; i++)
            picked.push_back(i);

    Simulator sim;
    MessageBoxCapture boxes;
    if (!OpenBenchSession(sim))
        return 1;
    printf("final scans into the temporary scan file, fastest of %d runs; MB = 10^6 bytes\n", kRuns);
    printf("%-27s %10s %6s | %6s %6s %7s %7s | %6s %6s | %6s %6s %6s | %5s\n", "job", "pixels", "MB", "wall s",
           "MB/s", "memcpy", "ratio", "cpu s", "MB/s", "render", "share", "ours", "SRBs");
    int status = 0;
    for (int i : picked)
        if (!RunJob(sim, boxes, kJobs[i])) {
            status = 1;
            break;
        }
    printf("wall: elapsed time, MB/s of image bytes, memcpy MB/s of the same bytes (32 KB blocks\n"
           "into a 16 MB ring) and the ratio; cpu: this thread's time, which the simulator shares;\n"
           "render: cpu s of ChartRenderImage over the same window alone, share: its part of the\n"
           "scan's cpu time; ours: image MB/s over (cpu - render), the engine, ASPI path and file\n"
           "writes; SRBs: ASPI requests of one scan\n");
    CloseBenchSession();
    return status;
}
