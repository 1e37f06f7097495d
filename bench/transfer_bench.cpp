// Whole acquisitions of an A4 colour image at 300 and 600 dpi through each
// transfer mechanism (native, file, memory into an application-owned
// 64 KB pointer buffer): image information plus transfer triplets until
// TWRC_XFERDONE, on the library's own code with the simulated scanner.
// Each configuration runs in fresh child processes of this program, so
// that one run's peak memory cannot hide the next's; a child first makes a
// small acquisition through the same mechanism (code, dialogs and fonts
// come in once) and gives the simulator's request log touched room, then
// reports the wall time, the growth of its peak working set and peak
// pagefile usage over what was in use right before, and memcpy of the
// same bytes.
//
// Run by hand, never by CTest (from the repository root):
//   DS_BUILD_DIR=/tmp/build-bench bash scripts/build.sh
//   . scripts/session.sh /tmp/build-bench
//   WINEDLLOVERRIDES=wnaspi32=n /tmp/build-bench/wine-run.sh /tmp/build-bench/bench/transfer_bench.exe
// Exits non-zero when an acquisition fails or shows a message box.
// (`transfer_bench.exe child MECHANISM DPI` is the child's own command.)
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include "bench/bench_session.h"
#include "device/aspi_layouts.h"
#include "device/aspi_transport.h"
#include "ds/source_state.h"
#include "ds/transfer_setup.h"
#include "ds/triplets.h"
#include "scan/scan_window.h"
#include "ui/scan_settings.h"

