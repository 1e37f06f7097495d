// Final scans and preview scans from the simulated scanner, compared with
// the simulator's own rendering of the chart passed through the processing
// the scan engine promises: planes to pixels, mirror, and the stretching
// beyond the scanner's resolutions.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <string>
#include <vector>
#include <algorithm>
#include "device/device_ops.h"
#include "adjust/tone_state.h"
#include "device/aspi_library.h"
#include "device/aspi_transport.h"
#include "device/identify.h"
#include "ds/library_attach.h"
#include "ds/work_buffers.h"
#include "scan/acquisition.h"
#include "scan/progress_box.h"
#include "scan/scan_window.h"
#include "scan/temp_files.h"
#include "sim/chart.h"
#include "tests/support/msgbox_capture.h"
#include "tests/support/reference_image.h"
#include "tests/support/simulator.h"
#include "ui/scan_settings.h"

namespace {


const uint16_t kOptical = DS_MODEL_600 ? 600 : 400;
const uint16_t kMax = DS_MODEL_600 ? 2400 : 1600;

Bytes ReadFileBytes(const char *path)
{
    Bytes bytes;
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(f, nullptr), got = 0;
    bytes.resize(size);
    ReadFile(f, bytes.data(), size, &got, nullptr);
    CloseHandle(f);
    return bytes;
}

class Acquisition : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        AspiUnload();
        Configure("");
        ResetToneState();
        DecodeHueSatValues();
        Job = JobFlags();
        ScanSettings.Brightness = 128;
        ScanSettings.Flip = ScanSettings.Filter = ScanSettings.Dither = ScanSettings.Speed = 0;
        ScanSettings.Left = 120;
        ScanSettings.Top = 150;
    }
    void TearDown() override
    {
        if (TempScanFileOpen) {
            CloseHandle(TempScanFile);
            TempScanFileOpen = false;
        }
        if (TempScanFilePath[0])
            DeleteFileA(TempScanFilePath);
        AspiUnload();
    }
    void Configure(const std::string &extra)
    {
        ASSERT_TRUE(IdentifySimulatedScanner(sim, "feeder=loaded;" + extra));
    }
    void Settings(int mode, uint16_t x, uint16_t y, int source, int width, int length)
    {
        ScanSettings.Mode = mode;
        ScanSettings.Resolution = x;
        ScanSettings.XEffective = x;
        ScanSettings.YEffective = y;
        ScanSettings.Source = source;
        ScanSettings.Width = width;
        ScanSettings.Length = length;
        ScanSettings.Right = ScanSettings.Left + width;
        ScanSettings.Bottom = ScanSettings.Top + length;
    }
    // Scans to the temporary file and compares it with the expected image.
    void ScanAndCompare()
    {
        ASSERT_EQ(PrepareFinalScan(), 1);
        ASSERT_EQ(ScanToTempFile(), TEMP_SCAN_OK);
        ASSERT_TRUE(TempScanFileOpen);
        ChartWindow w;
        ChartTone tone;
        ASSERT_EQ(sim.lastScan(&w, &tone), 0);
        CloseHandle(TempScanFile);
        TempScanFileOpen = false;
        Bytes got = ReadFileBytes(TempScanFilePath);
        Bytes want = Expected(w, tone, ScanSettings.Mode, ScanSettings.Flip != 0, ScanSettings.XEffective,
                              ScanSettings.YEffective, YLimit);
        EXPECT_EQ(got.size(), size_t(ImageGeometry.BytesPerLine) * ImageGeometry.ImageLength)
            << "the file holds what the geometry promised";
        ASSERT_EQ(got.size(), want.size());
        size_t first = 0;
        while (first < got.size() && got[first] == want[first])
            first++;
        EXPECT_EQ(first, got.size()) << "first difference at byte " << first;
        EXPECT_EQ(WorkBufferDepth(), 0);
        EXPECT_TRUE(boxes.boxes().empty());
    }
    Simulator sim;
    MessageBoxCapture boxes;
};

struct ScanCase {
    const char *name;
    int mode;
    uint16_t x, y;
    int source;
    int width, length;
    bool flip;
};

