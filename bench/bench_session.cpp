#include "bench/bench_session.h"
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <vector>
#include "adjust/tone_state.h"
#include "device/aspi_library.h"
#include "device/identify.h"
#include "ds/library_attach.h"
#include "scan/scan_window.h"
#include "ui/scan_settings.h"

namespace {

enum : uint32_t { COPY_BLOCK = 32768, COPY_RING = 16u << 20 };
const double kMinCopySeconds = 0.5;

volatile uint8_t CopySink;

} // namespace

bool OpenBenchSession(Simulator &sim)
{
    if (!AttachLibrary(GetModuleHandleA(nullptr))) {
        fprintf(stderr, "the library did not attach (resources linked?)\n");
        return false;
    }
    AspiUnload();
    AspiLoad();
    if (!sim.Attach()) {
        fprintf(stderr, "no simulator: run with WINEDLLOVERRIDES=wnaspi32=n in the build's prefix\n");
        return false;
    }
    if (sim.configure(OwnModelConfig()) != 0) {
        fprintf(stderr, "the simulator refused its configuration\n");
        return false;
    }
    ScanSettings.InterfaceIndex = 25;
    ScanSettings.Model = 0;
    Identify(nullptr);
    if (!ScannerPresent()) {
        fprintf(stderr, "the simulated scanner was not identified\n");
        return false;
    }
    ResetToneState();
    DecodeHueSatValues();
    Job = JobFlags();
    return true;
}

void CloseBenchSession()
{
    AspiUnload();
}

void ApplyJob(const BenchJob &job)
{
    ScanSettingsRecord &s = ScanSettings;
    s.Mode = job.mode;
    s.Resolution = s.XEffective = s.YEffective = job.resolution;
    s.Source = SOURCE_REFLECTIVE;
    s.Brightness = 128;
    s.Flip = s.Filter = s.Dither = s.Speed = s.Invert = 0;
    s.Left = job.left;
    s.Top = job.top;
    s.Width = job.width;
    s.Length = job.length;
    s.Right = job.left + job.width;
    s.Bottom = job.top + job.length;
}

uint64_t ImageBytes()
{
    return uint64_t(ImageGeometry.BytesPerLine) * ImageGeometry.ImageLength;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double ThreadCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0;
    auto ticks = [](const FILETIME &t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

double MemcpyRate(uint64_t bytes)
{
    std::vector<uint8_t> block(COPY_BLOCK), ring(COPY_RING);
    for (uint32_t i = 0; i < COPY_BLOCK; i++)
        block[i] = uint8_t(i * 2654435761u >> 13);
    memset(ring.data(), 0, ring.size());   // touched once, outside the timing
    uint64_t copied = 0;
    uint32_t at = 0;
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        for (uint64_t done = 0; done < bytes; done += COPY_BLOCK) {
            uint32_t n = bytes - done < COPY_BLOCK ? uint32_t(bytes - done) : COPY_BLOCK;
            memcpy(ring.data() + at, block.data(), n);
            at = (at + COPY_BLOCK) % COPY_RING;
        }
        copied += bytes;
        elapsed = SecondsSince(start);
    } while (elapsed < kMinCopySeconds);
    CopySink = ring[at];
    return copied / elapsed / 1e6;
}

bool NoBoxes(const MessageBoxCapture &boxes)
{
    for (const CapturedBox &box : boxes.boxes())
        fprintf(stderr, "message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
    return boxes.boxes().empty();
}