namespace {

enum : uint32_t { MEMORY_BUFFER = 65536, STRIP_GUARD = 1000000, LOG_HEADROOM = 16384 };
const char *const kMechanisms[] = {"native", "file", "memory"};
const uint16_t kResolutions[] = {300, 600};
// Fresh children per configuration: the fastest run's times count, and
// the highest peaks seen, so that a quiet run cannot flatter the memory.
const int kRepeats = 3;

// ---- the child: one acquisition ----

struct Acquired {
    uint64_t imageBytes;     // packed rows, as the scan delivered them
    uint32_t strips;         // transfer triplets that carried image data
    HGLOBAL bitmap;          // native: the application's image until measured
};

TW_UINT16 Call(TripletHandler handler, TW_UINT16 dat, void *data, TW_UINT32 group = DG_IMAGE)
{
    TripletCall call = {nullptr, group, dat, MSG_GET, data};
    return handler(call);
}

std::string BmpPath()
{
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    return std::string(path) + "transfer bench.bmp";
}

bool SetUpFileTransfer()
{
    TW_SETUPFILEXFER setup;
    memset(&setup, 0, sizeof setup);
    lstrcpynA(setup.FileName, BmpPath().c_str(), sizeof setup.FileName);
    setup.Format = TWFF_BMP;
    TripletCall call = {nullptr, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup};
    return HandleSetupFileXfer(call) == TWRC_SUCCESS;
}

bool NativeTransfer(Acquired &out)
{
    TW_UINT32 handle = 0;
    if (Call(HandleImageNativeXfer, DAT_IMAGENATIVEXFER, &handle) != TWRC_XFERDONE || handle == 0)
        return false;
    out.bitmap = reinterpret_cast<HGLOBAL>(UINT_PTR(handle));
    out.strips = 1;
    return true;
}

bool FileTransfer(Acquired &out)
{
    char unused[4];
    if (Call(HandleImageFileXfer, DAT_IMAGEFILEXFER, unused) != TWRC_XFERDONE)
        return false;
    out.strips = 1;
    return true;
}

bool MemoryTransfer(Acquired &out, uint8_t *buffer)
{
    TW_UINT16 rc = TWRC_SUCCESS;
    uint32_t rows = 0;
    while (rc == TWRC_SUCCESS && out.strips < STRIP_GUARD) {
        TW_IMAGEMEMXFER xfer;
        memset(&xfer, 0, sizeof xfer);
        xfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        xfer.Memory.Length = MEMORY_BUFFER;
        xfer.Memory.TheMem = buffer;
        rc = Call(HandleImageMemXfer, DAT_IMAGEMEMXFER, &xfer);
        rows += xfer.Rows;
        out.strips++;
    }
    return rc == TWRC_XFERDONE && rows == ImageGeometry.ImageLength;
}

// Image information, then the transfer triplets until TWRC_XFERDONE.
bool Acquire(const std::string &mechanism, uint8_t *memoryBuffer, Acquired &out)
{
    out = Acquired{0, 0, nullptr};
    TW_IMAGEINFO info;
    if (Call(HandleImageInfo, DAT_IMAGEINFO, &info) != TWRC_SUCCESS || PlaceholderImage) {
        fprintf(stderr, "image information prepared no scan\n");
        return false;
    }
    out.imageBytes = ImageBytes();
    bool done = mechanism == "native" ? NativeTransfer(out)
              : mechanism == "file"   ? FileTransfer(out)
                                      : MemoryTransfer(out, memoryBuffer);
    if (!done)
        fprintf(stderr, "the %s transfer did not end in TWRC_XFERDONE\n", mechanism.c_str());
    return done;
}

// What arrived is the size the image information promised.
bool Delivered(const std::string &mechanism, const Acquired &got, uint32_t rows)
{
    if (mechanism == "native") {
        const BITMAPINFOHEADER *h = static_cast<const BITMAPINFOHEADER *>(GlobalLock(got.bitmap));
        bool ok = h != nullptr && uint32_t(h->biHeight) == rows && h->biBitCount == 24;
        GlobalUnlock(got.bitmap);
        return ok;
    }
    if (mechanism == "file") {
        WIN32_FILE_ATTRIBUTE_DATA data;
        uint64_t stride = (got.imageBytes / rows + 3) & ~3ull;
        return GetFileAttributesExA(BmpPath().c_str(), GetFileExInfoStandard, &data) &&
               (uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow) == 54 + stride * rows;
    }
    return true;
}

PROCESS_MEMORY_COUNTERS Counters()
{
    PROCESS_MEMORY_COUNTERS pmc;
    memset(&pmc, 0, sizeof pmc);
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc;
}

// Wine reports PeakPagefileUsage as the current usage (only the working
// set peak is kept), so a thread samples the usage while the acquisition
// runs; on Windows the system's own peak is the larger and wins.
struct PagefileSampler {
    volatile LONG stop;
    SIZE_T highest;
    HANDLE thread;
    HANDLE running;          // set after the first sample: the thread is all there
};

DWORD WINAPI SamplePagefile(void *param)
{
    PagefileSampler &s = *static_cast<PagefileSampler *>(param);
    for (bool first = true; !s.stop; first = false) {
        SIZE_T now = Counters().PagefileUsage;
        s.highest = now > s.highest ? now : s.highest;
        if (first)
            SetEvent(s.running);
        Sleep(1);
    }
    return 0;
}

void StartSampling(PagefileSampler &s)
{
    s.stop = 0;
    s.highest = 0;
    s.running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    s.thread = CreateThread(nullptr, 0, SamplePagefile, &s, 0, nullptr);
    if (s.thread)
        WaitForSingleObject(s.running, INFINITE);
}

SIZE_T StopSampling(PagefileSampler &s)
{
    InterlockedExchange(&s.stop, 1);
    if (s.thread) {
        WaitForSingleObject(s.thread, INFINITE);
        CloseHandle(s.thread);
    }
    CloseHandle(s.running);
    return s.highest;
}

// The simulator keeps a record of every request in this process, in a
// vector: left alone, its growth during a long scan (about 56 bytes a
// request) would count as the transfer's. Grown past LOG_HEADROOM entries
// and cleared by a reset, it keeps touched room for that many requests.
void MakeRoomInSimulatorLog(Simulator &sim)
{
    const uint8_t testUnitReady[6] = {0, 0, 0, 0, 0, 0};
    while (sim.logCount() <= int(LOG_HEADROOM))
        AspiExecute(testUnitReady, 6, SRB_DIR_IN, nullptr, 0);
    sim.reset();
}

void Release(const Acquired &got)
{
    if (got.bitmap)
        GlobalFree(got.bitmap);
    DeleteFileA(BmpPath().c_str());
}

int RunChild(const std::string &mechanism, uint16_t dpi)
{
    if (mechanism != "native" && mechanism != "file" && mechanism != "memory") {
        fprintf(stderr, "no mechanism %s\n", mechanism.c_str());
        return 2;
    }
    Simulator sim;
    MessageBoxCapture boxes;
    if (!OpenBenchSession(sim))
        return 1;
    SourceState = 6;
    PlaceholderImage = false;
    if (mechanism == "file" && !SetUpFileTransfer()) {
        fprintf(stderr, "DAT_SETUPFILEXFER refused\n");
        return 1;
    }
    std::vector<uint8_t> memoryBuffer(MEMORY_BUFFER);
    MakeRoomInSimulatorLog(sim);
    // A small acquisition first, so that code, dialogs and fonts the
    // transfer touches once are in before the baseline.
    Acquired warm;
    ApplyJob({"warm-up", MODE_COLOUR, 75, 0, 0, 100, 100});
    if (!Acquire(mechanism, memoryBuffer.data(), warm) || !NoBoxes(boxes))
        return 1;
    Release(warm);

    ApplyJob({"A4 colour", MODE_COLOUR, dpi, 0, 0, BED_WIDTH, BED_LENGTH});
    const int logBefore = sim.logCount();
    PagefileSampler sampler;
    StartSampling(sampler);
    const PROCESS_MEMORY_COUNTERS base = Counters();
    const double cpu = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    Acquired got;
    bool ok = Acquire(mechanism, memoryBuffer.data(), got);
    const double wall = SecondsSince(start), cpuUsed = ThreadCpuSeconds() - cpu;
    PROCESS_MEMORY_COUNTERS after = Counters();
    SIZE_T sampled = StopSampling(sampler);
    const int requests = sim.logCount() - logBefore;
    after.PeakPagefileUsage = sampled > after.PeakPagefileUsage ? sampled : after.PeakPagefileUsage;
    ok = ok && NoBoxes(boxes);
    if (ok && !Delivered(mechanism, got, ImageGeometry.ImageLength)) {
        fprintf(stderr, "the %s transfer delivered another size than announced\n", mechanism.c_str());
        ok = false;
    }
    if (sim.logCount() > int(LOG_HEADROOM))
        fprintf(stderr, "warning: %d requests: the simulator's log grew during the measurement\n", requests);
    Release(got);
    CloseBenchSession();
    SourceState = 3;
    if (!ok)
        return 1;
    double copy = MemcpyRate(got.imageBytes);
    // Growth of each peak over what was in use right before.
    double ws = (double(after.PeakWorkingSetSize) - double(base.WorkingSetSize)) / 1e6;
    double pf = (double(after.PeakPagefileUsage) - double(base.PagefileUsage)) / 1e6;
    printf("RESULT bytes=%llu wall=%.4f cpu=%.4f ws=%.3f pf=%.3f memcpy=%.1f strips=%u srbs=%d "
           "base_ws=%.1f base_peak_ws=%.1f base_pf=%.1f base_peak_pf=%.1f\n",
           (unsigned long long)got.imageBytes, wall, cpuUsed, ws, pf, copy, got.strips, requests,
           base.WorkingSetSize / 1e6, base.PeakWorkingSetSize / 1e6, base.PagefileUsage / 1e6,
           base.PeakPagefileUsage / 1e6);
    return 0;
}

// ---- the parent: one child per configuration ----

struct ChildResult {
    unsigned long long bytes;
    double wall, cpu, ws, pf, memcpy;
    unsigned strips;
    int requests;
    double baseWs, basePeakWs, basePf, basePeakPf;
};

std::string ReadAll(HANDLE pipe)
{
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0)
        text.append(chunk, got);
    return text;
}