TEST_F(Acquisition, FinalScansEqualTheChartThroughTheProcessing)
{
    const uint16_t top = DS_MODEL_600 ? 9600 : 4800;
    const ScanCase cases[] = {
        {"colour 300", MODE_COLOUR, 300, 300, SOURCE_REFLECTIVE, 200, 150, false},
        {"grey 1200 across", MODE_GREY, 1200, 1200, SOURCE_REFLECTIVE, 150, 40, false},
        {"colour at the interpolated maximum, narrow", MODE_COLOUR, top, top, SOURCE_REFLECTIVE, 4, 3, false},
        {"feeder, Y beyond its limit", MODE_GREY, 300, uint16_t(kOptical * 2 + 50), SOURCE_FEEDER, 100, 50, false},
        {"black and white flipped", MODE_BW, 300, 300, SOURCE_REFLECTIVE, 201, 100, true},
        {"colour flipped, stretched both ways", MODE_COLOUR, uint16_t(kOptical + 100), uint16_t(kMax + 300),
         SOURCE_REFLECTIVE, 60, 20, true},
        {"black and white stretched", MODE_BW, uint16_t(kOptical * 3), 300, SOURCE_REFLECTIVE, 50, 30, false},
    };
    for (const ScanCase &c : cases) {
        SCOPED_TRACE(c.name);
        Settings(c.mode, c.x, c.y, c.source, c.width, c.length);
        ScanSettings.Flip = c.flip;
        ScanAndCompare();
    }
}

TEST_F(Acquisition, BandsOfSmallReadsGiveTheSameImage)
{
    Configure("chunk=700;empty_polls=3");
    Settings(MODE_COLOUR, uint16_t(kOptical + 200), uint16_t(kMax + 500), SOURCE_REFLECTIVE, 80, 30);
    ScanAndCompare();
}

TEST_F(Acquisition, AReadErrorAbandonsTheScanAndLeavesNoFile)
{
    Configure("vanish=20000");
    Settings(MODE_GREY, 300, 300, SOURCE_REFLECTIVE, 300, 300);
    ASSERT_EQ(PrepareFinalScan(), 1);
    EXPECT_EQ(ScanToTempFile(), TEMP_SCAN_CANCELLED);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "イメージデータエラー。");
    EXPECT_EQ(GetFileAttributesA(TempScanFilePath), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(WorkBufferDepth(), 0);
    EXPECT_FALSE(Job.busy);
}

TEST_F(Acquisition, AStartRefusedShowsTheSetupErrorAndLeavesNoFile)
{
    Configure("fail=1B:1");
    Settings(MODE_GREY, 300, 300, SOURCE_REFLECTIVE, 100, 100);
    ASSERT_EQ(PrepareFinalScan(), 1);
    EXPECT_EQ(ScanToTempFile(), TEMP_SCAN_FAILED);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "スキャナの設定エラー。");
    EXPECT_EQ(GetFileAttributesA(TempScanFilePath), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Acquisition, ALineTooLongForABandIsRefused)
{
    Settings(MODE_COLOUR, DS_MODEL_600 ? 9600 : 4800, 300, SOURCE_REFLECTIVE, 300, 10);
    ASSERT_EQ(PrepareFinalScan(), 1);
    EXPECT_GE(ImageGeometry.BytesPerLine, 32768u);
    EXPECT_EQ(ScanToTempFile(), TEMP_SCAN_FAILED);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "メモリが足りません");
}

TEST_F(Acquisition, APrescanWritesThePreviewFileAndRestoresTheSettings)
{
    Settings(MODE_BW, 600, 600, SOURCE_REFLECTIVE, 300, 200);
    ScanSettings.Flip = 1;
    ScanSettingsRecord before = ScanSettings;
    PreviewRequest request = {SCAN_PRESCAN, 180, 255, 200, {}};
    ASSERT_EQ(PrescanOrZoom(nullptr, request), 1);
    EXPECT_EQ(memcmp(&before, &ScanSettings, sizeof before), 0);
    EXPECT_FALSE(Job.prescan);
    char path[MAX_PATH];
    ASSERT_TRUE(TempFilePath(Identification.prescanFile, path, sizeof path));
    Bytes file = ReadFileBytes(path);
    ChartWindow w;
    ChartTone tone;
    ASSERT_EQ(sim.lastScan(&w, &tone), 0);
    EXPECT_EQ(w.xres, 22);
    EXPECT_EQ(w.composition, CHART_COLOUR);
    ASSERT_GE(file.size(), 7u);
    ChartGeometry g = ChartGeometryOf(w);
    EXPECT_EQ(file[0] | file[1] << 8, int(g.lines));
    EXPECT_EQ(file[2] | file[3] << 8, int(g.pixels));
    EXPECT_EQ(file[4], 0);
    int bed = DS_MODEL_600 ? 1167 : 1400;
    EXPECT_EQ(file[5] | file[6] << 8, int(double(200) / 255 * bed));
    Bytes want = Expected(w, tone, MODE_COLOUR, false, 22, 22, YLimit);
    EXPECT_TRUE(Bytes(file.begin() + 7, file.end()) == want) << "prescans are never mirrored";
}