bool RunConfiguration(const char *mechanism, uint16_t dpi, ChildResult &r)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    char command[MAX_PATH + 64];
    snprintf(command, sizeof command, "\"%s\" child %s %u", exe, mechanism, unsigned(dpi));
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process;
    BOOL started = CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        fprintf(stderr, "could not start %s\n", command);
        return false;
    }
    std::string output = ReadAll(readEnd);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    size_t at = output.find("RESULT ");
    if (code != 0 || at == std::string::npos ||
        sscanf(output.c_str() + at,
               "RESULT bytes=%llu wall=%lf cpu=%lf ws=%lf pf=%lf memcpy=%lf strips=%u srbs=%d base_ws=%lf "
               "base_peak_ws=%lf base_pf=%lf base_peak_pf=%lf",
               &r.bytes, &r.wall, &r.cpu, &r.ws, &r.pf, &r.memcpy, &r.strips, &r.requests, &r.baseWs, &r.basePeakWs, &r.basePf,
               &r.basePeakPf) != 12) {
        fprintf(stderr, "%s %u dpi failed (exit %lu):\n%s", mechanism, unsigned(dpi), code, output.c_str());
        return false;
    }
    return true;
}

void KeepBest(ChildResult &best, const ChildResult &r, bool first)
{
    if (first) {
        best = r;
        return;
    }
    if (r.wall < best.wall) {
        ChildResult peaks = best;
        best = r;
        best.ws = peaks.ws;
        best.pf = peaks.pf;
    }
    best.ws = r.ws > best.ws ? r.ws : best.ws;
    best.pf = r.pf > best.pf ? r.pf : best.pf;
}