TEST_F(Acquisition, AFailedZoomKeepsTheOldPreviewFile)
{
    char path[MAX_PATH];
    ASSERT_TRUE(TempFilePath("QSZOOM.TMP", path, sizeof path));
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, "old", 3, &written, nullptr);
    CloseHandle(f);
    Configure("fail=1B:1");
    Settings(MODE_GREY, 300, 300, SOURCE_REFLECTIVE, 100, 100);
    ScanSettingsRecord before = ScanSettings;
    PreviewRequest request = {SCAN_ZOOM, 240, 350, 0, {100, 100, 300, 200}};
    EXPECT_EQ(PrescanOrZoom(nullptr, request), 0);
    EXPECT_EQ(ReadFileBytes(path), Bytes({'o', 'l', 'd'}));
    EXPECT_EQ(memcmp(&before, &ScanSettings, sizeof before), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "スキャナの設定エラー。");
}

TEST_F(Acquisition, StripsDeliverTheImageAndRefuseWhatDoesNotFit)
{
    Settings(MODE_GREY, 300, uint16_t(kMax * 3), SOURCE_REFLECTIVE, 100, 10);
    ASSERT_EQ(PrepareFinalScan(), 1);
    ASSERT_EQ(Dev_StartScan(ScanBlock), 0);
    YAccumulator = 0;
    uint32_t L = ImageGeometry.BytesPerLine;
    Bytes two(2 * L);
    EXPECT_EQ(ReadStrip(two.data(), 2), 0u) << "one line tripled does not fit two";
    Dev_EndScan();

    ASSERT_EQ(PrepareFinalScan(), 1);
    ASSERT_EQ(Dev_StartScan(ScanBlock), 0);
    YAccumulator = 0;
    Bytes image;
    Bytes strip(7 * L);
    while (image.size() < size_t(L) * ImageGeometry.ImageLength) {
        uint32_t lines = ReadStrip(strip.data(), 7);
        ASSERT_GT(lines, 0u);
        image.insert(image.end(), strip.begin(), strip.begin() + lines * L);
    }
    ChartWindow w;
    ChartTone tone;
    ASSERT_EQ(sim.lastScan(&w, &tone), 0);
    EXPECT_TRUE(image == Expected(w, tone, MODE_GREY, false, 300, ScanSettings.YEffective, YLimit));
    Dev_EndScan();
}

} // namespace

namespace {

TEST_F(Acquisition, GeometryIsWhatTheLoopsDeliverAtEveryResolutionModeAndSource)
{
    const uint16_t top = DS_MODEL_600 ? 9600 : 4800;
    const uint16_t resolutions[] = {1, 22, 299, uint16_t(kOptical - 1), kOptical, uint16_t(kOptical + 1), 1200,
                                    kMax, uint16_t(kMax + 1), uint16_t(top - 1), top};
    for (int source : {SOURCE_REFLECTIVE, SOURCE_FEEDER, SOURCE_TRANSPARENCY})
        for (int mode : {MODE_COLOUR, MODE_GREY, MODE_BW})
            for (uint16_t r : resolutions) {
                SCOPED_TRACE(testing::Message() << "source " << source << " mode " << mode << " dpi " << r);
                // Small enough at the top resolution, large enough for a pixel at 1 dpi.
                int size = r < 100 ? 200 : 3;
                Settings(mode, r, r, source, size, size);
                ScanAndCompare();
                if (HasFatalFailure())
                    return;
            }
}

} // namespace

namespace {

uint32_t FastTicks()
{
    static uint32_t now;
    return now += 1000;
}

TEST_F(Acquisition, AStripFromAScannerThatNeverHasDataIsAReadError)
{
    Configure("empty_polls=100000000");
    Settings(MODE_GREY, 300, 300, SOURCE_REFLECTIVE, 100, 10);
    ASSERT_EQ(PrepareFinalScan(), 1);
    ASSERT_EQ(Dev_StartScan(ScanBlock), 0);
    TickSource real = AspiTicks;
    AspiTicks = FastTicks;
    Bytes strip(4 * ImageGeometry.BytesPerLine);
    uint32_t lines = ReadStrip(strip.data(), 4);
    AspiTicks = real;
    EXPECT_EQ(lines, 0u);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "イメージデータエラー。");
}

} // namespace