double Ratio(double a, double b)
{
    return b > 0 ? a / b : 0;
}

int RunParent()
{
    const int mechanisms = 3, resolutions = 2;
    ChildResult results[mechanisms][resolutions];
    for (int m = 0; m < mechanisms; m++)
        for (int d = 0; d < resolutions; d++)
            for (int i = 0; i < kRepeats; i++) {
                ChildResult r;
                if (!RunConfiguration(kMechanisms[m], kResolutions[d], r))
                    return 1;
                KeepBest(results[m][d], r, i == 0);
            }

    printf("A4 colour acquisitions (image info + transfer triplets until XFERDONE), each configuration\n"
           "in %d fresh processes: the fastest run's times, the highest peaks; MB = 10^6 bytes\n", kRepeats);
    printf("%-7s %4s %7s %6s %5s | %7s %7s %7s %7s | %6s %8s %8s\n", "mech", "dpi", "MB", "strips", "SRBs",
           "wall s", "MB/s", "memcpy", "ratio", "cpu s", "peak WS", "peak PF");
    for (int m = 0; m < mechanisms; m++)
        for (int d = 0; d < resolutions; d++) {
            const ChildResult &r = results[m][d];
            double mb = r.bytes / 1e6;
            printf("%-7s %4u %7.1f %6u %5d | %7.3f %7.1f %7.0f %7.4f | %6.2f %7.2fM %7.2fM\n", kMechanisms[m],
                   unsigned(kResolutions[d]), mb, r.strips, r.requests, r.wall, mb / r.wall, r.memcpy,
                   Ratio(mb / r.wall, r.memcpy), r.cpu, r.ws, r.pf);
        }
    printf("\npeak memory growth by image size (600 dpi image is %.2fx the 300 dpi one)\n",
           Ratio(double(results[0][1].bytes), double(results[0][0].bytes)));
    printf("%-7s | %9s %9s %8s %6s | %9s %9s %8s %6s\n", "mech", "WS 300", "WS 600", "600-300", "ratio", "PF 300",
           "PF 600", "600-300", "ratio");
    for (int m = 0; m < mechanisms; m++) {
        const ChildResult &a = results[m][0], &b = results[m][1];
        printf("%-7s | %8.2fM %8.2fM %7.2fM %6.2f | %8.2fM %8.2fM %7.2fM %6.2f\n", kMechanisms[m], a.ws, b.ws,
               b.ws - a.ws, Ratio(b.ws, a.ws), a.pf, b.pf, b.pf - a.pf, Ratio(b.pf, a.pf));
    }
    printf("(ratios of figures below a few hundred KB are noise)\n");
    printf("\nstrips: transfer triplets with data; SRBs: ASPI requests of the acquisition; memcpy: MB/s of\n"
           "the same bytes (32 KB blocks into a 16 MB ring) in the same process, ratio = MB/s / memcpy;\n"
           "peak WS / PF: growth of the peak working set / pagefile usage over what was in use right\n"
           "before (PF sampled every ms, as Wine keeps no PF peak); the native figure includes the\n"
           "bitmap handed to the application, the memory one excludes the application's 64 KB buffer\n");
    printf("baselines, fastest runs (WS in use / peak so far, PF in use, MB):\n");
    for (int m = 0; m < mechanisms; m++)
        for (int d = 0; d < resolutions; d++)
            printf("  %-7s %u: WS %.1f / %.1f, PF %.1f\n", kMechanisms[m], unsigned(kResolutions[d]),
                   results[m][d].baseWs, results[m][d].basePeakWs, results[m][d].basePf);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "child") == 0)
        return RunChild(argv[2], uint16_t(atoi(argv[3])));
    if (argc != 1) {
        fprintf(stderr, "usage: transfer_bench\n");
        return 2;
    }
    return RunParent();
}
